// veredivo-macro: runs a web script in the macro browser, with its data from a name=value file.
// A tool for writing and adapting scripts (the bureau's prefill among them) and for pictures of
// the browser's windows.
//
//     veredivo-macro [--shots DIR] [--shot-step N] SCRIPT_FOLDER SCRIPT DATA_FILE
//
// DATA_FILE holds the script's data-in values, one NAME=VALUE a line; lines CLASS_1=CODE,
// PAYROLL,EMPLOYEES ... stand for the classes a quote window would give the bureau script.
// With --shots the windows are answered by the tool and pictured into DIR: the browser at step
// N (default 60), the missing-values window and the completion window.

#include "core/EventLoop.h"
#include "core/NameValues.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "macro/WebMacro.h"
#include "macro/qt/MacroBrowser.h"
#include "macro/qt/MacroDialogs.h"
#include "macro/qt/QtWebEngineSetup.h"
#include "macro/qt/WcribWindows.h"
#include "ui/QtEventLoop.h"
#include "ui/QtPrompter.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <string>

namespace {

struct TOptions
{
    std::string shots;
    int shotStep = 60;
    std::string folder;
    std::string script;
    std::string data;
};

bool ParseOptions(int argc, char **argv, TOptions &options)
{
    std::vector<std::string> rest;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--shots" && i + 1 < argc) {
            options.shots = IncludeTrailingSlash(argv[++i]);
        } else if (argument == "--shot-step" && i + 1 < argc) {
            options.shotStep = StrToIntDef(argv[++i], 60);
        } else {
            rest.push_back(argument);
        }
    }
    if (rest.size() != 3) {
        return false;
    }
    options.folder = IncludeTrailingSlash(rest[0]);
    options.script = rest[1];
    options.data = rest[2];
    return true;
}

// The classes of the data file: "CLASS_n" = code, payroll, employees.
std::vector<std::vector<std::string>> Classes(const TNameValueList &data)
{
    std::vector<std::vector<std::string>> classes;
    for (int n = 1; HasName(data, "CLASS_" + std::to_string(n)); ++n) {
        std::vector<std::string> parts(1);
        for (const char c : NameValue(data, "CLASS_" + std::to_string(n))) {
            if (c == ',') {
                parts.emplace_back();
            } else {
                parts.back() += c;
            }
        }
        parts.resize(3);
        classes.push_back(parts);
    }
    return classes;
}

void Picture(QWidget &window, const std::string &file)
{
    window.grab().save(QString::fromStdString(file));
    std::printf("%s\n", file.c_str());
}

} // namespace

int main(int argc, char **argv)
{
    TOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s [--shots DIR] [--shot-step N] SCRIPT_FOLDER SCRIPT "
                     "DATA_FILE\n",
                     argv[0]);
        return 2;
    }
    PrepareWebEngine();
    QApplication application(argc, argv);
    QtEventLoop loop;
    SetEventLoop(&loop);
    QtPrompter prompter("Web Browser Scripting");
    const bool shots = !options.shots.empty();
    if (!shots) {
        SetPrompter(&prompter);
    }

    std::string data;
    if (!ReadFileBytes(options.data, data)) {
        std::fprintf(stderr, "cannot read %s\n", options.data.c_str());
        return 2;
    }
    TNameValueList dataIn = SplitLines(data);
    const auto classes = Classes(dataIn);
    TNameValueList answers;
    int state = -1;

    const auto callback = [&](TMacro &macro, const std::string &request, TNameValueList *variables,
                              TNameValueList *input) {
        if (request == "WORK_COMP_GET_CLASS_COUNT" && input != nullptr) {
            SetNameValue(*input, "WC_CLASS_COUNT", IntText(static_cast<int64_t>(classes.size())));
        } else if (request == "WORK_COMP_GET_CLASS" && input != nullptr) {
            const int index = StrToIntDef(Trim(macro.Variable("WC_CLASS_INDEX")), 0);
            if (index >= 1 && index <= static_cast<int>(classes.size())) {
                const auto &line = classes[static_cast<size_t>(index - 1)];
                SetNameValue(*input, "WC_CLASS_CODE", Trim(line[0]));
                SetNameValue(*input, "WC_CLASS_PAYROLL", Trim(line[1]));
                SetNameValue(*input, "WC_CLASS_EMPLOYEES", Trim(line[2]));
                SetNameValue(*input, "WC_CLASS_IF_ANY", "N");
            }
        } else if (request == "SHOW_COMPLETE") {
            const auto *web = dynamic_cast<const TWebMacro *>(&macro);
            TfrmWCRIBComplete window(web != nullptr ? web->StartURL : std::string(),
                                     NameValue(dataIn, "WC_AGENCY_NAME"));
            if (shots) {
                QTimer::singleShot(300, &window, [&window, &options] {
                    Picture(window, options.shots + "macro-wcrib-complete.png");
                    window.btnUseThisBrowser->click();
                });
            }
            if (window.exec() != QDialog::Accepted && variables != nullptr) {
                SetNameValue(*variables, "CLOSE_UI", "1");
            }
        }
    };

    // With pictures: the missing values are given as samples once pictured.
    QTimer watcher;
    QPointer<QWidget> handled;
    if (shots) {
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            auto *form = qobject_cast<TfrmReqData *>(QApplication::activeModalWidget());
            if (form == nullptr || form == handled || form->Rows().empty()) {
                return;
            }
            handled = form;
            for (size_t i = 0; i < form->Rows().size(); ++i) {
                if (!form->Rows()[i].password) {
                    form->SetRowText(i, "Commercial roofing and siding");
                }
            }
            Picture(*form, options.shots + "macro-required-information.png");
            form->btnDone->click();
        });
        watcher.start(100);
    }

    ShowMacroBrowser(options.folder, ChangeFileExt(options.script, ""), &dataIn, true, false, false,
                     shots, true, false, 2, "MA WCRIB Applicatin Prefill", 0, callback, 0, &answers,
                     nullptr, [&](TfrmMacroBrowser &window) {
                         TframeMacroBrowser &frame = *window.Frame();
                         frame.Macro().OnStep = [&, previous = frame.Macro().OnStep](
                                                    TMacro &macro, TMacroCommand &command,
                                                    bool &flag, int count, int step) {
                             previous(macro, command, flag, count, step);
                             if (shots && step == options.shotStep) {
                                 Picture(window, options.shots + "macro-browser-running.png");
                             }
                         };
                         const auto stopped = frame.Macro().OnStopped;
                         frame.Macro().OnStopped = [&state, stopped](TMacro &macro) {
                             state = macro.State();
                             stopped(macro);
                         };
                     });
    SetPrompter(nullptr);
    SetEventLoop(nullptr);
    std::printf("script ended in state %d\n", state);
    return state == 0 ? 0 : 1;
}

// windowshot: renders the "Word Integration" window (before and after an export) and the
// "About" window of a program folder to PNG files, as the screenshots look at them.
//
//     windowshot PROGRAM_DIR OUTDIR

#include "app/AboutWindow.h"
#include "core/Paths.h"
#include "export/WordExportWindow.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <cstdio>
#include <iostream>

namespace {

bool Save(QWidget &window, const std::string &path)
{
    window.show();
    window.adjustSize();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromStdString(path))) {
        std::cerr << "windowshot: cannot write " << path << "\n";
        return false;
    }
    std::cout << path << "\n";
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("0.1.0"));
    if (argc != 3) {
        std::cerr << "usage: windowshot PROGRAM_DIR OUTDIR\n";
        return 2;
    }
    const std::string program = IncludeTrailingSlash(argv[1]);
    const std::string out = IncludeTrailingSlash(argv[2]);
    bool ok = true;

    const std::string document = out + "word-integration.docx";
    std::remove(document.c_str());
    TfrmWordExport before({{3, "ASHBY BAKERY"}, {41, "5183"}}, program + "docs/MAApp07.DOCX",
                          document, false, nullptr, [](const std::string &) {});
    ok = Save(before, out + "word-integration.png") && ok;
    before.btnExport->click();
    TfrmWordExport after({{3, "ASHBY BAKERY"}}, program + "docs/MAApp07.DOCX", document, false,
                         nullptr, [](const std::string &) {});
    after.lblStatus->setText(QStringLiteral("Processing Field 17 of 34"));
    ok = Save(after, out + "word-integration-status.png") && ok;
    std::remove(document.c_str());

    TfrmAbout about("Quillmoor Workers Compensation Rater", program + "Data/", 5);
    ok = Save(about, out + "about.png") && ok;
    return ok ? 0 : 1;
}

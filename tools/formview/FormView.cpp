#include "FormView.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "forms/FormData.h"
#include "forms/FormViewer.h"

#include <QApplication>
#include <QPixmap>
#include <QPrinter>

#include <exception>

namespace {

const char *const kUsage = "usage: formview png FORMSDIR NAME OUTDIR [DATAFILE]\n"
                           "       formview pdf FORMSDIR NAME OUT.pdf [DATAFILE]\n"
                           "       formview dialogs FORMSDIR NAME OUTDIR\n";

// The dialogs of the completion check and the field-names mode, as a user meets them on the
// form: the Required Fields dialog for the first rule of the form with several members, and
// the Field Information of the first radio button.
void WriteDialogs(TQorFormViewer &viewer, const std::string &folder, std::ostream &out)
{
    for (const auto &rule : viewer.Document().Rules) {
        if (rule->Members.size() < 2) {
            continue;
        }
        std::vector<std::string> names;
        for (const TFormField *member : rule->Members) {
            names.push_back(member->DisplayName());
        }
        TfrmRequirements dialog(&viewer, rule->CheckMessage(), names);
        dialog.show();
        QApplication::processEvents();
        const std::string path = folder + "RequiredFields.png";
        dialog.grab().save(QString::fromStdString(path));
        out << path << "\n";
        break;
    }
    for (const TFormField *field : viewer.Document().AllFields()) {
        if (field->Kind == fkRadioButton) {
            TFieldInfo dialog(&viewer, *field);
            dialog.show();
            QApplication::processEvents();
            const std::string path = folder + "FieldInformation.png";
            dialog.grab().save(QString::fromStdString(path));
            out << path << "\n";
            break;
        }
    }
}

} // namespace

int RunFormView(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    if (args.size() < 4 || args.size() > 5 ||
        (args[0] != "png" && args[0] != "pdf" && args[0] != "dialogs")) {
        err << kUsage;
        return 2;
    }
    try {
        TQorFormViewer viewer;
        // A window that shows a whole page at 100%.
        const int dpi = viewer.logicalDpiX();
        viewer.viewport()->setMinimumSize(8000 * dpi / 1000 + 8, 10800 * dpi / 1000 + 8);
        viewer.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        viewer.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        viewer.adjustSize();
        viewer.resize(viewer.viewport()->minimumSize() + QSize(4, 4));
        viewer.show();
        viewer.SetFormsPath(args[1]);
        viewer.SetFormName(args[2]);
        if (args.size() == 5) {
            const int skipped = LoadFormData(viewer.Document(), args[4]);
            if (skipped > 0) {
                err << "formview: " << skipped << " lines of " << args[4]
                    << " name no field of the form\n";
            }
        }
        if (args[0] == "dialogs") {
            WriteDialogs(viewer, IncludeTrailingSlash(args[3]), out);
        } else if (args[0] == "png") {
            for (int page = 1; page <= viewer.PageCount(); ++page) {
                viewer.GoToPage(page);
                viewer.Editor().Attach(nullptr);
                QApplication::processEvents();
                const std::string path =
                    IncludeTrailingSlash(args[3]) + args[2] + "-" + IntText(page) + ".png";
                if (!viewer.viewport()->grab().save(QString::fromStdString(path))) {
                    err << "formview: cannot write " << path << "\n";
                    return 1;
                }
                out << path << "\n";
            }
        } else {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(args[3]));
            printer.setPageSize(QPageSize(QPageSize::Letter));
            printer.setPageMargins(QMarginsF(0.25, 0.1, 0.25, 0.1), QPageLayout::Inch);
            viewer.PrintPages(0, 0, &printer);
            out << args[3] << "\n";
        }
    } catch (const std::exception &error) {
        err << "formview: " << error.what() << "\n";
        return 1;
    }
    return 0;
}

// windowshot: renders the "Word Integration" window (before and after an export), the "About"
// window and the maintenance windows of a program folder to PNG files for the screenshots.
//
//     windowshot PROGRAM_DIR OUTDIR

#include "app/AboutWindow.h"
#include "core/Paths.h"
#include "db/VereDivoDatabase.h"
#include "export/WordExportWindow.h"
#include "maintenance/MaintenanceWindows.h"

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

    // The maintenance windows as they open (nothing is changed).
    TVereDivoDatabase database(program + "Data/");
    TfrmAddClassFile addClassFile(database);
    ok = Save(addClassFile, out + "add-new-class-file.png") && ok;
    TfrmCopyInputs copyInputs(database);
    ok = Save(copyInputs, out + "copy-inputs.png") && ok;
    TfrmCopyHazardCodes copyHazards(database);
    copyHazards.SelectPlan(5, 13);
    ok = Save(copyHazards, out + "copy-hazard-codes.png") && ok;
    TfrmDeleteClassCodes deleteCodes(database);
    ok = Save(deleteCodes, out + "delete-class-codes.png") && ok;
    TfrmPrepareSetup setup(database, program + "Data/", 13, 5);
    ok = Save(setup, out + "prepare-setup-file.png") && ok;
    return ok ? 0 : 1;
}

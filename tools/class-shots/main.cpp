// Renders the class windows to PNG files as an agent sees them: a Massachusetts quote on the
// program folder's tables with classes, exception payrolls and a user sub-class.
//
//     veredivo-class-shots PROGRAM_FOLDER OUTPUT_FOLDER
//
// The program folder's user class table is written to: give it a copy.

#include "ToolApplication.h"

#include "core/Dates.h"
#include "core/Paths.h"
#include "db/VereDivoDatabase.h"
#include "rating/ControlInterface.h"
#include "rating/VereDivoQuote.h"
#include "ui/ClassLineDialogs.h"
#include "ui/ClassSelection.h"
#include "ui/Deviations.h"
#include "ui/UserClasses.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>

#include <iostream>
#include <memory>
#include <string>

namespace {

std::string g_out;

void Save(QWidget &window, const char *name)
{
    window.show();
    window.activateWindow();
    QApplication::processEvents();
    const std::string path = g_out + name;
    if (!window.grab().save(QString::fromStdString(path))) {
        std::cerr << "cannot write " << path << "\n";
    }
    std::cout << path << "\n";
}

TVereDivoClass &Put(TVereDivoQuote &quote, const char *code, int32_t payroll, int32_t employees)
{
    TVereDivoClass *line = quote.FindClass(code, "");
    if (line == nullptr) {
        throw std::runtime_error(std::string("no class ") + code);
    }
    line->SetPayroll(payroll);
    line->SetEmployees(employees);
    quote.AppendClass(*line);
    return *line;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: veredivo-class-shots PROGRAM_FOLDER OUTPUT_FOLDER\n";
        return 2;
    }
    QApplication application(argc, argv);
    g_out = IncludeTrailingSlash(argv[2]);
    try {
        TToolApplication tool(argv[1], false);
        TCustLOBInfo info;
        info.SetState("MA");
        const auto quote = CreateStateQuote(1, tool, info, EncodeDate(2026, 7, 1));
        TControlInterface inputs;
        inputs.Build(tool.Database().Inputs(), tool.Database().InputData(), false,
                     quote->RatePeriod(), 1, quote->StateId);
        quote->Bind(inputs);
        if (!quote->LoadClassBook()) {
            return 1;
        }
        // A sub-class of the agent's own, as the setup window makes it.
        TVereDivoClass *staff = quote->FindClass("8810", "%1");
        if (staff == nullptr) {
            auto own = std::make_unique<TVereDivoClass>(1);
            own->CopyFrom(*quote->ClericalClass);
            own->SubCode.clear();
            own->ParentCode = "8810";
            own->Description = "OFFICE STAFF - BRANCH";
            staff = &quote->AddClass(std::move(own));
        }
        Put(*quote, "5645", 250000, 6).SetDeviation(1.1);
        Put(*quote, "5437", 120000, 3);
        Put(*quote, "5183", 95000, 2);
        Put(*quote, "8810", 60000, 2);
        Put(*quote, "8742", 40000, 1);
        Put(*quote, "7380", 0, 0);

        {
            TfrmClassList window(*quote);
            QTimer::singleShot(200, &window, [&] {
                window.lstActive->setCurrentItem(window.lstActive->topLevelItem(1));
                window.txtSearch->setText("5645");
                Save(window, "classes-selection.png");
                window.txtSearch->clear();
                window.reject();
            });
            window.exec();
        }
        {
            TfrmSearchResults results({quote->ClericalClass, staff});
            results.lstResults->setCurrentItem(results.lstResults->topLevelItem(0));
            Save(results, "classes-search-results.png");
        }
        {
            TfrmEditClass edit(*quote->FindClass("5437", ""));
            Save(edit, "classes-edit-classification.png");
        }
        {
            auto owned = std::make_unique<TNewYorkConstructionClass>(1);
            owned->CopyFrom(*quote->FindClass("5645", ""));
            owned->SetEntryPayroll(1, 120000);
            owned->SetEntryPayroll(3, 45000);
            owned->SetEntryPayroll(4, 30000);
            owned->SetEmployees(5);
            TfrmContractorsClass contractors(*owned);
            Save(contractors, "classes-contractors-class.png");
        }
        {
            TfrmClassInfo shown(*quote->FindClass("5645", ""), false);
            Save(shown, "classes-classification-information.png");
        }
        {
            TfrmUserClasses setup(*quote);
            Save(setup, "classes-user-class-setup.png");
        }
        {
            TfrmSubClassInfo sub(*quote, nullptr);
            sub.chkShowCode->setChecked(true);
            for (int i = 0; i < sub.lstClasses->count(); ++i) {
                if (sub.lstClasses->item(i)->text().startsWith("8810")) {
                    sub.lstClasses->setCurrentRow(i);
                    sub.lstClasses->scrollToItem(sub.lstClasses->item(i));
                }
            }
            sub.txtTitle->setText("OFFICE STAFF - NORTH BRANCH");
            Save(sub, "classes-sub-class-information.png");
        }
        {
            TfrmDeviations deviations(*quote);
            Save(deviations, "classes-deviations.png");
        }
    } catch (const std::exception &error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return 0;
}

// veredivo-shots OUTDIR: opens the program's windows on a copy of the built program folder,
// fills a Massachusetts and a New Jersey quote as an agent would, and writes a PNG of every
// window of the quote's working day into OUTDIR. Run it under a display (scripts/screenshots.sh
// gives it a virtual one of 1400x1000).

#include "app/PrintOptions.h"
#include "app/WcForm.h"
#include "core/Dates.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "macro/qt/WcribWindows.h"
#include "rating/VereDivoQuote.h"
#include "storage/VereDivoAppInfo.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"
#include "storage/records/QuoteInfo.h"
#include "ui/CustomerDialog.h"
#include "ui/DetailWindow.h"
#include "ui/DownPaymentDialog.h"
#include "ui/EffectiveDateDialog.h"
#include "ui/InputWidgets.h"
#include "ui/LoadQuotation.h"
#include "ui/PremiumDetail.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <iostream>

namespace {

QString g_out;

void Settle(int ms = 150)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

void Save(QWidget *widget, const char *name)
{
    Settle();
    const QString file = g_out + QLatin1Char('/') + QString::fromLatin1(name) + ".png";
    if (!widget->grab().save(file)) {
        std::cerr << "veredivo-shots: cannot write " << file.toStdString() << "\n";
    } else {
        std::cout << file.toStdString() << "\n";
    }
}

// Puts a class on the quote with its payroll, as the class selection does.
void AddClass(TVereDivoQuote &quote, const std::string &code, int32_t payroll, int32_t employees)
{
    TVereDivoClass *line = quote.FindClass(code, "");
    if (line == nullptr) {
        throw std::runtime_error("no class " + code);
    }
    line->SetPayroll(payroll);
    line->SetEmployees(employees);
    quote.AppendClass(*line);
}

void SetInput(TfrmVereDivoDetail &window, const char *name, const QString &text)
{
    QWidget *widget = window.InputWidgets()->WidgetNamed(name);
    if (auto *box = qobject_cast<QComboBox *>(widget)) {
        box->setCurrentIndex(box->findText(text));
    } else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        edit->setFocus();
        edit->setText(text);
        edit->textEdited(text);
        window.btnAdd->setFocus();
    }
}

TfrmVereDivoDetail *Detail(QuoteWindow *window)
{
    return dynamic_cast<TfrmVereDivoDetail *>(window);
}

void Customer(TVereDivoQuote &quote, const std::string &company, const std::string &city)
{
    TQorRatingClient &customer = quote.Customer();
    customer.SetCompany(company);
    customer.SetFirstName("Ann");
    customer.SetLastName("Lee");
    customer.SetStreet("12 Harbor Street");
    customer.SetCity(city);
    customer.SetState(quote.StateCode);
    customer.SetZip(quote.StateCode == "MA" ? "02110" : "07102");
    customer.SetWorkPhone("(617)555-0142");
    TCustLOBInfo &header = quote.QuoteInfo();
    header.SetDescription(company);
    header.SetLocationStreet(customer.Street());
    header.SetLocationCity(city);
    header.SetLocationState(quote.StateCode);
    header.SetLocationZip(customer.Zip());
}

int Run()
{
    QTemporaryDir folder;
    const std::filesystem::path program = folder.path().toStdString() + "/program";
    std::filesystem::copy(VEREDIVO_PROGRAM_DIR, program, std::filesystem::copy_options::recursive);
    SetProgramFolder(program.string() + "/");
    const QString settings = folder.path() + "/settings";
    qputenv("VEREDIVO_SETTINGS_DIR", settings.toUtf8());
    TIniFile(program.string() + "/Data/About.ini").WriteString("Detail", "Active_State", "MA");
    // The agency profile lives in the settings file beside the running program.
    TIniFile(ProgramFolder() + ChangeFileExt(ExtractFileName(ProgramFile()), ".ini"))
        .WriteString("Agency Info", "Name", "Harbor Insurance Agency");

    TWC_MDI main;
    main.show();
    Settle(500); // the first showing opens a Massachusetts quote
    auto *ma = Detail(main.ActiveQuote());
    if (ma == nullptr) {
        std::cerr << "veredivo-shots: no quote window opened\n";
        return 1;
    }
    TVereDivoQuote &maQuote = *ma->Quote();
    maQuote.LoadClassBook();
    AddClass(maQuote, "8810", 185000, 4);
    AddClass(maQuote, "5183", 420000, 7);
    AddClass(maQuote, "5403", 265000, 5);
    AddClass(maQuote, "7380", 96000, 2);
    ma->RecalculateAndShow();
    ma->FillClassList();
    SetInput(*ma, "txtExpMod", QStringLiteral("0.92"));
    SetInput(*ma, "lstPartTwo", QStringLiteral("500/500/500"));
    Customer(maQuote, "Harbor Plumbing & Heating", "Boston");
    ma->SetCaption();
    ma->RecalculateAndShow();
    Save(&main, "main-window-ma");

    TCustLOBInfo header;
    header.SetState("NJ");
    auto *nj = Detail(main.NewQuoteFrom(header, {}));
    TVereDivoQuote &njQuote = *nj->Quote();
    njQuote.LoadClassBook();
    AddClass(njQuote, "8810", 120000, 3);
    AddClass(njQuote, "9079", 310000, 12);
    nj->RecalculateAndShow();
    nj->FillClassList();
    SetInput(*nj, "txtExpMod", QStringLiteral("1.08"));
    Customer(njQuote, "Garden State Diner", "Newark");
    nj->SetCaption();
    nj->RecalculateAndShow();
    Save(&main, "main-window-nj");
    {
        // The File menu's output commands and the detail window's "Printing Options", for this
        // broker's plan and for broker 5's, which offers the finance agreement and the pool
        // application too.
        auto *file = main.findChild<QMenu *>(QStringLiteral("mnuFile"));
        file->popup(main.mapToGlobal(QPoint(4, 24)));
        Save(file, "file-menu");
        file->hide();
        TfrmPrintOptions options(PrintOptionsOffer(maQuote), &main);
        options.show();
        Save(&options, "printing-options");
        TCustLOBInfo plan5;
        plan5.SetState("MA");
        const auto quote5 = CreateStateQuote(5, main.AppInfo().QuoteApplication(), plan5, 0);
        TfrmPrintOptions acord(PrintOptionsOffer(*quote5), &main);
        acord.optAcord->setChecked(true);
        acord.show();
        Save(&acord, "printing-options-acord");
    }
    main.MdiArea()->tileSubWindows();
    Save(&main, "main-window-tiled");
    for (QMdiSubWindow *child : main.MdiArea()->subWindowList()) {
        child->showMaximized();
    }

    {
        TfrmCustInfo dialog(maQuote, false, &main.AppInfo(), &main);
        dialog.show();
        Save(&dialog, "customer-dialog");
    }
    {
        TfrmCustInfo dialog(njQuote, true, &main.AppInfo(), &main);
        dialog.show();
        Save(&dialog, "customer-dialog-nj");
    }
    {
        TfrmPremiumDetail dialog(maQuote, &main);
        dialog.show();
        Save(&dialog, "premium-detail-ma");
    }
    {
        TfrmPremiumDetail dialog(njQuote, &main);
        dialog.show();
        Save(&dialog, "premium-detail-nj");
    }
    {
        TfrmDownPayment dialog(maQuote.Results.TotalPremium, 25, &main);
        dialog.show();
        Save(&dialog, "down-payment");
    }
    {
        TfrmEffectiveDate dialog(maQuote.EffectiveDate, &main);
        dialog.show();
        Save(&dialog, "effective-date");
    }

    {
        // "Submit to WCRIB" of the MA quote, dated next month: the bureau log-in and tax data
        // window as the agent fills it in; Cancel opens no browser.
        main.MdiArea()->setActiveSubWindow(main.MdiArea()->subWindowList().front());
        maQuote.SetEffectiveDate(Today() + 30);
        ma->EffectiveDateChanged();
        QTimer::singleShot(300, [] {
            auto *form = qobject_cast<TfrmMAWCRIBSubmit *>(QApplication::activeModalWidget());
            if (form == nullptr) {
                std::cerr << "veredivo-shots: no WCRIB submission window\n";
                return;
            }
            form->txtUserID->setText(QStringLiteral("agent7"));
            form->txtPassword->setText(QStringLiteral("Bay-State#2718"));
            form->txtTaxID->setText(QStringLiteral("04-3141592"));
            form->txtLocations->setText(QStringLiteral("2"));
            form->lstBizType->setCurrentText(QStringLiteral("Corporation"));
            Save(form, "wcrib-submit");
            form->btnCancel->click();
        });
        ma->btnSubmit->click();
    }

    // A quote folder with customers to choose from.
    TVereDivoQuoteDBInterface &store = main.AppInfo().QuoteDB();
    store.SaveQuote(maQuote);
    store.SaveQuote(njQuote);
    for (const char *company : {"Atlantic Roofing", "Beacon Hill Bakery", "Cape Cod Landscaping",
                                "Quincy Machine Shop", "Worcester Masonry"}) {
        const int32_t quoteId = maQuote.QuoteId;
        maQuote.Customer().SetCustomerNumber(-1);
        maQuote.QuoteId = 0;
        maQuote.QuoteInfo().SetQuoteID(0);
        Customer(maQuote, company, "Boston");
        store.SaveQuote(maQuote);
        (void)quoteId;
    }
    {
        TfrmLoadQuotation window(store.CustDBO(), TfrmLoadQuotation::TMode::OpenQuote, &main);
        window.show();
        QTreeWidgetItem *first = window.tvCustomers->topLevelItem(1);
        window.tvCustomers->expandItem(first);
        if (first->childCount() > 0) {
            window.tvCustomers->setCurrentItem(first->child(0));
        }
        Save(&window, "load-quotation");
    }
    {
        TfrmLoadQuotation window(store.CustDBO(), TfrmLoadQuotation::TMode::ChooseCustomer, &main);
        window.show();
        Save(&window, "select-customer");
    }
    main.MdiArea()->setActiveSubWindow(main.MdiArea()->subWindowList().front());
    for (auto *window : {ma, nj}) {
        window->Quote()->Modified = false;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: veredivo-shots OUTDIR\n";
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_out);
    try {
        return Run();
    } catch (const std::exception &error) {
        std::cerr << "veredivo-shots: " << error.what() << "\n";
        return 1;
    }
}

#pragma once

#include "export/PoolApplicationData.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class TVereDivoQuote;

// The "Word Integration" window: "&Export" writes the values into a document made from the
// template, telling each step in its status line, and opens it; "&Cancel" closes the window
// without starting. A failure stops at that field, shows the error and leaves the document as
// far as it was filled.
class TfrmWordExport : public QDialog
{
    Q_OBJECT

public:
    // `open` shows the written document (the desktop's default application when empty).
    TfrmWordExport(std::vector<TQuoteDataInfo> values, std::string templatePath, std::string target,
                   bool replace, QWidget *parent = nullptr,
                   std::function<void(const std::string &)> open = {});

    QLabel *lblStatus = nullptr;
    QPushButton *btnExport = nullptr;
    QPushButton *btnCancel = nullptr;

    void btnExportClick();

private:
    std::vector<TQuoteDataInfo> m_values;
    std::string m_template;
    std::string m_target;
    bool m_replace = false;
    std::function<void(const std::string &)> m_open;
};

// "Print Poo&l Application" for a plan with a Word pool application: the quote's values, the
// template of the Office 2003 or 2007 choice, a file for the customer and quote in the quote
// folder (asking before an earlier one is replaced) and the "Word Integration" window. False
// when nothing was written.
bool ShowWordPoolApplication(const TVereDivoQuote &quote, const std::string &programFolder,
                             const std::string &quoteFolder, bool use2003,
                             QWidget *parent = nullptr);

#pragma once

#include "export/DocxDocument.h"
#include "export/PoolApplicationData.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TVereDivoQuote;

// What the pool application export asks of a word processor: connect, create a document from
// a template, set the result of form field n, and show the document to the user.
class TWordProcessor
{
public:
    virtual ~TWordProcessor() = default;
    virtual void Connect() = 0;
    virtual void NewDocument(const std::string &templatePath) = 0;
    virtual void SetFormFieldResult(int32_t index, const std::string &text) = 0;
    virtual void Activate() = 0;
    // After a failure: keeps the document as far as it was filled; the place it went to, or
    // empty text when there is no document.
    virtual std::string KeepPartialDocument() = 0;
};

// The word processor over DOCX files: the template (a .DOC through LibreOffice) is filled in
// memory and written to `target` when it is activated, then handed to `open` (the desktop's
// default application in the program; nothing in tools and tests). `replace` lets the write
// replace an existing file the user agreed to replace.
class TDocxWordProcessor final : public TWordProcessor
{
public:
    TDocxWordProcessor(std::string target, bool replace,
                       std::function<void(const std::string &)> open = {});
    void Connect() override;
    void NewDocument(const std::string &templatePath) override;
    void SetFormFieldResult(int32_t index, const std::string &text) override;
    void Activate() override;
    std::string KeepPartialDocument() override;

    const TDocxDocument *Document() const { return m_document.get(); }

private:
    std::string m_target;
    bool m_replace = false;
    std::function<void(const std::string &)> m_open;
    std::unique_ptr<TDocxDocument> m_document;
};

// The steps of the "Word Integration" export. `status` hears every status text as it is
// shown. A failure stops at that field: the error text is returned (the document keeps what
// was filled), otherwise the text is empty.
struct TWordExportResult
{
    bool Completed = false;
    std::string Error;
    // The position (from 0) of the value that failed, -1 when none did.
    int32_t FailedPosition = -1;
};
TWordExportResult RunWordExport(TWordProcessor &processor, const std::string &templatePath,
                                const std::vector<TQuoteDataInfo> &values,
                                const std::function<void(const std::string &)> &status);

// The template of the MA pool application in the program folder: "docs/MAApp03.DOC" for the
// Office 2003 choice, else "docs/MAApp07.DOCX".
std::string PoolApplicationTemplate(const std::string &programFolder, bool use2003);
// Whether the settings choose the Office 2003 template ("QORWC.ini" [General]
// Use2003MAAppNot2007, true unless set).
bool UseOffice2003PoolApplication();

// The file a quote's filled pool application is written to: the folder, then the customer's
// company (or "New Customer"), the state's pool application and the quote ID when it has one,
// as a file name the file system takes ("Acme Roofing - MA Pool Application - Quote 12.docx").
std::string PoolApplicationFileName(const std::string &folder, const TVereDivoQuote &quote);

// Where to write when `path` may exist: the path itself when it does not; otherwise the user is
// asked whether to replace it (Yes), write beside it under the next free name (No), or stop
// (Cancel: empty path).
struct TDocumentTarget
{
    std::string Path;
    bool Replace = false;
};
TDocumentTarget ChooseDocumentTarget(const std::string &path);

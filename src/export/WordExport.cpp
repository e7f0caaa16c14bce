// The pool application written into a Word document: the export's steps over any word
// processor, and the DOCX one the program uses.

#include "export/WordExport.h"

#include "core/Encoding.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "export/LibreOffice.h"
#include "rating/VereDivoQuote.h"

TDocxWordProcessor::TDocxWordProcessor(std::string target, bool replace,
                                       std::function<void(const std::string &)> open)
    : m_target(std::move(target)), m_replace(replace), m_open(std::move(open))
{ }

void TDocxWordProcessor::Connect()
{
    // The document layer is part of the program: there is nothing to start.
}

void TDocxWordProcessor::NewDocument(const std::string &templatePath)
{
    m_document = std::make_unique<TDocxDocument>(FillableTemplate(templatePath));
}

void TDocxWordProcessor::SetFormFieldResult(int32_t index, const std::string &text)
{
    if (!m_document) {
        throw EDocumentError("No document is open.");
    }
    m_document->SetFieldResult(index, text);
}

void TDocxWordProcessor::Activate()
{
    if (!m_document) {
        throw EDocumentError("No document is open.");
    }
    m_document->SaveAs(m_target, m_replace);
    if (m_open) {
        m_open(m_target);
    }
}

std::string TDocxWordProcessor::KeepPartialDocument()
{
    if (!m_document) {
        return {};
    }
    m_document->SaveAs(m_target, m_replace);
    return m_target;
}

TWordExportResult RunWordExport(TWordProcessor &processor, const std::string &templatePath,
                                const std::vector<TQuoteDataInfo> &values,
                                const std::function<void(const std::string &)> &status)
{
    const auto show = [&status](const std::string &text) {
        if (status) {
            status(text);
        }
    };
    TWordExportResult result;
    size_t position = 0;
    bool opened = false;
    try {
        show("Launching Word...");
        processor.Connect();
        show("Opening Document...");
        processor.NewDocument(templatePath);
        opened = true;
        for (position = 0; position < values.size(); ++position) {
            show("Processing Field " + std::to_string(position) + " of " +
                 std::to_string(values.size()));
            processor.SetFormFieldResult(values[position].Field, values[position].Text);
        }
        show("Activating Word...");
        processor.Activate();
        result.Completed = true;
        return result;
    } catch (const std::exception &error) {
        result.Error = error.what();
        if (opened && position < values.size()) {
            result.FailedPosition = static_cast<int32_t>(position);
            result.Error = "Field " + std::to_string(values[position].Field) + " (value " +
                std::to_string(position) + " of " + std::to_string(values.size()) +
                "): " + result.Error;
            try {
                const std::string kept = processor.KeepPartialDocument();
                if (!kept.empty()) {
                    result.Error += "\rThe document as far as it was filled is " +
                        Utf8ToWindows1252(kept) + ".";
                }
            } catch (const std::exception &keeping) {
                result.Error += "\r" + std::string(keeping.what());
            }
        }
    }
    return result;
}

std::string PoolApplicationTemplate(const std::string &programFolder, bool use2003)
{
    return ResolveFileName(programFolder + "docs/" + (use2003 ? "MAApp03.DOC" : "MAApp07.DOCX"));
}

bool UseOffice2003PoolApplication()
{
    return TIniFile("QORWC.ini").ReadBool("General", "Use2003MAAppNot2007", true);
}

std::string PoolApplicationFileName(const std::string &folder, const TVereDivoQuote &quote)
{
    std::string name = FileNamePart(quote.Customer().Company(), "New Customer") + " - " +
        FileNamePart(quote.StateCode, "MA") + " Pool Application";
    if (quote.QuoteId > 0) {
        name += " - Quote " + std::to_string(quote.QuoteId);
    }
    return IncludeTrailingSlash(folder) + Windows1252ToUtf8(name) + ".docx";
}

TDocumentTarget ChooseDocumentTarget(const std::string &path)
{
    if (!FileExists(path)) {
        return {path, false};
    }
    const std::string stem = ChangeFileExt(path, "");
    const std::string extension = ExtractFileExt(path);
    std::string next;
    for (int n = 2;; ++n) {
        next = stem + " (" + std::to_string(n) + ")" + extension;
        if (!FileExists(next)) {
            break;
        }
    }
    const Prompter::Answer answer = AskYesNoCancel(
        "The document " + Utf8ToWindows1252(ExtractFileName(path)) +
            " exists already.\rReplace it?  (No keeps it and writes the new one as " +
            Utf8ToWindows1252(ExtractFileName(next)) + ".)",
        {}, Prompter::Answer::No);
    switch (answer) {
    case Prompter::Answer::Yes:
        return {path, true};
    case Prompter::Answer::No:
        return {next, false};
    default:
        return {};
    }
}

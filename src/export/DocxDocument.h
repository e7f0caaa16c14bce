#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// A Word document (DOCX) that cannot be read, filled or written; the message says which file
// and why.
class EDocumentError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One fillable field of a document, as the word processor numbers them: the legacy form fields
// (text, check box, drop-down) and the content controls of the main text, in document order.
struct TDocumentField
{
    enum class Kind { Text, CheckBox, DropDown, ContentControl };
    Kind FieldKind = Kind::Text;
    std::string Name; // the form field's name or the content control's tag (UTF-8)
    std::string Result; // the text shown (check boxes: "1" or "0"), UTF-8
};

// A DOCX file opened from a template: its form fields can be read and given results, and the
// whole package written under another name. Only the main text (word/document.xml) changes;
// every other part of the package is copied as it was.
class TDocxDocument
{
public:
    // Reads the package and its main text; raises EDocumentError for anything but a readable
    // DOCX.
    explicit TDocxDocument(const std::string &path);
    ~TDocxDocument();
    TDocxDocument(const TDocxDocument &) = delete;
    TDocxDocument &operator=(const TDocxDocument &) = delete;

    int32_t FieldCount() const;
    // Field `index` (from 1, as the word processor's form fields are numbered).
    TDocumentField Field(int32_t index) const;
    std::vector<TDocumentField> Fields() const;

    // Sets the result of form field `index` (from 1) to `text` (Windows-1252, as the engine
    // holds it), in the formatting of the field's first result run. A check box is ticked by
    // "1", "X", "Y", "Yes", "T", "True" or "On" and cleared by anything else; a drop-down takes
    // the entry whose text matches. A missing field or entry raises EDocumentError and
    // changes nothing.
    void SetFieldResult(int32_t index, const std::string &text);

    // The main text with every field's result left out, paragraphs ending in "\n": what a
    // filling must never change.
    std::string TextOutsideFields() const;

    // Writes the package to `path` through a temporary file in the same folder, so the target
    // is either the whole new document or untouched. `replace` false refuses an existing
    // target (EDocumentError) even when it appears meanwhile.
    void SaveAs(const std::string &path, bool replace) const;

    const std::string &TemplatePath() const { return m_path; }

private:
    // Raises EDocumentError naming the field and the count when there is no field `index`.
    void RequireField(int32_t index) const;

    struct TImpl;
    std::unique_ptr<TImpl> m_impl;
    std::string m_path;
};

#pragma once

#include "core/Canvas.h"

#include <QBuffer>
#include <QPdfWriter>

#include <memory>
#include <stdexcept>
#include <string>

class QtCanvas;

// A PDF that could not be written; the message names the file and the reason.
class EPdfError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A PDF file written whole or not at all: the pages are drawn in memory and the file appears at
// its path only when Finish succeeds, so a failure never leaves half a PDF that looks good.
// Text stays text (searchable, copyable); the title and author go into the document
// information.
class TPdfDocument
{
public:
    // Pages of width × height units at `dpi` units per inch, without margins.
    TPdfDocument(std::string path, int32_t width, int32_t height, int32_t dpi,
                 const std::string &title, const std::string &author);
    ~TPdfDocument();
    TPdfDocument(const TPdfDocument &) = delete;
    TPdfDocument &operator=(const TPdfDocument &) = delete;

    Canvas &Page();
    // Ends the document and writes the file; raises EPdfError when it cannot be written.
    void Finish();

private:
    std::string m_path;
    std::string m_author;
    QBuffer m_buffer;
    QPdfWriter m_writer;
    std::unique_ptr<QtCanvas> m_canvas;
};

// Adds the author to the document information of a PDF written by Qt (which has no author
// field), as an incremental update at the end of the file. Raises EPdfError when the file does
// not have the shape Qt writes.
void AddPdfAuthor(QByteArray &pdf, const std::string &author);

#pragma once

// What a quote sends out: its worksheet as a PDF or on a printer, and the delivered documents
// that go with it, each as a printer job of its own.

#include "rating/DocumentList.h"

#include <stdexcept>
#include <string>
#include <vector>

class QPrinter;
class TVereDivoQuote;

// A printer job that could not start or finish; the message names the printer.
class EPrinterError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The printer as messages name it: its output file when it prints to one, else its name.
std::string PrinterDisplayName(const QPrinter &printer);

// "wcquote.pdf" in the program folder: where the PDF goes when no path is named. A program
// folder the user cannot write (an installed program) gives the per-user state folder instead.
std::string DefaultWorksheetPdfPath(const TVereDivoQuote &quote);

// The worksheet as the single 800 × 1400 page of a PDF at 96 dots per inch (the standard
// screen resolution, whatever the screen), without the closing text. The file is written whole
// or not at all; EPdfError says why not.
void WriteWorksheetPdf(TVereDivoQuote &quote, const std::string &path);

// The worksheet on the printer as one job, pages breaking, with the plan's closing text. The job
// is ended also when drawing fails; EPrinterError when it cannot start or finish.
void PrintWorksheetOn(QPrinter &printer, TVereDivoQuote &quote);

// A delivered document as a job of its own: its title centred in 14-point Times New Roman, the
// text in 10 points with margins of 0.75 inch. A missing file is reported ("The document ...
// does not exist") and no job is started; false then.
bool PrintDocumentOn(QPrinter &printer, const std::string &title, const std::string &path);

// Each document as a job of its own (the hourglass shows while they print), after
// `jobsBefore` jobs already printed on the printer. A printer printing to a file gives each job
// after the first a file of its own ("quote (2).pdf", "quote (3).pdf"...), so no job overwrites
// the one before; the printer's name comes back after. A missing document is reported and
// passed over.
void PrintDocumentsOn(QPrinter &printer, const std::vector<TDocument> &documents,
                      int jobsBefore = 0);

// The worksheet, then each document as a job of its own (see PrintDocumentsOn).
void PrintWorksheetWithDocuments(QPrinter &printer, TVereDivoQuote &quote,
                                 const std::vector<TDocument> &documents);

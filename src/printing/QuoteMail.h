#pragma once

// The quote e-mail: the worksheet PDF attached to a short message for the insured, handed to
// the desktop's mail program, or written as a message file a mail program opens.

#include <string>

class TVereDivoQuote;

struct TQuoteMail
{
    std::string Subject;
    std::string Body; // lines end with CR LF
    std::string Attachment; // the PDF's path
    std::string Sender; // the agency's name
    std::string SenderAddress; // the agency's e-mail address; may be empty
};

// The message for a quote: "Estimated Workers Compensation Quotation", the greeting of the
// customer's first name, the total estimated premium and the agency's phone number.
TQuoteMail QuoteMail(const TVereDivoQuote &quote, const std::string &attachment);

// Writes a standard Internet message file (MIME, the attachment in base64, CR LF line ends)
// marked unsent, so a mail program opens it as a message to send. Without the agency's address
// the sender is the user's own address on this computer. Written whole or not at all;
// raises std::runtime_error naming the file when it cannot be written.
void WriteMailMessage(const TQuoteMail &mail, const std::string &path);

// Where the e-mail went.
struct TMailHandOff
{
    bool MailProgram = false; // the desktop's mail program took it
    std::string MessageFile; // else the message file written beside the attachment
};

// Hands the mail to the desktop's mail program ("xdg-email" on the PATH); when there is none,
// or it fails, writes "wcquote.eml" beside the attachment and opens it with the desktop.
TMailHandOff HandOffMail(const TQuoteMail &mail);

// The "&Email Quote" command for a quote that passed the output check: the worksheet PDF at its
// default path, the body file "wcemail.txt" in the temporary folder, the hand-off, and the
// messages the user sees (where a message file was left).
void EmailQuote(TVereDivoQuote &quote);

// "Save as PDF" to a chosen path: writes the worksheet PDF, asks "Show the PDF that was just
// created?" and opens it with the desktop on Yes. A PDF that cannot be written is reported;
// false then.
bool SaveQuotePdf(TVereDivoQuote &quote, const std::string &path);

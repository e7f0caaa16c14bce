#include "printing/QuoteMail.h"

// Before any Qt header: Qt's "signals" keyword breaks the GLib headers.
#include <gmime/gmime.h>

#include "core/Encoding.h"
#include "core/Log.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "printing/PdfDocument.h"
#include "printing/QuoteOutput.h"
#include "rating/VereDivoQuote.h"

#include <QDesktopServices>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

#include <fstream>
#include <memory>
#include <stdexcept>

namespace {

const char *const kReaderAddress = "https://get.adobe.com/reader/";

QString ToQt(const std::string &text)
{
    return QString::fromStdString(Windows1252ToUtf8(text));
}

// GLib objects released with their owner's reference.
struct TUnref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
template<typename T>
using TGObject = std::unique_ptr<T, TUnref>;

void InitMime()
{
    static const bool done = [] {
        g_mime_init();
        return true;
    }();
    (void)done;
}

bool OpenWithDesktop(const std::string &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQt(path)));
}

} // namespace

TQuoteMail QuoteMail(const TVereDivoQuote &quote, const std::string &attachment)
{
    TQuoteMail mail;
    mail.Subject = "Estimated Workers Compensation Quotation";
    mail.Attachment = attachment;
    const TAgencyAddress agency = quote.Application().Agency();
    mail.Sender = Trim(agency.Name);
    mail.SenderAddress = Trim(agency.EMail);
    mail.Body = "To: " + Trim(quote.Customer().FirstName()) + "\r\n" +
        "Your quote for Workers Compensation Insurance is attached to this email.  The "
        "total estimated premium is " +
        MoneyText(quote.Results.TotalPremium) + ".00.  Please contact me at " + agency.Phone +
        " if you have any questions.  Thank you." +
        "NOTE: The attached quote requires the FREE Adobe Acrobat Reader to view.\r\n" +
        "If you don't already have it, go to " + kReaderAddress + "\r\n";
    return mail;
}

void WriteMailMessage(const TQuoteMail &mail, const std::string &path)
{
    std::string pdf;
    if (!ReadFileBytes(mail.Attachment, pdf)) {
        throw std::runtime_error("The attachment " + mail.Attachment + " could not be read.");
    }
    InitMime();
    TGObject<GMimeMessage> message(g_mime_message_new(TRUE));
    const TMachineInfo machine = ReadMachineInfo();
    const bool ownDomain = machine.userDomain == "UnnamedDomain" || machine.userDomain.empty();
    const std::string address = !mail.SenderAddress.empty() ? mail.SenderAddress
                                                            : machine.userName + "@" +
            machine.computerName + (ownDomain ? std::string() : "." + machine.userDomain);
    g_mime_message_add_mailbox(message.get(), GMIME_ADDRESS_TYPE_FROM,
                               Windows1252ToUtf8(mail.Sender).c_str(), address.c_str());
    g_mime_message_set_subject(message.get(), Windows1252ToUtf8(mail.Subject).c_str(), "utf-8");
    GDateTime *now = g_date_time_new_now_local();
    g_mime_message_set_date(message.get(), now);
    g_date_time_unref(now);
    char *id = g_mime_utils_generate_message_id(machine.computerName.c_str());
    g_mime_message_set_message_id(message.get(), id);
    g_free(id);
    // Mail programs open a message marked unsent as one to send.
    g_mime_object_set_header(GMIME_OBJECT(message.get()), "X-Unsent", "1", nullptr);

    TGObject<GMimeTextPart> body(g_mime_text_part_new_with_subtype("plain"));
    g_mime_text_part_set_text(body.get(), Windows1252ToUtf8(mail.Body).c_str());

    TGObject<GMimePart> attachment(g_mime_part_new_with_type("application", "pdf"));
    g_mime_part_set_filename(attachment.get(), ExtractFileName(mail.Attachment).c_str());
    g_mime_object_set_disposition(GMIME_OBJECT(attachment.get()), "attachment");
    TGObject<GMimeStream> bytes(g_mime_stream_mem_new_with_buffer(pdf.data(), pdf.size()));
    TGObject<GMimeDataWrapper> content(
        g_mime_data_wrapper_new_with_stream(bytes.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(attachment.get(), content.get());
    g_mime_part_set_content_encoding(attachment.get(), GMIME_CONTENT_ENCODING_BASE64);

    TGObject<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
    g_mime_multipart_add(mixed.get(), GMIME_OBJECT(body.get()));
    g_mime_multipart_add(mixed.get(), GMIME_OBJECT(attachment.get()));
    g_mime_message_set_mime_part(message.get(), GMIME_OBJECT(mixed.get()));

    GMimeFormatOptions *options = g_mime_format_options_clone(nullptr);
    g_mime_format_options_set_newline_format(options, GMIME_NEWLINE_FORMAT_DOS);
    char *text = g_mime_object_to_string(GMIME_OBJECT(message.get()), options);
    g_mime_format_options_free(options);
    const QByteArray written(text);
    g_free(text);

    QSaveFile file(ToQt(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(written) != written.size() ||
        !file.commit()) {
        throw std::runtime_error("The message file " + path + " could not be written: " +
                                 Utf8ToWindows1252(file.errorString().toStdString()));
    }
}

TMailHandOff HandOffMail(const TQuoteMail &mail)
{
    TMailHandOff handOff;
    const QString mailer = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (!mailer.isEmpty()) {
        QProcess process;
        process.start(mailer,
                      {QStringLiteral("--utf8"), QStringLiteral("--subject"), ToQt(mail.Subject),
                       QStringLiteral("--body"), ToQt(mail.Body), QStringLiteral("--attach"),
                       ToQt(mail.Attachment)});
        handOff.MailProgram = process.waitForFinished(60000) &&
            process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (!handOff.MailProgram) {
            process.kill();
        }
    }
    if (!handOff.MailProgram) {
        handOff.MessageFile = ExtractFilePath(mail.Attachment) + "wcquote.eml";
        WriteMailMessage(mail, handOff.MessageFile);
        OpenWithDesktop(handOff.MessageFile);
    }
    return handOff;
}

void EmailQuote(TVereDivoQuote &quote)
{
    const std::string target = DefaultWorksheetPdfPath(quote);
    try {
        WriteWorksheetPdf(quote, target);
    } catch (const EPdfError &error) {
        ShowError(error.what());
        return;
    }
    const std::string pdf = ResolveFileName(ExtractFilePath(target) + "WCQuote.pdf");
    if (!FileExists(pdf)) {
        ShowError("The PDF File (" + pdf + ") needed for emailng doesn't exist.  " +
                  "Please contact technical support");
        return;
    }
    const TQuoteMail mail = QuoteMail(quote, pdf);
    std::ofstream(TempFolder() + "wcemail.txt", std::ios::binary | std::ios::trunc) << mail.Body;
    try {
        const TMailHandOff handOff = HandOffMail(mail);
        if (!handOff.MailProgram) {
            ShowInformation("No mail program took the quote, so it was saved as an e-mail "
                            "message with the quote attached:\r" +
                            handOff.MessageFile +
                            "\rOpen it with your mail program to send it to the insured.");
        }
    } catch (const std::runtime_error &error) {
        ShowError(error.what());
    }
}

bool SaveQuotePdf(TVereDivoQuote &quote, const std::string &path)
{
    try {
        WriteWorksheetPdf(quote, path);
    } catch (const EPdfError &error) {
        ShowError(error.what());
        return false;
    }
    if (AskYesNo("Show the PDF that was just created?")) {
        OpenWithDesktop(path);
    }
    return true;
}

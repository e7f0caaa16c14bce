#include "printing/PdfDocument.h"

#include "core/Encoding.h"
#include "printing/QtCanvas.h"

#include <QPageLayout>
#include <QPageSize>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

QString ToQt(const std::string &text)
{
    return QString::fromStdString(Windows1252ToUtf8(text));
}

// A PDF text string in UTF-16 with its byte-order mark, written as hex.
QByteArray PdfTextString(const std::string &text)
{
    QByteArray utf16("\xfe\xff", 2);
    for (const char16_t unit : ToQt(text).toStdU16String()) {
        utf16.append(static_cast<char>(unit >> 8));
        utf16.append(static_cast<char>(unit & 0xff));
    }
    return "<" + utf16.toHex().toUpper() + ">";
}

[[noreturn]] void Malformed()
{
    throw EPdfError("The PDF document could not be completed: its trailer was not found.");
}

} // namespace

void AddPdfAuthor(QByteArray &pdf, const std::string &author)
{
    const qsizetype trailerAt = pdf.lastIndexOf("trailer");
    const qsizetype startAt = pdf.lastIndexOf("startxref");
    if (trailerAt < 0 || startAt < trailerAt) {
        Malformed();
    }
    const QString trailer = QString::fromLatin1(pdf.mid(trailerAt, startAt - trailerAt));
    const auto size = QRegularExpression(QStringLiteral("/Size\\s+(\\d+)")).match(trailer);
    const auto root =
        QRegularExpression(QStringLiteral("/Root\\s+(\\d+\\s+\\d+)\\s+R")).match(trailer);
    const auto info =
        QRegularExpression(QStringLiteral("/Info\\s+(\\d+)\\s+0\\s+R")).match(trailer);
    const auto previous = QRegularExpression(QStringLiteral("startxref\\s+(\\d+)"))
                              .match(QString::fromLatin1(pdf.mid(startAt)));
    if (!size.hasMatch() || !root.hasMatch() || !info.hasMatch() || !previous.hasMatch()) {
        Malformed();
    }
    // The information dictionary as Qt wrote it, with the author added.
    const QByteArray infoNumber = info.captured(1).toLatin1();
    const qsizetype objectAt = pdf.indexOf("\n" + infoNumber + " 0 obj");
    const qsizetype open = objectAt < 0 ? -1 : pdf.indexOf("<<", objectAt);
    const qsizetype end = open < 0 ? -1 : pdf.indexOf("endobj", open);
    const qsizetype close = end < 0 ? -1 : pdf.lastIndexOf(">>", end);
    if (close <= open) {
        Malformed();
    }
    const QByteArray entries = pdf.mid(open + 2, close - open - 2);

    if (!pdf.endsWith('\n')) {
        pdf.append('\n');
    }
    const qsizetype infoOffset = pdf.size();
    pdf.append(infoNumber + " 0 obj\n<<\n/Author " + PdfTextString(author) + entries +
               ">>\nendobj\n");
    const qsizetype xrefOffset = pdf.size();
    pdf.append("xref\n" + infoNumber + " 1\n" +
               QByteArray::number(infoOffset).rightJustified(10, '0') + " 00000 n \n");
    pdf.append("trailer\n<<\n/Size " + size.captured(1).toLatin1() + "\n/Root " +
               root.captured(1).toLatin1() + " R\n/Info " + infoNumber + " 0 R\n/Prev " +
               previous.captured(1).toLatin1() + "\n>>\nstartxref\n" +
               QByteArray::number(xrefOffset) + "\n%%EOF\n");
}

TPdfDocument::TPdfDocument(std::string path, int32_t width, int32_t height, int32_t dpi,
                           const std::string &title, const std::string &author)
    : m_path(std::move(path)), m_author(author), m_writer(&m_buffer)
{
    m_buffer.open(QIODevice::WriteOnly);
    m_writer.setResolution(dpi);
    const QPageSize size(QSizeF(width * 72.0 / dpi, height * 72.0 / dpi), QPageSize::Point,
                         QString(), QPageSize::ExactMatch);
    m_writer.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF()));
    m_writer.setTitle(ToQt(title));
    m_writer.setCreator(QStringLiteral("Veredivo"));
    m_canvas = std::make_unique<QtCanvas>(m_writer);
    if (!m_canvas->Begin()) {
        throw EPdfError("The PDF document " + m_path + " could not be started.");
    }
}

TPdfDocument::~TPdfDocument() = default;

Canvas &TPdfDocument::Page()
{
    return *m_canvas;
}

void TPdfDocument::Finish()
{
    if (!m_canvas->End()) {
        throw EPdfError("The PDF document " + m_path + " could not be completed.");
    }
    QByteArray pdf = m_buffer.data();
    AddPdfAuthor(pdf, m_author);
    QSaveFile file(ToQt(m_path));
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit()) {
        throw EPdfError("The PDF file " + m_path + " could not be written: " +
                        Utf8ToWindows1252(file.errorString().toStdString()));
    }
}

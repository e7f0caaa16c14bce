#include "DocxFiles.h"

#include <zip.h>

#include <stdexcept>
#include <vector>

std::string LegacyTextField(const std::string &name, const std::string &result,
                            const std::string &format)
{
    return "<w:r>" + format + "<w:fldChar w:fldCharType=\"begin\"><w:ffData><w:name w:val=\"" +
        name +
        "\"/><w:enabled/><w:textInput/></w:ffData></w:fldChar></w:r>"
        "<w:r>" +
        format + "<w:instrText xml:space=\"preserve\"> FORMTEXT </w:instrText></w:r><w:r>" +
        format + "<w:fldChar w:fldCharType=\"separate\"/></w:r>" +
        (result.empty()
             ? std::string()
             : "<w:r>" + format + "<w:t xml:space=\"preserve\">" + result + "</w:t></w:r>") +
        "<w:r>" + format + "<w:fldChar w:fldCharType=\"end\"/></w:r>";
}

std::string PlaceholderControl(const std::string &tag)
{
    return "<w:sdt><w:sdtPr><w:tag w:val=\"" + tag +
        "\"/><w:showingPlcHdr/></w:sdtPr><w:sdtContent><w:r><w:rPr><w:rStyle "
        "w:val=\"PlaceholderText\"/><w:b/></w:rPr><w:t>Click here to enter "
        "text.</w:t></w:r></w:sdtContent></w:sdt>";
}

std::string Paragraph(const std::string &runs)
{
    return "<w:p>" + runs + "</w:p>";
}

void WriteDocx(const std::string &path, const std::string &body)
{
    const std::vector<std::pair<std::string, std::string>> parts = {
        {"[Content_Types].xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default "
         "Extension=\"rels\" "
         "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Default "
         "Extension=\"xml\" ContentType=\"application/xml\"/><Override "
         "PartName=\"/word/document.xml\" "
         "ContentType=\"application/"
         "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>"},
        {"_rels/.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
         "Id=\"rId1\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
         "officeDocument\" Target=\"word/document.xml\"/></Relationships>"},
        {"word/document.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document "
         "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
             body + "</w:body></w:document>"},
    };
    int code = 0;
    zip_t *archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        throw std::runtime_error("cannot create " + path);
    }
    for (const auto &[name, text] : parts) {
        zip_source_t *source = zip_source_buffer(archive, text.data(), text.size(), 0);
        if (!source || zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            throw std::runtime_error("cannot add " + name);
        }
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        throw std::runtime_error("cannot write " + path);
    }
}

std::map<std::string, std::string> ReadParts(const std::string &path)
{
    int code = 0;
    zip_t *archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (!archive) {
        throw std::runtime_error("cannot open " + path);
    }
    std::map<std::string, std::string> parts;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t info;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &info);
        std::string data(static_cast<size_t>(info.size), '\0');
        zip_file_t *file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        if (!file ||
            zip_fread(file, data.data(), info.size) != static_cast<zip_int64_t>(info.size)) {
            if (file) {
                zip_fclose(file);
            }
            zip_discard(archive);
            throw std::runtime_error("cannot read " + std::string(info.name) + " of " + path);
        }
        zip_fclose(file);
        parts[info.name] = data;
    }
    zip_discard(archive);
    return parts;
}

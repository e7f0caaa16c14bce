#include "macro/MacroXml.h"

#include "core/Encoding.h"
#include "core/Paths.h"
#include "core/Text.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

bool IsValidUtf8(std::string_view bytes)
{
    size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        size_t extra = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
        } else {
            return false;
        }
        if (i + extra >= bytes.size()) {
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += extra + 1;
    }
    return true;
}

// The encoding named by the XML declaration, upper-cased; empty without one.
std::string DeclaredEncoding(std::string_view bytes)
{
    if (bytes.substr(0, 5) != "<?xml") {
        return {};
    }
    const size_t end = bytes.find("?>");
    const std::string_view declaration = bytes.substr(0, end);
    const size_t at = declaration.find("encoding");
    if (at == std::string_view::npos) {
        return {};
    }
    size_t quote = declaration.find_first_of("\"'", at);
    if (quote == std::string_view::npos) {
        return {};
    }
    const size_t close = declaration.find(declaration[quote], quote + 1);
    if (close == std::string_view::npos) {
        return {};
    }
    return UpperCase(declaration.substr(quote + 1, close - quote - 1));
}

} // namespace

bool LoadXmlText(std::string_view bytes, pugi::xml_document &document, std::string &error)
{
    std::string utf8;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        utf8 = std::string(bytes.substr(3));
    } else {
        const std::string declared = DeclaredEncoding(bytes);
        const bool isUtf8 =
            declared == "UTF-8" || declared == "UTF8" || (declared.empty() && IsValidUtf8(bytes));
        utf8 = isUtf8 ? std::string(bytes) : Windows1252ToUtf8(bytes);
    }
    const pugi::xml_parse_result result =
        document.load_buffer(utf8.data(), utf8.size(), kParseOptions, pugi::encoding_utf8);
    if (!result) {
        error = std::string(result.description()) + " at byte " + IntText(result.offset);
        return false;
    }
    if (!document.document_element()) {
        error = "no root element";
        return false;
    }
    return true;
}

bool LoadXmlFile(const std::string &path, pugi::xml_document &document, std::string &error)
{
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        error = FileExists(path) ? "file cannot be read" : "file not found";
        return false;
    }
    return LoadXmlText(bytes, document, error);
}

void SaveXmlFile(const pugi::xml_document &document, const std::string &path)
{
    std::ostringstream text;
    text << "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n";
    document.save(text, "  ", pugi::format_indent | pugi::format_no_declaration,
                  pugi::encoding_utf8);
    const std::string bytes = Utf8ToWindows1252(text.str());
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            throw std::runtime_error("Unable to write " + path);
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::remove(temporary.c_str());
        throw std::runtime_error("Unable to write " + path + ": " + ec.message());
    }
}

std::string XmlText(const pugi::xml_node &node)
{
    return Utf8ToWindows1252(node.text().get());
}

pugi::xml_node ChildNoCase(const pugi::xml_node &parent, std::string_view name)
{
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && SameText(child.name(), name)) {
            return child;
        }
    }
    return {};
}

std::string ChildText(const pugi::xml_node &parent, const char *name, std::string_view def)
{
    const pugi::xml_node child = parent.child(name);
    return child ? XmlText(child) : std::string(def);
}

std::string AttributeText(const pugi::xml_node &node, const char *name)
{
    return Utf8ToWindows1252(node.attribute(name).value());
}

pugi::xml_node AppendTextChild(pugi::xml_node &parent, const char *name, std::string_view text)
{
    pugi::xml_node child = parent.append_child(name);
    if (!text.empty()) {
        child.append_child(pugi::node_pcdata).set_value(Windows1252ToUtf8(text).c_str());
    }
    return child;
}

pugi::xml_node AppendCDataChild(pugi::xml_node &parent, const char *name, std::string_view text)
{
    pugi::xml_node child = parent.append_child(name);
    child.append_child(pugi::node_cdata).set_value(Windows1252ToUtf8(text).c_str());
    return child;
}

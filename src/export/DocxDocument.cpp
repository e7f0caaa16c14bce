// A DOCX package opened from a template: the form fields of its main text, counted and filled
// the way the word processor numbers them, and the package written whole or not at all.

#include "export/DocxDocument.h"

#include "core/Encoding.h"
#include "core/Paths.h"
#include "core/Text.h"

#include <pugixml.hpp>
#include <zip.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sstream>
#include <unistd.h>

namespace {

const char *const WordNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
const char *const MainPart = "word/document.xml";

std::string ZipMessage(zip_t *archive)
{
    return archive ? zip_strerror(archive) : "unknown error";
}

std::string ZipOpenMessage(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

// XML 1.0 takes no control characters but tab, line feed and carriage return; a value holding
// one would make the whole document unreadable.
std::string XmlSafe(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 || c == '\t' || c == '\n' || c == '\r') {
            out += c;
        }
    }
    return out;
}

bool IsTicked(const std::string &text)
{
    const std::string value = Trim(text);
    for (const char *yes : {"1", "X", "Y", "YES", "T", "TRUE", "ON"}) {
        if (SameText(value, yes)) {
            return true;
        }
    }
    return false;
}

bool FalseValue(const char *value)
{
    return SameText(value, "0") || SameText(value, "false") || SameText(value, "off");
}

} // namespace

struct TDocxDocument::TImpl
{
    zip_t *Archive = nullptr;
    pugi::xml_document Xml;
    std::string Prefix; // "w:" (or whatever the main text calls the namespace)

    struct TFieldRef
    {
        TDocumentField::Kind FieldKind = TDocumentField::Kind::Text;
        pugi::xml_node Begin; // the begin fldChar, or the sdt
        pugi::xml_node SeparateRun; // legacy fields with a result part
        pugi::xml_node EndRun;
        std::vector<pugi::xml_node> ResultRuns;
    };
    std::vector<TFieldRef> Fields;
    std::string Outside; // TextOutsideFields of the last scan

    ~TImpl()
    {
        if (Archive) {
            zip_discard(Archive);
        }
    }

    std::string W(const char *local) const { return Prefix + local; }
    // The child element, made when missing.
    pugi::xml_node Child(pugi::xml_node parent, const char *local) const
    {
        pugi::xml_node child = parent.child(W(local).c_str());
        return child ? child : parent.append_child(W(local).c_str());
    }
    // The attribute, made when missing.
    pugi::xml_attribute Attribute(pugi::xml_node node, const char *local) const
    {
        pugi::xml_attribute attribute = node.attribute(W(local).c_str());
        return attribute ? attribute : node.append_attribute(W(local).c_str());
    }
    bool Is(const pugi::xml_node &node, const char *local) const
    {
        return node.type() == pugi::node_element && node.name() == W(local);
    }

    // --- scanning -------------------------------------------------------------------------

    struct TOpen
    {
        TFieldRef Ref;
        std::string Instruction;
        bool Separated = false;
        size_t Slot = 0;
        bool Form() const { return FormKind().has_value(); }
        std::optional<TDocumentField::Kind> FormKind() const
        {
            std::istringstream words(Instruction);
            std::string first;
            words >> first;
            if (SameText(first, "FORMTEXT")) {
                return TDocumentField::Kind::Text;
            }
            if (SameText(first, "FORMCHECKBOX")) {
                return TDocumentField::Kind::CheckBox;
            }
            if (SameText(first, "FORMDROPDOWN")) {
                return TDocumentField::Kind::DropDown;
            }
            return std::nullopt;
        }
    };

    struct TScan
    {
        std::vector<TOpen> Stack;
        std::vector<std::optional<TFieldRef>> Slots;
        std::string Text;
    };

    void Scan()
    {
        TScan scan;
        Walk(Xml.document_element().child(W("body").c_str()), scan);
        Fields.clear();
        for (auto &slot : scan.Slots) {
            if (slot) {
                Fields.push_back(*slot);
            }
        }
        Outside = scan.Text;
    }

    bool InsideFormResult(const TScan &scan) const
    {
        for (const TOpen &open : scan.Stack) {
            if (open.Separated && open.Form()) {
                return true;
            }
        }
        return false;
    }

    void Walk(const pugi::xml_node &parent, TScan &scan)
    {
        for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
            if (child.type() != pugi::node_element) {
                continue;
            }
            const std::string name = child.name();
            // Deleted revisions, the second rendering of drawings and text boxes (a story of
            // their own) hold no fields of the main text.
            if (Is(child, "del") || Is(child, "moveFrom") || Is(child, "txbxContent") ||
                name == "mc:Fallback") {
                continue;
            }
            if (Is(child, "sdt")) {
                TFieldRef ref;
                ref.FieldKind = TDocumentField::Kind::ContentControl;
                ref.Begin = child;
                scan.Slots.emplace_back(ref);
                // Its content is the control's result; nested fields are numbered after it.
                const std::string before = scan.Text;
                Walk(child.child(W("sdtContent").c_str()), scan);
                scan.Text = before;
                continue;
            }
            if (Is(child, "r")) {
                Run(child, scan);
                continue;
            }
            Walk(child, scan);
            if (Is(child, "p")) {
                scan.Text += "\n";
            }
        }
    }

    void Run(const pugi::xml_node &run, TScan &scan)
    {
        bool structural = false;
        for (pugi::xml_node part = run.first_child(); part; part = part.next_sibling()) {
            if (Is(part, "fldChar")) {
                structural = true;
                const std::string type = part.attribute(W("fldCharType").c_str()).value();
                if (type == "begin") {
                    TOpen open;
                    open.Ref.Begin = part;
                    open.Slot = scan.Slots.size();
                    scan.Slots.emplace_back(std::nullopt);
                    scan.Stack.push_back(open);
                } else if (type == "separate" && !scan.Stack.empty()) {
                    scan.Stack.back().Separated = true;
                    scan.Stack.back().Ref.SeparateRun = run;
                } else if (type == "end" && !scan.Stack.empty()) {
                    TOpen open = scan.Stack.back();
                    scan.Stack.pop_back();
                    if (const auto kind = open.FormKind()) {
                        open.Ref.FieldKind = *kind;
                        open.Ref.EndRun = run;
                        scan.Slots[open.Slot] = open.Ref;
                    }
                }
            } else if (Is(part, "instrText")) {
                structural = true;
                if (!scan.Stack.empty() && !scan.Stack.back().Separated) {
                    scan.Stack.back().Instruction += part.text().get();
                }
            }
        }
        if (structural) {
            return;
        }
        if (!scan.Stack.empty() && scan.Stack.back().Separated && scan.Stack.back().Form()) {
            scan.Stack.back().Ref.ResultRuns.push_back(run);
        }
        if (!InsideFormResult(scan)) {
            scan.Text += RunText(run);
        }
    }

    std::string RunText(const pugi::xml_node &run) const
    {
        std::string text;
        for (pugi::xml_node part = run.first_child(); part; part = part.next_sibling()) {
            if (Is(part, "t")) {
                text += part.text().get();
            } else if (Is(part, "tab")) {
                text += "\t";
            } else if (Is(part, "br") || Is(part, "cr")) {
                text += "\n";
            }
        }
        return text;
    }

    // Every run of a content control's content, nested controls' runs included.
    void RunsOf(const pugi::xml_node &parent, std::vector<pugi::xml_node> &runs) const
    {
        for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
            if (Is(child, "r")) {
                runs.push_back(child);
            } else if (child.type() == pugi::node_element) {
                RunsOf(child, runs);
            }
        }
    }

    // --- reading a field ------------------------------------------------------------------

    pugi::xml_node FormData(const TFieldRef &ref) const
    {
        return ref.Begin.child(W("ffData").c_str());
    }

    TDocumentField Describe(const TFieldRef &ref) const
    {
        TDocumentField field;
        field.FieldKind = ref.FieldKind;
        if (ref.FieldKind == TDocumentField::Kind::ContentControl) {
            const pugi::xml_node properties = ref.Begin.child(W("sdtPr").c_str());
            field.Name = properties.child(W("tag").c_str()).attribute(W("val").c_str()).value();
            if (field.Name.empty()) {
                field.Name =
                    properties.child(W("alias").c_str()).attribute(W("val").c_str()).value();
            }
            if (!properties.child(W("showingPlcHdr").c_str())) {
                std::vector<pugi::xml_node> runs;
                RunsOf(ref.Begin.child(W("sdtContent").c_str()), runs);
                for (const pugi::xml_node &run : runs) {
                    field.Result += RunText(run);
                }
            }
            return field;
        }
        const pugi::xml_node data = FormData(ref);
        field.Name = data.child(W("name").c_str()).attribute(W("val").c_str()).value();
        switch (ref.FieldKind) {
        case TDocumentField::Kind::CheckBox: {
            const pugi::xml_node box = data.child(W("checkBox").c_str());
            pugi::xml_node state = box.child(W("checked").c_str());
            bool ticked = false;
            if (state) {
                const pugi::xml_attribute value = state.attribute(W("val").c_str());
                ticked = !value || !FalseValue(value.value());
            } else {
                state = box.child(W("default").c_str());
                ticked = state && !FalseValue(state.attribute(W("val").c_str()).value());
            }
            field.Result = ticked ? "1" : "0";
            break;
        }
        case TDocumentField::Kind::DropDown: {
            const pugi::xml_node list = data.child(W("ddList").c_str());
            const int chosen =
                list.child(W("result").c_str()).attribute(W("val").c_str()).as_int(0);
            int n = 0;
            for (pugi::xml_node entry = list.child(W("listEntry").c_str()); entry;
                 entry = entry.next_sibling(W("listEntry").c_str()), ++n) {
                if (n == chosen) {
                    field.Result = entry.attribute(W("val").c_str()).value();
                }
            }
            break;
        }
        default:
            for (const pugi::xml_node &run : ref.ResultRuns) {
                field.Result += RunText(run);
            }
        }
        return field;
    }

    // --- writing a field ------------------------------------------------------------------

    // Gives `run` the text, keeping only its run properties: tabs and line breaks become the
    // word processor's own marks.
    void SetRunText(pugi::xml_node run, const std::string &utf8)
    {
        for (pugi::xml_node part = run.first_child(); part;) {
            const pugi::xml_node next = part.next_sibling();
            if (!Is(part, "rPr")) {
                run.remove_child(part);
            }
            part = next;
        }
        std::string chunk;
        const auto flush = [&] {
            if (!chunk.empty()) {
                pugi::xml_node t = run.append_child(W("t").c_str());
                t.append_attribute("xml:space") = "preserve";
                t.text().set(chunk.c_str());
                chunk.clear();
            }
        };
        for (size_t i = 0; i < utf8.size(); ++i) {
            const char c = utf8[i];
            if (c == '\t') {
                flush();
                run.append_child(W("tab").c_str());
            } else if (c == '\r' || c == '\n') {
                flush();
                run.append_child(W("br").c_str());
                if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') {
                    ++i;
                }
            } else {
                chunk += c;
            }
        }
        flush();
    }

    void SetLegacyText(TFieldRef &ref, const std::string &utf8)
    {
        pugi::xml_node target;
        if (!ref.ResultRuns.empty()) {
            target = ref.ResultRuns.front();
            for (size_t i = 1; i < ref.ResultRuns.size(); ++i) {
                ref.ResultRuns[i].parent().remove_child(ref.ResultRuns[i]);
            }
        } else {
            // An empty result: a new run after the separator, formatted like the field. A
            // field without a separator gets one before its end.
            pugi::xml_node separator = ref.SeparateRun;
            if (!separator) {
                separator = ref.EndRun.parent().insert_child_before(W("r").c_str(), ref.EndRun);
                if (const pugi::xml_node format = ref.EndRun.child(W("rPr").c_str())) {
                    separator.append_copy(format);
                }
                separator.append_child(W("fldChar").c_str())
                    .append_attribute(W("fldCharType").c_str()) = "separate";
            }
            target = separator.parent().insert_child_after(W("r").c_str(), separator);
            if (const pugi::xml_node format = separator.child(W("rPr").c_str())) {
                target.append_copy(format);
            }
        }
        SetRunText(target, utf8);
    }

    void SetContentControl(TFieldRef &ref, const std::string &utf8)
    {
        pugi::xml_node properties = ref.Begin.child(W("sdtPr").c_str());
        const bool placeholder = properties.remove_child(W("showingPlcHdr").c_str());
        pugi::xml_node content = ref.Begin.child(W("sdtContent").c_str());
        if (!content) {
            content = ref.Begin.append_child(W("sdtContent").c_str());
        }
        std::vector<pugi::xml_node> runs;
        RunsOf(content, runs);
        pugi::xml_node target;
        if (!runs.empty()) {
            target = runs.front();
            for (size_t i = 1; i < runs.size(); ++i) {
                runs[i].parent().remove_child(runs[i]);
            }
            // The placeholder's grey style is not the filled control's formatting.
            pugi::xml_node format = target.child(W("rPr").c_str());
            const pugi::xml_node style = format.child(W("rStyle").c_str());
            if (placeholder && style) {
                format.remove_child(style);
            }
        } else {
            pugi::xml_node holder = content.child(W("p").c_str());
            if (!holder) {
                holder = content;
            }
            target = holder.append_child(W("r").c_str());
        }
        SetRunText(target, utf8);
    }
};

TDocxDocument::TDocxDocument(const std::string &path)
    : m_impl(std::make_unique<TImpl>()), m_path(path)
{
    int code = 0;
    m_impl->Archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (!m_impl->Archive) {
        throw EDocumentError("The document " + path +
                             " cannot be opened as a Word document: " + ZipOpenMessage(code));
    }
    zip_stat_t info;
    zip_stat_init(&info);
    zip_file_t *part = nullptr;
    if (zip_stat(m_impl->Archive, MainPart, 0, &info) != 0 || !(info.valid & ZIP_STAT_SIZE) ||
        !(part = zip_fopen(m_impl->Archive, MainPart, 0))) {
        throw EDocumentError("The document " + path + " is not a Word document: it has no " +
                             MainPart);
    }
    if (info.size > 256u * 1024 * 1024) {
        zip_fclose(part);
        throw EDocumentError("The document " + path + " is too large to be filled");
    }
    std::string xml(static_cast<size_t>(info.size), '\0');
    const zip_int64_t read = zip_fread(part, xml.data(), info.size);
    zip_fclose(part);
    if (read < 0 || static_cast<zip_uint64_t>(read) != info.size) {
        throw EDocumentError("The document " + path +
                             " cannot be read: " + ZipMessage(m_impl->Archive));
    }
    const pugi::xml_parse_result parsed = m_impl->Xml.load_buffer(
        xml.data(), xml.size(),
        pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_declaration, pugi::encoding_utf8);
    if (!parsed) {
        throw EDocumentError("The document " + path + " is damaged: " + MainPart + " " +
                             parsed.description() + " at byte " + std::to_string(parsed.offset));
    }
    const pugi::xml_node root = m_impl->Xml.document_element();
    for (const pugi::xml_attribute &attribute : root.attributes()) {
        const std::string name = attribute.name();
        if (std::strcmp(attribute.value(), WordNamespace) == 0 &&
            (name == "xmlns" || name.rfind("xmlns:", 0) == 0)) {
            m_impl->Prefix = name == "xmlns" ? "" : name.substr(6) + ":";
            break;
        }
    }
    if (!m_impl->Is(root, "document") || !root.child(m_impl->W("body").c_str())) {
        throw EDocumentError("The document " + path + " is not a Word document: " + MainPart +
                             " has no document body");
    }
    m_impl->Scan();
}

TDocxDocument::~TDocxDocument() = default;

int32_t TDocxDocument::FieldCount() const
{
    return static_cast<int32_t>(m_impl->Fields.size());
}

void TDocxDocument::RequireField(int32_t index) const
{
    if (index < 1 || index > FieldCount()) {
        throw EDocumentError("The document has no form field " + std::to_string(index) +
                             " (it has " + std::to_string(FieldCount()) + ").");
    }
}

TDocumentField TDocxDocument::Field(int32_t index) const
{
    RequireField(index);
    return m_impl->Describe(m_impl->Fields[static_cast<size_t>(index - 1)]);
}

std::vector<TDocumentField> TDocxDocument::Fields() const
{
    std::vector<TDocumentField> fields;
    for (const auto &ref : m_impl->Fields) {
        fields.push_back(m_impl->Describe(ref));
    }
    return fields;
}

void TDocxDocument::SetFieldResult(int32_t index, const std::string &text)
{
    RequireField(index);
    TImpl::TFieldRef &ref = m_impl->Fields[static_cast<size_t>(index - 1)];
    const std::string utf8 = XmlSafe(Windows1252ToUtf8(text));
    const auto W = [this](const char *local) { return m_impl->W(local); };
    switch (ref.FieldKind) {
    case TDocumentField::Kind::CheckBox: {
        pugi::xml_node data = m_impl->FormData(ref);
        if (!data) {
            data = ref.Begin.append_child(W("ffData").c_str());
        }
        pugi::xml_node state = m_impl->Child(m_impl->Child(data, "checkBox"), "checked");
        m_impl->Attribute(state, "val") = IsTicked(text) ? "1" : "0";
        break;
    }
    case TDocumentField::Kind::DropDown: {
        pugi::xml_node list = m_impl->FormData(ref).child(W("ddList").c_str());
        int n = 0;
        int found = -1;
        for (pugi::xml_node entry = list.child(W("listEntry").c_str()); entry;
             entry = entry.next_sibling(W("listEntry").c_str()), ++n) {
            if (found < 0 &&
                SameText(Trim(entry.attribute(W("val").c_str()).value()), Trim(utf8))) {
                found = n;
            }
        }
        if (found < 0) {
            throw EDocumentError("Form field " + std::to_string(index) + " offers no entry \"" +
                                 Trim(utf8) + "\".");
        }
        pugi::xml_node result = list.child(W("result").c_str());
        if (!result) {
            result = list.prepend_child(W("result").c_str());
        }
        m_impl->Attribute(result, "val") = found;
        break;
    }
    case TDocumentField::Kind::ContentControl:
        m_impl->SetContentControl(ref, utf8);
        break;
    default:
        m_impl->SetLegacyText(ref, utf8);
    }
    // Runs were added and removed: number the fields again from the changed text.
    m_impl->Scan();
}

std::string TDocxDocument::TextOutsideFields() const
{
    return m_impl->Outside;
}

void TDocxDocument::SaveAs(const std::string &path, bool replace) const
{
    if (!replace && FileExists(path)) {
        throw EDocumentError("The document " + path + " exists already.");
    }
    std::ostringstream text;
    m_impl->Xml.save(text, "", pugi::format_raw, pugi::encoding_utf8);
    const std::string xml = text.str();

    const std::string temporary = path + ".part" + std::to_string(getpid());
    std::remove(temporary.c_str());
    int code = 0;
    zip_t *out = zip_open(temporary.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!out) {
        throw EDocumentError("The document " + path +
                             " cannot be written: " + ZipOpenMessage(code));
    }
    const auto fail = [&](const std::string &why) {
        zip_discard(out);
        std::remove(temporary.c_str());
        throw EDocumentError("The document " + path + " cannot be written: " + why);
    };
    const zip_int64_t count = zip_get_num_entries(m_impl->Archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char *name = zip_get_name(m_impl->Archive, index, ZIP_FL_ENC_RAW);
        if (!name) {
            fail(ZipMessage(m_impl->Archive));
        }
        const bool main = std::strcmp(name, MainPart) == 0;
        zip_source_t *source = main ? zip_source_buffer(out, xml.data(), xml.size(), 0)
                                    : zip_source_zip(out, m_impl->Archive, index, 0, 0, -1);
        if (!source) {
            fail(ZipMessage(out));
        }
        const zip_int64_t added = zip_file_add(out, name, source, ZIP_FL_ENC_RAW);
        if (added < 0) {
            zip_source_free(source);
            fail(ZipMessage(out));
        }
        if (main) {
            zip_set_file_compression(out, static_cast<zip_uint64_t>(added), ZIP_CM_DEFLATE, 0);
        }
    }
    if (zip_close(out) != 0) {
        fail(ZipMessage(out));
    }
    // The whole file on disk before it takes the document's name.
    const int descriptor = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
    if (replace) {
        if (std::rename(temporary.c_str(), path.c_str()) != 0) {
            const std::string why = std::strerror(errno);
            std::remove(temporary.c_str());
            throw EDocumentError("The document " + path + " cannot be written: " + why);
        }
        return;
    }
    // A hard link never replaces a file that appeared since the check above.
    if (::link(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        std::remove(temporary.c_str());
        throw EDocumentError(error == EEXIST ? "The document " + path + " exists already."
                                             : "The document " + path +
                                     " cannot be written: " + std::strerror(error));
    }
    std::remove(temporary.c_str());
}

#include "FakePage.h"

#include "core/Text.h"

namespace {

void Descendants(const FakeNode &node, const std::string &tag,
                 std::vector<std::shared_ptr<FakeNode>> &out)
{
    for (const auto &child : node.children) {
        if (tag.empty() || SameText(child->tag, tag)) {
            out.push_back(child);
        }
        Descendants(*child, tag, out);
    }
}

class FakeElement : public THTMLElement
{
public:
    explicit FakeElement(std::shared_ptr<FakeNode> node) : m_node(std::move(node)) { }

    std::string TagName() const override { return UpperCase(m_node->tag); }
    std::string Attribute(const std::string &name) const override
    {
        const std::string tag = TagName();
        if (SameText(name, "value") && (tag == "INPUT" || tag == "TEXTAREA" || tag == "SELECT")) {
            return m_node->value;
        }
        if (SameText(name, "type") && !m_node->attributes.count("type")) {
            if (tag == "SELECT") {
                return "select-one";
            }
            if (tag == "TEXTAREA") {
                return "textarea";
            }
        }
        const auto found = m_node->attributes.find(LowerCase(name));
        return found == m_node->attributes.end() ? std::string() : found->second;
    }
    std::string InnerText() const override
    {
        std::string text = m_node->text;
        for (const auto &child : m_node->children) {
            text += FakeElement(child).InnerText();
        }
        return text;
    }
    std::string InnerHTML() const override
    {
        std::string html = m_node->text;
        for (const auto &child : m_node->children) {
            html +=
                "<" + child->tag + ">" + FakeElement(child).InnerHTML() + "</" + child->tag + ">";
        }
        return html;
    }
    std::unique_ptr<THTMLElement> Parent() const override
    {
        if (m_node->parent == nullptr) {
            return nullptr;
        }
        return std::make_unique<FakeElement>(m_node->parent->shared_from_this());
    }
    std::vector<std::unique_ptr<THTMLElement>> Tags(const std::string &tag) const override
    {
        return Wrap(*m_node, tag);
    }
    void Click() override { Note("click"); }
    void Focus() override { Note("focus"); }
    void FireEvent(const std::string &name) override { Note(name); }
    std::string Value() const override { return m_node->value; }
    void SetValue(const std::string &value) override
    {
        m_node->value = value;
        Note("=" + value);
    }
    std::vector<THTMLOption> Options() const override { return m_node->options; }
    void SelectOption(int index) override
    {
        for (size_t i = 0; i < m_node->options.size(); ++i) {
            m_node->options[i].Selected = static_cast<int>(i) == index;
        }
        m_node->value = m_node->options.at(static_cast<size_t>(index)).Text;
        Note("#" + IntText(index));
    }
    std::vector<std::unique_ptr<THTMLElement>> Rows() const override { return Wrap(*m_node, "TR"); }
    std::vector<std::unique_ptr<THTMLElement>> Cells() const override
    {
        return Wrap(*m_node, "TD");
    }
    void Submit() override { Note("submit"); }

    static std::vector<std::unique_ptr<THTMLElement>> Wrap(const FakeNode &node,
                                                           const std::string &tag)
    {
        std::vector<std::shared_ptr<FakeNode>> nodes;
        Descendants(node, tag, nodes);
        std::vector<std::unique_ptr<THTMLElement>> elements;
        for (auto &found : nodes) {
            elements.push_back(std::make_unique<FakeElement>(found));
        }
        return elements;
    }

private:
    void Note(const std::string &what)
    {
        if (m_node->journal != nullptr) {
            const auto id = m_node->attributes.find("id");
            m_node->journal->push_back((id == m_node->attributes.end() ? m_node->tag : id->second) +
                                       " " + what);
        }
    }

    std::shared_ptr<FakeNode> m_node;
};

class FakeDocumentView : public THTMLDocument
{
public:
    explicit FakeDocumentView(std::shared_ptr<FakeDocument> document)
        : m_document(std::move(document))
    { }

    std::vector<std::unique_ptr<THTMLElement>> All() const override
    {
        return FakeElement::Wrap(*m_document->root, {});
    }
    std::vector<std::unique_ptr<THTMLElement>> Tags(const std::string &tag) const override
    {
        return FakeElement::Wrap(*m_document->root, tag);
    }
    std::string Text() const override { return FakeElement(m_document->root).InnerText(); }
    std::string Address() const override { return m_document->address; }
    int FrameCount() const override { return static_cast<int>(m_document->frames.size()); }
    std::string FrameName(int index) const override
    {
        return m_document->frames.at(static_cast<size_t>(index)).name;
    }
    std::string FrameAddress(int index) const override
    {
        return m_document->frames.at(static_cast<size_t>(index)).document->address;
    }
    std::unique_ptr<THTMLDocument> Frame(int index) const override
    {
        return std::make_unique<FakeDocumentView>(
            m_document->frames.at(static_cast<size_t>(index)).document);
    }

private:
    std::shared_ptr<FakeDocument> m_document;
};

} // namespace

FakeNode &FakeNode::Add(const std::string &childTag, std::vector<std::string> attributeTexts,
                        const std::string &childText)
{
    auto child = std::make_shared<FakeNode>();
    child->tag = childTag;
    child->text = childText;
    child->parent = this;
    child->journal = journal;
    for (const std::string &attribute : attributeTexts) {
        const size_t equals = attribute.find('=');
        const std::string name = LowerCase(attribute.substr(0, equals));
        const std::string value =
            equals == std::string::npos ? std::string() : attribute.substr(equals + 1);
        child->attributes[name] = value;
        if (name == "value") {
            child->value = value;
        }
    }
    children.push_back(child);
    return *child;
}

FakeDocument::FakeDocument() : root(std::make_shared<FakeNode>())
{
    root->tag = "HTML";
    root->journal = &journal;
}

std::unique_ptr<THTMLDocument> FakeBrowser::Document()
{
    if (!html) {
        return nullptr;
    }
    return std::make_unique<FakeDocumentView>(page);
}

#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

// What the web commands need of an embedded browser and its page: elements found by tag or
// all of them, in document order; attributes, texts, values, list options, table rows and
// cells; clicks, focus, page events, form submission; the frames of a frameset; navigation and
// the ready state. The program implements it over Qt WebEngine; nothing above sees the engine.
// Texts are Windows-1252. A call on an element of a page that has gone raises
// std::runtime_error.

struct THTMLOption
{
    std::string Text;
    bool Selected = false;
};

class THTMLElement
{
public:
    virtual ~THTMLElement() = default;

    // Upper case ("INPUT").
    virtual std::string TagName() const = 0;
    // An absent attribute reads empty. "value" of an input or list reads its current value,
    // "type" of a list "select-one" or "select-multiple", of a text area "textarea".
    virtual std::string Attribute(const std::string &name) const = 0;
    virtual std::string InnerText() const = 0;
    virtual std::string InnerHTML() const = 0;
    // nullptr for the document's root element.
    virtual std::unique_ptr<THTMLElement> Parent() const = 0;
    // Elements of a tag inside this one, in document order.
    virtual std::vector<std::unique_ptr<THTMLElement>> Tags(const std::string &tag) const = 0;

    // As a user's click: the page's scripts run, links are followed, forms submitted.
    virtual void Click() = 0;
    virtual void Focus() = 0;
    // Fires a page event by its handler name ("onchange", "onkeypress"); the page's own
    // handlers run, nothing else happens.
    virtual void FireEvent(const std::string &name) = 0;

    // The value of an input or text area.
    virtual std::string Value() const = 0;
    virtual void SetValue(const std::string &value) = 0;

    // The options of a list, in order; selecting one also deselects the others of a
    // single-choice list.
    virtual std::vector<THTMLOption> Options() const = 0;
    virtual void SelectOption(int index) = 0;

    // The rows of a table and the cells of a row, in order.
    virtual std::vector<std::unique_ptr<THTMLElement>> Rows() const = 0;
    virtual std::vector<std::unique_ptr<THTMLElement>> Cells() const = 0;

    // Posts a form as its submit button would.
    virtual void Submit() = 0;
};

class THTMLDocument
{
public:
    virtual ~THTMLDocument() = default;

    virtual std::vector<std::unique_ptr<THTMLElement>> All() const = 0;
    virtual std::vector<std::unique_ptr<THTMLElement>> Tags(const std::string &tag) const = 0;
    // The text of the body as the user sees it.
    virtual std::string Text() const = 0;
    virtual std::string Address() const = 0;

    // The frames of a frameset, in order: their names, addresses and documents (nullptr when
    // the frame's document cannot be read).
    virtual int FrameCount() const = 0;
    virtual std::string FrameName(int index) const = 0;
    virtual std::string FrameAddress(int index) const = 0;
    virtual std::unique_ptr<THTMLDocument> Frame(int index) const = 0;
};

class TWebBrowser
{
public:
    enum { ReadyStateComplete = 4 };

    virtual ~TWebBrowser() = default;

    // Starts loading an address; completion is told by OnDocumentComplete.
    virtual void Navigate(const std::string &address) = 0;
    // 4 when the top document and its frames are complete and no navigation that a command
    // started is still on its way; less while anything loads.
    virtual int ReadyState() = 0;
    // The top document, or nullptr when the page holds no HTML document.
    virtual std::unique_ptr<THTMLDocument> Document() = 0;

    // A document finished loading: the top one (`top` true) or a frame's, with its address.
    std::function<void(bool top, const std::string &address)> OnDocumentComplete;
};

#pragma once

#include "macro/HtmlDocument.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// An in-memory page for the web commands without a browser engine: a tree of nodes with
// attributes, values and list options; every change and page event is written to a journal
// the tests read.
struct FakeNode : std::enable_shared_from_this<FakeNode>
{
    std::string tag;
    std::map<std::string, std::string> attributes;
    std::string text;
    std::string value;
    std::vector<THTMLOption> options;
    std::vector<std::shared_ptr<FakeNode>> children;
    FakeNode *parent = nullptr;
    std::vector<std::string> *journal = nullptr;

    // Adds a child (attributes as "name=value" texts) and returns it.
    FakeNode &Add(const std::string &childTag, std::vector<std::string> attributeTexts = {},
                  const std::string &childText = {});
};

struct FakeDocument
{
    FakeDocument();
    std::shared_ptr<FakeNode> root;
    std::string address;
    std::vector<std::string> journal;
    struct Frame
    {
        std::string name;
        std::shared_ptr<FakeDocument> document;
    };
    std::vector<Frame> frames;
};

class FakeBrowser : public TWebBrowser
{
public:
    void Navigate(const std::string &address) override { navigated.push_back(address); }
    int ReadyState() override { return readyState; }
    std::unique_ptr<THTMLDocument> Document() override;

    std::shared_ptr<FakeDocument> page = std::make_shared<FakeDocument>();
    bool html = true;
    int readyState = ReadyStateComplete;
    std::vector<std::string> navigated;
};

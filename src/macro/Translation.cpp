#include "macro/Translation.h"

#include "core/Errors.h"
#include "core/Rounding.h"
#include "core/Text.h"
#include "macro/Macro.h"
#include "macro/MacroXml.h"

#include <cmath>
#include <stdexcept>

namespace {

// The element's child text, or the attribute of the same name when there is no child.
std::string OptionPart(const pugi::xml_node &option, const char *name)
{
    const pugi::xml_node child = ChildNoCase(option, name);
    if (child) {
        return XmlText(child);
    }
    for (const pugi::xml_attribute &attribute : option.attributes()) {
        if (SameText(attribute.name(), name)) {
            return AttributeText(option, attribute.name());
        }
    }
    return {};
}

std::vector<pugi::xml_node> Options(const pugi::xml_node &translation)
{
    std::vector<pugi::xml_node> options;
    for (const pugi::xml_node &child : translation.children()) {
        if (child.type() == pugi::node_element && SameText(child.name(), "Option")) {
            options.push_back(child);
        }
    }
    return options;
}

double NumberOf(const std::string &input)
{
    const std::string text = Trim(input);
    return StrToFloat(text.empty() ? std::string("0") : text);
}

// Whole units, halves away from zero (the amounts of these codings fit 64 bits).
int64_t RoundHalfAway(double value)
{
    return static_cast<int64_t>(value < 0 ? -std::floor(-value + 0.5) : std::floor(value + 0.5));
}

std::string Coded(const pugi::xml_node &translation, const std::string &id,
                  const std::string &input)
{
    const std::string upper = UpperCase(id);
    if (upper == "PRETTYDOLLARSNOPAD") {
        return MoneyText(RoundHalfAway(NumberOf(input)));
    }
    if (upper.find("CHECKANDAPPEND") != std::string::npos) {
        const std::vector<pugi::xml_node> options = Options(translation);
        const std::string suffix =
            options.empty() ? std::string() : OptionPart(options[0], "Value");
        const std::string value = Trim(input).empty() ? std::string("0") : input;
        return EndsWithText(value, suffix) ? value : value + suffix;
    }
    if (upper.find("WHOLENUMBERTOPERCENT") != std::string::npos) {
        return MacroFloatText(NumberOf(input) * 0.01);
    }
    if (upper.find("ADDTHOUSANDSCOMMA") != std::string::npos) {
        const double number = NumberOf(input);
        std::string text = GroupedText(RoundHalfAway(number));
        if (number != std::floor(number)) {
            text += ".00";
        }
        return text;
    }
    if (upper.find("PLUSMINUSNUMBERTOPERCENTAGEOFONE") != std::string::npos) {
        return Trim(MacroFloatText(NumberOf(input) * 0.01 + 1));
    }
    return input;
}

} // namespace

std::string TranslateValue(const pugi::xml_document &file, const std::string &topic,
                           const std::string &input)
{
    pugi::xml_node translation;
    const pugi::xml_node root = file.document_element();
    if (SameText(root.name(), "Translation") && AttributeText(root, "id") == topic) {
        translation = root;
    }
    for (pugi::xml_node child = root.first_child(); !translation && child;
         child = child.next_sibling()) {
        if (child.type() == pugi::node_element && SameText(child.name(), "Translation") &&
            AttributeText(child, "id") == topic) {
            translation = child;
        }
    }
    if (!translation) {
        throw std::runtime_error("The specificed Translation was not found: " + topic);
    }
    const std::string type = UpperCase(Trim(XmlText(ChildNoCase(translation, "Type"))));
    const std::vector<pugi::xml_node> options = Options(translation);
    if (type == "NUMERICRANGE") {
        const double number = NumberOf(input);
        for (const pugi::xml_node &option : options) {
            double from = 0;
            double to = 0;
            if (TryStrToFloat(Trim(OptionPart(option, "From")), from) &&
                TryStrToFloat(Trim(OptionPart(option, "To")), to) && from <= number &&
                number <= to) {
                return OptionPart(option, "Value");
            }
        }
        return input;
    }
    if (type == "SUBSTITUTE") {
        std::string result = input;
        for (const pugi::xml_node &option : options) {
            const std::string from = AttributeText(option, "id");
            if (!from.empty()) {
                result = ReplaceAll(result, from, OptionPart(option, "Value"));
            }
        }
        return result;
    }
    if (type == "CODED") {
        return Coded(translation, AttributeText(translation, "id"), input);
    }
    for (const pugi::xml_node &option : options) {
        if (AttributeText(option, "id") == input) {
            return OptionPart(option, "Value");
        }
    }
    return input;
}

std::string TranslateWithFile(const std::string &path, const std::string &topic,
                              const std::string &input)
{
    pugi::xml_document file;
    std::string error;
    if (!LoadXmlFile(path, file, error)) {
        throw std::runtime_error("The translation file " + path + " cannot be read: " + error);
    }
    return TranslateValue(file, topic, input);
}

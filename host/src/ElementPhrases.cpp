#include "ElementPhrases.hpp"

#include "TextEscape.hpp"

namespace richmarkup::host::phrases {

std::string kindPhrase(foundation::json::Kind kind) {
    std::string const name = foundation::json::kindName(kind);
    if (kind == foundation::json::Kind::Null || kind == foundation::json::Kind::Undefined) {
        return name;
    }
    bool const vowel = std::string("aeiou").find(name.front()) != std::string::npos;
    return (vowel ? "an " : "a ") + name;
}

std::string skippedMessage(foundation::json::Value const& element) {
    std::string message = "no builder for className ";
    if (!element.isObject()) {
        message += "<none> (the element is ";
        message += kindPhrase(element.kind());
        message += ", not an object)";
    } else if (!element.hasOwnProperty("className")) {
        message += "<none>";
    } else if (foundation::json::Value const& name = element["className"]; name.isString()) {
        text::appendQuoted(message, name.asString());
    } else {
        message += "<none> (className is ";
        message += kindPhrase(name.kind());
        message += ", not a string)";
    }
    message += "; skipped";
    return message;
}

} // namespace richmarkup::host::phrases

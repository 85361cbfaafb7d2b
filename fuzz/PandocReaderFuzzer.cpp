// Any bytes through the pandoc reader: it reads them or throws ReadError, nothing else, and never
// crashes or hangs. What it reads is rich text as the host builds it: every element an object
// whose string className is a kind that may stand where it is, with the keys that kind needs;
// one place per top-level element. Every message is one line of UTF-8, and every pointer, of a
// place, a warning or an error, names a value of the input, at the line and column TextLocator
// finds for it. A violation aborts with what is wrong and where.
#include "MessageCheck.hpp"

#include <richmarkup/formats/PandocReader.hpp>

#include <foundation/json/TextLocator.hpp>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

using foundation::json::Value;
using richmarkup::formats::PandocReader;
using richmarkup::formats::ReadDocument;
using richmarkup::formats::ReadError;
using richmarkup::formats::SourcePlace;
using richmarkup::fuzz::MessageCheck;

[[noreturn]] void violated(char const* rule, std::string const& what) {
    std::fprintf(stderr, "\n==richmarkup_fuzz_pandoc_reader== %s: %s\n", rule, what.c_str());
    std::abort();
}

enum class Place { Block, Inline, Item, Entry, Line, Code, Row, Cell };

// What each kind holds in "children" (or nothing: no children).
struct KindRule {
    Place standsAt;
    bool hasChildren;
    Place children;
};

std::unordered_map<std::string, KindRule> const& kinds() {
    static std::unordered_map<std::string, KindRule> const rules{
        {"RichTextParagraphNode", {Place::Block, true, Place::Inline}},
        {"HeadingNode", {Place::Block, true, Place::Inline}},
        {"ListParagraph", {Place::Block, true, Place::Item}},
        {"TableOfContentsContainer", {Place::Block, true, Place::Entry}},
        {"CodeExampleBlockNode", {Place::Block, true, Place::Line}},
        {"TableNode", {Place::Block, true, Place::Row}},
        {"ListItem", {Place::Item, true, Place::Inline}},
        {"TableOfContentsHeadingNode", {Place::Entry, true, Place::Inline}},
        {"CodeExampleLineNode", {Place::Line, true, Place::Code}},
        {"TableRowNode", {Place::Row, true, Place::Cell}},
        {"TableCellNode", {Place::Cell, true, Place::Block}},
        {"HyperlinkNode", {Place::Inline, true, Place::Inline}},
        {"RichTextNode", {Place::Inline, false, Place::Inline}},
        {"ImageNode", {Place::Inline, false, Place::Inline}},
        {"EquationNode", {Place::Inline, false, Place::Inline}},
        {"CodeTextNode", {Place::Code, false, Place::Code}},
        {"CodeIndentNode", {Place::Code, false, Place::Code}}};
    return rules;
}

void checkString(Value const& value, char const* key, bool required, std::string const& where) {
    Value const& member = value[key];
    if (member.isUndefined() && !required) {
        return;
    }
    if (!member.isString()) {
        violated("element keys", where + ": \"" + key + "\" is " + member.kindName());
    }
    if (!MessageCheck::validUtf8(member.asString())) {
        violated("UTF-8 text", where + ": \"" + key + "\" " + MessageCheck::printable(member.asString(), 80));
    }
}

void checkWhole(Value const& value, char const* key, bool required, double low, double high, std::string const& where) {
    Value const& member = value[key];
    if (member.isUndefined() && !required) {
        return;
    }
    if (!member.isDouble() || member.asDouble() != std::floor(member.asDouble()) || member.asDouble() < low ||
        member.asDouble() > high) {
        violated("element keys", where + ": \"" + key + "\" is no whole number from " + std::to_string(low) + " to " +
                                     std::to_string(high));
    }
}

// The element and what it holds, as the host would build them; depth-first, as deep as the input.
void checkElement(Value const& element, Place at, std::string const& where) {
    if (!element.isObject() || !element["className"].isString()) {
        violated("elements are objects with a className", where);
    }
    std::string const& kind = element["className"].asString();
    auto const rule = kinds().find(kind);
    if (rule == kinds().end() || rule->second.standsAt != at) {
        violated("elements where they may stand", where + ": " + kind);
    }
    std::string const here = where + " " + kind;
    if (kind == "RichTextNode" || kind == "CodeTextNode") {
        checkString(element, "text", true, here);
    } else if (kind == "CodeExampleBlockNode") {
        checkString(element, "type", true, here);
    } else if (kind == "CodeIndentNode") {
        checkWhole(element, "width", true, 0, 256, here);
    } else if (kind == "HeadingNode") {
        checkWhole(element, "level", true, 0, 255, here);
    } else if (kind == "ImageNode") {
        checkWhole(element, "width", false, 0, 9007199254740991.0, here);
        checkWhole(element, "height", false, 0, 9007199254740991.0, here);
        for (char const* key : {"imgSrc", "altText", "imageId"}) {
            checkString(element, key, false, here);
        }
    } else if (kind == "EquationNode") {
        checkString(element, "texString", true, here);
    }
    for (char const* key : {"anchorId", "alignment"}) {
        checkString(element, key, false, here);
    }
    Value const& children = element["children"];
    if (!rule->second.hasChildren) {
        return;
    }
    if (!children.isArray()) {
        violated("element keys", here + ": no children array");
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        checkElement(children.asArray()[i], rule->second.children, here + "/" + std::to_string(i));
    }
}

void checkMessage(char const* source, std::string const& message) {
    if (auto problem = MessageCheck::problem(message)) {
        violated("one line per message",
                 std::string(source) + " " + MessageCheck::printable(message, 200) + ": " + *problem);
    }
}

// The pointer names a value of the text, at the place's line and column when it has them.
void checkPlace(std::string_view text, SourcePlace const& place, char const* what) {
    foundation::json::TextLocator locator(text);
    auto const found = locator.locate(place.pointer);
    if (!found) {
        violated("pointers name values", std::string(what) + " at " + MessageCheck::printable(place.pointer, 200));
    }
    if (place.line != 0 && (place.line != found->line || place.column != found->column)) {
        violated("lines and columns", std::string(what) + " at " + place.pointer + ": " + std::to_string(place.line) +
                                          ":" + std::to_string(place.column) + ", not " + std::to_string(found->line) +
                                          ":" + std::to_string(found->column));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    std::string_view const text(reinterpret_cast<char const*>(data), size);
    ReadDocument read;
    try {
        read = PandocReader::read(text);
    } catch (ReadError const& error) {
        checkMessage("error", error.what());
        if (error.place().line == 0) {
            violated("errors are located", error.what());
        }
        // A parse error stands where the text is no JSON: only the reader's own are checked so.
        if (std::string_view(error.what()).substr(0, 14) != "malformed JSON") {
            checkPlace(text, error.place(), "error");
        }
        return 0;
    }
    if (read.places.size() != read.elements.size()) {
        violated("a place per element",
                 std::to_string(read.places.size()) + " places, " + std::to_string(read.elements.size()) + " elements");
    }
    for (std::size_t i = 0; i < read.elements.size(); ++i) {
        checkElement(read.elements[i], Place::Block, "/" + std::to_string(i));
    }
    // Each check scans the text: a sample of them keeps a run fast.
    constexpr std::size_t sample = 32;
    for (std::size_t i = 0; i < read.warnings.size(); ++i) {
        checkMessage("warning", read.warnings[i].message);
        if (i < sample) {
            checkPlace(text, read.warnings[i].place, "warning");
        }
    }
    PandocReader::placeLines(text, read.places);
    for (std::size_t i = 0; i < read.places.size() && i < sample; ++i) {
        if (read.places[i].line == 0) {
            violated("placeLines gives every element a line", read.places[i].pointer);
        }
        checkPlace(text, read.places[i], "element");
    }
    return 0;
}

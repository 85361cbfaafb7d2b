#include <richmarkup/formats/PandocReader.hpp>

#include "JsonPlaces.hpp"
#include <richmarkup/formats/TextEscape.hpp>

#include <foundation/json/ParseError.hpp>
#include <foundation/json/Parser.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace richmarkup::formats {

namespace {

namespace json = foundation::json;
using json::Array;
using json::Object;
using json::Value;
using Members = std::vector<Object::value_type>;

// The largest whole number the model keeps exactly (2^53 - 1).
constexpr double maxWhole = 9007199254740991.0;
// Leading spaces of a code line beyond this are text: an indent is at most this wide.
constexpr std::size_t maxIndent = 256;

enum class BlockKind {
    Plain,
    Para,
    LineBlock,
    CodeBlock,
    RawBlock,
    BlockQuote,
    OrderedList,
    BulletList,
    DefinitionList,
    Header,
    HorizontalRule,
    Table,
    Figure,
    Div,
    Null
};

enum class InlineKind {
    Str,
    Emph,
    Underline,
    Strong,
    Strikeout,
    Superscript,
    Subscript,
    SmallCaps,
    Quoted,
    Cite,
    Code,
    Space,
    SoftBreak,
    LineBreak,
    Math,
    RawInline,
    Link,
    Image,
    Note,
    Span
};

BlockKind const* blockKind(std::string_view name) {
    static std::unordered_map<std::string_view, BlockKind> const kinds{{"Plain", BlockKind::Plain},
                                                                       {"Para", BlockKind::Para},
                                                                       {"LineBlock", BlockKind::LineBlock},
                                                                       {"CodeBlock", BlockKind::CodeBlock},
                                                                       {"RawBlock", BlockKind::RawBlock},
                                                                       {"BlockQuote", BlockKind::BlockQuote},
                                                                       {"OrderedList", BlockKind::OrderedList},
                                                                       {"BulletList", BlockKind::BulletList},
                                                                       {"DefinitionList", BlockKind::DefinitionList},
                                                                       {"Header", BlockKind::Header},
                                                                       {"HorizontalRule", BlockKind::HorizontalRule},
                                                                       {"Table", BlockKind::Table},
                                                                       {"Figure", BlockKind::Figure},
                                                                       {"Div", BlockKind::Div},
                                                                       {"Null", BlockKind::Null}};
    auto const found = kinds.find(name);
    return found == kinds.end() ? nullptr : &found->second;
}

InlineKind const* inlineKind(std::string_view name) {
    static std::unordered_map<std::string_view, InlineKind> const kinds{{"Str", InlineKind::Str},
                                                                        {"Emph", InlineKind::Emph},
                                                                        {"Underline", InlineKind::Underline},
                                                                        {"Strong", InlineKind::Strong},
                                                                        {"Strikeout", InlineKind::Strikeout},
                                                                        {"Superscript", InlineKind::Superscript},
                                                                        {"Subscript", InlineKind::Subscript},
                                                                        {"SmallCaps", InlineKind::SmallCaps},
                                                                        {"Quoted", InlineKind::Quoted},
                                                                        {"Cite", InlineKind::Cite},
                                                                        {"Code", InlineKind::Code},
                                                                        {"Space", InlineKind::Space},
                                                                        {"SoftBreak", InlineKind::SoftBreak},
                                                                        {"LineBreak", InlineKind::LineBreak},
                                                                        {"Math", InlineKind::Math},
                                                                        {"RawInline", InlineKind::RawInline},
                                                                        {"Link", InlineKind::Link},
                                                                        {"Image", InlineKind::Image},
                                                                        {"Note", InlineKind::Note},
                                                                        {"Span", InlineKind::Span}};
    auto const found = kinds.find(name);
    return found == kinds.end() ? nullptr : &found->second;
}

// What a warning calls a block that a list item or entry cannot hold.
std::string blockName(std::string_view kind) {
    static std::unordered_map<std::string_view, char const*> const names{{"Plain", "paragraph"},
                                                                         {"Para", "paragraph"},
                                                                         {"LineBlock", "line block"},
                                                                         {"CodeBlock", "code block"},
                                                                         {"RawBlock", "raw block"},
                                                                         {"BlockQuote", "block quote"},
                                                                         {"OrderedList", "nested list"},
                                                                         {"BulletList", "nested list"},
                                                                         {"DefinitionList", "definition list"},
                                                                         {"Header", "heading"},
                                                                         {"HorizontalRule", "rule"},
                                                                         {"Table", "table"},
                                                                         {"Figure", "figure"},
                                                                         {"Div", "div"},
                                                                         {"Null", "empty block"}};
    auto const found = names.find(kind);
    return found == names.end() ? std::string(kind) : found->second;
}

// Class names are shared: every element of a kind holds one handle to one string.
Value const& kindName(char const* name) {
    static std::unordered_map<std::string_view, Value> const names = [] {
        std::unordered_map<std::string_view, Value> made;
        for (char const* kind : {"RichTextNode", "HyperlinkNode", "ImageNode", "EquationNode", "RichTextParagraphNode",
                                 "HeadingNode", "ListParagraph", "ListItem", "TableOfContentsContainer",
                                 "TableOfContentsHeadingNode", "CodeExampleBlockNode", "CodeExampleLineNode",
                                 "CodeTextNode", "CodeIndentNode", "TableNode", "TableRowNode", "TableCellNode"}) {
            made.emplace(kind, Value(kind));
        }
        return made;
    }();
    return names.at(name);
}

Value element(char const* kind, Members members) {
    members.emplace_back("className", kindName(kind));
    return Value(Object(std::move(members)));
}

// Text of the input in a message: quoted and escaped, so that the message stays one line, and
// cut short after 80 bytes (at a character's start).
std::string quoted(std::string_view text) {
    constexpr std::size_t limit = 80;
    if (text.size() <= limit) {
        return text::jsonQuoted(text);
    }
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    std::string out = text::jsonQuoted(text.substr(0, cut));
    out.insert(out.size() - 1, "\u2026");
    return out;
}

// A name of the input (a format, a key) as it stands when it is a plain word, else quoted.
std::string word(std::string_view name) {
    bool const plain = !name.empty() && name.size() <= 40 && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
    return plain ? std::string(name) : quoted(name);
}

// Whether a whole number written in text ("120", "-5"), within the model's range; its value.
bool wholeNumber(std::string_view text, double& value) {
    bool const negative = !text.empty() && text.front() == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 16) {
        return false;
    }
    double number = 0;
    for (char const c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        number = number * 10 + (c - '0');
    }
    if (number > maxWhole) {
        return false;
    }
    value = negative ? -number : number;
    return true;
}

// A run's character formatting.
struct Format {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool monospace = false;

    friend bool operator==(Format const& a, Format const& b) {
        return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline && a.monospace == b.monospace;
    }
};

Value run(std::string text, Format const& format) {
    Members members{{"text", Value(std::move(text))}};
    if (format.bold) {
        members.emplace_back("bold", Value(true));
    }
    if (format.italic) {
        members.emplace_back("italic", Value(true));
    }
    if (format.underline) {
        members.emplace_back("underline", Value(true));
    }
    if (format.monospace) {
        members.emplace_back("monospace", Value(true));
    }
    return element("RichTextNode", std::move(members));
}

// Inline elements as a paragraph holds them: adjacent text of one formatting in one run.
class Inlines {
public:
    void text(std::string_view text, Format const& format) {
        if (text.empty()) {
            return;
        }
        if (!open_ || !(format == format_)) {
            flush();
            open_ = true;
            format_ = format;
        }
        text_ += text;
    }
    void element(Value element) {
        flush();
        items_.push_back(std::move(element));
    }
    // An inline element made elsewhere: a run joins the text around it.
    void add(Value const& inline_) {
        if (inline_["className"] == kindName("RichTextNode") && inline_["text"].isString()) {
            Format format;
            format.bold = inline_["bold"].isBool() && inline_["bold"].asBool();
            format.italic = inline_["italic"].isBool() && inline_["italic"].asBool();
            format.underline = inline_["underline"].isBool() && inline_["underline"].asBool();
            format.monospace = inline_["monospace"].isBool() && inline_["monospace"].asBool();
            text(inline_["text"].asString(), format);
        } else {
            element(inline_);
        }
    }
    Array take() {
        flush();
        return std::move(items_);
    }

private:
    void flush() {
        if (open_) {
            items_.push_back(run(std::move(text_), format_));
            text_.clear();
            open_ = false;
        }
    }

    Array items_;
    std::string text_;
    Format format_;
    bool open_ = false;
};

// The text of inline elements, for an image's alternative text.
void plainText(Array const& inlines, std::string& out) {
    for (Value const& inline_ : inlines) {
        for (char const* key : {"text", "texString", "altText"}) {
            if (inline_[key].isString()) {
                out += inline_[key].asString();
            }
        }
        if (inline_["children"].isArray()) {
            plainText(inline_["children"].asArray(), out);
        }
    }
}

// Where the reader stands in the AST, kept as steps and spelt as a pointer only for a message.
class Path {
public:
    void push(std::string_view key) { steps_.push_back(Step{key, 0}); }
    void push(std::size_t index) { steps_.push_back(Step{{}, index}); }
    void pop() { steps_.pop_back(); }
    std::string pointer() const {
        std::string out;
        for (Step const& step : steps_) {
            out += '/';
            if (step.key.data() != nullptr) {
                out += step.key;
            } else {
                out += std::to_string(step.index);
            }
        }
        return out;
    }

private:
    struct Step {
        std::string_view key; // the member's name (only plain ones: "blocks", "c"); none for an index
        std::size_t index;
    };
    std::vector<Step> steps_;
};

class At {
public:
    At(Path& path, std::size_t index) : path_(path) { path.push(index); }
    At(Path& path, std::string_view key) : path_(path) { path.push(key); }
    ~At() { path_.pop(); }
    At(At const&) = delete;
    At& operator=(At const&) = delete;

private:
    Path& path_;
};

// An Attr: identifier, classes, key-value pairs, checked when read.
struct Attr {
    std::string const* id = nullptr;
    Array const* classes = nullptr;
    Array const* pairs = nullptr;

    bool empty() const { return id->empty() && classes->empty() && pairs->empty(); }
    bool hasClass(std::string_view name) const {
        for (Value const& c : *classes) {
            if (c.asString() == name) {
                return true;
            }
        }
        return false;
    }
    std::string const* attribute(std::string_view key) const {
        std::string const* found = nullptr;
        for (Value const& pair : *pairs) {
            if (pair.asArray()[0].asString() == key) {
                found = &pair.asArray()[1].asString();
            }
        }
        return found;
    }
    // The identifier, classes and attributes, but for the class and attribute keys named, for a
    // message: `id "x", classes "a b", attributes k="v"`; empty when nothing is left.
    std::string describe(std::string_view keptClass = {}, std::string_view keptKey1 = {},
                         std::string_view keptKey2 = {}, bool withId = true) const {
        std::string out;
        if (withId && !id->empty()) {
            out = "id " + quoted(*id);
        }
        std::string classList;
        for (Value const& c : *classes) {
            if (c.asString() != keptClass) {
                classList += (classList.empty() ? "" : " ") + c.asString();
            }
        }
        if (!classList.empty()) {
            out += (out.empty() ? "classes " : ", classes ") + quoted(classList);
        }
        std::string pairList;
        for (Value const& pair : *pairs) {
            std::string const& key = pair.asArray()[0].asString();
            if (key != keptKey1 && key != keptKey2) {
                pairList += (pairList.empty() ? "" : " ") + word(key) + "=" + quoted(pair.asArray()[1].asString());
            }
        }
        if (!pairList.empty()) {
            out += (out.empty() ? "attributes " : ", attributes ") + pairList;
        }
        return out;
    }
};

char const* foundKind(Value const& value) {
    switch (value.kind()) {
    case json::Kind::Undefined: return "nothing";
    case json::Kind::Null: return "null";
    case json::Kind::Bool: return "a boolean";
    case json::Kind::String: return "a string";
    case json::Kind::Array: return "an array";
    case json::Kind::Object: return "an object";
    default: return "a number";
    }
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    ReadDocument read() {
        Value root;
        try {
            root = json::Parser().parse(text_);
        } catch (json::ParseError const& error) {
            throw ReadError(SourcePlace{error.line(), error.column(), error.pointer().value_or(std::string())},
                            "malformed JSON: " + error.reason());
        }
        if (!root.isObject()) {
            fail(std::string("not a pandoc AST: the document is ") + foundKind(root) +
                 ", not an object with \"pandoc-api-version\" and \"blocks\"");
        }
        checkVersion(root["pandoc-api-version"]);
        Value const& meta = root["meta"];
        if (!meta.isUndefined()) {
            At at(path_, "meta");
            if (!meta.isObject()) {
                fail(std::string("pandoc AST metadata: expected an object, found ") + foundKind(meta));
            }
            std::string keys;
            for (auto const& member : meta.asObject()) {
                keys += (keys.empty() ? "" : ", ") + word(member.first);
            }
            if (!keys.empty()) {
                warn("document metadata left out: " + keys);
            }
        }
        Value const& blocks = root["blocks"];
        At at(path_, "blocks");
        if (blocks.isUndefined()) {
            fail("not a pandoc AST: no \"blocks\"");
        }
        Array const& list = array(blocks, "the document's blocks");
        Array made;
        for (std::size_t i = 0; i < list.size(); ++i) {
            At item(path_, i);
            block(list[i], made);
            for (Value& element : made) {
                document_.add(std::move(element), SourcePlace{0, 0, path_.pointer()});
            }
            made.clear();
        }
        if (!document_.warnings.empty()) {
            std::vector<SourcePlace*> places;
            for (SourcePlace& place : document_.places) {
                places.push_back(&place);
            }
            for (ReaderWarning& warning : document_.warnings) {
                places.push_back(&warning.place);
            }
            locatePointers(text_, places);
        }
        return std::move(document_);
    }

private:
    // ----- what the AST holds, checked -----

    // The place is the value at fault, or where it is missing, the object that lacks it.
    [[noreturn]] void fail(std::string const& message) {
        SourcePlace place{0, 0, path_.pointer()};
        for (;;) {
            locatePointers(text_, {&place});
            if (place.line != 0 || place.pointer.empty()) {
                break;
            }
            place.pointer.resize(place.pointer.rfind('/'));
        }
        throw ReadError(std::move(place), message);
    }

    void warn(std::string message) { document_.warn(SourcePlace{0, 0, path_.pointer()}, std::move(message)); }

    Array const& array(Value const& value, char const* what) {
        if (!value.isArray()) {
            fail(std::string(what) + ": expected an array, found " + foundKind(value));
        }
        return value.asArray();
    }

    // An array of exactly `size` entries: one of the AST's tuples.
    Array const& tuple(Value const& value, std::size_t size, char const* what) {
        Array const& entries = array(value, what);
        if (entries.size() != size) {
            fail(std::string(what) + ": expected " + std::to_string(size) + " entries, found " +
                 std::to_string(entries.size()));
        }
        return entries;
    }

    std::string const& string(Value const& value, char const* what) {
        if (!value.isString()) {
            fail(std::string(what) + ": expected a string, found " + foundKind(value));
        }
        return value.asString();
    }

    double number(Value const& value, char const* what) {
        if (!value.isDouble() || !std::isfinite(value.asDouble())) {
            fail(std::string(what) + ": expected a number, found " + foundKind(value));
        }
        return value.asDouble();
    }

    double whole(Value const& value, char const* what) {
        double const n = number(value, what);
        if (n != std::floor(n) || std::fabs(n) > maxWhole) {
            char written[32];
            std::snprintf(written, sizeof written, "%.15g", n);
            fail(std::string(what) + ": expected a whole number, found " + written);
        }
        return n;
    }

    // The name of an object {"t": name, ...}: a node, or one of the AST's enumerations.
    std::string const& tag(Value const& value, char const* what) {
        if (!value.isObject()) {
            fail(std::string(what) + ": expected an object with \"t\", found " + foundKind(value));
        }
        Value const& name = value["t"];
        if (!name.isString()) {
            At at(path_, "t");
            fail(std::string(what) + ": \"t\" must be a string, not " + foundKind(name));
        }
        return name.asString();
    }

    Attr attr(Value const& value) {
        Array const& parts = tuple(value, 3, "attributes (identifier, classes, key-value pairs)");
        Attr read;
        {
            At at(path_, 0);
            read.id = &string(parts[0], "an identifier");
        }
        {
            At at(path_, 1);
            read.classes = &array(parts[1], "classes");
            for (std::size_t i = 0; i < read.classes->size(); ++i) {
                At item(path_, i);
                string((*read.classes)[i], "a class");
            }
        }
        At at(path_, 2);
        read.pairs = &array(parts[2], "key-value pairs");
        for (std::size_t i = 0; i < read.pairs->size(); ++i) {
            At item(path_, i);
            Array const& pair = tuple((*read.pairs)[i], 2, "a key-value pair");
            for (std::size_t j = 0; j < 2; ++j) {
                At part(path_, j);
                string(pair[j], j == 0 ? "an attribute's key" : "an attribute's value");
            }
        }
        return read;
    }

    void checkVersion(Value const& version) {
        At at(path_, "pandoc-api-version");
        if (version.isUndefined()) {
            fail("not a pandoc AST: no \"pandoc-api-version\" (pandoc-types 1.22 and 1.23 are read, as "
                 "`pandoc -t json` writes them)");
        }
        Array const& parts = array(version, "pandoc-api-version");
        std::string written;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            At part(path_, i);
            double const n = whole(parts[i], "a pandoc-api-version number");
            written += (i == 0 ? "" : ".") + std::to_string(static_cast<long long>(n));
        }
        if (parts.size() < 2 || parts[0].asDouble() != 1 || (parts[1].asDouble() != 22 && parts[1].asDouble() != 23)) {
            fail("pandoc-api-version " + (written.empty() ? std::string("[]") : written) +
                 " is not read: only pandoc-types 1.22 and 1.23 are");
        }
    }

    // ----- blocks -----

    void blocks(Value const& value, Array& out, char const* what) {
        Array const& list = array(value, what);
        for (std::size_t i = 0; i < list.size(); ++i) {
            At at(path_, i);
            block(list[i], out);
        }
    }

    // One block, its content at "c": the rich-text elements it becomes, appended to `out`.
    void block(Value const& node, Array& out) {
        std::string const& name = tag(node, "a block");
        BlockKind const* kind = blockKind(name);
        if (kind == nullptr) {
            fail("unknown block " + quoted(name));
        }
        Value const& content = node["c"];
        switch (*kind) {
        case BlockKind::Plain:
        case BlockKind::Para: {
            At at(path_, "c");
            out.push_back(paragraph(inlines(content, Format{}, "a paragraph's inlines")));
            break;
        }
        case BlockKind::LineBlock: lineBlock(content, out); break;
        case BlockKind::CodeBlock: codeBlock(content, out); break;
        case BlockKind::RawBlock: {
            std::string const* format;
            {
                At at(path_, "c");
                Array const& parts = tuple(content, 2, "a raw block (format, text)");
                format = &at0String(parts, "a raw block's format");
                At part(path_, 1);
                Inlines text;
                text.text(string(parts[1], "a raw block's text"), Format{});
                out.push_back(paragraph(text.take()));
            }
            warn("raw " + word(*format) + " block kept as text");
            break;
        }
        case BlockKind::BlockQuote: {
            {
                At at(path_, "c");
                blocks(content, out, "a block quote's blocks");
            }
            warn("block quote kept as its blocks");
            break;
        }
        case BlockKind::OrderedList: orderedList(content, out); break;
        case BlockKind::BulletList: {
            At at(path_, "c");
            list(content, false, out);
            break;
        }
        case BlockKind::DefinitionList: definitionList(content, out); break;
        case BlockKind::Header: heading(content, out); break;
        case BlockKind::HorizontalRule: warn("horizontal rule left out"); break;
        case BlockKind::Table: table(content, out); break;
        case BlockKind::Figure: figure(content, out); break;
        case BlockKind::Div: div(content, out); break;
        case BlockKind::Null: break;
        }
    }

    std::string const& at0String(Array const& parts, char const* what) {
        At at(path_, 0);
        return string(parts[0], what);
    }

    Value paragraph(Array children) {
        Members members{{"children", Value(std::move(children))}};
        if (cellAlignment_ != nullptr) {
            members.emplace_back("alignment", Value(cellAlignment_));
        }
        return element("RichTextParagraphNode", std::move(members));
    }

    void lineBlock(Value const& content, Array& out) {
        {
            At at(path_, "c");
            Array const& lines = array(content, "a line block's lines");
            Inlines text;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                At line(path_, i);
                if (i > 0) {
                    text.text("\n", Format{});
                }
                inlinesInto(lines[i], Format{}, text, "a line's inlines");
            }
            out.push_back(paragraph(text.take()));
        }
        warn("line block kept as a paragraph with line breaks");
    }

    void codeBlock(Value const& content, Array& out) {
        std::string const* type = nullptr;
        std::string const* id = nullptr;
        Array lines;
        {
            At at(path_, "c");
            Array const& parts = tuple(content, 2, "a code block (attributes, text)");
            Attr attributes;
            {
                At part(path_, 0);
                attributes = attr(parts[0]);
            }
            id = attributes.id;
            static std::string const none;
            type = attributes.classes->empty() ? &none : &(*attributes.classes)[0].asString();
            std::string const lost = attributes.describe(*type, {}, {}, false);
            if (!lost.empty()) {
                warnAbove(1, "code block's " + lost + " left out: a code example keeps its first class as its type");
            }
            At part(path_, 1);
            std::string_view code = string(parts[1], "a code block's text");
            // Lines as the pandoc writer joins them; "" is an example without lines.
            while (!code.empty()) {
                std::size_t const end = code.find('\n');
                lines.push_back(codeLine(code.substr(0, end)));
                if (end == std::string_view::npos) {
                    break;
                }
                code.remove_prefix(end + 1);
                if (code.empty()) {
                    lines.push_back(codeLine({}));
                }
            }
        }
        Members members{{"type", Value(*type)}, {"children", Value(std::move(lines))}};
        if (!id->empty()) {
            members.emplace_back("anchorId", Value(*id));
        }
        out.push_back(element("CodeExampleBlockNode", std::move(members)));
    }

    // Leading spaces become one indent of that width, the rest one run of code text.
    static Value codeLine(std::string_view line) {
        Array pieces;
        std::size_t spaces = 0;
        while (spaces < line.size() && spaces < maxIndent && line[spaces] == ' ') {
            ++spaces;
        }
        if (spaces > 0) {
            pieces.push_back(element("CodeIndentNode", Members{{"width", Value(double(spaces))}}));
        }
        if (spaces < line.size()) {
            pieces.push_back(element("CodeTextNode", Members{{"text", Value(line.substr(spaces))}}));
        }
        return element("CodeExampleLineNode", Members{{"children", Value(std::move(pieces))}});
    }

    void orderedList(Value const& content, Array& out) {
        At at(path_, "c");
        Array const& parts = tuple(content, 2, "an ordered list (attributes, items)");
        {
            At part(path_, 0);
            Array const& attributes = tuple(parts[0], 3, "list attributes (start, style, delimiter)");
            double start;
            std::string const* style;
            {
                At entry(path_, 0);
                start = whole(attributes[0], "a list's start number");
            }
            {
                At entry(path_, 1);
                style = &tag(attributes[1], "a list number style");
            }
            {
                At entry(path_, 2);
                tag(attributes[2], "a list number delimiter");
            }
            std::string lost;
            if (start != 1) {
                lost = "start number " + std::to_string(static_cast<long long>(start));
            }
            if (*style != "DefaultStyle" && *style != "Decimal" && *style != "Example") {
                lost += (lost.empty() ? "numbering style " : " and numbering style ") + word(*style);
            }
            if (!lost.empty()) {
                warnAbove(2, "ordered list's " + lost + " left out: a list counts 1, 2, 3");
            }
        }
        At part(path_, 1);
        list(parts[1], true, out);
    }

    // A list's items: each item's first paragraph is its content, further paragraphs join it after
    // a line break; any other block of an item (a nested list, code, ...) follows the item, the
    // list going on after it as another list of the same kind.
    void list(Value const& value, bool ordered, Array& out) {
        Array const& items = array(value, "a list's items");
        Array current;
        bool madeOne = false;
        auto close = [&] {
            out.push_back(element("ListParagraph", Members{{"type", Value(ordered ? "ordered" : "bulleted")},
                                                           {"children", Value(std::move(current))}}));
            current.clear();
            madeOne = true;
        };
        for (std::size_t i = 0; i < items.size(); ++i) {
            At at(path_, i);
            Array const& content = array(items[i], "a list item's blocks");
            Inlines text;
            bool paragraphs = false;
            Array after;
            for (std::size_t j = 0; j < content.size(); ++j) {
                At inner(path_, j);
                std::string const& name = tag(content[j], "a block");
                if ((name == "Para" || name == "Plain") && after.empty()) {
                    if (paragraphs) {
                        text.text("\n", Format{});
                        warn("list item's further paragraph joined to its first after a line break");
                    }
                    paragraphs = true;
                    At c(path_, "c");
                    inlinesInto(content[j]["c"], Format{}, text, "a paragraph's inlines");
                } else {
                    std::size_t const before = after.size();
                    block(content[j], after);
                    if (after.size() > before) {
                        warn("list item's " + blockName(name) + " kept after the item, the list going on after it");
                    }
                }
            }
            current.push_back(element("ListItem", Members{{"children", Value(text.take())}}));
            if (!after.empty()) {
                close();
                for (Value& element : after) {
                    out.push_back(std::move(element));
                }
            }
        }
        if (!current.empty() || !madeOne) {
            close();
        }
    }

    void definitionList(Value const& content, Array& out) {
        {
            At at(path_, "c");
            Array const& entries = array(content, "a definition list's entries");
            for (std::size_t i = 0; i < entries.size(); ++i) {
                At entry(path_, i);
                Array const& parts = tuple(entries[i], 2, "a definition list entry (term, definitions)");
                {
                    At term(path_, 0);
                    Format bold;
                    bold.bold = true;
                    out.push_back(paragraph(inlines(parts[0], bold, "a term's inlines")));
                }
                At definitions(path_, 1);
                Array const& list = array(parts[1], "a term's definitions");
                for (std::size_t j = 0; j < list.size(); ++j) {
                    At definition(path_, j);
                    blocks(list[j], out, "a definition's blocks");
                }
            }
        }
        warn("definition list kept as paragraphs: each term in bold, then its definitions");
    }

    void heading(Value const& content, Array& out) {
        At at(path_, "c");
        Array const& parts = tuple(content, 3, "a heading (level, attributes, inlines)");
        double level;
        {
            At part(path_, 0);
            level = whole(parts[0], "a heading's level");
        }
        Attr attributes;
        {
            At part(path_, 1);
            attributes = attr(parts[1]);
            if (std::string const lost = attributes.describe({}, {}, {}, false); !lost.empty()) {
                warnAbove(2, "heading's " + lost + " left out");
            }
        }
        if (level < 0 || level > 255) {
            At part(path_, 0);
            double const nearest = level < 0 ? 0 : 255;
            warnAbove(2, "heading level " + std::to_string(static_cast<long long>(level)) + " kept as " +
                             std::to_string(static_cast<long long>(nearest)) + ": levels go from 0 to 255");
            level = nearest;
        }
        At part(path_, 2);
        Members members{{"level", Value(level)},
                        {"children", Value(inlines(parts[2], Format{}, "a heading's inlines"))}};
        if (!attributes.id->empty()) {
            members.emplace_back("anchorId", Value(*attributes.id));
        }
        if (cellAlignment_ != nullptr) {
            members.emplace_back("alignment", Value(cellAlignment_));
        }
        out.push_back(element("HeadingNode", std::move(members)));
    }

    void figure(Value const& content, Array& out) {
        std::string lost;
        {
            At at(path_, "c");
            Array const& parts = tuple(content, 3, "a figure (attributes, caption, blocks)");
            {
                At part(path_, 0);
                lost = attr(parts[0]).describe();
            }
            Array captionBlocks;
            {
                At part(path_, 1);
                caption(parts[1], captionBlocks);
            }
            {
                At part(path_, 2);
                blocks(parts[2], out, "a figure's blocks");
            }
            for (Value& element : captionBlocks) {
                out.push_back(std::move(element));
            }
        }
        warn("figure" + (lost.empty() ? std::string() : " (" + lost + ")") +
             " kept as its content, then its caption as paragraphs");
    }

    // A caption's blocks; its short form, which only lists of figures and tables show, goes.
    void caption(Value const& value, Array& out) {
        Array const& parts = tuple(value, 2, "a caption (short caption, blocks)");
        At part(path_, 1);
        blocks(parts[1], out, "a caption's blocks");
    }

    void div(Value const& content, Array& out) {
        At at(path_, "c");
        Array const& parts = tuple(content, 2, "a div (attributes, blocks)");
        Attr attributes;
        {
            At part(path_, 0);
            attributes = attr(parts[0]);
        }
        At part(path_, 1);
        Array const& list = array(parts[1], "a div's blocks");
        if (attributes.hasClass("toc") && list.size() == 1) {
            At item(path_, 0);
            if (tag(list[0], "a block") == "BulletList") {
                tableOfContents(attributes, list[0], out);
                return;
            }
        }
        bool const onlyId = !attributes.id->empty() && attributes.classes->empty() && attributes.pairs->empty();
        if (onlyId && list.size() == 1) {
            // How the pandoc writer gives an anchor id to a block that has no identifier of its own.
            std::size_t const first = out.size();
            {
                At item(path_, 0);
                block(list[0], out);
            }
            if (out.size() == first) {
                warnAbove(2, "div's id " + quoted(*attributes.id) + " left out: its block was left out");
            } else if (Value const& own = out[first]["anchorId"]; own.isString() && !own.asString().empty()) {
                warnAbove(2, "div's id " + quoted(*attributes.id) + " left out: its block has the id " +
                                 quoted(own.asString()));
            } else {
                Object withId = out[first].asObject();
                withId.set("anchorId", Value(*attributes.id));
                out[first] = Value(std::move(withId));
            }
            return;
        }
        for (std::size_t i = 0; i < list.size(); ++i) {
            At item(path_, i);
            block(list[i], out);
        }
        if (!attributes.empty()) {
            warnAbove(2, "div (" + attributes.describe() + ") kept as its blocks");
        }
    }

    // A div of class "toc" around a list of links, as the pandoc writer writes a table of
    // contents; the reader stands at the list.
    void tableOfContents(Attr const& attributes, Value const& bulletList, Array& out) {
        Array entries;
        {
            At c(path_, "c");
            tocEntries(bulletList["c"], entries);
        }
        Members members{{"children", Value(std::move(entries))}};
        if (!attributes.id->empty()) {
            members.emplace_back("anchorId", Value(*attributes.id));
        }
        out.push_back(element("TableOfContentsContainer", std::move(members)));
        if (std::string const lost = attributes.describe("toc", {}, {}, false); !lost.empty()) {
            warnAbove(3, "table of contents' " + lost + " left out");
        }
    }

    // The entries of a list, and of lists nested in it after each entry: an entry holds inlines only.
    void tocEntries(Value const& value, Array& entries) {
        Array const& items = array(value, "a list's items");
        for (std::size_t i = 0; i < items.size(); ++i) {
            At at(path_, i);
            Array const& content = array(items[i], "a list item's blocks");
            Inlines text;
            bool first = true;
            std::vector<std::size_t> nested;
            for (std::size_t j = 0; j < content.size(); ++j) {
                At inner(path_, j);
                std::string const& name = tag(content[j], "a block");
                if (name == "BulletList" || name == "OrderedList") {
                    nested.push_back(j);
                    continue;
                }
                bool const paragraph = name == "Para" || name == "Plain";
                if (!first) {
                    text.text("\n", Format{});
                }
                if (!first || !paragraph) {
                    warn("table of contents entry's " + blockName(name) + " kept as text of the entry");
                }
                first = false;
                if (paragraph) {
                    At c(path_, "c");
                    inlinesInto(content[j]["c"], Format{}, text, "a paragraph's inlines");
                } else {
                    Array made;
                    block(content[j], made);
                    flatten(made, text);
                }
            }
            entries.push_back(element("TableOfContentsHeadingNode", Members{{"children", Value(text.take())}}));
            for (std::size_t const j : nested) {
                At inner(path_, j);
                At c(path_, "c");
                Value const& nestedList = content[j]["c"];
                if (content[j]["t"].asString() == "OrderedList") {
                    Array const& parts = tuple(nestedList, 2, "an ordered list (attributes, items)");
                    At part(path_, 1);
                    tocEntries(parts[1], entries);
                } else {
                    tocEntries(nestedList, entries);
                }
            }
            if (!nested.empty()) {
                warn("table of contents entry's nested entries kept as entries after it, on one level");
            }
        }
    }

    // ----- tables -----

    void table(Value const& content, Array& out) {
        At at(path_, "c");
        Array const& parts = tuple(content, 6, "a table (attributes, caption, columns, head, bodies, foot)");
        Attr attributes;
        {
            At part(path_, 0);
            attributes = attr(parts[0]);
        }
        {
            At part(path_, 1);
            std::size_t const before = out.size();
            caption(parts[1], out);
            if (out.size() > before) {
                warn("table caption kept as paragraphs before the table");
            }
        }
        std::vector<char const*> alignments;
        std::vector<Value> widths;
        bool allWidths = true;
        {
            At part(path_, 2);
            Array const& columns = array(parts[2], "a table's columns");
            for (std::size_t i = 0; i < columns.size(); ++i) {
                At column(path_, i);
                Array const& col = tuple(columns[i], 2, "a column (alignment, width)");
                {
                    At entry(path_, 0);
                    alignments.push_back(alignment(col[0]));
                }
                At entry(path_, 1);
                std::string const& width = tag(col[1], "a column width");
                if (width == "ColWidth") {
                    At c(path_, "c");
                    double const fraction = number(col[1]["c"], "a column width");
                    widths.emplace_back(std::round(std::fmin(std::fmax(fraction * 1000, -maxWhole), maxWhole)));
                } else if (width == "ColWidthDefault") {
                    allWidths = false;
                } else {
                    fail("unknown column width " + quoted(width));
                }
            }
        }
        bool exactWidths = false;
        {
            At part(path_, 0);
            if (std::string const* given = attributes.attribute("column-widths")) {
                // The pandoc writer keeps the model's own widths there, ColWidth being a fraction.
                std::vector<Value> exact;
                std::string_view rest = *given;
                bool readable = true;
                while (readable && !rest.empty()) {
                    std::size_t const space = rest.find(' ');
                    double width;
                    if (space != 0) {
                        readable = wholeNumber(rest.substr(0, space), width);
                        exact.emplace_back(width);
                    }
                    rest.remove_prefix(space == std::string_view::npos ? rest.size() : space + 1);
                }
                if (readable && exact.size() == alignments.size()) {
                    widths = std::move(exact);
                    exactWidths = true;
                } else {
                    warnAbove(2, "column widths " + quoted(*given) +
                                     " left out: not one whole number for each of the " +
                                     std::to_string(alignments.size()) + " columns");
                }
            }
            if (std::string const lost = attributes.describe({}, "column-widths", {}, false); !lost.empty()) {
                warnAbove(2, "table's " + lost + " left out");
            }
        }
        if (!exactWidths && !allWidths) {
            if (!widths.empty()) {
                At part(path_, 2);
                warn("column widths left out: some columns have none");
            }
            widths.clear();
        }

        Array rows;
        std::vector<std::size_t> spanned(alignments.size(), 0); // rows still covered in each column
        bool hasHeader = false;
        {
            At part(path_, 3);
            Array const& head = tuple(parts[3], 2, "a table head (attributes, rows)");
            lostAttr(head, "table head");
            At headRows(path_, 1);
            Array const& list = array(head[1], "a table head's rows");
            hasHeader = !list.empty();
            for (std::size_t i = 0; i < list.size(); ++i) {
                At row(path_, i);
                rows.push_back(tableRow(list[i], alignments, spanned));
            }
            if (list.size() > 1) {
                warn("table head's rows after the first kept as ordinary rows");
            }
        }
        {
            At part(path_, 4);
            Array const& bodies = array(parts[4], "a table's bodies");
            for (std::size_t b = 0; b < bodies.size(); ++b) {
                At body(path_, b);
                Array const& fields = tuple(bodies[b], 4, "a table body (attributes, row head columns, head, rows)");
                lostAttr(fields, "table body");
                {
                    At field(path_, 1);
                    if (whole(fields[1], "a table body's row head columns") != 0) {
                        warn("table body's row head columns kept as ordinary cells");
                    }
                }
                for (std::size_t f = 2; f < 4; ++f) {
                    At field(path_, f);
                    Array const& list = array(fields[f], "a table body's rows");
                    for (std::size_t i = 0; i < list.size(); ++i) {
                        At row(path_, i);
                        rows.push_back(tableRow(list[i], alignments, spanned));
                    }
                    if (f == 2 && !list.empty()) {
                        warn("table body's head rows kept as ordinary rows");
                    }
                }
            }
        }
        {
            At part(path_, 5);
            Array const& foot = tuple(parts[5], 2, "a table foot (attributes, rows)");
            lostAttr(foot, "table foot");
            At footRows(path_, 1);
            Array const& list = array(foot[1], "a table foot's rows");
            for (std::size_t i = 0; i < list.size(); ++i) {
                At row(path_, i);
                rows.push_back(tableRow(list[i], alignments, spanned));
            }
            if (!list.empty()) {
                warn("table foot kept as ordinary rows at the end");
            }
        }
        Members members{{"hasHeader", Value(hasHeader)}, {"children", Value(std::move(rows))}};
        if (!widths.empty()) {
            members.emplace_back("columnWidths", Value(Array(std::move(widths))));
        }
        if (!attributes.id->empty()) {
            members.emplace_back("anchorId", Value(*attributes.id));
        }
        out.push_back(element("TableNode", std::move(members)));
    }

    // Warns when the Attr at the tuple's first entry holds anything.
    void lostAttr(Array const& parts, char const* what) {
        At part(path_, 0);
        if (std::string const lost = attr(parts[0]).describe(); !lost.empty()) {
            warnAbove(1, std::string(what) + "'s " + lost + " left out");
        }
    }

    char const* alignment(Value const& value) {
        std::string const& name = tag(value, "an alignment");
        if (name == "AlignLeft") {
            return "left";
        }
        if (name == "AlignRight") {
            return "right";
        }
        if (name == "AlignCenter") {
            return "center";
        }
        if (name != "AlignDefault") {
            fail("unknown alignment " + quoted(name));
        }
        return nullptr;
    }

    // A row's cells; a cell spanning several columns or rows becomes one cell and empty ones
    // where it reaches, so that every row keeps its cells under the right columns.
    Value tableRow(Value const& value, std::vector<char const*> const& alignments, std::vector<std::size_t>& spanned) {
        Array const& parts = tuple(value, 2, "a table row (attributes, cells)");
        lostAttr(parts, "table row");
        At part(path_, 1);
        Array const& list = array(parts[1], "a table row's cells");
        Array cells;
        std::size_t column = 0;
        auto emptyCell = [&] { cells.push_back(element("TableCellNode", Members{{"children", Value(Array())}})); };
        // Columns that a cell of a row above still covers.
        auto covered = [&](bool toTheEnd) {
            while (column < spanned.size()) {
                bool const later = toTheEnd && std::any_of(spanned.begin() + long(column), spanned.end(),
                                                           [](auto n) { return n > 0; });
                if (spanned[column] == 0 && !later) {
                    break;
                }
                if (spanned[column] > 0) {
                    --spanned[column];
                }
                emptyCell();
                ++column;
            }
        };
        for (std::size_t i = 0; i < list.size(); ++i) {
            At at(path_, i);
            covered(false);
            Array const& cell =
                tuple(list[i], 5, "a table cell (attributes, alignment, row span, column span, blocks)");
            lostAttr(cell, "table cell");
            char const* align;
            double rows;
            double columns;
            {
                At field(path_, 1);
                align = alignment(cell[1]);
            }
            {
                At field(path_, 2);
                rows = std::fmax(1, whole(cell[2], "a cell's row span"));
            }
            {
                At field(path_, 3);
                columns = std::fmax(1, whole(cell[3], "a cell's column span"));
            }
            if (align == nullptr && column < alignments.size()) {
                align = alignments[column];
            }
            Array content;
            {
                At field(path_, 4);
                char const* const outer = cellAlignment_;
                cellAlignment_ = align;
                blocks(cell[4], content, "a cell's blocks");
                cellAlignment_ = outer;
            }
            cells.push_back(element("TableCellNode", Members{{"children", Value(std::move(content))}}));
            // A span beyond the table's last column reaches no cell: pandoc cuts it there too.
            std::size_t const width =
                column + 1 >= spanned.size() ? 1 : std::size_t(std::fmin(columns, double(spanned.size() - column)));
            std::size_t const height = std::size_t(rows);
            if (width > 1 || height > 1) {
                warn("cell spanning " + std::to_string(height) + (height == 1 ? " row" : " rows") + " and " +
                     std::to_string(width) + (width == 1 ? " column" : " columns") +
                     " kept as one cell, with empty cells where it reaches");
            }
            for (std::size_t k = 0; k < width; ++k, ++column) {
                if (k > 0) {
                    emptyCell();
                }
                if (column < spanned.size()) {
                    spanned[column] = height - 1;
                }
            }
        }
        covered(true);
        return element("TableRowNode", Members{{"children", Value(std::move(cells))}});
    }

    // ----- inlines -----

    Array inlines(Value const& value, Format const& format, char const* what) {
        Inlines made;
        inlinesInto(value, format, made, what);
        return made.take();
    }

    void inlinesInto(Value const& value, Format const& format, Inlines& into, char const* what) {
        Array const& list = array(value, what);
        static Value const code("Code");
        static Value const lineBreak("LineBreak");
        for (std::size_t i = 0; i < list.size(); ++i) {
            At at(path_, i);
            // Code cannot hold a line end: monospace text of several lines is Code around each
            // LineBreak, and the break belongs to the code.
            if (i > 0 && i + 1 < list.size() && list[i]["t"] == lineBreak && list[i - 1]["t"] == code &&
                list[i + 1]["t"] == code) {
                Format monospace = format;
                monospace.monospace = true;
                into.text("\n", monospace);
                continue;
            }
            inlineNode(list[i], format, into);
        }
    }

    void inlineNode(Value const& node, Format format, Inlines& into) {
        std::string const& name = tag(node, "an inline");
        InlineKind const* kind = inlineKind(name);
        if (kind == nullptr) {
            fail("unknown inline " + quoted(name));
        }
        Value const& content = node["c"];
        switch (*kind) {
        case InlineKind::Str: {
            At at(path_, "c");
            into.text(string(content, "a Str's text"), format);
            break;
        }
        case InlineKind::Space:
        case InlineKind::SoftBreak: into.text(" ", format); break;
        case InlineKind::LineBreak: into.text("\n", format); break;
        case InlineKind::Emph:
        case InlineKind::Underline:
        case InlineKind::Strong: {
            (*kind == InlineKind::Emph     ? format.italic
             : *kind == InlineKind::Strong ? format.bold
                                           : format.underline) = true;
            At at(path_, "c");
            inlinesInto(content, format, into, "formatted inlines");
            break;
        }
        case InlineKind::Strikeout:
        case InlineKind::Superscript:
        case InlineKind::Subscript:
        case InlineKind::SmallCaps: {
            {
                At at(path_, "c");
                inlinesInto(content, format, into, "formatted inlines");
            }
            static std::unordered_map<InlineKind, char const*> const names{{InlineKind::Strikeout, "strikeout"},
                                                                           {InlineKind::Superscript, "superscript"},
                                                                           {InlineKind::Subscript, "subscript"},
                                                                           {InlineKind::SmallCaps, "small caps"}};
            warn(std::string(names.at(*kind)) + " kept as plain text");
            break;
        }
        case InlineKind::Quoted: {
            At at(path_, "c");
            Array const& parts = tuple(content, 2, "a quotation (quote type, inlines)");
            std::string const* type;
            {
                At part(path_, 0);
                type = &tag(parts[0], "a quote type");
                if (*type != "SingleQuote" && *type != "DoubleQuote") {
                    fail("unknown quote type " + quoted(*type));
                }
            }
            bool const single = *type == "SingleQuote";
            into.text(single ? "\u2018" : "\u201C", format);
            {
                At part(path_, 1);
                inlinesInto(parts[1], format, into, "a quotation's inlines");
            }
            into.text(single ? "\u2019" : "\u201D", format);
            break;
        }
        case InlineKind::Cite: {
            {
                At at(path_, "c");
                Array const& parts = tuple(content, 2, "a citation (citations, inlines)");
                {
                    At part(path_, 0);
                    array(parts[0], "citations");
                }
                At part(path_, 1);
                inlinesInto(parts[1], format, into, "a citation's inlines");
            }
            warn("citation kept as its text");
            break;
        }
        case InlineKind::Code: {
            At at(path_, "c");
            Array const& parts = tuple(content, 2, "inline code (attributes, text)");
            std::string lost;
            {
                At part(path_, 0);
                lost = attr(parts[0]).describe();
            }
            At part(path_, 1);
            format.monospace = true;
            into.text(string(parts[1], "inline code's text"), format);
            if (!lost.empty()) {
                warnAbove(2, "inline code's " + lost + " left out");
            }
            break;
        }
        case InlineKind::Math: {
            At at(path_, "c");
            Array const& parts = tuple(content, 2, "math (math type, TeX)");
            std::string const* type;
            {
                At part(path_, 0);
                type = &tag(parts[0], "a math type");
                if (*type != "InlineMath" && *type != "DisplayMath") {
                    fail("unknown math type " + quoted(*type));
                }
            }
            At part(path_, 1);
            into.element(element("EquationNode", Members{{"texString", Value(string(parts[1], "math's TeX"))},
                                                         {"displayStyle", Value(*type == "DisplayMath")}}));
            break;
        }
        case InlineKind::RawInline: {
            At at(path_, "c");
            Array const& parts = tuple(content, 2, "a raw inline (format, text)");
            std::string const& rawFormat = at0String(parts, "a raw inline's format");
            {
                At part(path_, 1);
                into.text(string(parts[1], "a raw inline's text"), format);
            }
            warnAbove(1, "raw " + word(rawFormat) + " inline kept as text");
            break;
        }
        case InlineKind::Link: link(content, format, into); break;
        case InlineKind::Image: image(content, into); break;
        case InlineKind::Note: {
            into.text(" [", format);
            {
                At at(path_, "c");
                Array made;
                blocks(content, made, "a footnote's blocks");
                flatten(made, into);
            }
            into.text("]", format);
            warn("footnote kept as text after its anchor, in brackets");
            break;
        }
        case InlineKind::Span: {
            At at(path_, "c");
            Array const& parts = tuple(content, 2, "a span (attributes, inlines)");
            std::string lost;
            {
                At part(path_, 0);
                lost = attr(parts[0]).describe();
            }
            {
                At part(path_, 1);
                inlinesInto(parts[1], format, into, "a span's inlines");
            }
            if (!lost.empty()) {
                warnAbove(1, "span (" + lost + ") kept as its content");
            }
            break;
        }
        }
    }

    void link(Value const& content, Format const& format, Inlines& into) {
        At at(path_, "c");
        Array const& parts = tuple(content, 3, "a link (attributes, inlines, target)");
        std::string lost;
        {
            At part(path_, 0);
            lost = attr(parts[0]).describe();
        }
        Array children;
        {
            At part(path_, 1);
            children = inlines(parts[1], format, "a link's inlines");
        }
        At part(path_, 2);
        Array const& target = tuple(parts[2], 2, "a link target (address, title)");
        std::string const& address = at0String(target, "a link's address");
        std::string const* title;
        {
            At entry(path_, 1);
            title = &string(target[1], "a link's title");
        }
        Members members{{"children", Value(std::move(children))}};
        if (!address.empty()) {
            members.emplace_back("hyperlink", hyperlink(address));
        }
        into.element(element("HyperlinkNode", std::move(members)));
        if (!title->empty()) {
            lost += (lost.empty() ? "title " : ", title ") + quoted(*title);
        }
        if (!lost.empty()) {
            warnAbove(2, "link's " + lost + " left out");
        }
    }

    // "#x" is an anchor of this document; "address#x" an anchor within another one.
    static Value hyperlink(std::string const& address) {
        std::size_t const hash = address.find('#');
        Members members;
        if (hash != 0) {
            members.emplace_back("target", Value(std::string_view(address).substr(0, hash)));
        }
        if (hash != std::string::npos) {
            members.emplace_back("anchor", Value(std::string_view(address).substr(hash + 1)));
        }
        members.emplace_back("targetType", Value(hash == 0 ? "anchor" : "url"));
        return Value(Object(std::move(members)));
    }

    void image(Value const& content, Inlines& into) {
        At at(path_, "c");
        Array const& parts = tuple(content, 3, "an image (attributes, alternative text, target)");
        Members members;
        std::vector<std::string> lost;
        {
            At part(path_, 0);
            Attr const attributes = attr(parts[0]);
            if (!attributes.id->empty()) {
                members.emplace_back("imageId", Value(*attributes.id));
            }
            for (char const* key : {"width", "height"}) {
                if (std::string const* size = attributes.attribute(key)) {
                    std::string_view pixels = *size;
                    if (pixels.size() > 2 && pixels.substr(pixels.size() - 2) == "px") {
                        pixels.remove_suffix(2);
                    }
                    double number;
                    if (wholeNumber(pixels, number) && number >= 0) {
                        members.emplace_back(key, Value(number));
                    } else {
                        lost.push_back(std::string(key) + " " + quoted(*size) + " (not a whole number of pixels)");
                    }
                }
            }
            if (std::string const rest = attributes.describe({}, "width", "height", false); !rest.empty()) {
                lost.push_back(rest);
            }
        }
        {
            At part(path_, 1);
            std::string alt;
            plainText(inlines(parts[1], Format{}, "an image's alternative text"), alt);
            if (!alt.empty()) {
                members.emplace_back("altText", Value(std::move(alt)));
            }
        }
        {
            At part(path_, 2);
            Array const& target = tuple(parts[2], 2, "an image target (source, title)");
            std::string const& source = at0String(target, "an image's source");
            if (!source.empty()) {
                members.emplace_back("imgSrc", Value(source));
            }
            At entry(path_, 1);
            std::string_view title = string(target[1], "an image's title");
            // pandoc 2 marks an image that is a figure of its own by this prefix.
            if (title.substr(0, 4) == "fig:") {
                title.remove_prefix(4);
            }
            if (!title.empty()) {
                lost.push_back("title " + quoted(title));
            }
        }
        into.element(element("ImageNode", std::move(members)));
        if (!lost.empty()) {
            std::string message = "image's ";
            for (std::size_t i = 0; i < lost.size(); ++i) {
                message += (i == 0 ? "" : ", ") + lost[i];
            }
            warnAbove(1, message + " left out");
        }
    }

    // The inline content of blocks, one after another with a space between them.
    static void flatten(Array const& blocks, Inlines& into) {
        bool separate = false;
        flatten(blocks, into, separate);
    }

    static void flatten(Array const& blocks, Inlines& into, bool& separate) {
        for (Value const& block : blocks) {
            Value const& kind = block["className"];
            Array const& children = block["children"].asArray();
            bool const code = kind == kindName("CodeExampleBlockNode");
            if (!code && kind != kindName("RichTextParagraphNode") && kind != kindName("HeadingNode") &&
                kind != kindName("ListItem") && kind != kindName("TableOfContentsHeadingNode")) {
                flatten(children, into, separate); // a list, a table, its rows and cells
                continue;
            }
            if (separate) {
                into.text(" ", Format{});
            }
            separate = true;
            if (!code) {
                for (Value const& inline_ : children) {
                    into.add(inline_);
                }
                continue;
            }
            Format monospace;
            monospace.monospace = true;
            for (std::size_t i = 0; i < children.size(); ++i) {
                if (i > 0) {
                    into.text("\n", monospace);
                }
                for (Value const& piece : children[i]["children"].asArray()) {
                    if (piece["width"].isDouble()) {
                        into.text(std::string(std::size_t(piece["width"].asDouble()), ' '), monospace);
                    } else {
                        into.text(piece["text"].asString(), monospace);
                    }
                }
            }
        }
    }

    // A warning at the node `levels` steps above where the reader stands.
    void warnAbove(std::size_t levels, std::string message) {
        std::string pointer = path_.pointer();
        for (std::size_t i = 0; i < levels && !pointer.empty(); ++i) {
            pointer.resize(pointer.rfind('/'));
        }
        document_.warn(SourcePlace{0, 0, std::move(pointer)}, std::move(message));
    }

    std::string_view text_;
    Path path_;
    ReadDocument document_;
    // The alignment the paragraphs and headings of the cell being read take from it or its column.
    char const* cellAlignment_ = nullptr;
};

} // namespace

ReadDocument PandocReader::read(std::string_view json) { return Reader(json).read(); }

void PandocReader::placeLines(std::string_view json, std::vector<SourcePlace>& places) {
    std::vector<SourcePlace*> unplaced;
    for (SourcePlace& place : places) {
        if (place.line == 0) {
            unplaced.push_back(&place);
        }
    }
    locatePointers(json, unplaced);
}

} // namespace richmarkup::formats

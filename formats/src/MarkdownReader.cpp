#include <richmarkup/formats/MarkdownReader.hpp>

#include "HeadingIds.hpp"
#include "MarkdownGuard.hpp"
#include "MarkdownMath.hpp"
#include <richmarkup/formats/TextEscape.hpp>

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

// Node types of the GitHub extensions, exported by their library and set when it registers
// them; its installed header does not declare them.
extern "C" {
extern cmark_node_type CMARK_NODE_TABLE;
extern cmark_node_type CMARK_NODE_STRIKETHROUGH;
}

namespace richmarkup::formats {

namespace {

namespace json = foundation::json;
using json::Array;
using json::Object;
using json::Value;

// cmark-gfm aborts the process on a buffer past 1 GiB, and ill-formed UTF-8 may triple in size
// as U+FFFD: larger input is refused before cmark sees it.
constexpr std::size_t maxInput = std::size_t(256) << 20;
// Leading spaces of a code line beyond this are text: an indent is at most this wide.
constexpr std::size_t maxIndent = 256;
// Text quoted in a message is cut here: a message is one line to read.
constexpr std::size_t maxQuoted = 80;

struct Extensions {
    cmark_syntax_extension* table;
    cmark_syntax_extension* strikethrough;
    cmark_syntax_extension* autolink;
};

Extensions const& extensions() {
    static Extensions const found = [] {
        cmark_gfm_core_extensions_ensure_registered();
        return Extensions{cmark_find_syntax_extension("table"), cmark_find_syntax_extension("strikethrough"),
                          cmark_find_syntax_extension("autolink")};
    }();
    return found;
}

// cmark-gfm keeps the characters that stop its text scan in one table for the process, which
// each parse fills with its extensions' characters and clears when done: parses must not
// overlap.
std::mutex& parseMutex() {
    static std::mutex mutex;
    return mutex;
}

struct CmarkTree {
    cmark_node* root = nullptr;
    ~CmarkTree() {
        if (root != nullptr) {
            cmark_node_free(root);
        }
    }
};

struct CmarkParser {
    cmark_parser* parser;
    ~CmarkParser() { cmark_parser_free(parser); }
};

// A walk over a subtree: each node entered, and left when it may hold others.
class Walk {
public:
    explicit Walk(cmark_node* root) : iter_(cmark_iter_new(root)) {}
    ~Walk() { cmark_iter_free(iter_); }
    Walk(Walk const&) = delete;
    Walk& operator=(Walk const&) = delete;

    bool next() { return (event_ = cmark_iter_next(iter_)) != CMARK_EVENT_DONE; }
    bool entering() const { return event_ == CMARK_EVENT_ENTER; }
    cmark_node* node() const { return cmark_iter_get_node(iter_); }
    // Goes on past what `node` holds.
    void skip(cmark_node* node) { cmark_iter_reset(iter_, node, CMARK_EVENT_EXIT); }

private:
    cmark_iter* iter_;
    cmark_event_type event_ = CMARK_EVENT_NONE;
};

// With `validate`, ill-formed UTF-8 and NUL become U+FFFD, so that every text taken is UTF-8;
// text known to be so is not checked again.
cmark_node* parse(std::string_view markdown, MarkdownMath& math, bool validate) {
    Extensions const& gfm = extensions();
    std::lock_guard<std::mutex> const lock(parseMutex());
    CmarkParser const owner{cmark_parser_new(validate ? CMARK_OPT_VALIDATE_UTF8 : CMARK_OPT_DEFAULT)};
    for (cmark_syntax_extension* extension : {gfm.table, gfm.strikethrough, gfm.autolink, math.extension()}) {
        if (extension != nullptr) {
            cmark_parser_attach_syntax_extension(owner.parser, extension);
        }
    }
    cmark_parser_feed(owner.parser, markdown.data(), markdown.size());
    return cmark_parser_finish(owner.parser);
}

SourcePlace placeOf(cmark_node* node) {
    return SourcePlace{static_cast<std::size_t>(std::max(cmark_node_get_start_line(node), 0)),
                       static_cast<std::size_t>(std::max(cmark_node_get_start_column(node), 0)),
                       {}};
}

cmark_node_type typeOf(cmark_node* node) { return cmark_node_get_type(node); }

bool inItem(cmark_node* node) {
    cmark_node* parent = cmark_node_parent(node);
    return parent != nullptr && typeOf(parent) == CMARK_NODE_ITEM;
}

std::string_view literalOf(cmark_node* node) {
    char const* literal = cmark_node_get_literal(node);
    return literal != nullptr ? std::string_view(literal) : std::string_view();
}

std::string_view withoutLineEnds(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// `text` quoted for a message, cut at a character's start when long.
std::string quoted(std::string_view text) {
    std::string out;
    if (text.size() <= maxQuoted) {
        text::appendQuoted(out, text);
        return out;
    }
    std::size_t cut = maxQuoted;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    text::appendQuoted(out, text.substr(0, cut));
    out.insert(out.size() - 1, "...");
    return out;
}

// The strings every element of a kind holds, made once a read: an element holds a handle to
// each, not a copy.
struct Names {
    Value richTextNode{"RichTextNode"};
    Value hyperlinkNode{"HyperlinkNode"};
    Value imageNode{"ImageNode"};
    Value equationNode{"EquationNode"};
    Value paragraph{"RichTextParagraphNode"};
    Value headingNode{"HeadingNode"};
    Value listParagraph{"ListParagraph"};
    Value listItem{"ListItem"};
    Value codeBlock{"CodeExampleBlockNode"};
    Value codeLine{"CodeExampleLineNode"};
    Value codeIndent{"CodeIndentNode"};
    Value codeText{"CodeTextNode"};
    Value tableNode{"TableNode"};
    Value tableRow{"TableRowNode"};
    Value tableCell{"TableCellNode"};
    Value ordered{"ordered"};
    Value bulleted{"bulleted"};
    Value url{"url"};
    Value anchor{"anchor"};
    Value left{"left"};
    Value center{"center"};
    Value right{"right"};
};

void put(Object::Members&) {}

template <class Held, class... Rest>
void put(Object::Members& members, char const* key, Held&& value, Rest&&... rest) {
    members.emplace_back(key, Value(std::forward<Held>(value)));
    put(members, std::forward<Rest>(rest)...);
}

// An object of keys and values given one after the other, the keys in order and each once, as
// the JSON parser makes objects: taken as they come, without a sort or a copy.
template <class... KeysAndValues>
Value object(KeysAndValues&&... keysAndValues) {
    Object::Members members;
    members.reserve(sizeof...(KeysAndValues) / 2);
    put(members, std::forward<KeysAndValues>(keysAndValues)...);
    return Value(Object(std::move(members), json::detail::SortedUnique{}));
}

// An element with children only, besides its class.
Value parent(Value const& className, Array children) {
    return object("children", std::move(children), "className", className);
}

// The length of the well-formed UTF-8 character at `i`, or 0: overlong forms, surrogates, code
// points past U+10FFFF and NUL, which cmark reads as U+FFFD.
std::size_t characterAt(std::string_view text, std::size_t i) {
    auto const byte = [&](std::size_t k) { return k < text.size() ? static_cast<std::uint8_t>(text[k]) : 0u; };
    auto const next = [&](std::size_t k, unsigned low, unsigned high) { return byte(k) >= low && byte(k) <= high; };
    unsigned const lead = byte(i);
    if (lead < 0x80) {
        return lead != 0 ? 1 : 0;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return next(i + 1, 0x80, 0xBF) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        unsigned const low = lead == 0xE0 ? 0xA0 : 0x80;
        unsigned const high = lead == 0xED ? 0x9F : 0xBF;
        return next(i + 1, low, high) && next(i + 2, 0x80, 0xBF) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        unsigned const low = lead == 0xF0 ? 0x90 : 0x80;
        unsigned const high = lead == 0xF4 ? 0x8F : 0xBF;
        return next(i + 1, low, high) && next(i + 2, 0x80, 0xBF) && next(i + 3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

// Reports, at the first, the bytes that cmark reads as U+FFFD: the text keeps a mark of each,
// not the bytes. False when there are none.
bool checkEncoding(std::string_view markdown, ReadDocument& document) {
    std::size_t count = 0;
    std::size_t first = 0;
    for (std::size_t i = 0; i < markdown.size();) {
        // ASCII without NUL, a word at a time: nearly all of most text.
        if (i + 8 <= markdown.size()) {
            std::uint64_t word;
            std::memcpy(&word, markdown.data() + i, sizeof word);
            constexpr std::uint64_t ones = 0x0101010101010101;
            constexpr std::uint64_t highs = 0x8080808080808080;
            if (((word | ((word - ones) & ~word)) & highs) == 0) {
                i += 8;
                continue;
            }
        }
        if (std::size_t const length = characterAt(markdown, i)) {
            i += length;
            continue;
        }
        if (count++ == 0) {
            first = i;
        }
        ++i;
    }
    if (count == 0) {
        return false;
    }
    SourcePlace place{1, 1, {}};
    for (std::size_t i = 0; i < first; ++i) {
        char const c = markdown[i];
        if (c == '\n' || (c == '\r' && markdown[i + 1] != '\n')) {
            ++place.line;
            place.column = 1;
        } else {
            ++place.column;
        }
    }
    document.warn(place, std::to_string(count) + (count == 1 ? " byte" : " bytes") +
                             " of ill-formed UTF-8 or NUL read as U+FFFD (the first here)");
    return true;
}

struct Style {
    bool bold = false;
    bool italic = false;
    bool monospace = false;

    friend bool operator==(Style const& a, Style const& b) {
        return a.bold == b.bold && a.italic == b.italic && a.monospace == b.monospace;
    }
    friend bool operator!=(Style const& a, Style const& b) { return !(a == b); }
};

// Inline content being read: text of one style gathers into one run, however many text nodes
// cmark split it into; links hold what is read between their start and end.
class Runs {
public:
    explicit Runs(Names const& names) : names_(&names) {}

    void text(std::string_view text, Style style) {
        if (text.empty()) {
            return;
        }
        if (hasRun_ && style != style_) {
            flush();
        }
        hasRun_ = true;
        style_ = style;
        run_.append(text.data(), text.size());
    }

    void add(Value inlineElement) {
        flush();
        current().push_back(std::move(inlineElement));
    }

    void openLink(Value hyperlink) {
        flush();
        links_.push_back(Open{std::move(hyperlink), {}});
    }

    void closeLink() {
        flush();
        Open link = std::move(links_.back());
        links_.pop_back();
        current().push_back(object("children", std::move(link.children), "className", names_->hyperlinkNode,
                                   "hyperlink", std::move(link.hyperlink)));
    }

    Array take() {
        flush();
        while (!links_.empty()) {
            closeLink();
        }
        return std::move(root_);
    }

private:
    struct Open {
        Value hyperlink;
        Array children;
    };

    Array& current() { return links_.empty() ? root_ : links_.back().children; }

    void flush() {
        if (!hasRun_) {
            return;
        }
        hasRun_ = false;
        Object::Members members;
        members.reserve(5);
        // In the order of the keys.
        if (style_.bold) {
            members.emplace_back("bold", true);
        }
        members.emplace_back("className", names_->richTextNode);
        if (style_.italic) {
            members.emplace_back("italic", true);
        }
        if (style_.monospace) {
            members.emplace_back("monospace", true);
        }
        members.emplace_back("text", Value(run_));
        run_.clear();
        current().push_back(Value(Object(std::move(members), json::detail::SortedUnique{})));
    }

    Names const* names_;
    Array root_;
    std::vector<Open> links_;
    std::string run_;
    Style style_;
    bool hasRun_ = false;
};

// The text a reader of the Markdown sees in inline content. For an image's alternative text,
// all of it; for a heading's id, what GitHub counts (and the writer with it): neither raw HTML
// nor images.
std::string plainText(cmark_node* root, bool forId) {
    std::string out;
    for (Walk walk(root); walk.next();) {
        if (!walk.entering()) {
            continue;
        }
        cmark_node* node = walk.node();
        switch (typeOf(node)) {
        case CMARK_NODE_HTML_INLINE:
            if (forId) {
                break;
            }
            [[fallthrough]];
        case CMARK_NODE_TEXT:
        case CMARK_NODE_CODE: out += literalOf(node); break;
        case CMARK_NODE_SOFTBREAK:
        case CMARK_NODE_LINEBREAK: out.push_back(' '); break;
        case CMARK_NODE_IMAGE:
            if (forId) {
                walk.skip(node);
            }
            break;
        default: break;
        }
    }
    return out;
}

class Reader {
public:
    explicit Reader(ReadDocument& document) : document_(document) {}

    void read(cmark_node* root) {
        headingIds(root);
        // Each top-level block is freed once read: the elements made next reuse its memory.
        for (cmark_node *block = cmark_node_first_child(root), *next; block != nullptr; block = next) {
            next = cmark_node_next(block);
            for (Walk walk(block); walk.next();) {
                cmark_node* node = walk.node();
                if (!walk.entering()) {
                    leave(node);
                } else if ((inItem(node) && enterItemContent(node)) || enter(node)) {
                    walk.skip(node);
                }
            }
            cmark_node_free(block);
        }
    }

private:
    // A list being read: its element takes the place kept for it when it is complete, so that
    // the blocks its items cannot hold follow it.
    struct OpenList {
        std::size_t slot;
        bool ordered;
        Array items;
        Runs item;
        bool itemHasText = false;
    };

    void warn(cmark_node* node, std::string message) { document_.warn(placeOf(node), std::move(message)); }

    // The ids GitHub gives the headings, in document order: links may come before the heading
    // they name.
    void headingIds(cmark_node* root) {
        HeadingIds ids;
        for (Walk walk(root); walk.next();) {
            cmark_node* node = walk.node();
            if (!walk.entering()) {
                continue;
            }
            cmark_node_type const type = typeOf(node);
            if (type == CMARK_NODE_HEADING) {
                headingIds_.push_back(ids.next(plainText(node, true)));
                knownIds_.insert(headingIds_.back());
            }
            // Inline content holds no heading.
            if (type == CMARK_NODE_PARAGRAPH || type == CMARK_NODE_HEADING || type == CMARK_NODE_TABLE) {
                walk.skip(node);
            }
        }
    }

    // A block outside list items; true when its content is read already.
    bool enter(cmark_node* node) {
        cmark_node_type const type = typeOf(node);
        if (inItem(node)) {
            warn(node, blockName(type) + " in a list item written after the list: an item holds inline content only");
        }
        switch (type) {
        case CMARK_NODE_PARAGRAPH: {
            Runs runs(names_);
            inlines(node, runs);
            if (Array children = runs.take(); !children.empty()) {
                add(node, parent(names_.paragraph, std::move(children)));
            }
            return true;
        }
        case CMARK_NODE_HEADING: heading(node); return true;
        case CMARK_NODE_LIST: {
            int const start = cmark_node_get_list_start(node);
            bool const ordered = cmark_node_get_list_type(node) == CMARK_ORDERED_LIST;
            if (ordered && start != 1) {
                warn(node, "ordered list starting at " + std::to_string(start) +
                               " numbered from 1: a list has no number of its own to start at");
            }
            lists_.push_back(OpenList{document_.elements.size(), ordered, {}, Runs(names_)});
            document_.add(Value(), placeOf(node));
            return false;
        }
        case CMARK_NODE_ITEM:
            lists_.back().item = Runs(names_);
            lists_.back().itemHasText = false;
            return false;
        case CMARK_NODE_BLOCK_QUOTE: warn(node, "block quote: its blocks are kept, without the quote"); return false;
        case CMARK_NODE_CODE_BLOCK: codeBlock(node); return true;
        case CMARK_NODE_HTML_BLOCK: {
            warn(node, "raw HTML kept as text");
            Runs runs(names_);
            runs.text(withoutLineEnds(literalOf(node)), Style{});
            if (Array children = runs.take(); !children.empty()) {
                add(node, parent(names_.paragraph, std::move(children)));
            }
            return true;
        }
        case CMARK_NODE_THEMATIC_BREAK: warn(node, "thematic break left out: it has no text"); return true;
        case CMARK_NODE_DOCUMENT: return false;
        default:
            if (type == CMARK_NODE_TABLE) {
                table(node);
            }
            // Nothing else is parsed with the options used.
            return true;
        }
    }

    // A paragraph or raw HTML in a list item joins the item's text; true when `node` was one.
    bool enterItemContent(cmark_node* node) {
        cmark_node_type const type = typeOf(node);
        if (type != CMARK_NODE_PARAGRAPH && type != CMARK_NODE_HTML_BLOCK) {
            return false;
        }
        OpenList& list = lists_.back();
        if (list.itemHasText) {
            warn(node, std::string(type == CMARK_NODE_PARAGRAPH ? "paragraph" : "raw HTML") +
                           " in a list item joined to the text before it with a line break: an item holds one "
                           "paragraph");
            list.item.text("\n", Style{});
        }
        if (type == CMARK_NODE_PARAGRAPH) {
            inlines(node, list.item);
        } else {
            warn(node, "raw HTML kept as text");
            list.item.text(withoutLineEnds(literalOf(node)), Style{});
        }
        list.itemHasText = true;
        return true;
    }

    void leave(cmark_node* node) {
        switch (typeOf(node)) {
        case CMARK_NODE_ITEM: {
            OpenList& list = lists_.back();
            list.items.push_back(parent(names_.listItem, list.item.take()));
            break;
        }
        case CMARK_NODE_LIST: {
            OpenList& list = lists_.back();
            document_.elements[list.slot] = object("children", std::move(list.items), "className", names_.listParagraph,
                                                   "type", list.ordered ? names_.ordered : names_.bulleted);
            lists_.pop_back();
            break;
        }
        default: break;
        }
    }

    static std::string blockName(cmark_node_type type) {
        switch (type) {
        case CMARK_NODE_LIST: return "list";
        case CMARK_NODE_CODE_BLOCK: return "code block";
        case CMARK_NODE_HEADING: return "heading";
        case CMARK_NODE_BLOCK_QUOTE: return "block quote";
        case CMARK_NODE_THEMATIC_BREAK: return "thematic break";
        default: return type == CMARK_NODE_TABLE ? "table" : "block";
        }
    }

    void add(cmark_node* node, Value block) { document_.add(std::move(block), placeOf(node)); }

    void heading(cmark_node* node) {
        Runs runs(names_);
        inlines(node, runs);
        std::string const& id = headingIds_[nextHeading_++];
        auto const level = static_cast<double>(cmark_node_get_heading_level(node));
        // Markdown without text gives a heading no id.
        add(node, id.empty() ? object("children", runs.take(), "className", names_.headingNode, "level", level)
                             : object("anchorId", id, "children", runs.take(), "className", names_.headingNode, "level",
                                      level));
    }

    // One line a line of the code; the spaces that start it are its indent, as the code
    // elements hold indentation.
    void codeBlock(cmark_node* node) {
        std::string_view const info = cmark_node_get_fence_info(node) != nullptr ? cmark_node_get_fence_info(node) : "";
        std::size_t const word = info.find_first_of(" \t");
        std::string_view const type = info.substr(0, word);
        if (word != std::string_view::npos) {
            warn(node, "code block info " + quoted(info) + ": only its first word " + quoted(type) +
                           " kept, as the code type");
        }
        Array lines;
        std::string_view code = literalOf(node);
        while (!code.empty()) {
            std::size_t const end = code.find('\n');
            std::string_view line = code.substr(0, end);
            code = end == std::string_view::npos ? std::string_view() : code.substr(end + 1);
            Array pieces;
            std::size_t indent = 0;
            while (indent < line.size() && indent < maxIndent && line[indent] == ' ') {
                ++indent;
            }
            if (indent > 0) {
                pieces.push_back(object("className", names_.codeIndent, "width", static_cast<double>(indent)));
            }
            if (indent < line.size()) {
                pieces.push_back(object("className", names_.codeText, "text", line.substr(indent)));
            }
            lines.push_back(parent(names_.codeLine, std::move(pieces)));
        }
        add(node, object("children", std::move(lines), "className", names_.codeBlock, "type", type));
    }

    // A pipe table. The writer writes a table without a header with an empty header row: such
    // a row is no row of the table.
    void table(cmark_node* node) {
        std::uint16_t const columns = cmark_gfm_extensions_get_table_columns(node);
        std::uint8_t const* alignments = cmark_gfm_extensions_get_table_alignments(node);
        Array rows;
        bool hasHeader = false;
        for (cmark_node* row = cmark_node_first_child(node); row != nullptr; row = cmark_node_next(row)) {
            bool const header = cmark_gfm_extensions_get_table_row_is_header(row) != 0;
            Array cells;
            bool empty = true;
            std::size_t column = 0;
            for (cmark_node* cell = cmark_node_first_child(row); cell != nullptr;
                 cell = cmark_node_next(cell), ++column) {
                Runs runs(names_);
                inlines(cell, runs);
                Array content = runs.take();
                Array blocks;
                if (!content.empty()) {
                    empty = false;
                    char const alignment = alignments != nullptr && column < columns ? alignments[column] : 0;
                    Value const* name = alignment == 'l'   ? &names_.left
                                        : alignment == 'c' ? &names_.center
                                        : alignment == 'r' ? &names_.right
                                                           : nullptr;
                    blocks.push_back(name == nullptr ? parent(names_.paragraph, std::move(content))
                                                     : object("alignment", *name, "children", std::move(content),
                                                              "className", names_.paragraph));
                }
                cells.push_back(parent(names_.tableCell, std::move(blocks)));
            }
            if (header) {
                hasHeader = !empty;
                if (empty) {
                    continue;
                }
            }
            rows.push_back(parent(names_.tableRow, std::move(cells)));
        }
        add(node, object("children", std::move(rows), "className", names_.tableNode, "hasHeader", hasHeader));
    }

    // The inline content of `block` into `runs`.
    void inlines(cmark_node* block, Runs& runs) {
        int emphasis = 0;
        int strong = 0;
        auto style = [&] { return Style{strong > 0, emphasis > 0, false}; };
        for (Walk walk(block); walk.next();) {
            cmark_node* node = walk.node();
            if (node == block) {
                continue;
            }
            bool const entering = walk.entering();
            cmark_node_type const type = typeOf(node);
            switch (type) {
            case CMARK_NODE_TEXT: runs.text(literalOf(node), style()); break;
            case CMARK_NODE_SOFTBREAK: runs.text(" ", style()); break;
            case CMARK_NODE_LINEBREAK: runs.text("\n", style()); break;
            case CMARK_NODE_CODE: {
                MarkdownMath::Style const math = MarkdownMath::equation(node);
                if (math == MarkdownMath::Style::None) {
                    Style code = style();
                    code.monospace = true;
                    runs.text(literalOf(node), code);
                } else {
                    runs.add(object("className", names_.equationNode, "displayStyle",
                                    math == MarkdownMath::Style::Display, "texString", literalOf(node)));
                }
                break;
            }
            case CMARK_NODE_HTML_INLINE:
                warn(node, "raw HTML kept as text");
                runs.text(literalOf(node), style());
                break;
            case CMARK_NODE_EMPH: emphasis += entering ? 1 : -1; break;
            case CMARK_NODE_STRONG: strong += entering ? 1 : -1; break;
            case CMARK_NODE_LINK:
                if (entering) {
                    runs.openLink(hyperlink(node));
                } else {
                    runs.closeLink();
                }
                break;
            case CMARK_NODE_IMAGE:
                runs.add(image(node));
                walk.skip(node);
                break;
            default:
                if (type == CMARK_NODE_STRIKETHROUGH && entering) {
                    warn(node, "strikethrough kept as plain text: text has no such formatting");
                }
                break;
            }
        }
    }

    // A link's address: "#x" names the heading with the id x, any other address is a target,
    // its fragment the anchor (as the writer writes a link with both).
    Value hyperlink(cmark_node* link) {
        std::string_view const url = cmark_node_get_url(link) != nullptr ? cmark_node_get_url(link) : "";
        titleLeftOut(link, "link");
        if (url.size() > 1 && url.front() == '#') {
            std::string_view const name = url.substr(1);
            auto const id = text::linkedAnchor(name, [&](std::string const& id) { return knownIds_.count(id) != 0; });
            if (!id) {
                warn(link, "link to " + quoted(url) + ": no heading has the id " + quoted(name) +
                               "; kept as an anchor of that name");
            }
            return object("anchor", id ? Value(*id) : Value(name), "targetType", names_.anchor);
        }
        std::size_t const fragment = url.find('#');
        if (fragment != std::string_view::npos && fragment > 0 && fragment + 1 < url.size()) {
            return object("anchor", url.substr(fragment + 1), "target", url.substr(0, fragment), "targetType",
                          names_.url);
        }
        return object("target", url, "targetType", names_.url);
    }

    Value image(cmark_node* node) {
        titleLeftOut(node, "image");
        char const* url = cmark_node_get_url(node);
        return object("altText", plainText(node, false), "className", names_.imageNode, "imgSrc",
                      url != nullptr ? url : "");
    }

    void titleLeftOut(cmark_node* node, char const* what) {
        char const* title = cmark_node_get_title(node);
        if (title != nullptr && *title != '\0') {
            warn(node, std::string(what) + " title " + quoted(title) + " left out: " + what + "s have no title");
        }
    }

    ReadDocument& document_;
    Names const names_;
    std::vector<std::string> headingIds_;
    std::size_t nextHeading_ = 0;
    std::unordered_set<std::string> knownIds_;
    std::vector<OpenList> lists_;
};

} // namespace

ReadDocument MarkdownReader::read(std::string_view markdown) {
    ReadDocument document;
    if (markdown.size() > maxInput) {
        document.warn(SourcePlace{1, 1, {}}, "Markdown of " + std::to_string(markdown.size()) +
                                                 " bytes not read: the reader takes up to " + std::to_string(maxInput) +
                                                 " bytes");
        return document;
    }
    try {
        bool const illFormed = checkEncoding(markdown, document);
        MarkdownGuard::Result guarded = MarkdownGuard::check(markdown);
        for (ReaderWarning& warning : guarded.warnings) {
            document.warnings.push_back(std::move(warning));
        }
        std::size_t const before = document.warnings.size();
        MarkdownMath math;
        CmarkTree tree;
        tree.root = parse(guarded.changed ? std::string_view(guarded.escaped) : markdown, math, illFormed);
        Reader(document).read(tree.root);
        if (guarded.changed) {
            for (SourcePlace& place : document.places) {
                place = guarded.original(place);
            }
            for (std::size_t i = before; i < document.warnings.size(); ++i) {
                document.warnings[i].place = guarded.original(document.warnings[i].place);
            }
        }
    } catch (std::exception const& e) {
        // Memory ran out: what was read stays, and the rest is said to be missing. A list
        // still open has only its place.
        for (std::size_t i = document.elements.size(); i > 0; --i) {
            if (document.elements[i - 1].isUndefined()) {
                document.elements.erase(document.elements.begin() + static_cast<std::ptrdiff_t>(i - 1));
                document.places.erase(document.places.begin() + static_cast<std::ptrdiff_t>(i - 1));
            }
        }
        document.warn(SourcePlace{}, std::string("Markdown not read to its end: ") + e.what());
    }
    return document;
}

} // namespace richmarkup::formats

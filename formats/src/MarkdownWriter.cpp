#include <richmarkup/formats/MarkdownWriter.hpp>

#include "HeadingIds.hpp"
#include "MarkdownAnchors.hpp"
#include "NodeKinds.hpp"
#include "NodeWalk.hpp"
#include "NodeWarnings.hpp"
#include "PageBuffer.hpp"
#include "Utf16Text.hpp"
#include <richmarkup/formats/TextEscape.hpp>
#include "UrlFilter.hpp"

#include <document/vxzero/Document.hpp>
#include <document/vxzero/NodeAccess.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <sstream>
#include <string_view>
#include <utility>

namespace richmarkup::formats {

namespace {

namespace dv = document::vxzero;

// Nodes in order, as many as most blocks hold kept in place: a block's children are listed at
// every block, and an allocation for each list would cost more than the listing.
class NodeList {
public:
    using value_type = dv::Node::Impl const*;

    NodeList() = default;
    NodeList(std::initializer_list<value_type> nodes) {
        for (value_type node : nodes) {
            push_back(node);
        }
    }
    NodeList(NodeList const&) = default;
    NodeList(NodeList&& other) noexcept
        : size_(std::exchange(other.size_, 0)), inPlace_(other.inPlace_), more_(std::move(other.more_)) {}
    NodeList& operator=(NodeList const&) = default;
    NodeList& operator=(NodeList&& other) noexcept {
        size_ = std::exchange(other.size_, 0);
        inPlace_ = other.inPlace_;
        more_ = std::move(other.more_);
        return *this;
    }
    ~NodeList() = default;

    void reserve(std::size_t size) {
        if (size > inPlace) {
            more_.reserve(size);
        }
    }

    void push_back(value_type node) {
        if (size_ < inPlace) {
            inPlace_[size_++] = node;
            return;
        }
        if (size_ == inPlace) {
            more_.assign(inPlace_.begin(), inPlace_.end());
        }
        more_.push_back(node);
        ++size_;
    }

    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    value_type const* begin() const noexcept { return size_ <= inPlace ? inPlace_.data() : more_.data(); }
    value_type const* end() const noexcept { return begin() + size_; }
    value_type operator[](std::size_t i) const noexcept { return begin()[i]; }
    value_type front() const noexcept { return *begin(); }

private:
    static constexpr std::size_t inPlace = 16;
    std::size_t size_ = 0;
    std::array<value_type, inPlace> inPlace_; // the first size_ are set
    std::vector<value_type> more_;            // all of them, once there are more than inPlace
};

// Blocks nested deeper than this (lists in list items, tables in cells, ...) are written as one
// flat paragraph of their content: every level costs native stack and, in lists, indentation
// on each line.
constexpr std::size_t maxNesting = 64;

constexpr char replacementCharacter[] = "\xEF\xBF\xBD";

bool isAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isAsciiPunctuation(char c) {
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') || (c >= '{' && c <= '~');
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// ASCII punctuation that can begin or end markup wherever it stands in a line.
constexpr bool alwaysEscaped(char c) {
    switch (c) {
    case '\\':
    case '`':
    case '*':
    case '_':
    case '[':
    case ']':
    case '<':
    case '>':
    case '#':
    case '+':
    case '-':
    case '!':
    case '|':
    case '~':
    case '$':
    case '&': return true;
    default: return false;
    }
}

constexpr struct EscapedBytes {
    bool has[256] = {};
    constexpr EscapedBytes() {
        for (int c = 0; c < 256; ++c) {
            has[c] = alwaysEscaped(static_cast<char>(c));
        }
    }
} escapedBytes;

// Whether any of the sixteen bytes at `p` may need a backslash: one from '!' to '`' (capitals
// and digits among them), '|' or '~'. Most text is lower-case letters, blanks and UTF-8 beyond
// ASCII, and is passed over sixteen bytes at a time.
bool mayEscape16(char const* p) noexcept {
#if defined(__SSE2__)
    __m128i const bytes = _mm_loadu_si128(reinterpret_cast<__m128i const*>(p));
    // Signed: bytes from 0x80 up are below 0x21.
    __m128i may = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(0x20)), _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x61)));
    may = _mm_or_si128(may, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('|')));
    may = _mm_or_si128(may, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('~')));
    return _mm_movemask_epi8(may) != 0;
#else
    (void)p;
    return true;
#endif
}

// A blank as a character reference: readers strip literal blanks that start or end a line.
char const* blankReference(char c) { return c == ' ' ? "&#32;" : "&#9;"; }

NodeList childrenOf(dv::Node::Impl const& node) {
    NodeList out;
    for (dv::Node const& child : node.getChildren()) {
        if (child) {
            out.push_back(child.getImpl());
        }
    }
    return out;
}

// "a HeadingNode", "an ImageNode": a node's kind in a sentence.
std::string kindPhrase(dv::NodeKind kind) {
    std::string const name = dv::kindName(kind);
    bool const vowel = !name.empty() && std::string_view("AEIOU").find(name.front()) != std::string_view::npos;
    return (vowel ? "an " : "a ") + name;
}

std::string quoted(std::string_view text) {
    std::string out;
    text::appendQuoted(out, text);
    return out;
}

// What is said of an internal link to `address` that reaches no heading: `target` is the node
// it names, if any.
std::string unreachedLink(std::string_view address, dv::Node::Impl const* target) {
    return "link to " + quoted(address) + " written as it stands: " +
           (target != nullptr ? kindPhrase(target->getKind()) + " has no id in Markdown"
                              : std::string("no element has that anchor id"));
}

// Reports, at the node concerned, what the Markdown holds otherwise than the model.
class Warnings : public NodeWarnings {
public:
    using NodeWarnings::NodeWarnings;

    // Characters that Markdown cannot hold, as cleanText counted them.
    void reportReplaced(dv::Node::Impl const& node, std::size_t count) const {
        if (count > 0) {
            report(node, std::to_string(count) + (count == 1 ? " character" : " characters") +
                             " that Markdown cannot hold (control characters, lone surrogates) written as U+FFFD");
        }
    }
};

// Strings kept with their room once used: a page makes one for every paragraph, item, cell and
// line of code, most of them short-lived.
class SpareStrings {
public:
    std::string take() {
        if (spares_.empty()) {
            return {};
        }
        std::string text = std::move(spares_.back());
        spares_.pop_back();
        return text;
    }
    void give(std::string&& text) {
        if (text.capacity() > std::string().capacity() && text.capacity() <= maxRoom && spares_.size() < maxKept) {
            text.clear();
            spares_.push_back(std::move(text));
        }
    }

private:
    static constexpr std::size_t maxRoom = 64 * 1024;
    static constexpr std::size_t maxKept = 256;
    std::vector<std::string> spares_;
};

// A step of the inline walk: a node, or (null node) the end of a link, whose markup is the
// last of the scratch's closes.
struct InlineStep {
    dv::Node::Impl const* node;
};

// What an inline writer works in, kept from one paragraph to the next.
struct InlineScratch {
    std::string runText; // room for the run gathered so far
    std::string inner;   // a formatted segment's content, before its delimiters
    std::vector<InlineStep> stack;
    std::vector<std::string> closes; // of the links open in the walk, innermost last
    bool inUse = false;
};

// What one page's writers share.
struct Context {
    Warnings warnings;
    MarkdownAnchors anchors;
    HeadingIds headingIds;
    SpareStrings spares;
    InlineScratch scratch;
};

// Writes model text at `dst` as UTF-8 with one kind of line end (a lone CR ends a line in
// Markdown as well); other control characters become U+FFFD, as in the HTML writer, and so do
// lone surrogates. dst has room for cleanRoom(text) bytes. Adds how many characters were
// replaced to `replaced`, sets `lineEnds` when a line ends in the text; gives the end.
char* writeClean(char* dst, std::u16string_view text, std::size_t& replaced, bool& lineEnds) {
    char16_t const* p = text.data();
    char16_t const* const end = p + text.size();
    while (p != end) {
        std::size_t const run = utf16::narrowPrintable<>(p, end, dst);
        p += run;
        dst += run;
        if (p == end) {
            break;
        }
        char16_t const unit = *p;
        if (unit == '\r' || unit == '\n') {
            *dst++ = '\n';
            lineEnds = true;
            ++p;
            if (unit == '\r' && p != end && *p == '\n') {
                ++p;
            }
        } else if (unit == '\t') {
            *dst++ = '\t';
            ++p;
        } else if (unit < 0x80) {
            std::memcpy(dst, replacementCharacter, 3);
            dst += 3;
            ++replaced;
            ++p;
        } else {
            bool lone = false;
            dst = utf16::encodeWide(dst, p, end, lone);
            replaced += lone ? 1 : 0;
        }
    }
    return dst;
}

// The most bytes writeClean writes for `text`: three a unit (U+FFFD for a control).
std::size_t cleanRoom(std::u16string_view text) { return 3 * text.size(); }

// Text written at the end of a string that is only ever grown: the string's size is the room,
// `length` the part written. Growing fills the new room, so a buffer that is reused is filled
// once, not at every text.
std::size_t appendClean(std::string& room, std::size_t& length, std::u16string_view text, bool& lineEnds) {
    if (room.size() - length < cleanRoom(text)) {
        room.resize(std::max(length + cleanRoom(text), 2 * room.size()));
    }
    std::size_t replaced = 0;
    length = static_cast<std::size_t>(writeClean(&room[length], text, replaced, lineEnds) - room.data());
    return replaced;
}

// Appends to `out` as writeClean writes; gives how many characters were replaced.
std::size_t appendClean(std::string& out, std::u16string_view text, bool& lineEnds) {
    std::size_t length = out.size();
    std::size_t const replaced = appendClean(out, length, text, lineEnds);
    out.resize(length);
    return replaced;
}

// The same as a string of its own; `replaced` and `lineEnds`, when given, get what
// appendClean gives.
std::string cleanText(std::optional<std::u16string> const& value, std::size_t* replaced = nullptr,
                      bool* lineEnds = nullptr) {
    std::string out;
    bool ends = false;
    std::size_t const count = value ? appendClean(out, *value, ends) : 0;
    if (replaced != nullptr) {
        *replaced = count;
    }
    if (lineEnds != nullptr) {
        *lineEnds = ends;
    }
    return out;
}

std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::size_t utf8Length(std::string_view text, std::size_t pos) {
    auto const lead = static_cast<unsigned char>(text[pos]);
    std::size_t const length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return std::min(length, text.size() - pos);
}

std::uint32_t decode(std::string_view character) {
    auto const lead = static_cast<unsigned char>(character[0]);
    if (character.size() == 1) {
        return lead;
    }
    std::uint32_t cp = lead & (character.size() == 2 ? 0x1F : character.size() == 3 ? 0x0F : 0x07);
    for (std::size_t i = 1; i < character.size(); ++i) {
        cp = (cp << 6) | (static_cast<unsigned char>(character[i]) & 0x3F);
    }
    return cp;
}

std::string characterReference(std::string_view character) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::uint32_t cp = decode(character);
    std::string digits;
    do {
        digits.insert(digits.begin(), hex[cp & 0xF]);
        cp >>= 4;
    } while (cp != 0);
    return "&#x" + digits + ";";
}

// Length of the whitespace character (as the emphasis rules count it) at `pos`, or 0.
std::size_t spaceAt(std::string_view text, std::size_t pos) {
    auto byte = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    unsigned const b0 = byte(pos);
    if (b0 < 0xC2) {
        return b0 == ' ' || b0 == '\t' ? 1 : 0;
    }
    unsigned const b1 = byte(pos + 1);
    unsigned const b2 = byte(pos + 2);
    if (b0 == ' ' || b0 == '\t') {
        return 1;
    }
    if (b0 == 0xC2 && b1 == 0xA0) {
        return 2; // U+00A0
    }
    bool const three = (b0 == 0xE1 && b1 == 0x9A && b2 == 0x80) || // U+1680
                       (b0 == 0xE2 && b1 == 0x80 && ((b2 >= 0x80 && b2 <= 0x8A) || b2 == 0xAF)) ||
                       (b0 == 0xE2 && b1 == 0x81 && b2 == 0x9F) || // U+205F
                       (b0 == 0xE3 && b1 == 0x80 && b2 == 0x80);   // U+3000
    return three ? 3 : 0;
}

// Length of the whitespace character that ends `text`, or 0.
std::size_t spaceAtEnd(std::string_view text) {
    if (!text.empty() && static_cast<unsigned char>(text.back()) < 0x80) {
        return text.back() == ' ' || text.back() == '\t' ? 1 : 0; // the longer ones end beyond ASCII
    }
    for (std::size_t length = 1; length <= 3 && length <= text.size(); ++length) {
        if (spaceAt(text, text.size() - length) == length) {
            return length;
        }
    }
    return 0;
}

bool hasNonBlank(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t const n = spaceAt(text, i);
        if (n == 0 && text[i] != '\n') {
            return true;
        }
        i += std::max<std::size_t>(n, 1);
    }
    return false;
}

// Whether the '&' at `pos` starts something Markdown would read as a character reference.
bool startsReference(std::string_view text, std::size_t pos) {
    std::size_t i = pos + 1;
    if (i < text.size() && text[i] == '#') {
        ++i;
    }
    std::size_t const first = i;
    while (i < text.size() && isAsciiAlnum(text[i])) {
        ++i;
    }
    return i > first && i < text.size() && text[i] == ';';
}

// An address without the blanks and control characters around it, which browsers drop too.
std::string_view trimmedAddress(std::string_view url) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!url.empty() && blank(url.front())) {
        url.remove_prefix(1);
    }
    while (!url.empty() && blank(url.back())) {
        url.remove_suffix(1);
    }
    return url;
}

// Bytes of an address that destination() writes as they stand, whatever precedes them.
bool plainInAddress(char ch) {
    auto const c = static_cast<unsigned char>(ch);
    return c > 0x20 && c != 0x7F && c != '(' && c != ')' && c != '<' && c != '>' && c != '\\' && c != '&';
}

// A link or image address as Markdown reads it back: in angle brackets when it holds a space
// or a parenthesis; backslashes, angle brackets and reference-like '&' escaped; control
// characters, line ends included (which no form allows), percent-encoded.
std::string destination(std::string_view url) {
    static constexpr char hex[] = "0123456789ABCDEF";
    bool pointed = false;
    std::string body;
    body.reserve(url.size() + 2);
    for (std::size_t i = 0; i < url.size(); ++i) {
        // Most of an address is letters, digits and the punctuation below: copied in runs.
        std::size_t run = i;
        while (run < url.size() && plainInAddress(url[run])) {
            ++run;
        }
        body.append(url, i, run - i);
        if ((i = run) == url.size()) {
            break;
        }
        auto const c = static_cast<unsigned char>(url[i]);
        if (c < 0x20 || c == 0x7F) {
            body.push_back('%');
            body.push_back(hex[c >> 4]);
            body.push_back(hex[c & 0xF]);
        } else if (c == ' ' || c == '(' || c == ')') {
            pointed = true;
            body.push_back(url[i]);
        } else if (c == '<' || c == '>') {
            pointed = true;
            body.push_back('\\');
            body.push_back(url[i]);
        } else if (c == '\\') {
            body += "\\\\";
        } else if (c == '&' && startsReference(url, i)) {
            // Readers decode references in an address before they take escapes out.
            body += "&amp;";
        } else {
            body.push_back(url[i]);
        }
    }
    if (pointed) {
        body.insert(0, 1, '<');
        body.push_back('>');
    }
    return body;
}

// A code span around `text` (which does not start or end with a line end): a fence longer than
// any backtick run inside, and a space of padding where readers would strip one or read the
// text's backtick as part of the fence.
void appendCodeSpan(std::string& out, std::string_view text) {
    std::size_t longest = 0;
    for (std::size_t i = text.find('`'); i != std::string_view::npos;) {
        std::size_t const end = std::min(text.find_first_not_of('`', i), text.size());
        longest = std::max(longest, end - i);
        i = text.find('`', end);
    }
    bool const pad =
        text.front() == '`' || text.back() == '`' || (text.size() > 1 && text.front() == ' ' && text.back() == ' ');
    out.append(longest + 1, '`');
    if (pad) {
        out.push_back(' ');
    }
    out += text;
    if (pad) {
        out.push_back(' ');
    }
    out.append(longest + 1, '`');
}

std::string codeSpan(std::string_view text) {
    std::string out;
    appendCodeSpan(out, text);
    return out;
}

// Whether `$tex$` and `$$tex$$` read back as `tex`: a '$' outside braces ends the TeX, and
// unbalanced braces or a final backslash (which escapes the closing '$') keep readers from
// finding its end.
bool readsBackAsTex(std::string_view tex) {
    std::size_t depth = 0;
    for (std::size_t i = 0; i < tex.size(); ++i) {
        switch (tex[i]) {
        case '\\':
            if (++i == tex.size()) {
                return false;
            }
            break;
        case '{': ++depth; break;
        case '}':
            if (depth == 0) {
                return false;
            }
            --depth;
            break;
        case '$':
            if (depth == 0) {
                return false;
            }
            break;
        default: break;
        }
    }
    return depth == 0;
}

struct Style {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool monospace = false;

    bool plain() const { return !bold && !italic && !underline && !monospace; }
    friend bool operator==(Style const& a, Style const& b) {
        return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline && a.monospace == b.monospace;
    }
};

Style styleOf(dv::RichTextNode::Impl const& run) {
    Style style;
    if (auto const& formatting = run.getFormatting()) {
        style.bold = formatting->getBold().value_or(false);
        style.italic = formatting->getItalic().value_or(false);
        style.underline = formatting->getUnderline().value_or(false);
        style.monospace = formatting->getMonospace().value_or(false);
    }
    return style;
}

enum class InlineMode {
    Paragraph,  // line breaks are hard breaks
    SingleLine, // a heading: line breaks become spaces
    TableCell,  // as SingleLine, and every '|' is escaped for the table's own split
};

// Writes inline content (runs, links, images, equations) as the Markdown of one paragraph.
// Escaping depends on what precedes: where the line starts (a '#', '=' or "1." there would
// begin a block), and whether emphasis just closed (its delimiters only count when their
// neighbours let them).
class InlineWriter {
public:
    InlineWriter(InlineMode mode, Context& context)
        : mode_(mode), context_(context), scratch_(context.scratch.inUse ? own_ : context.scratch),
          out_(context.spares.take()), runText_(scratch_.runText), stack_(scratch_.stack), closes_(scratch_.closes),
          inner_(scratch_.inner) {
        scratch_.inUse = true;
    }
    ~InlineWriter() {
        scratch_.inUse = false;
        runLength_ = 0;
        context_.spares.give(std::move(out_));
    }
    InlineWriter(InlineWriter const&) = delete;
    InlineWriter& operator=(InlineWriter const&) = delete;

    // Keeps the text a reader of the Markdown finds, for a heading's id.
    void keepText() { keepText_ = true; }
    std::string const& text() const { return text_; }

    // Blocks met in the content are written as their text without a word: the caller
    // reported the flattening.
    void quietAboutBlocks() { quietAboutBlocks_ = true; }

    // Walks with a stack of its own: links may nest as deep as a model lets them.
    void write(dv::Node::Impl const& root) {
        std::vector<Step>& stack = stack_;
        stack.clear();
        closes_.clear();
        stack.push_back(Step{&root});
        while (!stack.empty()) {
            Step const step = stack.back();
            stack.pop_back();
            if (step.node == nullptr) {
                flushRun();
                markup(closes_.back());
                closes_.pop_back();
                inLink_ = false;
                continue;
            }
            dv::Node::Impl const& node = *step.node;
            switch (node.getKind()) {
            case dv::NodeKind::RichTextNode: {
                auto const& run = static_cast<dv::RichTextNode::Impl const&>(node);
                addRun(node, run.getText(), styleOf(run));
                continue;
            }
            case dv::NodeKind::CodeTextNode:
                addRun(node, static_cast<dv::CodeTextNode::Impl const&>(node).getText(), Style{});
                continue;
            case dv::NodeKind::ImageNode:
                flushRun();
                image(static_cast<dv::ImageNode::Impl const&>(node));
                continue;
            case dv::NodeKind::EquationNode:
                flushRun();
                equation(static_cast<dv::EquationNode::Impl const&>(node));
                continue;
            case dv::NodeKind::HyperlinkNode: {
                auto const& link = static_cast<dv::HyperlinkNode::Impl const&>(node);
                // Markdown has no link inside a link: an inner one gives its text only.
                if (inLink_) {
                    if (warnings().enabled()) {
                        warnings().report(node, "link inside a link written as its text: its address " +
                                                    quoted(text::linkAddress(link.getTarget(), link.getAnchor())) +
                                                    " left out");
                    }
                } else if (auto target = linkDestination(link)) {
                    flushRun();
                    markup("[");
                    inLink_ = true;
                    closes_.push_back("](" + *target + ")");
                    stack.push_back(Step{nullptr});
                }
                break;
            }
            default:
                // A block inside inline content (a hand-made model) gives its text, apart.
                if (!quietAboutBlocks_) {
                    warnings().report(node, kindPhrase(node.getKind()) + " inside inline content written as its text");
                }
                flushRun();
                if (!out_.empty() && out_.back() != ' ') {
                    plain(" ");
                    keep(" ");
                }
                break;
            }
            auto const& children = node.getChildren();
            for (std::size_t i = children.size(); i > 0; --i) {
                if (children[i - 1]) {
                    stack.push_back(Step{children[i - 1].getImpl()});
                }
            }
        }
    }

    std::string finish() {
        flushRun();
        if (pendingBreaks_ > 0 && breakNode_ != nullptr) {
            warnings().report(*breakNode_, "line break at the end of a paragraph left out: Markdown has none there");
        }
        pendingBreaks_ = 0;
        keepTrailingBlank();
        if (mode_ != InlineMode::TableCell) {
            return std::move(out_);
        }
        // The table splits its rows before any other reading, code spans included, and takes
        // the backslash off each escaped pipe.
        std::string cell = context_.spares.take();
        std::size_t begin = 0;
        for (std::size_t pipe = out_.find('|'); pipe != std::string::npos; pipe = out_.find('|', pipe + 1)) {
            cell.append(out_, begin, pipe - begin);
            cell.push_back('\\');
            begin = pipe;
        }
        cell.append(out_, begin, std::string::npos);
        return cell;
    }

private:
    enum class Line { Start, Digits, Other };

    using Step = InlineStep;

    Warnings const& warnings() const { return context_.warnings; }

    void keep(std::string_view text) {
        if (keepText_) {
            text_ += text;
        }
    }

    // Runs of the same style are written as one, so that no delimiters stand between them.
    void addRun(dv::Node::Impl const& node, std::optional<std::u16string> const& value, Style style) {
        if (!value || value->empty()) {
            return;
        }
        if (!hasRun_ || !(runStyle_ == style)) {
            flushRun();
            hasRun_ = true;
            runStyle_ = style;
        }
        // The run's text goes where it is gathered; what is said of it looks at it there.
        std::size_t const start = runLength_;
        bool lineEnds = false;
        std::size_t const replaced = appendClean(runText_, runLength_, *value, lineEnds);
        std::string_view const text(runText_.data() + start, runLength_ - start);
        warnings().reportReplaced(node, replaced);
        if (lineEnds) {
            breakNode_ = &node;
            if (mode_ != InlineMode::Paragraph) {
                warnings().report(node, mode_ == InlineMode::SingleLine
                                            ? "line break in a heading written as a space: a heading is one line"
                                            : "line break in a table cell written as a space: a cell is one line");
            }
        }
        if (style.underline && warnings().enabled() && hasNonBlank(text)) {
            warnings().report(node, "underline written as raw HTML <u>, which safe renderers drop (the text stays)");
        }
        if (keepText_) {
            keep(oneLine(std::string(text)));
        }
    }

    void flushRun() {
        if (!hasRun_) {
            return;
        }
        hasRun_ = false;
        std::string_view const text(runText_.data(), runLength_);
        std::size_t begin = 0;
        while (true) {
            std::size_t const end = text.find('\n', begin);
            segment(text.substr(begin, end == std::string::npos ? std::string::npos : end - begin), runStyle_);
            if (end == std::string::npos) {
                break;
            }
            lineBreak();
            begin = end + 1;
        }
        runLength_ = 0;
    }

    // One line of a run. Blanks at either end go outside the formatting: delimiters next to a
    // blank would not count.
    void segment(std::string_view text, Style style) {
        if (style.plain()) {
            plain(text);
            return;
        }
        std::size_t begin = 0;
        while (std::size_t const n = spaceAt(text, begin)) {
            begin += n;
        }
        std::size_t end = text.size();
        while (end > begin) {
            std::size_t const n = spaceAtEnd(text.substr(0, end));
            if (n == 0 || n > end - begin) {
                break;
            }
            end -= n;
        }
        plain(text.substr(0, begin));
        if (begin == end) {
            return;
        }
        std::string_view const core = text.substr(begin, end - begin);
        std::string& inner = inner_;
        inner.clear();
        if (style.underline) {
            inner += "<u>";
        }
        if (style.monospace) {
            appendCodeSpan(inner, core);
        } else {
            escape(inner, core);
        }
        if (style.underline) {
            inner += "</u>";
        }
        if (style.bold || style.italic) {
            emphasis(inner, style);
        } else {
            markup(inner);
        }
        plain(text.substr(end));
    }

    // A delimiter run opens only when the character before it is a blank or punctuation, or
    // the text after it starts with neither; it closes likewise. Where the neighbour would stop
    // that, it is written as a character reference, which reads the same but counts as
    // punctuation. Right after closing delimiters the other character is used, so that two
    // runs' delimiters never merge into one.
    void emphasis(std::string const& inner, Style style) {
        flushBreaks();
        char const mark = lastCloser_ == '*' ? '_' : '*';
        bool const underscore = mark == '_'; // '_' never opens or closes between word characters
        std::size_t const delimiter = (style.bold ? 2 : 0) + (style.italic ? 1 : 0);
        if (line_ != Line::Start && (underscore || !isAsciiAlnum(inner.front())) && lastIsWordCharacter()) {
            std::size_t start = out_.size() - 1;
            while (start > 0 && (static_cast<unsigned char>(out_[start]) & 0xC0) == 0x80) {
                --start;
            }
            std::string const reference = characterReference(std::string_view(out_).substr(start));
            out_.resize(start);
            out_ += reference;
        }
        out_.append(delimiter, mark);
        out_ += inner;
        out_.append(delimiter, mark);
        line_ = Line::Other;
        lastCloser_ = mark;
        needsBoundary_ = underscore || !isAsciiAlnum(inner.back());
        needsNonDigit_ = false;
    }

    bool lastIsWordCharacter() const {
        if (out_.empty()) {
            return false;
        }
        char const c = out_.back();
        // Anything beyond ASCII may be a letter: a reference for it is harmless.
        return static_cast<unsigned char>(c) >= 0x80 || isAsciiAlnum(c);
    }

    void escape(std::string& out, std::string_view text) const {
        // In runs: most text has nothing to escape.
        bool const cell = mode_ == InlineMode::TableCell;
        std::size_t run = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            while (i + 16 <= text.size() && !mayEscape16(text.data() + i)) {
                i += 16;
            }
            if (i == text.size()) {
                break;
            }
            auto const c = static_cast<unsigned char>(text[i]);
            if (escapedBytes.has[c] && !(c == '|' && cell)) {
                out.append(text.data() + run, i - run);
                out.push_back('\\');
                run = i;
            }
        }
        out.append(text.data() + run, text.size() - run);
    }

    // Text outside any formatting.
    void plain(std::string_view text) {
        if (text.empty()) {
            return;
        }
        flushBreaks();
        for (std::size_t i = 0; i < text.size();) {
            if (line_ == Line::Other && !needsBoundary_ && !needsNonDigit_) {
                // Past the start of a line and what follows markup only the punctuation that
                // can be markup anywhere needs a backslash.
                escape(out_, text.substr(i));
                break;
            }
            char const c = text[i];
            std::size_t const length = static_cast<unsigned char>(c) < 0x80 ? 1 : utf8Length(text, i);
            bool const digit = c >= '0' && c <= '9';
            if (needsBoundary_ || needsNonDigit_) {
                // Only the character right after markup is guarded.
                bool const guarded =
                    (needsBoundary_ && !isBlank(c) && !isAsciiPunctuation(c)) || (needsNonDigit_ && digit);
                needsBoundary_ = false;
                needsNonDigit_ = false;
                if (guarded) {
                    out_ += characterReference(text.substr(i, length));
                    line_ = Line::Other;
                    i += length;
                    continue;
                }
            }
            if (isBlank(c) && line_ == Line::Start) {
                // Four literal blanks there would even make a code block.
                out_ += blankReference(c);
                line_ = Line::Other;
            } else {
                bool const blockStart =
                    (line_ == Line::Start && c == '=') || (line_ == Line::Digits && (c == '.' || c == ')'));
                if (blockStart || (alwaysEscaped(c) && !(c == '|' && mode_ == InlineMode::TableCell))) {
                    out_.push_back('\\');
                }
                if (length == 1) {
                    out_.push_back(c);
                } else {
                    out_.append(text.data() + i, length);
                }
                line_ = line_ != Line::Other && digit ? Line::Digits : Line::Other;
            }
            i += length;
        }
        lastCloser_ = 0;
    }

    // Markup of this writer's own; it starts with punctuation, so it never needs a boundary.
    void markup(std::string_view text) {
        flushBreaks();
        out_ += text;
        line_ = Line::Other;
        needsBoundary_ = false;
        needsNonDigit_ = false;
        lastCloser_ = 0;
    }

    // Breaks wait for the next content: at the end of a paragraph a backslash would be text.
    void lineBreak() {
        if (mode_ != InlineMode::Paragraph) {
            plain(" ");
        } else {
            ++pendingBreaks_;
        }
    }

    void flushBreaks() {
        if (pendingBreaks_ == 0) {
            return;
        }
        keepTrailingBlank();
        for (; pendingBreaks_ > 0; --pendingBreaks_) {
            out_ += "\\\n";
        }
        line_ = Line::Start;
        needsBoundary_ = false;
        needsNonDigit_ = false;
        lastCloser_ = 0;
    }

    // The blank that ends a line, as a reference: readers strip literal ones there. Only text
    // ends the output with a blank; markup never does.
    void keepTrailingBlank() {
        if (!out_.empty() && isBlank(out_.back())) {
            char const c = out_.back();
            out_.pop_back();
            out_ += blankReference(c);
        }
    }

    std::optional<std::string> linkDestination(dv::HyperlinkNode::Impl const& link) {
        std::string const address = text::linkAddress(link.getTarget(), link.getAnchor());
        std::string_view const kept = trimmedAddress(address);
        if (kept.empty()) {
            warnings().report(link, "link without an address written as its text");
            return std::nullopt;
        }
        if (!UrlFilter::forLink(address)) {
            warnings().report(link, "link address " + quoted(address) +
                                        " left out: " + UrlFilter::linkRefusal(address) + "; written as its text");
            return std::nullopt;
        }
        if (kept.front() != '#' || kept.size() == 1) {
            return destination(kept);
        }
        // Markdown gives ids to headings only, made from their text.
        dv::Node::Impl const* target = context_.anchors.find(kept.substr(1));
        if (target != nullptr && target->getKind() == dv::NodeKind::HeadingNode) {
            return context_.anchors.placeholder(link, *target, kept);
        }
        if (warnings().enabled()) {
            warnings().report(link, unreachedLink(kept, target));
        }
        return destination(kept);
    }

    void image(dv::ImageNode::Impl const& image) {
        std::string alt;
        std::optional<std::string> source;
        std::string refused; // why the source is left out, if it is
        std::string address;
        if (auto const& data = image.getData()) {
            std::size_t replaced = 0;
            alt = oneLine(cleanText(data->getAltText(), warnings().enabled() ? &replaced : nullptr));
            warnings().reportReplaced(image, replaced);
            if (data->getImgSrc()) {
                address = text::toUtf8(*data->getImgSrc());
                std::string_view const kept = trimmedAddress(address);
                if (kept.empty()) {
                    // No source: as if there were none.
                } else if (UrlFilter::forImage(address)) {
                    source = destination(kept);
                } else {
                    refused = UrlFilter::imageRefusal(address);
                }
            }
        }
        if (source) {
            markup("![");
            escape(out_, alt);
            markup("](" + *source + ")");
            return;
        }
        std::string const why =
            refused.empty() ? "image without a source" : "image source " + quoted(address) + " left out: " + refused;
        if (alt.empty()) {
            warnings().report(image, why + (refused.empty() ? " or alternative text left out"
                                                            : "; the image has no alternative text and is left out"));
            return;
        }
        warnings().report(
            image, why + (refused.empty() ? " written as its alternative text" : "; written as its alternative text"));
        plain("[" + alt + "]");
        keep("[" + alt + "]");
    }

    // The TeX as it stands, between dollars, where readers take it back unchanged; otherwise as
    // code, which keeps the text.
    void equation(dv::EquationNode::Impl const& equation) {
        std::size_t replaced = 0;
        std::string tex = cleanText(equation.getTexString(), warnings().enabled() ? &replaced : nullptr);
        warnings().reportReplaced(equation, replaced);
        if (tex.empty()) {
            return;
        }
        if (tex.find('\n') != std::string::npos) {
            // A line of TeX could start a block (a '#', a list marker, a blank line ends it).
            tex = oneLine(std::move(tex));
            warnings().report(equation, "line breaks in the TeX written as spaces");
        }
        auto const& data = equation.getEquationData();
        bool const display = data && data->getDisplayStyle().value_or(false);
        if (!display) {
            // Readers take no inline TeX that starts or ends with a blank.
            std::size_t begin = 0;
            std::size_t end = tex.size();
            while (begin < end && isBlank(tex[begin])) {
                ++begin;
            }
            while (end > begin && isBlank(tex[end - 1])) {
                --end;
            }
            if (begin == end) {
                warnings().report(equation, "equation of blanks only left out");
                return;
            }
            if (end - begin != tex.size()) {
                tex = tex.substr(begin, end - begin);
                warnings().report(equation, "blanks around the TeX left out: inline TeX cannot start or end with one");
            }
        }
        if (readsBackAsTex(tex)) {
            std::string const fence = display ? "$$" : "$";
            markup(fence + tex + fence);
            // "$x$2" is no TeX to some readers.
            needsNonDigit_ = true;
        } else {
            warnings().report(equation, "equation written as code: its TeX has an unbalanced brace, a '$' outside "
                                        "braces or a final backslash, which hide the end of the TeX");
            markup(codeSpan(tex));
        }
        keep(tex);
    }

    InlineMode mode_;
    Context& context_;
    InlineScratch own_; // when the context's is in use
    InlineScratch& scratch_;
    std::string out_;
    Line line_ = Line::Start;
    std::size_t pendingBreaks_ = 0;
    dv::Node::Impl const* breakNode_ = nullptr; // the last node whose text holds a line break
    bool needsBoundary_ = false;                // the next character must not be a word character
    bool needsNonDigit_ = false;                // the next character must not be a digit
    char lastCloser_ = 0;                       // the delimiter character that out_ ends with, if any
    bool inLink_ = false;
    bool hasRun_ = false;
    bool keepText_ = false;
    bool quietAboutBlocks_ = false;
    Style runStyle_;
    std::string& runText_; // room for the run: its first runLength_ bytes are the run's text
    std::size_t runLength_ = 0;
    std::vector<Step>& stack_;
    std::vector<std::string>& closes_;
    std::string& inner_;
    std::string text_;
};

struct Block {
    enum class Kind { Paragraph, List, Other };
    std::string text; // its lines, without the last line end
    Kind kind = Kind::Other;
    char marker = 0;            // of a list: '-' or '*', '.' or ')'
    bool opensWithText = false; // of a list: its first item has text on the marker's line
};

// Writes blocks; container blocks indent or wrap the blocks of their content.
class BlockWriter {
public:
    // Top-level blocks are handed to `page` as soon as the next one is under way (a list looks
    // at the block before it), each after a blank line: the page is never whole in memory.
    BlockWriter(Context& context, std::function<void(std::string_view)> page)
        : context_(context), page_(std::move(page)) {}

    void document(NodeList const& nodes) {
        std::vector<Block> blocks;
        flow(nodes, 0, blocks);
        handOn(blocks, blocks.size());
    }

private:
    struct Heading {
        dv::Node::Impl const& node;
        int level;
        bool written = false;
    };

    Warnings const& warnings() const { return context_.warnings; }

    // Content where blocks and inline nodes may mix: each stretch of inline nodes is one
    // paragraph, or one heading line when `heading` is set.
    void flow(NodeList const& nodes, std::size_t depth, std::vector<Block>& into, Heading* heading = nullptr) {
        std::size_t i = 0;
        while (i < nodes.size()) {
            if (depth == 0 && into.size() > 1) {
                handOn(into, into.size() - 1);
            }
            if (!isInlineKind(nodes[i]->getKind())) {
                block(*nodes[i], depth, into);
                ++i;
                continue;
            }
            InlineWriter writer(heading != nullptr ? InlineMode::SingleLine : InlineMode::Paragraph, context_);
            if (heading != nullptr) {
                writer.keepText();
            }
            for (; i < nodes.size() && isInlineKind(nodes[i]->getKind()); ++i) {
                writer.write(*nodes[i]);
            }
            std::string text = writer.finish();
            if (text.empty()) {
                continue;
            }
            if (heading != nullptr) {
                headingLine(*heading, writer.text(), std::move(text), into);
            } else {
                into.push_back(Block{std::move(text), Block::Kind::Paragraph});
            }
        }
    }

    // The first `count` top-level blocks to the page.
    void handOn(std::vector<Block>& blocks, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (handedOn_++ > 0) {
                page_("\n\n");
            }
            page_(blocks[i].text);
            context_.spares.give(std::move(blocks[i].text));
        }
        blocks.erase(blocks.begin(), blocks.begin() + static_cast<std::ptrdiff_t>(count));
    }

    // One line of a heading; its first gives the heading's id. An empty heading is the marker
    // alone.
    void headingLine(Heading& heading, std::string const& readBack, std::string text, std::vector<Block>& into) {
        std::string const id = context_.headingIds.next(readBack);
        if (!heading.written) {
            context_.anchors.headingWritten(heading.node, id);
            heading.written = true;
        }
        std::string line = context_.spares.take();
        line.append(static_cast<std::size_t>(heading.level), '#');
        if (!text.empty()) {
            line += ' ';
            line += text;
        }
        context_.spares.give(std::move(text));
        into.push_back(Block{std::move(line)});
    }

    void block(dv::Node::Impl const& node, std::size_t depth, std::vector<Block>& into) {
        if (depth >= maxNesting) {
            warnings().report(node, "nested more than " + std::to_string(maxNesting) +
                                        " blocks deep: written as one paragraph of its text");
            InlineWriter writer(InlineMode::Paragraph, context_);
            writer.quietAboutBlocks();
            writer.write(node);
            if (std::string text = writer.finish(); !text.empty()) {
                into.push_back(Block{std::move(text), Block::Kind::Paragraph});
            }
            return;
        }
        switch (node.getKind()) {
        case dv::NodeKind::HeadingNode: {
            int const level = static_cast<dv::HeadingNode::Impl const&>(node).getLevel().value_or(1);
            Heading heading{node, std::clamp(level, 1, 6)};
            if (heading.level != level) {
                warnings().report(node, "heading level " + std::to_string(level) + " written as " +
                                            std::to_string(heading.level) + ": Markdown has levels 1 to 6");
            }
            flow(childrenOf(node), depth + 1, into, &heading);
            if (!heading.written) {
                headingLine(heading, {}, {}, into);
            }
            return;
        }
        case dv::NodeKind::ListContainer:
            list(node, static_cast<dv::ListContainer::Impl const&>(node).getIsOrdered().value_or(false), depth, into);
            return;
        case dv::NodeKind::TableOfContentsContainer: list(node, false, depth, into); return;
        case dv::NodeKind::CodeExampleBlock:
            codeBlock(node, childrenOf(node), static_cast<dv::CodeExampleBlock::Impl const&>(node).getCodeExampleType(),
                      into);
            return;
        case dv::NodeKind::CodeExampleLine: codeBlock(node, NodeList{&node}, std::nullopt, into); return;
        case dv::NodeKind::TableNode: {
            auto const& meta = static_cast<dv::TableNode::Impl const&>(node).getTableNodeMetaData();
            table(node, childrenOf(node), meta && meta->getHasHeader().value_or(false), depth, into);
            return;
        }
        case dv::NodeKind::TableRowNode: table(node, NodeList{&node}, false, depth, into); return;
        default:
            // Paragraphs, and items, entries and cells met outside their containers.
            flow(childrenOf(node), depth + 1, into);
            return;
        }
    }

    void list(dv::Node::Impl const& node, bool ordered, std::size_t depth, std::vector<Block>& into) {
        // An item holds its children; a list right inside the list belongs to the item before
        // it; anything else is an item of its own.
        std::vector<NodeList> items;
        items.reserve(node.getChildren().size());
        for (dv::Node::Impl const* child : childrenOf(node)) {
            dv::NodeKind const kind = child->getKind();
            if (kind == dv::NodeKind::ListItem || kind == dv::NodeKind::TableOfContentsHeadingNode) {
                items.push_back(childrenOf(*child));
            } else if ((kind == dv::NodeKind::ListContainer || kind == dv::NodeKind::TableOfContentsContainer) &&
                       !items.empty()) {
                items.back().push_back(child);
            } else {
                items.push_back(NodeList{child});
            }
        }
        if (items.empty()) {
            return;
        }
        // A list right after one of the same kind would continue it, unless its marker differs.
        char const previous = !into.empty() && into.back().kind == Block::Kind::List ? into.back().marker : 0;
        char const marker = ordered ? (previous == '.' ? ')' : '.') : (previous == '-' ? '*' : '-');
        Block result{context_.spares.take(), Block::Kind::List, marker};
        std::vector<Block> blocks;
        std::string content = context_.spares.take();
        for (std::size_t i = 0; i < items.size(); ++i) {
            std::string const prefix = ordered ? std::to_string(i + 1) + marker : std::string(1, marker);
            release(blocks);
            flow(items[i], depth + 1, blocks);
            content.clear();
            join(blocks, true, content);
            // A list inside starts on the next line: markers side by side ("- - -") can read
            // as a thematic break.
            bool const sameLine = !content.empty() && blocks.front().kind != Block::Kind::List;
            if (i == 0) {
                result.opensWithText = sameLine;
            } else {
                result.text.push_back('\n');
            }
            result.text += prefix;
            if (content.empty()) {
                continue;
            }
            result.text.push_back(sameLine ? ' ' : '\n');
            std::string const indent(prefix.size() + 1, ' ');
            for (std::size_t begin = 0;;) {
                std::size_t const end = content.find('\n', begin);
                if ((begin != 0 || !sameLine) && begin < content.size() && content[begin] != '\n') {
                    result.text += indent;
                }
                result.text.append(content, begin, end == std::string::npos ? std::string::npos : end - begin + 1);
                if (end == std::string::npos) {
                    break;
                }
                begin = end + 1;
            }
        }
        release(blocks);
        context_.spares.give(std::move(content));
        into.push_back(std::move(result));
    }

    // Gives the blocks' texts back to the spares and empties `blocks`.
    void release(std::vector<Block>& blocks) {
        for (Block& block : blocks) {
            context_.spares.give(std::move(block.text));
        }
        blocks.clear();
    }

    void codeBlock(dv::Node::Impl const& node, NodeList const& lines, std::optional<std::u16string> const& type,
                   std::vector<Block>& into) {
        // The lines, each after a line end; a line's own line ends are as appendTextOf writes them.
        std::string& room = codeRoom_;
        std::size_t length = 0;
        std::size_t replaced = 0;
        for (dv::Node::Impl const* line : lines) {
            if (room.size() == length) {
                room.resize(std::max<std::size_t>(256, 2 * room.size()));
            }
            room[length++] = '\n';
            appendTextOf(room, length, *line, replaced);
        }
        std::string_view const content(room.data(), length);
        warnings().reportReplaced(node, replaced);
        std::string const info = type ? infoString(node, *type) : std::string();
        // A backtick fence's info string may hold no backtick; a tilde fence's may.
        char const mark = info.find('`') == std::string::npos ? '`' : '~';
        std::size_t longest = 0;
        for (std::size_t i = content.find(mark); i != std::string::npos;) {
            std::size_t const end = std::min(content.find_first_not_of(mark, i), content.size());
            longest = std::max(longest, end - i);
            i = content.find(mark, end);
        }
        std::size_t const fence = std::max<std::size_t>(3, longest + 1);
        std::string text = context_.spares.take();
        text.append(fence, mark);
        text += info;
        text += content;
        text.push_back('\n');
        text.append(fence, mark);
        into.push_back(Block{std::move(text)});
    }

    // The code type as a fence's info string, which readers trim and take escapes and
    // references out of: a backslash before punctuation and a reference-like '&' are escaped,
    // a line end is a reference.
    std::string infoString(dv::Node::Impl const& node, std::u16string const& type) const {
        std::size_t replaced = 0;
        std::string const value = cleanText(type, warnings().enabled() ? &replaced : nullptr);
        warnings().reportReplaced(node, replaced);
        std::size_t begin = 0;
        std::size_t end = value.size();
        while (begin < end && (isBlank(value[begin]) || value[begin] == '\n')) {
            ++begin;
        }
        while (end > begin && (isBlank(value[end - 1]) || value[end - 1] == '\n')) {
            --end;
        }
        if (end - begin != value.size()) {
            warnings().report(node, "blanks around the code type " + quoted(value) + " left out: readers trim them");
        }
        std::string out;
        for (std::size_t i = begin; i < end; ++i) {
            char const c = value[i];
            if (c == '\n') {
                out += "&#10;";
            } else if (c == '&' && startsReference(value, i)) {
                out += "&amp;";
            } else {
                if (c == '\\' && i + 1 < end && isAsciiPunctuation(value[i + 1])) {
                    out.push_back('\\');
                }
                out.push_back(c);
            }
        }
        return out;
    }

    // The texts under `node` as they stand, for a code block, written into `room` from `length`
    // on as appendClean writes them; adds the characters replaced to `replaced`.
    void appendTextOf(std::string& room, std::size_t& length, dv::Node::Impl const& node, std::size_t& replaced) {
        auto add = [&](std::optional<std::u16string> const& value) {
            bool lineEnds = false;
            replaced += value ? appendClean(room, length, *value, lineEnds) : 0;
        };
        std::vector<dv::Node::Impl const*>& stack = walk_;
        stack.assign(1, &node);
        while (!stack.empty()) {
            dv::Node::Impl const& current = *stack.back();
            stack.pop_back();
            auto const& children = current.getChildren();
            for (std::size_t i = children.size(); i > 0; --i) {
                if (auto const* child = children[i - 1].getImpl()) {
                    stack.push_back(child);
                }
            }
            switch (current.getKind()) {
            case dv::NodeKind::RichTextNode:
            case dv::NodeKind::CodeTextNode: add(static_cast<dv::TextNode::Impl const&>(current).getText()); break;
            case dv::NodeKind::EquationNode:
                add(static_cast<dv::EquationNode::Impl const&>(current).getTexString());
                break;
            case dv::NodeKind::ImageNode:
                if (auto const& data = static_cast<dv::ImageNode::Impl const&>(current).getData()) {
                    add(data->getAltText());
                }
                break;
            default: break;
            }
        }
    }

    // A pipe table when every cell is empty or one paragraph of inline content; otherwise an
    // HTML table whose cells hold Markdown blocks (between blank lines, so that they are read
    // as Markdown, and kept even by a renderer that leaves raw HTML out).
    void table(dv::Node::Impl const& node, NodeList const& rowNodes, bool hasHeader, std::size_t depth,
               std::vector<Block>& into) {
        std::vector<NodeList> rows;
        rows.reserve(rowNodes.size());
        bool pipes = true;
        std::size_t width = 0;
        for (dv::Node::Impl const* row : rowNodes) {
            rows.push_back(row->getKind() == dv::NodeKind::TableRowNode ? childrenOf(*row) : NodeList{row});
            pipes = pipes && row->getKind() == dv::NodeKind::TableRowNode;
            width = std::max(width, rows.back().size());
            for (dv::Node::Impl const* cell : rows.back()) {
                pipes = pipes && isSimpleCell(*cell);
            }
        }
        if (width == 0) {
            return;
        }
        if (pipes) {
            pipeTable(rows, hasHeader, width, into);
        } else {
            warnings().report(node, "table written as raw HTML <table>, which safe renderers drop: a cell holds "
                                    "blocks a pipe table cannot (the cells' content stays, one after another)");
            htmlTable(rows, hasHeader, depth, into);
        }
    }

    static bool isSimpleCell(dv::Node::Impl const& cell) {
        if (cell.getKind() != dv::NodeKind::TableCellNode) {
            return false;
        }
        NodeList const content = childrenOf(cell);
        if (content.empty()) {
            return true;
        }
        if (content.size() != 1 || content[0]->getKind() != dv::NodeKind::RichTextParagraphNode) {
            return false;
        }
        NodeList const inlines = childrenOf(*content[0]);
        return std::all_of(inlines.begin(), inlines.end(),
                           [](dv::Node::Impl const* node) { return isInlineKind(node->getKind()); });
    }

    void pipeTable(std::vector<NodeList> const& rows, bool hasHeader, std::size_t width, std::vector<Block>& into) {
        auto line = [&](NodeList const& cells) {
            std::string out = context_.spares.take();
            out += '|';
            for (std::size_t i = 0; i < width; ++i) {
                InlineWriter writer(InlineMode::TableCell, context_);
                if (i < cells.size()) {
                    for (dv::Node::Impl const* paragraph : childrenOf(*cells[i])) {
                        for (dv::Node::Impl const* node : childrenOf(*paragraph)) {
                            writer.write(*node);
                        }
                    }
                }
                std::string cell = writer.finish();
                out += ' ';
                out += cell;
                out += " |";
                context_.spares.give(std::move(cell));
            }
            return out;
        };
        std::string text = line(hasHeader ? rows.front() : NodeList{});
        text += "\n|";
        for (std::size_t i = 0; i < width; ++i) {
            text += " --- |";
        }
        for (std::size_t r = hasHeader ? 1 : 0; r < rows.size(); ++r) {
            text.push_back('\n');
            std::string row = line(rows[r]);
            text += row;
            context_.spares.give(std::move(row));
        }
        into.push_back(Block{std::move(text)});
    }

    void htmlTable(std::vector<NodeList> const& rows, bool hasHeader, std::size_t depth, std::vector<Block>& into) {
        std::string text = "<table>";
        for (std::size_t r = 0; r < rows.size(); ++r) {
            std::string const tag = hasHeader && r == 0 ? "th" : "td";
            text += "\n<tr>";
            for (dv::Node::Impl const* cell : rows[r]) {
                std::vector<Block> blocks;
                flow(cell->getKind() == dv::NodeKind::TableCellNode ? childrenOf(*cell) : NodeList{cell}, depth + 1,
                     blocks);
                std::string content;
                join(blocks, false, content);
                release(blocks);
                text += "\n<" + tag + ">";
                if (!content.empty()) {
                    text += "\n\n" + content + "\n\n";
                }
                text += "</" + tag + ">";
            }
            text += "\n</tr>";
        }
        text += "\n</table>";
        into.push_back(Block{std::move(text)});
    }

    // Blocks apart by a blank line; in a list item a list follows its paragraph directly, so
    // that the item stays tight.
    static void join(std::vector<Block> const& blocks, bool inItem, std::string& out) {
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            if (i > 0) {
                bool const tight = inItem && blocks[i - 1].kind == Block::Kind::Paragraph &&
                                   blocks[i].kind == Block::Kind::List && blocks[i].opensWithText;
                out += tight ? "\n" : "\n\n";
            }
            out += blocks[i].text;
        }
    }

    Context& context_;
    std::vector<dv::Node::Impl const*> walk_; // appendTextOf's stack
    std::string codeRoom_;                    // a code block's lines, as appendClean writes them
    std::function<void(std::string_view)> page_;
    std::size_t handedOn_ = 0;
};

} // namespace

void MarkdownWriter::write(std::ostream& out, std::vector<dv::Node> const& topLevel, Options const& options) {
    NodeList nodes;
    nodes.reserve(topLevel.size());
    for (dv::Node const& node : topLevel) {
        if (node) {
            nodes.push_back(node.getImpl());
        }
    }
    Context context{Warnings(options.onWarning), MarkdownAnchors(topLevel), {}, {}, {}};
    PageBuffer page(out);
    std::size_t written = 0;
    BlockWriter(context, [&](std::string_view text) {
        written += text.size();
        context.anchors.pass(text, page.text());
        page.flushIfLarge();
    }).document(nodes);
    if (written > 0) {
        context.anchors.pass("\n", page.text());
    }
    context.anchors.finish(page.text(), [&](dv::Node::Impl const& link, std::string const& address) {
        context.warnings.report(link, "link to " + quoted(address) +
                                          " written as it stands: the heading it points at has no id in Markdown "
                                          "(it has no text, or is not written as a heading)");
        return destination(address);
    });
    page.flush();
}

void MarkdownWriter::write(std::ostream& out, std::vector<dv::Node> const& topLevel) {
    write(out, topLevel, Options{});
}

std::string MarkdownWriter::toString(std::vector<dv::Node> const& topLevel, Options const& options) {
    std::ostringstream out;
    write(out, topLevel, options);
    return out.str();
}

std::string MarkdownWriter::toString(std::vector<dv::Node> const& topLevel) { return toString(topLevel, Options{}); }

} // namespace richmarkup::formats

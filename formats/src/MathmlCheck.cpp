#include "MathmlCheck.hpp"

#include <algorithm>
#include <iterator>
#include <cctype>
#include <vector>

namespace richmarkup::formats {

namespace {

// MathML's presentation elements as converters write them; the layout attributes they take.
constexpr std::string_view kElements[] = {
    "annotation",  "math",          "menclose", "merror",    "mfenced",     "mfrac",      "mi",
    "mlabeledtr",  "mmultiscripts", "mn",       "mo",        "mover",       "mpadded",    "mphantom",
    "mprescripts", "mroot",         "mrow",     "ms",        "mspace",      "msqrt",      "mstyle",
    "msub",        "msubsup",       "msup",     "mtable",    "mtd",         "mtext",      "mtr",
    "munder",      "munderover",    "none",     "semantics", "maligngroup", "malignmark", "mglyph"};

constexpr std::string_view kAttributes[] = {
    "accent",        "accentunder", "align",          "bevelled",     "class",        "close",
    "columnalign",   "columnlines", "columnspacing",  "columnspan",   "denomalign",   "depth",
    "dir",           "display",     "displaystyle",   "encoding",     "equalcolumns", "equalrows",
    "fence",         "form",        "frame",          "framespacing", "height",       "largeop",
    "linethickness", "lspace",      "mathbackground", "mathcolor",    "mathsize",     "mathvariant",
    "maxsize",       "minsize",     "movablelimits",  "notation",     "numalign",     "open",
    "rowalign",      "rowlines",    "rowspacing",     "rowspan",      "rspace",       "scriptlevel",
    "separator",     "separators",  "stretchy",       "symmetric",    "voffset",      "width",
    "xmlns"};

template <std::size_t N>
bool listed(std::string_view const (&names)[N], std::string_view name) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

bool nameChar(char c) {
    auto const u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '-' || c == ':' || c == '_';
}

bool space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// An entity or character reference at `at` ('&'); its length, or 0 when it is none.
std::size_t referenceAt(std::string_view text, std::size_t at) {
    std::size_t i = at + 1;
    bool const numeric = i < text.size() && text[i] == '#';
    bool const hex = numeric && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X');
    i += numeric ? (hex ? 2 : 1) : 0;
    std::size_t const start = i;
    while (i < text.size() && (hex       ? std::isxdigit(static_cast<unsigned char>(text[i]))
                               : numeric ? std::isdigit(static_cast<unsigned char>(text[i]))
                                         : std::isalnum(static_cast<unsigned char>(text[i])))) {
        ++i;
    }
    return i > start && i < text.size() && text[i] == ';' && i - start <= 32 ? i + 1 - at : 0;
}

class Scanner {
public:
    Scanner(std::string_view text, std::string& problem) : text_(text), problem_(problem) {}

    std::optional<std::string_view> run() {
        skipSpace();
        std::size_t contentStart = 0;
        std::size_t contentEnd = 0;
        while (at_ < text_.size()) {
            char const c = text_[at_];
            if (c == '&') {
                if (!reference()) {
                    return std::nullopt;
                }
                continue;
            }
            if (c != '<') {
                if (open_.empty() && !space(c)) {
                    return fail("text outside the math element");
                }
                ++at_;
                continue;
            }
            if (at_ + 1 < text_.size() && text_[at_ + 1] == '/') {
                std::size_t const tagStart = at_;
                if (!endTag()) {
                    return std::nullopt;
                }
                if (open_.empty()) {
                    contentEnd = tagStart;
                    skipSpace();
                    if (at_ != text_.size()) {
                        return fail("more after the math element");
                    }
                    return text_.substr(contentStart, contentEnd - contentStart);
                }
                continue;
            }
            bool const root = open_.empty() && !started_;
            bool selfClosed = false;
            if (!startTag(selfClosed)) {
                return std::nullopt;
            }
            if (root) {
                started_ = true;
                contentStart = at_;
                if (selfClosed) {
                    skipSpace();
                    return at_ == text_.size() ? std::optional<std::string_view>(text_.substr(at_, 0))
                                               : fail("more after the math element");
                }
            }
        }
        return fail(started_ ? "the math element is not closed" : "no math element");
    }

private:
    std::nullopt_t fail(std::string why) {
        problem_ = "its MathML was refused: " + std::move(why);
        return std::nullopt;
    }

    void skipSpace() {
        while (at_ < text_.size() && space(text_[at_])) {
            ++at_;
        }
    }

    std::string_view name() {
        std::size_t const start = at_;
        while (at_ < text_.size() && nameChar(text_[at_])) {
            ++at_;
        }
        return text_.substr(start, at_ - start);
    }

    bool reference() {
        std::size_t const length = referenceAt(text_, at_);
        if (length == 0) {
            fail("a bare '&'");
            return false;
        }
        at_ += length;
        return true;
    }

    bool startTag(bool& selfClosed) {
        ++at_; // '<'
        std::string_view const element = name();
        if (element.empty()) {
            fail("markup other than elements (a comment, declaration or instruction)");
            return false;
        }
        if (!listed(kElements, element)) {
            fail("element <" + std::string(element) + ">");
            return false;
        }
        if (open_.empty() != (element == "math")) {
            fail(open_.empty() ? "it does not start with <math>" : "a math element inside another");
            return false;
        }
        if (!open_.empty() && open_.back() == "annotation") {
            fail("an element inside the annotation");
            return false;
        }
        bool texEncoding = false;
        while (true) {
            std::size_t const before = at_;
            skipSpace();
            if (at_ >= text_.size()) {
                fail("a tag is not closed");
                return false;
            }
            if (text_[at_] == '>' || text_.compare(at_, 2, "/>") == 0) {
                selfClosed = text_[at_] == '/';
                at_ += selfClosed ? 2 : 1;
                break;
            }
            std::string_view const attribute = name();
            if (attribute.empty() || at_ == before) {
                fail("a malformed tag");
                return false;
            }
            if (!listed(kAttributes, attribute)) {
                fail("attribute " + std::string(attribute) + " on <" + std::string(element) + ">");
                return false;
            }
            std::string_view value;
            if (!attributeValue(value)) {
                return false;
            }
            if (element == "annotation" && attribute == "encoding") {
                texEncoding = value == "application/x-tex";
            }
        }
        if (element == "annotation" && !texEncoding) {
            fail("an annotation that is not TeX");
            return false;
        }
        if (!selfClosed) {
            open_.push_back(element);
        }
        return true;
    }

    bool attributeValue(std::string_view& value) {
        skipSpace();
        if (at_ >= text_.size() || text_[at_] != '=') {
            fail("an attribute without a value");
            return false;
        }
        ++at_;
        skipSpace();
        if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) {
            fail("an unquoted attribute value");
            return false;
        }
        char const quote = text_[at_++];
        std::size_t const start = at_;
        while (at_ < text_.size() && text_[at_] != quote) {
            if (text_[at_] == '<') {
                fail("'<' in an attribute value");
                return false;
            }
            if (text_[at_] == '&') {
                if (!reference()) {
                    return false;
                }
                continue;
            }
            ++at_;
        }
        if (at_ >= text_.size()) {
            fail("an attribute value is not closed");
            return false;
        }
        value = text_.substr(start, at_ - start);
        ++at_;
        return true;
    }

    bool endTag() {
        at_ += 2; // "</"
        std::string_view const element = name();
        skipSpace();
        if (at_ >= text_.size() || text_[at_] != '>') {
            fail("a malformed end tag");
            return false;
        }
        ++at_;
        if (open_.empty() || open_.back() != element) {
            fail("</" + std::string(element) + "> closes no open element");
            return false;
        }
        open_.pop_back();
        return true;
    }

    std::string_view text_;
    std::string& problem_;
    std::size_t at_ = 0;
    bool started_ = false;
    std::vector<std::string_view> open_;
};

} // namespace

std::optional<std::string_view> MathmlCheck::content(std::string_view mathml, std::string& problem) {
    return Scanner(mathml, problem).run();
}

} // namespace richmarkup::formats

#include "HtmlPageCheck.hpp"

#include "MessageCheck.hpp"

#include <algorithm>
#include <array>

namespace richmarkup::fuzz {

namespace {

constexpr char replacementCharacter[] = "\xEF\xBF\xBD";

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

bool isReplacedControl(unsigned char c) { return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F; }

std::string at(std::string_view html, std::size_t pos) {
    std::size_t const begin = pos > 20 ? pos - 20 : 0;
    return " at byte " + std::to_string(pos) + ", near " + MessageCheck::printable(html.substr(begin, 60), 60);
}

// The value as a browser reads it: the five references the writer writes decoded. Any other
// '&' is refused, since the writer writes none and a browser would decode "&colon;" and the
// like before it reads the scheme.
std::optional<std::string> decodedValue(std::string_view value, std::string& problem) {
    static constexpr std::array<std::pair<std::string_view, char>, 5> references{
        {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}}};
    std::string out;
    for (std::size_t i = 0; i < value.size();) {
        if (value[i] != '&') {
            out.push_back(value[i++]);
            continue;
        }
        auto const found = std::find_if(references.begin(), references.end(),
                                        [&](auto const& r) { return value.substr(i, r.first.size()) == r.first; });
        if (found == references.end()) {
            problem = "an '&' that starts no reference the writer writes";
            return std::nullopt;
        }
        out.push_back(found->second);
        i += found->first.size();
    }
    return out;
}

} // namespace

bool HtmlPageCheck::writersElement(std::string_view name) {
    // Every element HtmlWriter.cpp writes: the page's frame, blocks, runs' formatting, links,
    // images, equations and code.
    static constexpr std::array<std::string_view, 32> elements{
        "html",     "head", "meta", "title", "link", "style",  "body", "p",   "h1",   "h2",   "h3",
        "h4",       "h5",   "h6",   "ol",    "ul",   "li",     "nav",  "pre", "code", "span", "table",
        "colgroup", "col",  "tr",   "td",    "th",   "strong", "em",   "u",   "a",    "img"};
    return std::find(elements.begin(), elements.end(), name) != elements.end();
}

bool HtmlPageCheck::mathmlElement(std::string_view name) {
    static constexpr std::array<std::string_view, 32> elements{
        "math",   "semantics",  "annotation",    "mrow",        "mi",       "mn",      "mo",         "ms",     "mtext",
        "mspace", "msub",       "msup",          "msubsup",     "munder",   "mover",   "munderover", "mfrac",  "msqrt",
        "mroot",  "mstyle",     "merror",        "mpadded",     "mphantom", "mfenced", "menclose",   "mtable", "mtr",
        "mtd",    "mlabeledtr", "mmultiscripts", "mprescripts", "none"};
    return std::find(elements.begin(), elements.end(), name) != elements.end();
}

std::optional<std::string> HtmlPageCheck::addressProblem(std::string_view attribute, std::string_view value) {
    std::string problem;
    std::optional<std::string> const decoded = decodedValue(value, problem);
    if (!decoded) {
        return problem;
    }
    // As a browser: tabs and line ends anywhere dropped, blanks and controls around trimmed.
    std::string address;
    for (char const c : *decoded) {
        if (c != '\t' && c != '\n' && c != '\r') {
            address.push_back(c);
        }
    }
    auto const blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    address.erase(address.begin(), std::find_if_not(address.begin(), address.end(), blank));
    while (!address.empty() && blank(address.back())) {
        address.pop_back();
    }
    // A scheme is a letter, then letters, digits, '+', '-', '.', up to a ':'; anything else
    // first makes the address relative.
    if (address.empty() || !isAlpha(address[0])) {
        return std::nullopt;
    }
    std::size_t end = 1;
    while (end < address.size() && (isAlpha(address[end]) || isDigit(address[end]) || address[end] == '+' ||
                                    address[end] == '-' || address[end] == '.')) {
        ++end;
    }
    if (end == address.size() || address[end] != ':') {
        return std::nullopt;
    }
    std::string const scheme = lowered(address.substr(0, end));
    bool allowed = false;
    if (attribute == "href") {
        allowed = scheme == "http" || scheme == "https" || scheme == "mailto" || scheme == "ftp" || scheme == "tel";
    } else {
        allowed = scheme == "http" || scheme == "https" || lowered(address.substr(0, 11)) == "data:image/";
    }
    if (allowed) {
        return std::nullopt;
    }
    return "scheme \"" + scheme + "\" in " + std::string(attribute) + " " + MessageCheck::printable(address, 60);
}

std::optional<std::string> HtmlPageCheck::markupProblem(std::string_view html, bool mathml) {
    constexpr std::string_view doctype = "<!DOCTYPE html>";
    std::size_t pos = html.substr(0, doctype.size()) == doctype ? doctype.size() : 0;
    while ((pos = html.find('<', pos)) != std::string_view::npos) {
        std::size_t const tagStart = pos++;
        bool const closing = pos < html.size() && html[pos] == '/';
        pos += closing ? 1 : 0;
        if (pos == html.size() || !isAlpha(html[pos])) {
            return "a '<' that starts no element" + at(html, tagStart);
        }
        std::size_t const nameStart = pos;
        while (pos < html.size() && (isAlpha(html[pos]) || isDigit(html[pos]))) {
            ++pos;
        }
        std::string const name = lowered(html.substr(nameStart, pos - nameStart));
        if (!writersElement(name) && !(mathml && mathmlElement(name))) {
            return "element <" + name + "> that the writer never writes" + at(html, tagStart);
        }
        // Attributes up to the '>'.
        while (true) {
            while (pos < html.size() && isSpace(html[pos])) {
                ++pos;
            }
            if (pos == html.size()) {
                return "tag not closed" + at(html, tagStart);
            }
            if (html[pos] == '>') {
                ++pos;
                break;
            }
            if (html[pos] == '/') {
                ++pos;
                continue;
            }
            std::size_t const attributeStart = pos;
            while (pos < html.size() && !isSpace(html[pos]) && html[pos] != '/' && html[pos] != '>' &&
                   html[pos] != '=') {
                ++pos;
            }
            std::string const attribute = lowered(html.substr(attributeStart, pos - attributeStart));
            auto const nameCharacter = [](char c) { return isAlpha(c) || isDigit(c) || c == '-'; };
            bool const wellFormed = !attribute.empty() && isAlpha(attribute[0]) &&
                                    std::all_of(attribute.begin(), attribute.end(), nameCharacter);
            if (!wellFormed) {
                return "attribute name " + MessageCheck::printable(attribute, 40) + " that the writer never writes" +
                       at(html, attributeStart);
            }
            if (attribute.rfind("on", 0) == 0) {
                return "event handler attribute " + attribute + at(html, attributeStart);
            }
            if (closing) {
                return "attribute on a closing tag" + at(html, attributeStart);
            }
            while (pos < html.size() && isSpace(html[pos])) {
                ++pos;
            }
            if (pos == html.size() || html[pos] != '=') {
                continue; // an attribute without a value
            }
            ++pos;
            while (pos < html.size() && isSpace(html[pos])) {
                ++pos;
            }
            std::string_view value;
            if (pos < html.size() && (html[pos] == '"' || html[pos] == '\'')) {
                std::size_t const end = html.find(html[pos], pos + 1);
                if (end == std::string_view::npos) {
                    return "attribute value not closed" + at(html, attributeStart);
                }
                value = html.substr(pos + 1, end - pos - 1);
                pos = end + 1;
            } else {
                std::size_t const begin = pos;
                while (pos < html.size() && !isSpace(html[pos]) && html[pos] != '>') {
                    ++pos;
                }
                value = html.substr(begin, pos - begin);
            }
            if (attribute == "href" || attribute == "src") {
                if (auto problem = addressProblem(attribute, value)) {
                    return *problem + at(html, attributeStart);
                }
            }
        }
    }
    return std::nullopt;
}

std::string HtmlPageCheck::escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char const ch : text) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
            if (isReplacedControl(static_cast<unsigned char>(ch))) {
                out += replacementCharacter;
            } else {
                out.push_back(ch);
            }
        }
    }
    return out;
}

bool HtmlPageCheck::hasReplacedControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return isReplacedControl(static_cast<unsigned char>(c)); });
}

} // namespace richmarkup::fuzz

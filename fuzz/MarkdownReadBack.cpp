#include "MarkdownReadBack.hpp"

#include <fl/i18n/Utf8Encoder.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_set>
#include <utility>

namespace richmarkup::fuzz {

namespace {

bool isAsciiPunctuation(char c) {
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') || (c >= '{' && c <= '~');
}

// The length of the character at `pos`, and whether it belongs to a word: an ASCII letter or
// digit, or any character beyond ASCII but the blanks, which the writer may move out of a
// run's formatting.
std::size_t characterAt(std::string_view text, std::size_t pos, bool& word) {
    auto const lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        word = (lead >= '0' && lead <= '9') || (lead >= 'a' && lead <= 'z') || (lead >= 'A' && lead <= 'Z');
        return 1;
    }
    std::size_t const length = std::min<std::size_t>(lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4, text.size() - pos);
    static constexpr std::array<std::string_view, 16> blanks{"\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003",
                                                             "\u2004", "\u2005", "\u2006", "\u2007", "\u2008", "\u2009",
                                                             "\u200A", "\u202F", "\u205F", "\u3000"};
    word = std::find(blanks.begin(), blanks.end(), text.substr(pos, length)) == blanks.end();
    return length;
}

int hexValue(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        cp = 0xFFFD; // as CommonMark reads such a reference
    }
    fl::i18n::appendCodePoint(out, cp);
}

// The length of the numeric reference at `pos` ("&#65;", "&#x41;"), with its code point, or 0.
std::size_t numericReference(std::string_view text, std::size_t pos, std::uint32_t& cp) {
    std::size_t i = pos + 2;
    if (text.substr(pos, 2) != "&#") {
        return 0;
    }
    bool const hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
    i += hex ? 1 : 0;
    std::size_t const first = i;
    std::size_t const maxDigits = hex ? 6 : 7;
    cp = 0;
    while (i < text.size() && i - first < maxDigits && hexValue(text[i]) >= 0 && (hex || hexValue(text[i]) < 10)) {
        cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(hexValue(text[i]));
        ++i;
    }
    return i > first && i < text.size() && text[i] == ';' ? i + 1 - pos : 0;
}

} // namespace

MarkdownReadBack::MarkdownReadBack(std::string markdown) : written_(std::move(markdown)), read_(decoded(written_)) {}

std::string MarkdownReadBack::decoded(std::string_view markdown) {
    static constexpr std::array<std::pair<std::string_view, char>, 4> named{
        {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}}};
    std::string out;
    out.reserve(markdown.size());
    for (std::size_t i = 0; i < markdown.size();) {
        char const c = markdown[i];
        if (c == '\\' && i + 1 < markdown.size() && isAsciiPunctuation(markdown[i + 1])) {
            out.push_back(markdown[i + 1]);
            i += 2;
            continue;
        }
        if (c == '&') {
            std::uint32_t cp = 0;
            if (std::size_t const length = numericReference(markdown, i, cp)) {
                appendUtf8(out, cp);
                i += length;
                continue;
            }
            auto const found = std::find_if(named.begin(), named.end(), [&](auto const& reference) {
                return markdown.substr(i, reference.first.size()) == reference.first;
            });
            if (found != named.end()) {
                out.push_back(found->second);
                i += found->first.size();
                continue;
            }
        }
        out.push_back(c);
        ++i;
    }
    return out;
}

bool MarkdownReadBack::holds(std::string const& form, std::string_view word, std::size_t& cursor) {
    std::size_t found = form.find(word, cursor);
    if (found == std::string::npos && cursor != 0) {
        found = form.find(word);
    }
    if (found == std::string::npos) {
        return false;
    }
    cursor = found + word.size();
    return true;
}

std::optional<std::string> MarkdownReadBack::missingWord(std::string_view text) {
    std::unordered_set<std::string_view> looked; // a text repeats its words; each is looked for once
    for (std::size_t i = 0; i < text.size();) {
        bool inWord = false;
        std::size_t length = characterAt(text, i, inWord);
        if (!inWord) {
            i += length;
            continue;
        }
        std::size_t const begin = i;
        while (inWord) {
            i += length;
            inWord = false;
            if (i < text.size()) {
                length = characterAt(text, i, inWord);
            }
        }
        std::string_view const word = text.substr(begin, i - begin);
        if (!looked.insert(word).second) {
            continue;
        }
        if (!holds(read_, word, readCursor_) && !holds(written_, word, writtenCursor_)) {
            return std::string(word);
        }
    }
    return std::nullopt;
}

} // namespace richmarkup::fuzz

#include "HeadingIds.hpp"

#include <richmarkup/formats/TextEscape.hpp>
#include "UnicodeTables.hpp"

#include <fl/i18n/Utf8Encoder.hpp>

namespace richmarkup::formats {

namespace {

// The code point at `pos` and its length; a malformed byte stands for itself.
char32_t decodeAt(std::string_view text, std::size_t pos, std::size_t& length) {
    auto const lead = static_cast<unsigned char>(text[pos]);
    length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (length == 1 || pos + length > text.size()) {
        length = 1;
        return lead;
    }
    char32_t cp = lead & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
    for (std::size_t i = 1; i < length; ++i) {
        cp = (cp << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
    }
    return cp;
}

// A code point beyond ASCII as an identifier takes it: 0 when it is left out, else its lower
// case. Headings repeat the few letters of their script, and each look-up searches two tables:
// the last ones met are kept, by their low bits.
char32_t slugged(char32_t cp) {
    struct Known {
        char32_t cp = 0; // 0: nothing kept (every cp asked is from U+0080 up)
        char32_t slugged = 0;
    };
    thread_local Known known[128];
    Known& slot = known[cp & 127];
    if (slot.cp != cp) {
        slot.cp = cp;
        slot.slugged = unicode::isWordCharacter(cp) ? unicode::toLower(cp) : 0;
    }
    return slot.slugged;
}

} // namespace

std::string HeadingIds::slug(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0, length = 0; i < text.size(); i += length) {
        char const c = text[i];
        if (static_cast<unsigned char>(c) < 0x80) {
            length = 1;
            if (c == ' ' || c == '-') {
                out.push_back('-');
            } else if (c >= 'A' && c <= 'Z') {
                out.push_back(static_cast<char>(c - 'A' + 'a'));
            } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_') {
                out.push_back(c);
            }
            continue;
        }
        char32_t const cp = decodeAt(text, i, length);
        if (cp == 0x130) {
            // Capital I with dot: its full lower case is two code points.
            out += "i\xCC\x87";
        } else if (char32_t const lower = slugged(cp)) {
            fl::i18n::appendCodePoint(out, lower);
        }
    }
    return out;
}

std::string HeadingIds::next(std::string_view text) {
    std::string id = slug(text);
    std::size_t const count = (*seen_.insert(id, 0).first)++;
    if (count > 0) {
        id += "-" + std::to_string(count);
    }
    return id;
}

} // namespace richmarkup::formats

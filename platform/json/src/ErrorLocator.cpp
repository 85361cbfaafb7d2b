#include "ErrorLocator.hpp"

#include "JsonString.hpp"

#include <foundation/json/TextLocator.hpp>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <system_error>
#include <vector>

namespace foundation::json::detail {

namespace {

class Scanner {
public:
    Scanner(std::string_view text, std::size_t maxDepth) : t_(text), maxDepth_(maxDepth) {}

    std::optional<SyntaxError> run() {
        if (auto const hint = utf16()) {
            return fail(*hint);
        }
        if (t_.substr(0, 3) == "\xEF\xBB\xBF") {
            p_ = 3;
        }
        skipWs();
        if (p_ == t_.size()) {
            return fail("empty document");
        }
        for (;;) {
            if (!value()) {
                return error_;
            }
            // After a value: close containers or move to the next element.
            for (;;) {
                skipWs();
                if (stack_.empty()) {
                    if (p_ != t_.size()) {
                        return fail("trailing characters after the document");
                    }
                    return std::nullopt;
                }
                if (p_ == t_.size()) {
                    return fail("unexpected end of input");
                }
                char const close = stack_.back().open == '[' ? ']' : '}';
                char const c = t_[p_];
                if (c == close) {
                    ++p_;
                    stack_.pop_back();
                    continue;
                }
                if (c != ',') {
                    return fail(std::string("expected ',' or '") + close + "', found " + describe(c));
                }
                ++p_;
                skipWs();
                if (stack_.back().open == '[') {
                    ++stack_.back().index;
                } else if (!member()) {
                    return error_;
                }
                break;
            }
        }
    }

private:
    // One value; containers are opened here and closed by the loop in run().
    bool value() {
        for (;;) {
            if (p_ == t_.size()) {
                return failed("unexpected end of input");
            }
            char const c = t_[p_];
            if (c == '[' || c == '{') {
                if (stack_.size() >= maxDepth_) {
                    return failed("nesting deeper than " + std::to_string(maxDepth_));
                }
                stack_.push_back({c, 0, 0});
                ++p_;
                skipWs();
                char const close = c == '[' ? ']' : '}';
                if (p_ < t_.size() && t_[p_] == close) {
                    // Empty container: leave it for run() to close.
                    return true;
                }
                if (c == '{' && !member()) {
                    return false;
                }
                continue;
            }
            if (c == '"') {
                return string();
            }
            if (c == 't') return literal("true");
            if (c == 'f') return literal("false");
            if (c == 'n') return literal("null");
            if (c == '-' || (c >= '0' && c <= '9')) {
                return number();
            }
            return failed("unexpected " + describe(c));
        }
    }

    // A key and its colon; the value follows.
    bool member() {
        if (p_ == t_.size()) {
            return failed("unexpected end of input");
        }
        if (t_[p_] != '"') {
            return failed("expected a string key, found " + describe(t_[p_]));
        }
        stack_.back().key = p_;
        if (!string()) {
            return false;
        }
        skipWs();
        if (p_ == t_.size()) {
            return failed("unexpected end of input");
        }
        if (t_[p_] != ':') {
            return failed("expected ':' after object key, found " + describe(t_[p_]));
        }
        ++p_;
        skipWs();
        return true;
    }

    bool literal(std::string_view word) {
        if (t_.substr(p_, word.size()) != word) {
            return failed("invalid literal, expected '" + std::string(word) + "'");
        }
        p_ += word.size();
        return true;
    }

    bool number() {
        std::size_t const start = p_;
        if (t_[p_] == '-') ++p_;
        if (p_ == t_.size() || !digit(t_[p_])) {
            return failedAt(start, "invalid number");
        }
        if (t_[p_] == '0') {
            ++p_;
        } else {
            while (p_ < t_.size() && digit(t_[p_]))
                ++p_;
        }
        if (p_ < t_.size() && t_[p_] == '.') {
            ++p_;
            if (p_ == t_.size() || !digit(t_[p_])) return failedAt(start, "invalid number");
            while (p_ < t_.size() && digit(t_[p_]))
                ++p_;
        }
        if (p_ < t_.size() && (t_[p_] == 'e' || t_[p_] == 'E')) {
            ++p_;
            if (p_ < t_.size() && (t_[p_] == '+' || t_[p_] == '-')) ++p_;
            if (p_ == t_.size() || !digit(t_[p_])) return failedAt(start, "invalid number");
            while (p_ < t_.size() && digit(t_[p_]))
                ++p_;
        }
        if (p_ < t_.size() && (digit(t_[p_]) || t_[p_] == '.' || t_[p_] == '+' || t_[p_] == '-' ||
                               (t_[p_] >= 'a' && t_[p_] <= 'z') || (t_[p_] >= 'A' && t_[p_] <= 'Z'))) {
            return failedAt(start, "invalid number");
        }
        return inRange(start);
    }

    // Whether the well-formed number from `start` to here is within a double's range: beyond
    // it, the parser fails, and the error is located at the number itself. One too small for a
    // double is read as 0 (the host warns).
    bool inRange(std::size_t start) {
        std::string_view const number = t_.substr(start, p_ - start);
        double value = 0;
        auto const read = std::from_chars(number.data(), number.data() + number.size(), value);
        if (read.ec == std::errc::result_out_of_range && atLeastOne(number)) {
            return failedAt(
                start, "the number " + shown(number) + " is out of range: a double goes up to 1.7976931348623157e308",
                pointer());
        }
        return true;
    }

    // Whether a number's magnitude is 1 or more: its first digit other than 0 stands before the
    // point, as far as the exponent moves it.
    static bool atLeastOne(std::string_view number) {
        std::size_t const e = std::min(number.find_first_of("eE"), number.size());
        std::string_view const mantissa = number.substr(0, e);
        std::size_t const point = std::min(mantissa.find('.'), mantissa.size());
        std::size_t const first = mantissa.find_first_of("123456789");
        if (first == std::string_view::npos) {
            return false;
        }
        // The power of ten of the first significant digit, before the exponent.
        std::int64_t power =
            first < point ? static_cast<std::int64_t>(point - first) - 1 : -static_cast<std::int64_t>(first - point);
        std::int64_t exponent = 0;
        bool negative = false;
        for (std::size_t i = e + 1; i < number.size(); ++i) {
            if (number[i] == '-') {
                negative = true;
            } else if (number[i] != '+') {
                exponent = std::min<std::int64_t>(exponent * 10 + (number[i] - '0'), std::int64_t(1) << 40);
            }
        }
        return power + (negative ? -exponent : exponent) >= 0;
    }

    // A number for a message: as written, cut short where it is long.
    static std::string shown(std::string_view number) {
        constexpr std::size_t longest = 40;
        return number.size() <= longest ? std::string(number) : std::string(number.substr(0, longest)) + "...";
    }

    // The pointer of the value being read.
    std::string pointer() const {
        std::string out;
        std::string key;
        for (Level const& level : stack_) {
            if (level.open == '[') {
                out += '/' + std::to_string(level.index);
            } else {
                std::size_t at = level.key;
                readString(t_, at, key);
                appendPointerToken(out, key);
            }
        }
        return out;
    }

    // UTF-16 text fails at its first byte: it is named for what it is. Its byte order mark, or
    // zero bytes at every other place (ASCII characters as UTF-16), shows it.
    std::optional<std::string> utf16() const {
        static constexpr char const* mustBe = ": the text must be UTF-8";
        if (t_.substr(0, 2) == "\xFF\xFE" || t_.substr(0, 2) == "\xFE\xFF") {
            return std::string("the text starts with a UTF-16 byte order mark (") +
                   (t_[0] == '\xFF' ? "FF FE" : "FE FF") + ")" + mustBe;
        }
        std::size_t const pairs = std::min<std::size_t>(t_.size() / 2, 8);
        if (pairs == 0) {
            return std::nullopt;
        }
        bool low = true;  // every pair: a byte, then zero
        bool high = true; // every pair: zero, then a byte
        for (std::size_t i = 0; i < pairs; ++i) {
            bool const firstZero = t_[2 * i] == '\0';
            bool const secondZero = t_[2 * i + 1] == '\0';
            low = low && !firstZero && secondZero;
            high = high && firstZero && !secondZero;
        }
        if (!low && !high) {
            return std::nullopt;
        }
        return std::string("the text looks like UTF-16 (") + (low ? "little" : "big") +
               "-endian: a zero byte beside each character)" + mustBe;
    }

    bool string() {
        std::size_t const start = p_;
        ++p_;
        for (;;) {
            if (p_ >= t_.size()) {
                return failedAt(start, "unterminated string");
            }
            auto const c = static_cast<unsigned char>(t_[p_]);
            if (c == '"') {
                ++p_;
                return true;
            }
            if (c < 0x20) {
                return failed("control character in string");
            }
            if (c == '\\') {
                if (!escape()) return false;
                continue;
            }
            if (c >= 0x80) {
                if (!utf8()) return false;
                continue;
            }
            ++p_;
        }
    }

    bool escape() {
        std::size_t const start = p_;
        ++p_;
        if (p_ >= t_.size()) return failedAt(start, "unterminated string");
        char const e = t_[p_];
        if (e != 'u') {
            if (e == '"' || e == '\\' || e == '/' || e == 'b' || e == 'f' || e == 'n' || e == 'r' || e == 't') {
                ++p_;
                return true;
            }
            return failedAt(start, "invalid escape sequence");
        }
        unsigned unit = 0;
        if (!hex4(unit)) return failedAt(start, "invalid \\u escape");
        if (unit >= 0xDC00 && unit <= 0xDFFF) return failedAt(start, "lone low surrogate in \\u escape");
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (t_.substr(p_, 2) != "\\u") return failedAt(start, "high surrogate without its low half");
            ++p_;
            unsigned low = 0;
            if (!hex4(low) || low < 0xDC00 || low > 0xDFFF) {
                return failedAt(start, "high surrogate without its low half");
            }
        }
        return true;
    }

    // At the 'u' of an escape: reads four hex digits after it.
    bool hex4(unsigned& unit) {
        ++p_;
        if (t_.size() - p_ < 4) return false;
        for (int i = 0; i < 4; ++i, ++p_) {
            char const h = t_[p_];
            unit <<= 4;
            if (h >= '0' && h <= '9')
                unit |= static_cast<unsigned>(h - '0');
            else if (h >= 'a' && h <= 'f')
                unit |= static_cast<unsigned>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F')
                unit |= static_cast<unsigned>(h - 'A' + 10);
            else
                return false;
        }
        return true;
    }

    bool utf8() {
        auto const lead = static_cast<unsigned char>(t_[p_]);
        std::size_t len;
        unsigned cp;
        unsigned min;
        if (lead >= 0xC2 && lead <= 0xDF)
            len = 2, cp = lead & 0x1F, min = 0x80;
        else if (lead >= 0xE0 && lead <= 0xEF)
            len = 3, cp = lead & 0x0F, min = 0x800;
        else if (lead >= 0xF0 && lead <= 0xF4)
            len = 4, cp = lead & 0x07, min = 0x10000;
        else
            return failed("invalid UTF-8 in string");
        if (t_.size() - p_ < len) return failed("invalid UTF-8 in string");
        for (std::size_t i = 1; i < len; ++i) {
            auto const c = static_cast<unsigned char>(t_[p_ + i]);
            if ((c & 0xC0) != 0x80) return failed("invalid UTF-8 in string");
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return failed("invalid UTF-8 in string");
        p_ += len;
        return true;
    }

    static bool digit(char c) { return c >= '0' && c <= '9'; }

    static std::string describe(char c) {
        auto const u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) return std::string("character '") + c + "'";
        static char const hex[] = "0123456789ABCDEF";
        return std::string("byte 0x") + hex[u >> 4] + hex[u & 15];
    }

    void skipWs() {
        while (p_ < t_.size() && (t_[p_] == ' ' || t_[p_] == '\n' || t_[p_] == '\r' || t_[p_] == '\t'))
            ++p_;
    }

    std::optional<SyntaxError> fail(std::string reason) { return SyntaxError{p_, std::move(reason)}; }
    bool failed(std::string reason) { return failedAt(p_, std::move(reason)); }
    bool failedAt(std::size_t at, std::string reason, std::optional<std::string> pointer = std::nullopt) {
        error_ = SyntaxError{at, std::move(reason), std::move(pointer)};
        return false;
    }

    // An open array or object: the entry being read, by its index or its key's offset.
    struct Level {
        char open;
        std::size_t index;
        std::size_t key;
    };

    std::string_view t_;
    std::size_t maxDepth_;
    std::size_t p_ = 0;
    std::vector<Level> stack_;
    std::optional<SyntaxError> error_;
};

} // namespace

std::optional<SyntaxError> locateError(std::string_view text, std::size_t maxDepth) {
    return Scanner(text, maxDepth).run();
}

std::optional<SyntaxError> tooDeepOpening(std::string_view text, std::size_t maxDepth) {
    std::string_view const opening = text.substr(0, kOpeningScan);
    std::size_t depth = 0;
    for (std::size_t p = 0; p < opening.size(); ++p) {
        char const c = opening[p];
        if (c == '"') {
            p = skipString(opening, p) - 1;
        } else if (c == ']' || c == '}') {
            return std::nullopt;
        } else if ((c == '[' || c == '{') && ++depth > maxDepth) {
            // As the whole text's scan would say: the error there, or one before it.
            return locateError(text.substr(0, p + 1), maxDepth);
        }
    }
    return std::nullopt;
}

std::pair<std::size_t, std::size_t> lineAndColumn(std::string_view text, std::size_t offset) {
    std::size_t line = 1;
    std::size_t lineStart = 0;
    std::size_t const end = offset < text.size() ? offset : text.size();
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return {line, offset - lineStart + 1};
}

std::string widenBigIntegers(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 64);
    bool inString = false;
    for (std::size_t i = 0; i < text.size();) {
        char const c = text[i];
        if (inString) {
            out.push_back(c);
            if (c == '\\' && i + 1 < text.size()) {
                out.push_back(text[i + 1]);
                i += 2;
                continue;
            }
            inString = c != '"';
            ++i;
            continue;
        }
        if (c == '"') {
            inString = true;
            out.push_back(c);
            ++i;
            continue;
        }
        if (c == '-' || (c >= '0' && c <= '9')) {
            std::size_t j = i + (c == '-' ? 1 : 0);
            std::size_t const digitsStart = j;
            while (j < text.size() && text[j] >= '0' && text[j] <= '9')
                ++j;
            bool const integer = j == text.size() || (text[j] != '.' && text[j] != 'e' && text[j] != 'E');
            out.append(text.substr(i, j - i));
            if (integer && j - digitsStart > 18) {
                out.append(".0");
            }
            i = j;
            continue;
        }
        out.push_back(c);
        ++i;
    }
    return out;
}

} // namespace foundation::json::detail

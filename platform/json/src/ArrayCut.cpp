#include "ArrayCut.hpp"

#include <cstring>

namespace foundation::json::detail {

namespace {

bool isBlank(char c) noexcept { return c == ' ' || c == '\t' || c == '\r'; }

} // namespace

std::size_t ArrayCut::find(std::string_view text, std::size_t room) noexcept {
    std::size_t start = 0;
    while (start < text.size() && (isBlank(text[start]) || text[start] == '\n')) {
        ++start;
    }
    if (start == text.size() || text[start] != '[' || text.size() - start < 2 * room) {
        return npos;
    }
    std::size_t const last = text.size() - room; // a cut beyond this leaves the second part too little
    std::size_t const from = start + (text.size() - start) / 2;
    std::size_t const until = from + kWindow < last ? from + kWindow : last;
    std::size_t best = npos;
    std::size_t bestIndent = 0;
    for (std::size_t at = from; at < until;) {
        auto const* hit = static_cast<char const*>(std::memchr(text.data() + at, '\n', until - at));
        if (hit == nullptr) {
            break;
        }
        std::size_t const newline = static_cast<std::size_t>(hit - text.data());
        at = newline + 1;
        std::size_t comma = newline;
        while (comma > start && isBlank(text[comma - 1])) {
            --comma;
        }
        if (comma == start || text[comma - 1] != ',') {
            continue;
        }
        --comma;
        std::size_t indent = 0;
        while (at + indent < last && isBlank(text[at + indent])) {
            ++indent;
        }
        if (best == npos || indent < bestIndent) {
            best = comma;
            bestIndent = indent;
            if (indent == 0) {
                break;
            }
        }
    }
    return best;
}

} // namespace foundation::json::detail

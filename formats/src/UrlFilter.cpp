#include "UrlFilter.hpp"

#include <cctype>

namespace richmarkup::formats {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string UrlFilter::clean(std::string_view url) {
    std::string out;
    out.reserve(url.size());
    for (char const c : url) {
        if (c != '\t' && c != '\n' && c != '\r') {
            out.push_back(c);
        }
    }
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    std::size_t begin = 0;
    while (begin < out.size() && blank(out[begin])) {
        ++begin;
    }
    std::size_t end = out.size();
    while (end > begin && blank(out[end - 1])) {
        --end;
    }
    return out.substr(begin, end - begin);
}

std::string UrlFilter::schemeOf(std::string_view url) {
    std::size_t const colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return {};
    }
    // A '/', '?' or '#' before the colon makes it part of a relative path, not a scheme.
    std::size_t const delimiter = url.find_first_of("/?#");
    if (delimiter != std::string_view::npos && delimiter < colon) {
        return {};
    }
    std::string scheme;
    for (std::size_t i = 0; i < colon; ++i) {
        auto const c = static_cast<unsigned char>(url[i]);
        bool const valid = std::isalpha(c) || (i > 0 && (std::isdigit(c) || c == '+' || c == '-' || c == '.'));
        if (!valid) {
            // Not a well-formed scheme; browsers then treat it as relative, but a strange prefix
            // is safer refused than guessed at.
            return std::string(1, ':');
        }
        scheme.push_back(static_cast<char>(std::tolower(c)));
    }
    return scheme;
}

std::optional<std::string> UrlFilter::forLink(std::string_view url) {
    std::string cleaned = clean(url);
    std::string const scheme = schemeOf(cleaned);
    if (scheme.empty() || scheme == "http" || scheme == "https" || scheme == "mailto" || scheme == "ftp" ||
        scheme == "tel") {
        return cleaned;
    }
    return std::nullopt;
}

std::optional<std::string> UrlFilter::forImage(std::string_view url) {
    std::string cleaned = clean(url);
    std::string const scheme = schemeOf(cleaned);
    if (scheme.empty() || scheme == "http" || scheme == "https") {
        return cleaned;
    }
    if (scheme == "data" && startsWithNoCase(cleaned, "data:image/")) {
        return cleaned;
    }
    return std::nullopt;
}

std::optional<std::string> UrlFilter::forScript(std::string_view url) {
    std::string cleaned = clean(url);
    std::string const scheme = schemeOf(cleaned);
    if (scheme.empty() || scheme == "http" || scheme == "https" || scheme == "file") {
        return cleaned;
    }
    return std::nullopt;
}

std::string UrlFilter::refusal(std::string const& scheme) {
    if (scheme == ":") {
        return "its scheme is malformed";
    }
    return "scheme \"" + scheme + "\" is not allowed";
}

std::string UrlFilter::linkRefusal(std::string_view url) {
    return forLink(url) ? std::string() : refusal(schemeOf(clean(url)));
}

std::string UrlFilter::imageRefusal(std::string_view url) {
    if (forImage(url)) {
        return {};
    }
    std::string const scheme = schemeOf(clean(url));
    return scheme == "data" ? std::string("a data: address must hold an image (data:image/...)") : refusal(scheme);
}

std::string UrlFilter::scriptRefusal(std::string_view url) {
    return forScript(url) ? std::string() : refusal(schemeOf(clean(url)));
}

} // namespace richmarkup::formats

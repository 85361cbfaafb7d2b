#include <richmarkup/formats/HtmlMath.hpp>

#include "UrlFilter.hpp"

#include <cctype>

namespace richmarkup::formats {

namespace {

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

} // namespace

std::optional<HtmlMath> HtmlMath::parse(std::string_view setting, std::string& error) {
    std::size_t const equals = setting.find('=');
    std::string const name = lowered(setting.substr(0, equals));
    HtmlMath math;
    if (name == "plain") {
        math.mode = Mode::Plain;
    } else if (name == "mathml") {
        math.mode = Mode::MathML;
    } else if (name == "katex") {
        math.mode = Mode::KaTeX;
    } else if (name == "mathjax") {
        math.mode = Mode::MathJax;
    } else {
        error = "choose " + std::string(choices());
        return std::nullopt;
    }
    if (equals == std::string_view::npos) {
        return math;
    }
    if (math.mode != Mode::KaTeX && math.mode != Mode::MathJax) {
        error = name + " takes no URL";
        return std::nullopt;
    }
    std::string_view const url = setting.substr(equals + 1);
    if (url.empty()) {
        error = name + "= needs a URL";
        return std::nullopt;
    }
    auto kept = UrlFilter::forScript(url);
    if (!kept) {
        error = "not an address a page may load a script from (" + UrlFilter::scriptRefusal(url) +
                "; http, https, file or a relative path)";
        return std::nullopt;
    }
    math.url = std::move(*kept);
    return math;
}

std::string HtmlMath::defaultUrl(Mode mode) {
    switch (mode) {
    case Mode::KaTeX: return "file:///usr/share/javascript/katex/";
    case Mode::MathJax: return "file:///usr/share/javascript/mathjax/MathJax.js?config=TeX-AMS_CHTML";
    default: return {};
    }
}

std::string_view HtmlMath::choices() { return "mathml, katex[=URL], mathjax[=URL] or plain"; }

} // namespace richmarkup::formats

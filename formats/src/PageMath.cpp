#include "PageMath.hpp"

#include "MathmlCheck.hpp"
#include "NodeWalk.hpp"
#include <richmarkup/formats/TextEscape.hpp>
#include "UrlFilter.hpp"

#include <document/vxzero/Document.hpp>

#include <cctype>
#include <exception>
#include <stdexcept>

namespace richmarkup::formats {

namespace dv = document::vxzero;

namespace {

// Renders only the page's own equations, after the deferred KaTeX has loaded: a text that merely
// looks like TeX elsewhere on the page stays text. Each span holds its TeX between \( \) or
// \[ \], so that without the script (or with it blocked) the TeX is still there to read.
constexpr char const* katexRun =
    "<script>\n"
    "document.addEventListener(\"DOMContentLoaded\", function () {\n"
    "  if (typeof katex === \"undefined\") { return; }\n"
    "  document.querySelectorAll(\"span.math\").forEach(function (span) {\n"
    "    var tex = span.textContent;\n"
    "    katex.render(tex.slice(2, tex.length - 2), span,\n"
    "                 {displayMode: span.classList.contains(\"display\"), throwOnError: false, trust: false});\n"
    "  });\n"
    "});\n"
    "</script>\n";

// MathJax 2 (Debian's) and 3 alike: no typesetting of the whole page at start, the safe mode's
// checks on addresses (\href), then the page's own equations only, each handed over whole (as the
// script element MathJax 2 reads, or straight to MathJax 3): TeX holding "\)" stays one equation.
constexpr char const* mathjaxConfig =
    "<script>\n"
    "window.MathJax = {skipStartupTypeset: true, extensions: [\"Safe.js\"], startup: {typeset: false}};\n"
    "document.addEventListener(\"DOMContentLoaded\", function () {\n"
    "  var jax = window.MathJax;\n"
    "  var spans = Array.prototype.slice.call(document.querySelectorAll(\"span.math\"));\n"
    "  function take(span) {\n"
    "    var tex = span.textContent;\n"
    "    span.textContent = \"\";\n"
    "    return tex.slice(2, tex.length - 2);\n"
    "  }\n"
    "  if (jax && jax.Hub) {\n"
    "    spans.forEach(function (span) {\n"
    "      var display = span.classList.contains(\"display\");\n"
    "      var source = document.createElement(\"script\");\n"
    "      source.type = display ? \"math/tex; mode=display\" : \"math/tex\";\n"
    "      source.text = take(span);\n"
    "      span.appendChild(source);\n"
    "      jax.Hub.Queue([\"Typeset\", jax.Hub, span]);\n"
    "    });\n"
    "  } else if (jax && jax.startup) {\n"
    "    jax.startup.promise.then(function () {\n"
    "      spans.forEach(function (span) {\n"
    "        var display = span.classList.contains(\"display\");\n"
    "        span.appendChild(jax.tex2chtml(take(span), {display: display}));\n"
    "      });\n"
    "      jax.startup.document.clear();\n"
    "      jax.startup.document.updateDocument();\n"
    "    });\n"
    "  }\n"
    "});\n"
    "</script>\n";

std::string folder(std::string url) {
    if (!url.empty() && url.back() != '/') {
        url.push_back('/');
    }
    return url;
}

std::string attributeValue(std::string_view value) {
    std::string out;
    text::appendHtmlEscaped(out, value);
    return out;
}

} // namespace

PageMath::PageMath(HtmlMath const& math, std::vector<dv::Node> const& topLevel)
    : mode_(math.mode == HtmlMath::Mode::MathML && !math.toMathml ? HtmlMath::Mode::Plain : math.mode) {
    if (mode_ != HtmlMath::Mode::MathML) {
        return;
    }
    std::vector<TexMath> distinct;
    std::vector<Typeset*> slots;
    for (dv::Node const& top : topLevel) {
        forEachNode(top.getImpl(), [&](dv::Node::Impl const& node) {
            if (node.getKind() != dv::NodeKind::EquationNode) {
                return;
            }
            auto const& equation = static_cast<dv::EquationNode::Impl const&>(node);
            auto const& data = equation.getEquationData();
            auto const& tex = equation.getTexString();
            if (!tex || !isTex(data ? data->getEncoding() : std::nullopt)) {
                return;
            }
            bool const display = data && data->getDisplayStyle().value_or(false);
            key(*tex, display);
            auto const [slot, added] = typeset_.try_emplace(key_);
            if (added) {
                distinct.push_back(TexMath{key_.substr(1), display});
                slots.push_back(&slot->second);
            }
        });
    }
    if (distinct.empty()) {
        return;
    }
    std::vector<ConvertedMath> converted;
    try {
        converted = math.toMathml(distinct);
        if (converted.size() != distinct.size()) {
            throw std::runtime_error("the converter gave " + std::to_string(converted.size()) + " results for " +
                                     std::to_string(distinct.size()) + " equations");
        }
    } catch (std::exception const& e) {
        for (Typeset* slot : slots) {
            slot->problem = e.what();
        }
        return;
    }
    for (std::size_t i = 0; i < slots.size(); ++i) {
        Typeset& slot = *slots[i];
        if (!converted[i].mathml) {
            slot.problem = converted[i].problem.empty() ? "the converter rejected it" : converted[i].problem;
            continue;
        }
        if (auto const content = MathmlCheck::content(*converted[i].mathml, slot.problem)) {
            slot.content = std::string(*content);
        }
    }
}

void PageMath::key(std::u16string_view tex, bool display) const {
    key_.assign(1, display ? 'D' : 'I');
    text::appendUtf8(key_, tex);
}

PageMath::Typeset const* PageMath::find(std::u16string_view tex, bool display) const {
    if (typeset_.empty()) {
        return nullptr;
    }
    key(tex, display);
    auto const found = typeset_.find(key_);
    return found == typeset_.end() ? nullptr : &found->second;
}

bool PageMath::isTex(std::optional<std::u16string> const& encoding) {
    if (!encoding) {
        return true;
    }
    std::string lower;
    for (char16_t const c : *encoding) {
        lower.push_back(c < 0x80 ? static_cast<char>(std::tolower(static_cast<int>(c))) : '?');
    }
    return lower == "latex" || lower == "tex";
}

std::string PageMath::head(HtmlMath const& math) {
    std::string const url = math.url.empty() ? HtmlMath::defaultUrl(math.mode) : math.url;
    switch (math.mode) {
    case HtmlMath::Mode::KaTeX: {
        std::string const base = attributeValue(folder(url));
        return "<link rel=\"stylesheet\" href=\"" + base + "katex.min.css\">\n<script defer src=\"" + base +
               "katex.min.js\"></script>\n" + katexRun;
    }
    case HtmlMath::Mode::MathJax:
        return std::string(mathjaxConfig) + "<script defer src=\"" + attributeValue(url) + "\"></script>\n";
    default: return {};
    }
}

} // namespace richmarkup::formats

#pragma once

#include <richmarkup/formats/HtmlMath.hpp>

#include <document/vxzero/Node.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace richmarkup::formats {

/// A page's equations as its math mode shows them. For MathML, every distinct TeX of the page
/// (with its display style) goes to the converter in one call before the page is written, and
/// what comes back is checked (MathmlCheck); each equation then finds its MathML, or why it is
/// written as TeX.
class PageMath {
public:
    /// What became of one equation's TeX: the content of its `<math>` element, or a problem.
    struct Typeset {
        std::string content;
        std::string problem;
        bool typeset() const noexcept { return problem.empty(); }
    };

    PageMath(HtmlMath const& math, std::vector<document::vxzero::Node> const& topLevel);

    /// The mode equations are written in: MathML without a converter is Plain.
    HtmlMath::Mode mode() const noexcept { return mode_; }
    /// MathML: what became of `tex` shown so (every TeX of the page was gathered); null otherwise.
    Typeset const* find(std::u16string_view tex, bool display) const;

    /// The head's elements that load and run the renderer (KaTeX, MathJax); empty for the others.
    static std::string head(HtmlMath const& math);
    /// Whether an equation of this encoding is TeX: none given, "latex" or "tex" in any case.
    static bool isTex(std::optional<std::u16string> const& encoding);

private:
    void key(std::u16string_view tex, bool display) const;

    HtmlMath::Mode mode_;
    std::unordered_map<std::string, Typeset> typeset_;
    mutable std::string key_;
};

} // namespace richmarkup::formats

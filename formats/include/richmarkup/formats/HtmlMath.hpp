#pragma once

#include <richmarkup/formats/Export.hpp>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace richmarkup::formats {

/// One equation's TeX, as a converter to MathML is given it.
struct TexMath {
    std::string tex;
    bool display = false;
};

/// What a converter made of one equation: a MathML `<math>` element, or, when it rejected the
/// TeX, why (`problem`, one line).
struct ConvertedMath {
    std::optional<std::string> mathml;
    std::string problem;
};

/// Makes MathML of a page's equations, all at once and each distinct one once, giving one result
/// for each in order. Throws std::runtime_error when it cannot convert at all (its program
/// failed); then every equation is written as its TeX, with a warning.
using MathmlConverter = std::function<std::vector<ConvertedMath>(std::vector<TexMath> const& equations)>;

/// How an HTML page shows its equations. The names are pandoc's (--mathml, --katex, --mathjax).
struct RICHMARKUP_FORMATS_EXPORT HtmlMath {
    enum class Mode {
        /// The TeX in a code span: the page as it was before typesetting.
        Plain,
        /// MathML made before the page is written: a browser typesets it with no script.
        MathML,
        /// The TeX between \( \) or \[ \], typeset by KaTeX or MathJax in the browser.
        KaTeX,
        MathJax,
    };

    Mode mode = Mode::Plain;
    /// KaTeX: the folder of katex.min.js and katex.min.css; MathJax: the script's address. Empty:
    /// Debian's copy (defaultUrl), so that a page works offline on the machine that made it.
    std::string url;
    /// MathML: what makes it. Without one, MathML is written as Plain is.
    MathmlConverter toMathml;

    /// "plain", "mathml", "katex", "katex=URL", "mathjax" or "mathjax=URL", in any case; nothing
    /// for anything else, with the reason in `error`. A URL must be http, https, file or relative.
    static std::optional<HtmlMath> parse(std::string_view setting, std::string& error);
    /// Where Debian's libjs-katex and libjs-mathjax put the scripts; empty for the other modes.
    static std::string defaultUrl(Mode mode);
    /// The choices, for a message or --help: "mathml, katex[=URL], mathjax[=URL] or plain".
    static std::string_view choices();
};

} // namespace richmarkup::formats

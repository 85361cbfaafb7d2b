#pragma once

#include <richmarkup/formats/HtmlMath.hpp>
#include <richmarkup/pandoc/Export.hpp>
#include <richmarkup/pandoc/Pandoc.hpp>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace richmarkup::pandoc {

/// TeX to MathML by pandoc's own converter (texmath): a page's equations go to one pandoc run,
/// each a paragraph of pandoc's AST, and come back as the paragraphs of the HTML it writes with
/// --mathml. A page of 4 000 distinct equations or more is split into runs side by side on the
/// cores, none of more than 5 000. TeX it cannot convert comes back as TeX, with the reason pandoc
/// warned of. What it made is remembered (up to 16 MiB), so that of a corpus's documents only TeX
/// not seen before goes to pandoc. Copies share one pandoc and what it made; safe to use from
/// several threads at once.
class RICHMARKUP_PANDOC_EXPORT PandocMath {
public:
    explicit PandocMath(Pandoc pandoc);

    /// Whether there is a pandoc to run.
    bool available() const noexcept;
    /// For formats::HtmlMath::toMathml.
    formats::MathmlConverter converter() const;
    /// One result per equation, in order. Throws std::runtime_error when pandoc cannot be run or
    /// fails as a whole.
    std::vector<formats::ConvertedMath> convert(std::vector<formats::TexMath> const& equations) const;

    /// What a page's math setting comes to with this converter.
    struct Choice {
        enum class Outcome {
            /// As asked; for MathML, with this converter.
            Chosen,
            /// MathML asked for, and no pandoc to make it.
            NoConverter,
            /// The default, MathML, with no pandoc to make it: the TeX is written (Plain).
            FellBack,
        };
        formats::HtmlMath math;
        Outcome outcome = Outcome::Chosen;
    };
    /// `setting` as formats::HtmlMath::parse takes it, or none for the default: MathML where
    /// this converter can run, else plain. Nothing for a setting parse refuses (why in `error`).
    std::optional<Choice> choose(std::optional<std::string_view> setting, std::string& error) const;

    /// The Debian package that gives the converter, for a message.
    static constexpr std::string_view package = "pandoc";

    /// The reasons pandoc gave on standard error for each equation it could not convert, in
    /// order ("unexpected eof").
    static std::vector<std::string> rejections(std::string_view errors);

private:
    std::vector<formats::ConvertedMath> convertUnknown(std::vector<formats::TexMath> const& equations) const;

    struct State;
    std::shared_ptr<State> state_;
};

} // namespace richmarkup::pandoc

#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace richmarkup::formats {

/// Whether MathML from a converter may go into a page as it is. A converter is given untrusted
/// TeX, so what it gives back is held to MathML's presentation elements and their layout
/// attributes: no other element, no link or event attribute, no comment or processing
/// instruction, one `<math>` element with its tags balanced, and TeX only in an
/// `<annotation encoding="application/x-tex">`. Anything else is refused rather than cleaned.
class MathmlCheck {
public:
    /// The content of `mathml`'s `<math>` element, between its tags, when it passes; else nothing
    /// and why in `problem`.
    static std::optional<std::string_view> content(std::string_view mathml, std::string& problem);
};

} // namespace richmarkup::formats

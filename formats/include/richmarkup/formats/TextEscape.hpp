#pragma once

#include <richmarkup/formats/Export.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Escaping for the formats the writers produce, and the text look-ups they share.
namespace richmarkup::formats::text {

/// UTF-16 to UTF-8 that never throws: a lone surrogate becomes U+FFFD. A writer must not fail
/// halfway through a page because a model holds text that no builder would have produced.
RICHMARKUP_FORMATS_EXPORT std::string toUtf8(std::u16string_view utf16);
/// The same appended to `out`, which a writer reuses for every text it converts.
RICHMARKUP_FORMATS_EXPORT void appendUtf8(std::string& out, std::u16string_view utf16);

/// `text` in double quotes with `\"` `\\` `\n` `\r` `\t`, and `\u00XX` for the other control
/// characters; everything else (UTF-8 included) as it stands.
RICHMARKUP_FORMATS_EXPORT void appendQuoted(std::string& out, std::string_view text);
/// The same for the UTF-8 of `text` (a lone surrogate as U+FFFD), without making it first.
RICHMARKUP_FORMATS_EXPORT void appendQuoted(std::string& out, std::u16string_view text);

/// The same as a string of its own, quotes included: for lines a host writes next to model
/// JSON, such as a failed document's error line.
RICHMARKUP_FORMATS_EXPORT std::string jsonQuoted(std::string_view text);

/// `text` for HTML text or a double-quoted attribute value: & < > " ' as entities; control
/// characters other than tab, line feed and carriage return become U+FFFD. Gives how many did.
RICHMARKUP_FORMATS_EXPORT std::size_t appendHtmlEscaped(std::string& out, std::string_view text);
/// The same for the UTF-8 of `text` (a lone surrogate as U+FFFD, not counted), without making it first.
RICHMARKUP_FORMATS_EXPORT std::size_t appendHtmlEscaped(std::string& out, std::u16string_view text);

/// The control characters that appendHtmlEscaped replaces in `text`, each once in order of
/// appearance, for a message: "U+0001, U+001B".
RICHMARKUP_FORMATS_EXPORT std::string replacedControlCharacters(std::string_view text);

/// The anchor id an internal link "#name" names, among the ids `exists` knows: `name` itself, or
/// `name` with the tag the model gives the anchor ids of headings ("H_"), titles ("T_") and
/// paragraphs ("M_") put on or taken off; failing that, the same for `name` percent-decoded, as
/// browsers also look a fragment up ("#has%20space" reaches "has space"). None when none exists.
RICHMARKUP_FORMATS_EXPORT std::optional<std::string>
linkedAnchor(std::string_view name, std::function<bool(std::string const&)> const& exists);

/// The address a link names: its target, with "#anchor" added when the target has no fragment.
RICHMARKUP_FORMATS_EXPORT std::string linkAddress(std::optional<std::u16string> const& target,
                                                  std::optional<std::u16string> const& anchor);

} // namespace richmarkup::formats::text

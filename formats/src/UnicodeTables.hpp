#pragma once

// Character properties the Markdown writer's heading identifiers need, from tables that
// scripts/generate-unicode-tables writes.
namespace richmarkup::formats::unicode {

/// A letter, mark, number or connector punctuation ('_' and its kin).
bool isWordCharacter(char32_t cp);

/// The simple lower-case mapping; the code point itself when it has none.
char32_t toLower(char32_t cp);

} // namespace richmarkup::formats::unicode

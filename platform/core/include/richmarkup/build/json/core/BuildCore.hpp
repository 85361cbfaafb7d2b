#pragma once

#include <document/vxzero/Node.hpp>
#include <foundation/json/Value.hpp>
#include <richmarkup/build/json/core/Export.hpp>

#include <string>

/// Readings of the keys that every kind of element shares.
///
/// | key         | kind   | meaning                                                         |
/// |-------------|--------|-----------------------------------------------------------------|
/// | "className" | string | the element's kind                                              |
/// | "alignment" | string | "left", "center", "right" or "justify"; anything else is left   |
/// | "anchorId"  | string | the node's anchor id, taken as it stands                        |
/// | "id"        | string | used when "anchorId" is absent: the anchor id is tag + id       |
namespace richmarkup::build::json::core {

/// True only for an object whose "className" is a string equal to `className`. Never throws.
RICHMARKUP_CORE_EXPORT bool has_className(foundation::json::Value const& element,
                                          std::string const& className) noexcept;

/// The element's "alignment"; absent, not a string or an unknown word gives left.
RICHMARKUP_CORE_EXPORT document::vxzero::Alignment getAlignment(foundation::json::Value const& element);

/// The element's "anchorId" string when present; else `tag` + its "id" string when present;
/// else the empty string.
RICHMARKUP_CORE_EXPORT std::u16string extract_anchor_id(foundation::json::Value const& element, std::string const& tag);

/// The level the model stores for a heading's "level" number: truncated toward zero to 32 bits,
/// then the low byte (300 gives 44, -1 gives 255); what no 32-bit integer holds (NaN, out of
/// range) gives 0. A level is stored as written exactly when this equals it.
RICHMARKUP_CORE_EXPORT unsigned char headingLevel(double level) noexcept;

} // namespace richmarkup::build::json::core

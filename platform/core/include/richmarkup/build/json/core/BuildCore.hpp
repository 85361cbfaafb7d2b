#pragma once

#include <document/vxzero/Node.hpp>
#include <foundation/json/Value.hpp>

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
bool has_className(foundation::json::Value const& element, std::string const& className) noexcept;

/// The element's "alignment"; absent, not a string or an unknown word gives left.
document::vxzero::Alignment getAlignment(foundation::json::Value const& element);

/// The element's "anchorId" string when present; else `tag` + its "id" string when present;
/// else the empty string.
std::u16string extract_anchor_id(foundation::json::Value const& element, std::string const& tag);

} // namespace richmarkup::build::json::core

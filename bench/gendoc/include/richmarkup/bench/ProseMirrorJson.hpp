#pragma once

#include <foundation/json/Value.hpp>

#include <string>

namespace richmarkup::bench {

/// The content of a rich-text document (a parsed array of block elements, as the generator
/// writes them) in ProseMirror's JSON, for the peer benchmark: a "doc" of heading, paragraph,
/// bullet_list / ordered_list / list_item, table / table_row / table_cell / table_header,
/// code_block and inline image nodes, with text carrying the marks strong, em, code and link.
/// Where ProseMirror's basic schema has no equivalent, the nearest keeps the content: an
/// equation is its TeX as code, a link's runs carry a link mark, code lines are the lines of one
/// code_block, underline is dropped (no such mark). Empty runs are left out, as ProseMirror
/// allows no empty text node.
std::string toProseMirrorJson(foundation::json::Value const& document);

} // namespace richmarkup::bench

#pragma once

#include <richmarkup/formats/ReadDocument.hpp>

#include <string_view>
#include <vector>

namespace richmarkup::formats {

/// Gives each place whose pointer names a value of `text` (well-formed JSON, as the parser took
/// it) the line and column where that value starts; the others keep theirs. One pass over the
/// text for any number of places: a TextLocator walks the text once per pointer that does not
/// go through a top-level array, which a reader with many warnings cannot afford.
void locatePointers(std::string_view text, std::vector<SourcePlace*> const& places);

} // namespace richmarkup::formats

#pragma once

#include <richmarkup/formats/Export.hpp>
#include <richmarkup/formats/ReadDocument.hpp>
#include <richmarkup/formats/ReadError.hpp>

#include <string_view>
#include <vector>

namespace richmarkup::formats {

/// Reads pandoc's JSON AST (pandoc-types 1.22 or 1.23, what `pandoc -t json` writes) into
/// rich-text elements. Constructs the rich-text format cannot hold (block quotes, footnotes,
/// definition lists, rules, strikeout, raw blocks, divs, spans, figures, citations, ...) keep
/// their text in the nearest form, with a warning that names the construct and its JSON pointer
/// (and line and column in the JSON). Throws ReadError for malformed JSON or JSON that is no AST,
/// of another version, or with a node of the wrong shape, at its place.
///
/// The place of each top-level element has the pointer of the block it comes from ("/blocks/3").
/// Lines and columns cost a scan of the text: they are found, in one pass, only when reading gave
/// warnings; otherwise the elements' places hold pointers alone, and placeLines finds their lines
/// when something is to be said of them.
class RICHMARKUP_FORMATS_EXPORT PandocReader {
public:
    static ReadDocument read(std::string_view json);

    /// Gives line and column to each place with a pointer into `json` (the text read) but no
    /// line yet, all in one pass over the text.
    static void placeLines(std::string_view json, std::vector<SourcePlace>& places);
};

} // namespace richmarkup::formats

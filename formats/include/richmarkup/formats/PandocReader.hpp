#pragma once

#include <richmarkup/formats/Export.hpp>
#include <richmarkup/formats/ReadDocument.hpp>
#include <richmarkup/formats/ReadError.hpp>

#include <string_view>

namespace richmarkup::formats {

/// Reads pandoc's JSON AST (pandoc-types 1.22 or 1.23, what `pandoc -t json` writes) into
/// rich-text elements. Constructs the rich-text format cannot hold (block quotes, footnotes,
/// definition lists, rules, strikeout, raw blocks, divs, spans, figures, citations, ...) keep
/// their text in the nearest form, with a warning that names the construct and its JSON pointer
/// (and line and column in the JSON). Throws ReadError for malformed JSON or JSON that is no AST.
class RICHMARKUP_FORMATS_EXPORT PandocReader {
public:
    static ReadDocument read(std::string_view json);
};

} // namespace richmarkup::formats

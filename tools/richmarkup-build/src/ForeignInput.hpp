#pragma once

#include "InputFormats.hpp"

#include <richmarkup/formats/ReadDocument.hpp>

#include <stdexcept>
#include <string>

namespace richmarkup::tool {

/// An input of another format that cannot be read: its message, located where the reader
/// could ("FILE:LINE:COL: why", "FILE: pandoc could not read docx: why").
class ForeignInputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Reads an input that is no rich-text JSON (Markdown, pandoc's AST, or any format pandoc reads,
/// through pandoc) into rich-text elements. Throws InputError when the file cannot be read and
/// ForeignInputError when its content cannot.
formats::ReadDocument readForeign(std::string const& input, InputChoice const& choice, std::string const& pandoc);

} // namespace richmarkup::tool

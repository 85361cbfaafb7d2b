#pragma once

#include <richmarkup/formats/Export.hpp>

#include <document/vxzero/Node.hpp>

#include <iosfwd>
#include <string>
#include <vector>

namespace richmarkup::formats {

/// Writes nodes back as a rich-text document, the format the bundle reads, in a canonical form:
/// an array of block elements, each element's keys in one order, and only keys that carry what
/// the model holds. Building what it writes gives the same model again, so that whatever format
/// a document came in can be stored as rich text.
class RICHMARKUP_FORMATS_EXPORT RichTextWriter {
public:
    struct Options {
        /// Indented, one key a line; else the whole document on one line.
        bool pretty = true;
    };
    static void write(std::ostream& out, std::vector<document::vxzero::Node> const& topLevel, Options const& options);
    static std::string toString(std::vector<document::vxzero::Node> const& topLevel, Options const& options);
};

} // namespace richmarkup::formats

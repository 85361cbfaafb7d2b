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
/// a document came in can be stored as rich text; writing that model again gives the same text.
///
/// A stored number beyond the range the format names is written as one that reads back as it,
/// wherever a double can carry it (an image size of 2^64 - 1 as -1, which wraps around to it).
/// What no builder stores has no form of its own: a missing alignment or anchor id, or a heading
/// without a level, is written as what the builder stores without the key (left, "", level 1);
/// a lone UTF-16 surrogate as U+FFFD; an anchor id on a kind that takes none, and null nodes,
/// are left out.
class RICHMARKUP_FORMATS_EXPORT RichTextWriter {
public:
    struct Options {
        /// Indented by two spaces, one key a line, with a newline at the very end; else the
        /// whole document on one line, without one.
        bool pretty = true;
    };
    static void write(std::ostream& out, std::vector<document::vxzero::Node> const& topLevel, Options const& options);
    static std::string toString(std::vector<document::vxzero::Node> const& topLevel, Options const& options);
};

} // namespace richmarkup::formats

#pragma once

#include <document/vxzero/Node.hpp>
#include <vx/zero/Export.hpp>

#include <iosfwd>
#include <string>
#include <vector>

namespace document::vxzero {

/// Writes nodes as JSON, for people and for comparing outputs: an array of the given nodes,
/// each an object holding only what was set on it, in a fixed key order:
///   "kind", "anchorId", "alignment", "text", "tokenKind", "formatting", "level", "isOrdered",
///   "target", "anchor", "targetType", "id", "imageData", "texString", "equationData",
///   "codeExampleType", "tableNodeMetaData", "children".
/// "children" appears for every kind that holds children, empty or not; a record that was
/// set appears even when none of its fields is. A null node is written as null. The walk
/// keeps its own stack, so depth costs no native stack.
class RICHMARKUP_MODEL_EXPORT ModelJsonWriter {
public:
    struct Options {
        /// One member or element per line, indented, with a newline at the very end;
        /// otherwise no whitespace at all.
        bool pretty = true;
        /// Spaces per level when pretty; a negative count counts as 0.
        int indent = 2;
    };

    // Overloads rather than a default argument: Options is not complete inside this class.
    static void write(std::ostream& out, std::vector<Node> const& topLevel);
    static void write(std::ostream& out, std::vector<Node> const& topLevel, Options options);
    static std::string toString(std::vector<Node> const& topLevel);
    static std::string toString(std::vector<Node> const& topLevel, Options options);
};

} // namespace document::vxzero

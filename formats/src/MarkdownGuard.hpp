#pragma once

#include <richmarkup/formats/ReadDocument.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace richmarkup::formats {

/// Markdown that would take cmark-gfm 0.29 quadratic time, or memory far beyond its size, made
/// harmless before cmark reads it: a backslash escapes the character that starts the costly
/// construct, so that it reads as the text it holds.
/// - A pipe table whose rows cmark would fill with more cells than its text holds (every short
///   row gets the delimiter row's number of cells) or split at very many pipes: its delimiter row.
/// - A paragraph with very many `![` and `]`: each link cmark closes walks back over every image
///   still open. Its brackets.
/// - A link reference definition so long that the document's brackets could copy it past a
///   multiple of the document's size (cmark copies a definition into each link using it).
/// Each estimate counts what cmark could do at most, so that no such input gets through; Markdown
/// as people write it stays far below the limits. An escape within code shows as a backslash.
class MarkdownGuard {
public:
    struct Result {
        /// The Markdown with the escapes, when there are any.
        std::string escaped;
        bool changed = false;
        /// What was escaped, where (in the Markdown as given) and why.
        std::vector<ReaderWarning> warnings;
        /// Where each escape went (before the byte at that offset of the Markdown as given), in
        /// order, and where the lines of the Markdown as given start.
        std::vector<std::size_t> escapes;
        std::vector<std::size_t> lineStarts;

        /// Where a place in `escaped` stands in the Markdown as given: columns after an escape
        /// move back by one.
        SourcePlace original(SourcePlace place) const;
    };

    static Result check(std::string_view markdown);
};

} // namespace richmarkup::formats

#pragma once

#include <cmark-gfm-extension_api.h>

#include <cstddef>
#include <string_view>
#include <vector>

namespace richmarkup::formats {

/// TeX between dollars, as a cmark-gfm inline syntax extension: `$tex$` inline and `$$tex$$` in
/// display style, the TeX taken as it stands (no emphasis, escapes or references read inside),
/// as the Markdown writer writes equations and renderers with TeX math read them:
/// - inside the TeX a backslash escapes the next character, and a '$' within braces is TeX;
/// - the first other '$' ends the TeX, when it can: inline TeX starts and ends with no blank and
///   its closing '$' precedes no digit ("$20 and $30" is text), display TeX ends with "$$";
/// - a '}' that closes no brace ends the search: such TeX has no end the writer would write.
/// A '$' that closes nothing stays text, and "\$" is a dollar, as everywhere in Markdown.
///
/// An equation is a code node (which every inline container may hold, a table cell too) marked
/// as an equation; its literal is the TeX. One object serves one parse, on one thread.
class MarkdownMath {
public:
    enum class Style { None, Inline, Display };

    MarkdownMath();
    ~MarkdownMath();
    MarkdownMath(MarkdownMath const&) = delete;
    MarkdownMath& operator=(MarkdownMath const&) = delete;

    /// To attach to the parser, which must outlive neither this nor the nodes it made.
    cmark_syntax_extension* extension() const noexcept { return extension_; }

    /// Whether `node` is an equation, and in which style.
    static Style equation(cmark_node* node);

private:
    // Where TeX may end in the block being read, found in one pass over the block: every TeX
    // search of the block is then a look-up, however many dollars it holds.
    struct Mark {
        std::ptrdiff_t depth; // braces open before the character, counted from the block's start
        std::size_t pos;
        friend bool operator<(Mark const& a, Mark const& b) {
            return a.depth != b.depth ? a.depth < b.depth : a.pos < b.pos;
        }
    };

    static cmark_node* match(cmark_syntax_extension* extension, cmark_parser* parser, cmark_node* parent,
                             unsigned char character, cmark_inline_parser* inlineParser);
    void index(cmark_node* block);

    cmark_syntax_extension* extension_;
    cmark_node* block_ = nullptr;
    std::string_view text_;
    std::vector<Mark> dollars_;      // by position: each unescaped '$'
    std::vector<Mark> byDepth_;      // the same, sorted
    std::vector<Mark> closedBraces_; // sorted: each '}', at the depth before it
};

} // namespace richmarkup::formats

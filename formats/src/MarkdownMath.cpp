#include "MarkdownMath.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace richmarkup::formats {

namespace {

// The node's user data says which equation it is: code spans have none.
char inlineTag;
char displayTag;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

MarkdownMath::MarkdownMath() : extension_(cmark_syntax_extension_new("richmarkup-math")) {
    cmark_syntax_extension_set_match_inline_func(extension_, &MarkdownMath::match);
    // Text stops at a '$' so that the extension is asked there.
    cmark_syntax_extension_set_special_inline_chars(
        extension_, cmark_llist_append(cmark_get_default_mem_allocator(), nullptr,
                                       reinterpret_cast<void*>(static_cast<std::uintptr_t>('$'))));
    cmark_syntax_extension_set_private(extension_, this, nullptr);
}

MarkdownMath::~MarkdownMath() { cmark_syntax_extension_free(cmark_get_default_mem_allocator(), extension_); }

MarkdownMath::Style MarkdownMath::equation(cmark_node* node) {
    if (cmark_node_get_type(node) != CMARK_NODE_CODE) {
        return Style::None;
    }
    void const* tag = cmark_node_get_user_data(node);
    return tag == &displayTag ? Style::Display : tag == &inlineTag ? Style::Inline : Style::None;
}

void MarkdownMath::index(cmark_node* block) {
    block_ = block;
    // The inline parser reads the block's content, the same buffer.
    char const* content = cmark_node_get_string_content(block);
    text_ = content != nullptr ? std::string_view(content) : std::string_view();
    dollars_.clear();
    closedBraces_.clear();
    // Escapes are read from the block's start: a search starts right after a '$', never inside
    // a run of backslashes, so every search sees the same ones.
    std::ptrdiff_t depth = 0;
    std::size_t const size = text_.size();
    for (std::size_t i = 0; i < size; ++i) {
        switch (text_[i]) {
        case '\\': ++i; break;
        case '{': ++depth; break;
        case '}': closedBraces_.push_back(Mark{depth--, i}); break;
        case '$': dollars_.push_back(Mark{depth, i}); break;
        default: break;
        }
    }
    // Found in order of position: a stable sort by depth keeps each depth's in that order.
    auto byDepth = [](Mark const& a, Mark const& b) { return a.depth < b.depth; };
    byDepth_ = dollars_;
    std::stable_sort(byDepth_.begin(), byDepth_.end(), byDepth);
    std::stable_sort(closedBraces_.begin(), closedBraces_.end(), byDepth);
}

cmark_node* MarkdownMath::match(cmark_syntax_extension* extension, cmark_parser*, cmark_node* parent,
                                unsigned char character, cmark_inline_parser* inlineParser) {
    if (character != '$') {
        return nullptr;
    }
    auto& self = *static_cast<MarkdownMath*>(cmark_syntax_extension_get_private(extension));
    if (parent != self.block_) {
        self.index(parent);
    }
    auto const start = static_cast<std::size_t>(cmark_inline_parser_get_offset(inlineParser));
    auto const opening = std::lower_bound(self.dollars_.begin(), self.dollars_.end(), start,
                                          [](Mark const& mark, std::size_t pos) { return mark.pos < pos; });
    if (opening == self.dollars_.end() || opening->pos != start) {
        return nullptr;
    }
    std::string_view const text = self.text_;
    bool const display = start + 1 < text.size() && text[start + 1] == '$';
    std::size_t const begin = start + (display ? 2 : 1);
    if (!display && (begin >= text.size() || isBlank(text[begin]))) {
        return nullptr;
    }
    // The first '$' at the opening's depth, unless a '}' closes that depth first.
    auto const found = std::lower_bound(self.byDepth_.begin(), self.byDepth_.end(), Mark{opening->depth, begin});
    if (found == self.byDepth_.end() || found->depth != opening->depth) {
        return nullptr;
    }
    auto const brace =
        std::lower_bound(self.closedBraces_.begin(), self.closedBraces_.end(), Mark{opening->depth, begin});
    std::size_t const close = found->pos;
    if (brace != self.closedBraces_.end() && brace->depth == opening->depth && brace->pos < close) {
        return nullptr;
    }
    // The TeX is never empty: "$$" alone is no equation.
    bool const ends = close > begin &&
                      (display ? close + 1 < text.size() && text[close + 1] == '$'
                               : !isBlank(text[close - 1]) && !(close + 1 < text.size() && isDigit(text[close + 1])));
    if (!ends) {
        return nullptr;
    }
    std::string tex(text.substr(begin, close - begin));
    // TeX across lines: one kind of line end, as in the rest of the text.
    if (tex.find('\r') != std::string::npos) {
        std::string lines;
        for (std::size_t i = 0; i < tex.size(); ++i) {
            if (tex[i] != '\r') {
                lines.push_back(tex[i]);
            } else if (i + 1 >= tex.size() || tex[i + 1] != '\n') {
                lines.push_back('\n');
            }
        }
        tex = std::move(lines);
    }
    cmark_node* node = cmark_node_new_with_mem(CMARK_NODE_CODE, cmark_get_default_mem_allocator());
    cmark_node_set_literal(node, tex.c_str());
    cmark_node_set_user_data(node, display ? &displayTag : &inlineTag);
    cmark_inline_parser_set_offset(inlineParser, static_cast<int>(close + (display ? 2 : 1)));
    return node;
}

} // namespace richmarkup::formats

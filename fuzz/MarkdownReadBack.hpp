#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace richmarkup::fuzz {

/// The Markdown writer's output, kept both as written and as a CommonMark reader gives its
/// characters back (backslash escapes and character references taken out), to find a model
/// text's words in: a word counts as present when either form holds it, since escapes stand as
/// written inside code and are read elsewhere.
class MarkdownReadBack {
public:
    explicit MarkdownReadBack(std::string markdown);

    /// The first word of `text` that neither form holds, or nothing. A word is a run of ASCII
    /// letters and digits and of characters beyond ASCII other than Unicode's blanks. Texts are
    /// best asked for in document order: each form is searched from where its last word was
    /// found, then, if need be, from its start.
    std::optional<std::string> missingWord(std::string_view text);

    /// `markdown` with each backslash before ASCII punctuation dropped and each numeric
    /// reference, and &amp; &lt; &gt; &quot;, replaced by its character; left to right, as a
    /// reader takes them (so "\&#65;" stays "&#65;").
    static std::string decoded(std::string_view markdown);

    std::string const& written() const noexcept { return written_; }
    std::string const& read() const noexcept { return read_; }

private:
    /// Whether `form` holds `word`, searched from `cursor` on, which moves past it.
    static bool holds(std::string const& form, std::string_view word, std::size_t& cursor);

    std::string written_;
    std::string read_;
    std::size_t writtenCursor_ = 0;
    std::size_t readCursor_ = 0;
};

} // namespace richmarkup::fuzz

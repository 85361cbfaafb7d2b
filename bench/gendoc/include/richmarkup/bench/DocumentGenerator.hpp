#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace richmarkup::bench {

/// Writes rich-text documents of a chosen number of units: a JSON array with one top-level
/// element per unit, one unit a line. Units cycle through ten shapes so that every size holds
/// the same mix: headings, paragraphs of formatted runs with links, images and equations,
/// ordered and bulleted lists, code examples, and every tenth unit a table whose cells hold
/// paragraphs. The same seed always gives the same bytes, so figures taken at different
/// times describe the same input.
class DocumentGenerator {
public:
    /// Whether the every-tenth units are tables or plain paragraphs: tables cost more than the
    /// other shapes, and a corpus without them shows what they add.
    enum class Tables { Included, AsParagraphs };

    explicit DocumentGenerator(std::uint64_t seed = 1, Tables tables = Tables::Included) noexcept;

    /// A whole document of `units` units (an empty array for 0).
    std::string document(std::size_t units);
    /// A document of whole units, just long enough to reach `bytes` (at least one unit).
    std::string documentOfSize(std::size_t bytes);

    /// Appends the element of unit `index` (no separator, no line end).
    void appendUnit(std::string& out, std::size_t index);

private:
    std::uint64_t next() noexcept;
    std::size_t pick(std::size_t n) noexcept { return static_cast<std::size_t>(next() % n); }
    bool chance(unsigned percent) noexcept { return pick(100) < percent; }

    void heading(std::string& out, std::size_t index);
    void paragraph(std::string& out, std::size_t index, bool media, bool displayEquation);
    void list(std::string& out, std::size_t index);
    void code(std::string& out, std::size_t index);
    void table(std::string& out, std::size_t index);

    void runs(std::string& out, std::size_t count);
    void run(std::string& out);
    void link(std::string& out, std::size_t index);
    void image(std::string& out, std::size_t index);
    void equation(std::string& out, bool display);
    void words(std::string& out, std::size_t count);

    std::uint64_t state_;
    Tables tables_;
};

/// Appends `text` as a JSON string literal, quotes included.
void appendJsonString(std::string& out, std::string const& text);

} // namespace richmarkup::bench

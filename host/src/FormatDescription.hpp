#pragma once

#include <foundation/json/Value.hpp>

#include <string_view>
#include <vector>

/// The rich-text format as the builders read it, as data: every kind, the keys it reads with
/// their JSON kinds, which are required, what a value of another kind does, how the model
/// stores a number, and where each kind and its children stand. The host's checker works from
/// it; the schema and docs/format.md are checked against it (tests/schema).
namespace richmarkup::host::format {

/// Where a kind's children go: the route whose builder is asked about each one.
enum class Route { None, Inline, ListItems, TocEntries, TableRows, TableCells, AnyBlock, CodeLines, CodeElements };

/// What a value of another JSON kind does: Skip passes it over as if absent; Strict fails the build.
enum class Read { Skip, Strict };

/// How the model keeps a number: as written, or by a rule of its own (IndentWidth: the builder
/// refuses what it cannot keep).
enum class Stored { AsWritten, HeadingLevel, ImageSize, ColumnWidths, IndentWidth };

/// A key a builder reads.
struct Key {
    std::string_view name;
    foundation::json::Kind kind;
    bool required;
    Read read;
    Stored stored = Stored::AsWritten;
    std::vector<Key> members = {}; // of an object: the keys read inside it
};

/// One kind of element.
struct KindRule {
    std::string_view className;
    bool block;     // built by a block builder: may stand at the top of a document and in a table cell
    Route place;    // the route that takes it among its parent's children; None: only where blocks go
    Read nameRead;  // a "className" of another JSON kind at its place: Strict where its builder throws
    Route children; // None: it reads no "children"
    bool anchor;    // reads "anchorId", and "id" when that is no string
    bool alignment; // reads "alignment"
    std::vector<Key> keys;
};

inline constexpr std::string_view classNameKey = "className";
inline constexpr std::string_view childrenKey = "children";
inline constexpr std::string_view anchorIdKey = "anchorId";
inline constexpr std::string_view idKey = "id";
inline constexpr std::string_view alignmentKey = "alignment";
/// The alignments the model knows; any other word is stored as left.
inline constexpr std::string_view alignmentWords[] = {"left", "center", "right", "justify"};

/// The largest whole number every JSON reader keeps exact (2^53 - 1); beyond it one may round.
inline constexpr double maxExactWhole = 9007199254740991.0;

/// The whole numbers a stored rule other than AsWritten keeps as written: a fraction, or a
/// number outside, is stored otherwise (or refused).
struct WholeRange {
    double min;
    double max;
    bool holds(double value) const noexcept;
};
WholeRange wholeRange(Stored stored) noexcept;

/// Every kind, in a fixed order.
std::vector<KindRule> const& kinds();
/// The kind named so, or null.
KindRule const* kindNamed(std::string_view className) noexcept;
/// Every key the kind reads: "className", "children", "anchorId", "id", "alignment" where it
/// reads them, then its own keys.
std::vector<std::string_view> keyNames(KindRule const& kind);

} // namespace richmarkup::host::format

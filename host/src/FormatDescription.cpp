#include "FormatDescription.hpp"

#include <cmath>

namespace richmarkup::host::format {

namespace {

using foundation::json::Kind;

std::vector<KindRule> makeKinds() {
    // Keys are listed in the order the checker reports their faults; a required key missing
    // is reported in this order too.
    // clang-format off
    Key const hyperlink{"hyperlink", Kind::Object, false, Read::Skip, Stored::AsWritten,
                        {{"target", Kind::String, false, Read::Skip},
                         {"anchor", Kind::String, false, Read::Skip},
                         {"targetType", Kind::String, false, Read::Skip}}};
    return {
        {"RichTextNode", false, Route::Inline, Read::Strict, Route::None, false, false,
         {{"text", Kind::String, true, Read::Strict},
          {"bold", Kind::Bool, false, Read::Strict},
          {"italic", Kind::Bool, false, Read::Strict},
          {"monospace", Kind::Bool, false, Read::Strict},
          {"underline", Kind::Bool, false, Read::Strict}}},
        {"HyperlinkNode", false, Route::Inline, Read::Strict, Route::Inline, false, false, {hyperlink}},
        {"ImageNode", false, Route::Inline, Read::Strict, Route::None, false, false,
         {{"imageId", Kind::String, false, Read::Skip},
          {"imgSrc", Kind::String, false, Read::Skip},
          {"height", Kind::Double, false, Read::Skip, Stored::ImageSize},
          {"width", Kind::Double, false, Read::Skip, Stored::ImageSize},
          {"altText", Kind::String, false, Read::Skip},
          {"verticalAlign", Kind::String, false, Read::Skip}}},
        {"EquationNode", false, Route::Inline, Read::Strict, Route::None, false, false,
         {{"texString", Kind::String, false, Read::Skip},
          {"displayStyle", Kind::Bool, false, Read::Skip},
          {"encoding", Kind::String, false, Read::Skip},
          {"altTextString", Kind::String, false, Read::Skip}}},
        {"RichTextParagraphNode", true, Route::None, Read::Skip, Route::Inline, true, true, {}},
        {"HeadingNode", true, Route::None, Read::Skip, Route::Inline, true, true,
         {{"level", Kind::Double, true, Read::Strict, Stored::HeadingLevel}}},
        {"ListParagraph", true, Route::None, Read::Skip, Route::ListItems, true, false,
         {{"type", Kind::String, false, Read::Skip}}},
        {"ListItem", true, Route::ListItems, Read::Strict, Route::Inline, false, true, {}},
        {"TableOfContentsContainer", true, Route::None, Read::Skip, Route::TocEntries, true, false, {}},
        {"TableOfContentsHeadingNode", true, Route::TocEntries, Read::Skip, Route::Inline, false, true, {}},
        {"CodeExampleBlockNode", true, Route::None, Read::Skip, Route::CodeLines, true, false,
         {{"type", Kind::String, true, Read::Strict}}},
        {"CodeExampleLineNode", true, Route::CodeLines, Read::Skip, Route::CodeElements, false, false, {}},
        {"TableNode", true, Route::None, Read::Skip, Route::TableRows, true, false,
         {{"hasHeader", Kind::Bool, false, Read::Skip},
          {"columnWidths", Kind::Array, false, Read::Skip, Stored::ColumnWidths}}},
        {"TableRowNode", true, Route::TableRows, Read::Skip, Route::TableCells, false, false, {}},
        {"TableCellNode", true, Route::TableCells, Read::Skip, Route::AnyBlock, false, false, {}},
        {"CodeTextNode", false, Route::CodeElements, Read::Skip, Route::None, false, false,
         {{"text", Kind::String, true, Read::Strict}, {"tokenKind", Kind::String, false, Read::Strict}}},
        {"CodeIndentNode", false, Route::CodeElements, Read::Skip, Route::None, false, false,
         {{"width", Kind::Double, true, Read::Strict, Stored::IndentWidth}}},
    };
    // clang-format on
}

} // namespace

bool WholeRange::holds(double value) const noexcept {
    return value >= min && value <= max && std::floor(value) == value;
}

WholeRange wholeRange(Stored stored) noexcept {
    switch (stored) {
    case Stored::HeadingLevel: return {0, 255};
    case Stored::ImageSize: return {0, maxExactWhole};
    case Stored::ColumnWidths: return {-maxExactWhole, maxExactWhole};
    case Stored::IndentWidth: return {0, 256};
    case Stored::AsWritten: break;
    }
    return {-maxExactWhole, maxExactWhole}; // any number is kept: only a whole one is exact beyond 2^53
}

std::vector<KindRule> const& kinds() {
    static std::vector<KindRule> const all = makeKinds();
    return all;
}

KindRule const* kindNamed(std::string_view className) noexcept {
    for (auto const& kind : kinds()) {
        // Length and first letter tell the kinds apart before any compare of the bytes: this
        // runs for every element and child of a document.
        if (kind.className.size() == className.size() && kind.className[0] == className[0] &&
            kind.className == className) {
            return &kind;
        }
    }
    return nullptr;
}

std::vector<std::string_view> keyNames(KindRule const& kind) {
    std::vector<std::string_view> names = {classNameKey};
    if (kind.children != Route::None) {
        names.push_back(childrenKey);
    }
    if (kind.anchor) {
        names.insert(names.end(), {anchorIdKey, idKey});
    }
    if (kind.alignment) {
        names.push_back(alignmentKey);
    }
    for (auto const& key : kind.keys) {
        names.push_back(key.name);
    }
    return names;
}

} // namespace richmarkup::host::format

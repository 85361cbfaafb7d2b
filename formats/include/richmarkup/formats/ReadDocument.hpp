#pragma once

#include <richmarkup/formats/Export.hpp>

#include <foundation/json/Value.hpp>

#include <cstddef>
#include <string>
#include <vector>

namespace richmarkup::formats {

/// Where something a reader read stands in its source: a line and column (Markdown, counted
/// from 1, the column in bytes), a JSON pointer into pandoc's AST, or both. Line 0: no line.
struct SourcePlace {
    std::size_t line = 0;
    std::size_t column = 0;
    std::string pointer;
};

/// Something of the source that the rich-text elements keep otherwise than it was (in its
/// nearest form), or leave out: what and where.
struct ReaderWarning {
    SourcePlace place;
    std::string message;
};

/// What a reader made of its input: rich-text block elements, exactly what a document in the
/// rich-text format holds, for the host's builders to build; what it could not keep as written;
/// and where each top-level element came from, to place what the build says of it.
struct ReadDocument {
    /// The top-level block elements, in order.
    foundation::json::Array elements;
    /// Where each of `elements` starts in the source, index by index.
    std::vector<SourcePlace> places;
    std::vector<ReaderWarning> warnings;

    /// Adds a top-level element and where it came from.
    void add(foundation::json::Value element, SourcePlace place) {
        elements.push_back(std::move(element));
        places.push_back(std::move(place));
    }
    void warn(SourcePlace place, std::string message) {
        warnings.push_back(ReaderWarning{std::move(place), std::move(message)});
    }
};

} // namespace richmarkup::formats

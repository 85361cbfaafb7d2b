// Prints the host's description of the rich-text format as JSON, for the checks that hold the
// schema and docs/format.md to it (check_description.py).
//
// {"kinds": [{"className", "block", "place", "nameRead", "children", "anchor", "alignment",
//             "keys": [{"key", "kind", "required", "read", "stored", "minimum", "maximum", "members"}]}],
//  "anchorKeys", "alignmentKey", "alignmentWords"}
// "kind" is a JSON Schema type name; "minimum" and "maximum" bound a number (or an array's
// numbers) that the model stores as written, and are left out where any number is.

#include "FormatDescription.hpp"

#include <charconv>
#include <initializer_list>
#include <iostream>
#include <string>
#include <string_view>

namespace {

namespace format = richmarkup::host::format;
using foundation::json::Kind;

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char const c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + '"';
}

std::string number(double value) {
    char buffer[32];
    auto const written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return std::string(buffer, written.ptr);
}

char const* typeName(Kind kind) {
    switch (kind) {
    case Kind::String: return "string";
    case Kind::Bool: return "boolean";
    case Kind::Double: return "number";
    case Kind::Array: return "array";
    case Kind::Object: return "object";
    default: return "?";
    }
}

char const* routeName(format::Route route) {
    using format::Route;
    switch (route) {
    case Route::None: return "none";
    case Route::Inline: return "inline";
    case Route::ListItems: return "listItems";
    case Route::TocEntries: return "tocEntries";
    case Route::TableRows: return "tableRows";
    case Route::TableCells: return "tableCells";
    case Route::AnyBlock: return "anyBlock";
    case Route::CodeLines: return "codeLines";
    case Route::CodeElements: return "codeElements";
    }
    return "?";
}

char const* storedName(format::Stored stored) {
    using format::Stored;
    switch (stored) {
    case Stored::AsWritten: return "asWritten";
    case Stored::HeadingLevel: return "headingLevel";
    case Stored::ImageSize: return "imageSize";
    case Stored::ColumnWidths: return "columnWidths";
    case Stored::IndentWidth: return "indentWidth";
    }
    return "?";
}

char const* readName(format::Read read) { return read == format::Read::Strict ? "strict" : "skip"; }
char const* flag(bool value) { return value ? "true" : "false"; }

template <class Range, class Write>
std::string list(Range const& items, Write write) {
    std::string out = "[";
    for (auto const& item : items) {
        out += (out.size() > 1 ? ", " : "") + write(item);
    }
    return out + "]";
}

std::string key(format::Key const& key) {
    std::string out = "{\"key\": " + quoted(key.name) + ", \"kind\": " + quoted(typeName(key.kind)) +
                      ", \"required\": " + flag(key.required) + ", \"read\": " + quoted(readName(key.read)) +
                      ", \"stored\": " + quoted(storedName(key.stored));
    if (key.stored != format::Stored::AsWritten) {
        format::WholeRange const range = format::wholeRange(key.stored);
        out += ", \"minimum\": " + number(range.min) + ", \"maximum\": " + number(range.max);
    }
    if (!key.members.empty()) {
        out += ", \"members\": " + list(key.members, [](format::Key const& member) { return ::key(member); });
    }
    return out + "}";
}

std::string kind(format::KindRule const& kind) {
    return "{\"className\": " + quoted(kind.className) + ", \"block\": " + flag(kind.block) +
           ", \"place\": " + quoted(routeName(kind.place)) + ", \"nameRead\": " + quoted(readName(kind.nameRead)) +
           ", \"children\": " + quoted(routeName(kind.children)) + ", \"anchor\": " + flag(kind.anchor) +
           ", \"alignment\": " + flag(kind.alignment) +
           ", \"keys\": " + list(kind.keys, [](format::Key const& k) { return key(k); }) + "}";
}

} // namespace

int main() {
    auto const name = [](std::string_view text) { return quoted(text); };
    std::initializer_list<std::string_view> const anchorKeys = {format::anchorIdKey, format::idKey};
    std::cout << "{\"kinds\": " << list(format::kinds(), [](format::KindRule const& k) { return kind(k); })
              << ",\n \"anchorKeys\": " << list(anchorKeys, name)
              << ",\n \"alignmentKey\": " << quoted(format::alignmentKey)
              << ",\n \"alignmentWords\": " << list(format::alignmentWords, name) << "}\n";
    return 0;
}

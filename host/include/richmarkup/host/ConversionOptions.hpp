#pragma once

#include <richmarkup/host/Diagnostic.hpp>

#include <foundation/json/Value.hpp>

#include <cstddef>
#include <functional>

namespace richmarkup::host {

/// What a conversion makes of the build's warnings (richmarkup-build's --strict and --quiet).
struct WarningPolicy {
    /// Every warning is an error: each is reported as one, quiet or not, and the conversion fails
    /// once built, with no nodes.
    bool strict = false;
    /// Warnings are not reported. Errors always are.
    bool quiet = false;

    /// Whether warnings are reported at all.
    bool reports() const noexcept { return strict || !quiet; }
    /// The severity a reported warning gets.
    Diagnostic::Severity severity() const noexcept {
        return strict ? Diagnostic::Severity::Error : Diagnostic::Severity::Warning;
    }
};

/// How a conversion (DocumentHost::convert, ConversionPipeline) treats what it reports.
struct ConversionOptions {
    WarningPolicy warnings;
    /// Asked, with the index of the text concerned, before a reported warning is located: false
    /// leaves it out, unlocated. Locating is what costs; a caller that shows the first hundred of
    /// a million only counts the rest. Empty: every one.
    std::function<bool(std::size_t text)> admitWarning;
    /// Hears each reported warning, located, as it comes, with the index of its text; the
    /// Conversion then keeps none, so that a document with a million warnings holds no million
    /// messages. Empty: they are kept in Conversion::diagnostics, before the error if any.
    std::function<void(std::size_t text, Diagnostic const&)> onWarning;
    /// Sees each top-level element just before it is built.
    std::function<void(foundation::json::Value const&)> onElement;
};

} // namespace richmarkup::host

#pragma once

#include <richmarkup/host/ConversionOptions.hpp>
#include <richmarkup/host/Diagnostic.hpp>
#include <richmarkup/host/Export.hpp>

#include <document/vxzero/Node.hpp>

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace richmarkup::host {

class DocumentHost;

/// What one line of a JSON Lines stream gave.
struct LineOutcome {
    /// The output line, without its line break: what the writer made of the document, or, when it
    /// failed, `{"error": "FILE:LINE:COL: POINTER: message"}`. Empty without a writer.
    std::string line;
    /// Every diagnostic reported, located in the stream's lines; under strict the warnings are
    /// errors, and the first error is the one the error line gives.
    std::vector<Diagnostic> diagnostics;
    bool failed = false;
};

/// Converts JSON Lines one document at a time, each into a model of its own: the one place that
/// says what a line gives, for richmarkup-build's -f jsonl and for every host that hands over
/// lines (the Python module's convert_lines), so that they agree byte for byte. Blank lines are
/// the caller's to skip: they are no document. Const and stateless: threads may share one.
class LineConverter {
public:
    using LineWriter = std::function<void(std::ostream&, std::vector<document::vxzero::Node> const&)>;

    /// `writer`: one document as one line; empty for a check that writes nothing.
    RICHMARKUP_HOST_EXPORT LineConverter(DocumentHost const& host, WarningPolicy warnings, LineWriter writer);

    /// The document on line `number` of the input `name`: its diagnostics count lines from there.
    RICHMARKUP_HOST_EXPORT LineOutcome convert(std::string_view text, std::string const& name,
                                               std::size_t number) const;

    /// The line that stands for a document that failed with `error`.
    RICHMARKUP_HOST_EXPORT static std::string errorLine(Diagnostic const& error);

    /// The model JSON on one line: what -f jsonl -t json writes.
    RICHMARKUP_HOST_EXPORT static void writeModelJson(std::ostream& out,
                                                      std::vector<document::vxzero::Node> const& nodes);

private:
    DocumentHost const& host_;
    ConversionOptions options_;
    LineWriter writer_;
};

} // namespace richmarkup::host

#pragma once

#include "ToolOptions.hpp"

#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/host/LineConverter.hpp>

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace richmarkup::tool {

/// What one document of a batch gave: its output line (or its file's status) and its messages
/// for standard error.
struct Outcome {
    std::string output;
    /// Warnings, one a line, shown up to the input's --max-warnings.
    std::vector<std::string> warnings;
    /// Everything else for standard error, shown whole.
    std::string messages;
    /// The input the document came from, among the batch's.
    std::size_t input = 0;
    bool failed = false;
    int status = 0;
};

/// The conversions of many documents: the lines of JSON Lines inputs, or inputs written each to
/// its own output. Up to `jobs` documents are built at once on threads sharing the host, each
/// into a model of its own; results are written in input order, so the output is byte for byte
/// that of one thread. A document that fails is reported and the run goes on.
class BatchCommand {
public:
    BatchCommand(ToolOptions const& options, host::DocumentHost const& host, std::ostream& out, std::ostream& err,
                 bool errIsTerminal);

    /// Exit status: 0 every document done; 1 some failed (the rest written); 2 an input or
    /// output error that ended the run.
    int run();

private:
    struct Totals {
        std::size_t documents = 0;
        std::size_t failed = 0;
        std::size_t bytes = 0;
    };

    // One line's document: its model JSON line or error line, and its messages.
    Outcome convertLine(std::string const& text, std::string const& name, std::size_t number) const;
    // An input that cannot be read, as a document that failed.
    static Outcome unreadable(std::string const& why, std::size_t input);
    // Every line of `inputs` (as one stream) to one output.
    void convertLines(std::vector<std::string> const& inputs, std::ostream& out, Totals& totals);
    // Each input to its own file in the output folder.
    int convertEach();
    // One input to its own output file, what went wrong said in the outcome.
    Outcome convertFile(std::string const& input) const;
    std::string outputPathOf(std::string const& input) const;

    ToolOptions const& options_;
    host::DocumentHost const& host_;
    std::ostream& out_;
    std::ostream& err_;
    bool errIsTerminal_;
    // What each line gives; the warnings' limit is applied in input order.
    host::LineConverter lines_;
};

} // namespace richmarkup::tool

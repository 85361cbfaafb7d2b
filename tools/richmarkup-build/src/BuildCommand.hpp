#pragma once

#include "ToolOptions.hpp"

#include <ostream>

namespace richmarkup::tool {

/// Runs the tool once the command line is read: one document (reads and parses it, starts the
/// host, builds, writes), or a batch of them. Answers the exit status: 0 done (warnings
/// included), 1 a builder threw (a batch: some document failed), 2 bad input or a host that
/// could not start.
class BuildCommand {
public:
    /// errIsTerminal: whether `err` is a terminal, where a long batch shows its progress.
    BuildCommand(ToolOptions options, std::ostream& out, std::ostream& err, bool errIsTerminal = false);
    int run();

private:
    int listBuilders();
    int buildDocument();
    int buildBatch();
    // Whether a batch has anything to read, and so anything to log.
    bool anyInputReadable() const;

    ToolOptions options_;
    std::ostream& out_;
    std::ostream& err_;
    bool errIsTerminal_;
};

} // namespace richmarkup::tool

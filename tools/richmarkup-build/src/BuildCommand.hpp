#pragma once

#include "ToolOptions.hpp"

#include <ostream>

namespace richmarkup::tool {

/// Runs the tool once the command line is read: reads and parses the document, starts the
/// host, builds, writes. Answers the exit status: 0 done (warnings included), 1 a builder
/// threw, 2 bad input or a host that could not start.
class BuildCommand {
public:
    BuildCommand(ToolOptions options, std::ostream& out, std::ostream& err);
    int run();

private:
    int listBuilders();
    int buildDocument();

    ToolOptions options_;
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace richmarkup::tool

#pragma once

#include "ToolOptions.hpp"

#include <optional>
#include <ostream>

namespace richmarkup::tool {

/// Reads the command line into ToolOptions.
class CommandLine {
public:
    /// Fills `options`, or answers the exit status when the tool is done already: 0 after
    /// --help or --version (written to `out`), 2 after a usage error (written to `err`).
    static std::optional<int> parse(int argc, char const* const* argv, ToolOptions& options,
                                    std::ostream& out, std::ostream& err);
};

} // namespace richmarkup::tool

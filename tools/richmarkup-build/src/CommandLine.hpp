#pragma once

#include "ToolOptions.hpp"

#include <optional>
#include <ostream>
#include <string>

namespace richmarkup::tool {

/// Reads the command line into ToolOptions.
class CommandLine {
public:
    /// Fills `options`, or answers the exit status when the tool is done already: 0 after
    /// --help or --version (written to `out`), 2 after a usage error (one line on `err`).
    /// standardInputIsTerminal: with no INPUT, standard input would be read from a person's
    /// terminal; the tool then says how it is used instead of waiting in silence.
    static std::optional<int> parse(int argc, char const* const* argv, ToolOptions& options, std::ostream& out,
                                    std::ostream& err, bool standardInputIsTerminal = false);

    /// The file name's extension without its dot, if it has one: what OutputFormats knows -o by.
    static std::optional<std::string> extensionOf(std::string const& path);
};

} // namespace richmarkup::tool

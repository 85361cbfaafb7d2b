#pragma once

#include <optional>
#include <string>
#include <vector>

namespace richmarkup::tool {

enum class OutputFormat { Tree, Json, Html, None };

/// What the command line asked for.
struct ToolOptions {
    /// A JSON file, or "-" for standard input.
    std::string input = "-";
    OutputFormat format = OutputFormat::Tree;
    /// Write there instead of standard output.
    std::optional<std::string> output;
    /// Write the level-8 records there ("-": standard error).
    std::optional<std::string> log;
    std::vector<std::string> bundles;
    /// Empty: the host's default.
    std::string declarativeServicesBundle;
    bool codeElements = true;
    bool listBuilders = false;
    bool stats = false;
};

} // namespace richmarkup::tool

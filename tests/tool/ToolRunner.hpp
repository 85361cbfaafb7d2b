#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace richmarkup::tool::test {

/// What one run of the tool gave.
struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

/// Runs richmarkup-build through the shell in a scratch directory of its own, which it
/// removes when it goes.
class ToolRunner {
public:
    ToolRunner();
    ~ToolRunner();
    ToolRunner(ToolRunner const&) = delete;
    ToolRunner& operator=(ToolRunner const&) = delete;

    /// `arguments` is shell text appended to the tool's path; `input` goes to standard input.
    /// standardOutput: a file to send standard output to instead of capturing it. workingDirectory:
    /// where the tool runs (default: the scratch directory).
    ToolRun run(std::string const& arguments, std::string const& input = {},
                std::filesystem::path const& standardOutput = {},
                std::filesystem::path const& workingDirectory = {}) const;

    std::filesystem::path const& directory() const noexcept { return directory_; }
    /// Variables the tool's runs get, as env takes them: "PATH=/nonexistent".
    std::string environment;
    /// Writes `content` to a file of the scratch directory and gives its path.
    std::string file(std::string const& name, std::string const& content) const;

    static std::string read(std::filesystem::path const& path);
    /// The lines of `text`, without their line ends.
    static std::vector<std::string> lines(std::string const& text);
    static std::string example(std::string const& name);

private:
    std::filesystem::path directory_;
};

} // namespace richmarkup::tool::test

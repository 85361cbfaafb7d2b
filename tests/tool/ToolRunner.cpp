#include "ToolRunner.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace richmarkup::tool::test {

namespace fs = std::filesystem;

ToolRunner::ToolRunner() {
    static std::atomic<int> counter{0};
    directory_ =
        fs::temp_directory_path() / ("richmarkup-tool-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(directory_);
    fs::create_directories(directory_);
}

ToolRunner::~ToolRunner() {
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
}

ToolRun ToolRunner::run(std::string const& arguments, std::string const& input, fs::path const& standardOutput,
                        fs::path const& workingDirectory) const {
    fs::path const in = directory_ / ".stdin";
    fs::path const out = directory_ / ".stdout";
    fs::path const err = directory_ / ".stderr";
    std::ofstream(in, std::ios::binary) << input;
    std::string const command = "cd '" + (workingDirectory.empty() ? directory_ : workingDirectory).string() + "' && " +
                                (environment.empty() ? std::string() : "env " + environment + " ") +
                                "'" RICHMARKUP_TOOL "' " + arguments + " < '" + in.string() + "' > '" +
                                (standardOutput.empty() ? out : standardOutput).string() + "' 2> '" + err.string() +
                                "'";
    int const raw = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = read(out);
    run.err = read(err);
    fs::remove(in);
    fs::remove(out);
    fs::remove(err);
    return run;
}

std::string ToolRunner::file(std::string const& name, std::string const& content) const {
    fs::path const path = directory_ / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
}

std::vector<std::string> ToolRunner::lines(std::string const& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

std::string ToolRunner::read(fs::path const& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ToolRunner::example(std::string const& name) { return std::string(RICHMARKUP_EXAMPLES_DIR) + "/" + name; }

} // namespace richmarkup::tool::test

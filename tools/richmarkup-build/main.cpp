#include "src/BuildCommand.hpp"
#include "src/CommandLine.hpp"
#include "src/DescriptorStream.hpp"
#include "src/LargeHeap.hpp"

#include <unistd.h>

#include <iostream>

namespace {

// Standard output through a buffer that keeps the reason a write failed ("No space left on
// device"), put back before the stream outlives it.
class StandardOutput {
public:
    StandardOutput() : previous_(std::cout.rdbuf(&buffer_)) {}
    ~StandardOutput() {
        std::cout.flush();
        std::cout.rdbuf(previous_);
    }
    StandardOutput(StandardOutput const&) = delete;
    StandardOutput& operator=(StandardOutput const&) = delete;

private:
    richmarkup::tool::DescriptorBuffer buffer_{STDOUT_FILENO};
    std::streambuf* previous_;
};

} // namespace

int main(int argc, char** argv) {
    // Output is written in large pieces; no need to keep C stdio in step.
    std::ios::sync_with_stdio(false);
    StandardOutput const standardOutput;
    richmarkup::tool::ToolOptions options;
    if (auto const status = richmarkup::tool::CommandLine::parse(argc, argv, options, std::cout, std::cerr,
                                                                 ::isatty(STDIN_FILENO) == 1)) {
        return *status;
    }
    // JSON Lines are many small documents: huge pages would only make each thread's fresh heap
    // slower to start (a 2 MiB page cleared at its first touch).
    if (options.from != richmarkup::tool::InputFormat::JsonLines) {
        richmarkup::tool::LargeHeap::restartWithHugePagesIfLarge(options.inputs, argv);
    }
    return richmarkup::tool::BuildCommand(std::move(options), std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1).run();
}

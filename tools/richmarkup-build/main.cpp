#include "src/BuildCommand.hpp"
#include "src/CommandLine.hpp"
#include "src/LargeHeap.hpp"

#include <unistd.h>

#include <iostream>

int main(int argc, char** argv) {
    // Output is written in large pieces; no need to keep C stdio in step.
    std::ios::sync_with_stdio(false);
    richmarkup::tool::ToolOptions options;
    if (auto const status = richmarkup::tool::CommandLine::parse(argc, argv, options, std::cout, std::cerr,
                                                                 ::isatty(STDIN_FILENO) == 1)) {
        return *status;
    }
    richmarkup::tool::LargeHeap::restartWithHugePagesIfLarge(options.inputs, argv);
    return richmarkup::tool::BuildCommand(std::move(options), std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1)
        .run();
}

#pragma once

#include "CommandLine.hpp"

#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace richmarkup::tool::test {

/// Option names by the group --help lists them in ("Options" for -h and -V).
using OptionGroups = std::map<std::string, std::set<std::string>>;

/// --help as the tool prints it, from its own command-line parser.
inline std::string helpText() {
    char const* argv[] = {"richmarkup-build", "--help"};
    ToolOptions options;
    std::ostringstream out;
    std::ostringstream err;
    CommandLine::parse(2, argv, options, out, err);
    return out.str();
}

/// "Output:" opens a group; "  -t,--to,--format FORMAT   Output: ..." gives one option's names.
inline OptionGroups helpGroups(std::string const& help = helpText()) {
    OptionGroups groups;
    std::istringstream in(help);
    std::string group;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == ':' && line.find(' ') == std::string::npos) {
            group = line.substr(0, line.size() - 1);
        } else if (line.rfind("  -", 0) == 0 && group != "Positionals") {
            std::istringstream names(line.substr(2, line.find(' ', 2) - 2));
            for (std::string name; std::getline(names, name, ',');) {
                groups[group].insert(name);
            }
        }
    }
    return groups;
}

inline std::set<std::string> helpOptions() {
    std::set<std::string> all;
    for (auto const& [group, names] : helpGroups()) {
        all.insert(names.begin(), names.end());
    }
    return all;
}

/// What a shell command prints on standard output (its own redirections aside).
inline std::string shellOutput(std::string const& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            output.append(buffer, got);
        }
        ::pclose(pipe);
    }
    return output;
}

} // namespace richmarkup::tool::test

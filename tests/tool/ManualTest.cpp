#include "HelpListing.hpp"
#include "ToolRunner.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace richmarkup::tool::test {
namespace {

std::string const page = ToolRunner::read(RICHMARKUP_MANUAL_SOURCE);

// The tool's options are bold in the page (**--to**=*FORMAT*), and only they start so.
std::regex const boldOption(R"(\*\*(--?[A-Za-z][A-Za-z-]*)\*\*)");

std::set<std::string> boldOptionsIn(std::string const& text) {
    std::set<std::string> names;
    for (std::sregex_iterator it(text.begin(), text.end(), boldOption), end; it != end; ++it) {
        names.insert((*it)[1]);
    }
    return names;
}

// The OPTIONS section's terms by subsection: the first ones, before any, are --help's "Options".
OptionGroups pageGroups() {
    OptionGroups groups;
    bool inOptions = false;
    std::string group = "Options";
    for (auto const& line : ToolRunner::lines(page)) {
        if (line.rfind("# ", 0) == 0) {
            inOptions = line == "# OPTIONS";
        } else if (inOptions && line.rfind("## ", 0) == 0) {
            group = line.substr(3);
        } else if (inOptions && !line.empty() && line[0] != ':' && line[0] != ' ') {
            if (auto const names = boldOptionsIn(line); !names.empty()) {
                groups[group].insert(names.begin(), names.end());
            }
        }
    }
    return groups;
}

// Options anywhere in the page: in bold, and in the examples' richmarkup-build commands up to a
// pipe or a redirection (what follows belongs to other programs).
std::set<std::string> everyOptionNamed() {
    std::set<std::string> names = boldOptionsIn(page);
    for (auto const& line : ToolRunner::lines(page)) {
        if (line.rfind("richmarkup-build ", 0) != 0) {
            continue;
        }
        std::istringstream words(line);
        for (std::string word; words >> word && word != "|" && word != ">" && word != "<";) {
            if (word.size() > 1 && word[0] == '-') {
                names.insert(word.substr(0, word.find('=')));
            }
        }
    }
    return names;
}

TEST(Manual, ListsEveryOptionOfHelpInItsGroup) {
    OptionGroups const help = helpGroups();
    ASSERT_GE(help.size(), 7u) << helpText();
    EXPECT_EQ(pageGroups(), help);
    EXPECT_THAT(helpText(), ::testing::EndsWith("\n\nSee richmarkup-build(1)\n"));
}

TEST(Manual, EveryOptionItNamesIsAccepted) {
    std::set<std::string> const named = everyOptionNamed();
    EXPECT_GT(named.size(), helpOptions().size() / 2);
    for (auto const& option : named) {
        // "-" is the value of an option that takes one, else standard input: either way only an
        // option the parser does not know ends in CLI11's usage error.
        char const* argv[] = {"richmarkup-build", option.c_str(), "-"};
        ToolOptions options;
        std::ostringstream out;
        std::ostringstream err;
        CommandLine::parse(3, argv, options, out, err);
        EXPECT_THAT(err.str(), ::testing::Not(::testing::HasSubstr("see richmarkup-build --help"))) << option;
    }
}

TEST(Manual, ManFormatsItWithoutAWarning) {
    std::string const roff = RICHMARKUP_MANUAL_PAGE;
    if (roff.empty()) {
        GTEST_SKIP() << "the page was not made: no pandoc at configure time";
    }
    if (shellOutput("command -v man").empty()) {
        GTEST_SKIP() << "no man (apt-get install man-db)";
    }
    for (std::string const& file : {roff, roff + ".gz"}) {
        EXPECT_EQ(shellOutput("MANWIDTH=80 man --warnings -l '" + file + "' 2>&1 >/dev/null"), "") << file;
    }
    // groff says nothing of a line it need not break, an example's among them: none is wider.
    for (auto const& line : ToolRunner::lines(shellOutput("MANWIDTH=80 man -E ascii -l '" + roff + "'"))) {
        EXPECT_LE(line.size(), 80u) << line;
    }
    // Its NAME line is what apropos and whatis show.
    EXPECT_THAT(shellOutput("lexgrog '" + roff + "' 2>&1"), ::testing::HasSubstr("\"richmarkup-build - build "));
}

} // namespace
} // namespace richmarkup::tool::test

#include "HelpListing.hpp"
#include "InputFormats.hpp"
#include "OutputFormats.hpp"
#include "ToolRunner.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <vector>

namespace richmarkup::tool::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::UnorderedElementsAreArray;

// Calls the function `complete -p` names as bash would, $words on the line after the command.
constexpr char const* callWithWords = R"(registered=$(complete -p richmarkup-build) || exit 4
function=${registered#*-F }; function=${function%% *}
COMP_WORDS=(richmarkup-build "${words[@]}")
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
"$function" richmarkup-build "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
printf '%s\n' "${COMPREPLY[@]}"
)";

// A bash that has sourced the completion, in a scratch folder, with only `bin` on PATH: no pandoc
// unless a test puts one there.
class CompletionShell {
public:
    CompletionShell() { std::filesystem::create_directory(scratch_.directory() / "bin"); }

    std::filesystem::path const& directory() const { return scratch_.directory(); }

    void addProgram(std::string const& name, std::string const& script) const {
        std::filesystem::path const path = directory() / "bin" / name;
        std::ofstream(path) << "#!/bin/sh\n" << script;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }

    /// The output of `script` run after sourcing the completion.
    std::string run(std::string const& script) const {
        scratch_.file(".case.sh", "source '" RICHMARKUP_COMPLETION "' || exit 3\n" + script);
        return shellOutput("cd '" + directory().string() + "' && /usr/bin/env PATH='" + (directory() / "bin").string() +
                           "' /bin/bash .case.sh 2>&1");
    }

    /// COMPREPLY for the words given, the last one being completed.
    std::vector<std::string> complete(std::vector<std::string> const& words) const {
        std::string line;
        for (auto const& word : words) {
            line += " '" + word + "'";
        }
        std::vector<std::string> reply = ToolRunner::lines(run("words=(" + line + ")\n" + callWithWords));
        reply.erase(std::remove(reply.begin(), reply.end(), ""), reply.end());
        return reply;
    }

private:
    ToolRunner scratch_;
};

// The names -t takes that --help lists, in the table's order.
std::vector<std::string> outputNames() {
    std::vector<std::string> names;
    for (auto const& format : OutputFormats::all()) {
        names.emplace_back(format.name);
        names.insert(names.end(), format.aliases.begin(), format.aliases.end());
    }
    return names;
}

// The tool's own input names, as -f's help gives them in lower case (the rest are pandoc's;
// "JSON" and "CommonMark" there are prose).
std::set<std::string> ownInputNames() {
    std::set<std::string> names;
    std::string const help(InputFormats::help());
    std::string word;
    for (char c : help + ' ') {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            word += c;
        } else if (!word.empty()) {
            bool const lowerCase =
                std::none_of(word.begin(), word.end(), [](unsigned char w) { return std::isupper(w); });
            if (lowerCase && InputFormats::named(word).format != InputFormat::ThroughPandoc) {
                names.insert(word);
            }
            word.clear();
        }
    }
    return names;
}

TEST(Completion, IsRegisteredForTheTool) {
    CompletionShell shell;
    EXPECT_THAT(shell.run("complete -p richmarkup-build"),
                ::testing::MatchesRegex("complete -F _[A-Za-z_]+ richmarkup-build\n"));
}

TEST(Completion, OffersTheToolsFormatsAfterEachFormatOption) {
    CompletionShell shell;
    std::vector<std::string> const all = outputNames();
    EXPECT_THAT(shell.complete({"-t", ""}), ElementsAreArray(all));
    EXPECT_THAT(shell.complete({"--format", ""}), ElementsAreArray(all));
    // Bash splits `--to=` at '=' (COMP_WORDBREAKS); without '=' there, the word stays whole.
    EXPECT_THAT(shell.complete({"--to", "="}), ElementsAreArray(all));
    EXPECT_THAT(shell.complete({"--to", "=", "m"}), ElementsAre("markdown", "md"));
    EXPECT_THAT(shell.complete({"--to=h"}), ElementsAre("--to=html", "--to=html5"));

    std::vector<std::string> const input = shell.complete({"-f", ""});
    EXPECT_THAT(input, UnorderedElementsAreArray(ownInputNames()));
    EXPECT_EQ(input.size(), ownInputNames().size());
    EXPECT_THAT(shell.complete({"-f", "m"}), ElementsAre("markdown", "md"));
    EXPECT_THAT(shell.complete({"--from", "=", "js"}), ElementsAre("json", "jsonl"));
    EXPECT_THAT(shell.complete({"--pandoc-api", ""}), ElementsAre("1.22", "1.23"));
    EXPECT_THAT(shell.complete({"-t", "md", "--title", ""}), ElementsAre());
}

TEST(Completion, AddsPandocsFormatsOnceWhenItIsOnPath) {
    CompletionShell shell;
    shell.addProgram("pandoc", "case \"$1\" in\n"
                               "--list-input-formats) printf 'markdown\\nrst\\nrtf\\n' ;;\n"
                               "--list-output-formats) printf 'man\\nmarkdown\\nms\\n' ;;\n"
                               "esac\n");
    EXPECT_THAT(shell.complete({"-t", "m"}), ElementsAre("markdown", "md", "man", "ms"));
    EXPECT_THAT(shell.complete({"-f", "r"}), ElementsAre("richtext", "rst", "rtf"));
}

TEST(Completion, OffersHelpsOptionsAndElseFilesOrFolders) {
    CompletionShell shell;
    std::filesystem::create_directories(shell.directory() / "docs" / "sub");
    for (char const* name : {"docs/a.json", "docs/b.md", "-dash.json"}) {
        std::ofstream(shell.directory() / name) << "[]";
    }
    std::set<std::string> const options = helpOptions();
    std::vector<std::string> const offered = shell.complete({"-"});
    EXPECT_THAT(offered, UnorderedElementsAreArray(options));
    EXPECT_EQ(offered.size(), options.size());
    EXPECT_THAT(shell.complete({"--out"}), ElementsAre("--output", "--output-dir"));

    auto sorted = [](std::vector<std::string> words) {
        std::sort(words.begin(), words.end());
        return words;
    };
    EXPECT_THAT(sorted(shell.complete({"docs/"})), ElementsAre("docs/a.json", "docs/b.md", "docs/sub"));
    EXPECT_THAT(shell.complete({"-o", "docs/a"}), ElementsAre("docs/a.json"));
    EXPECT_THAT(shell.complete({"--output-dir", "docs/"}), ElementsAre("docs/sub"));
    EXPECT_THAT(shell.complete({"--output-dir=docs/"}), ElementsAre("--output-dir=docs/sub"));
    // After `--` a word that starts with '-' is an input.
    EXPECT_THAT(shell.complete({"--", "-"}), ElementsAre("-dash.json"));
}

} // namespace
} // namespace richmarkup::tool::test

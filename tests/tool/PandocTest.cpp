#include "InputFormats.hpp"
#include "PandocNeeded.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace richmarkup::tool::test {
namespace {

using ::testing::ElementsAre;

// What pandoc says on standard error: its own warnings (a line each, or continued on indented
// lines), among what a PDF engine adds of pandoc's stylesheet, which is no warning of ours.
TEST(PandocTest, OnlyPandocsOwnWarningsAreTakenAndEachIsOneLine) {
    std::string const errors = "[WARNING] This document format requires a nonempty <title> element.\n"
                               "  Defaulting to 'x' as the title.\n"
                               "WARNING: Ignored `text-rendering: optimizeLegibility` at 18:7, unknown property.\n"
                               "[WARNING] Could not convert TeX math \\frac{1}{, rendering as TeX\n";
    EXPECT_THAT(Pandoc::warningsIn(errors),
                ElementsAre("This document format requires a nonempty <title> element. Defaulting to 'x' as the title.",
                            "Could not convert TeX math \\frac{1}{, rendering as TeX"));
    // A resource it could not fetch: the address and what became of it, not the HTTP request.
    EXPECT_THAT(Pandoc::warningsIn("[WARNING] Could not fetch resource https://x.org/a.png: HttpExceptionRequest "
                                   "Request {\n  host = \"x.org\"\n  } Replacing image with description.\n"),
                ElementsAre("could not fetch https://x.org/a.png; the image is replaced with its description"));
    EXPECT_TRUE(Pandoc::warningsIn("").empty());
}

TEST(PandocTest, RunsAProgramWithInputLargerThanAPipeHoldsAndKeepsBothOutputs) {
    auto const folder = std::filesystem::temp_directory_path() / "richmarkup-pandoc-test";
    std::filesystem::create_directories(folder);
    auto const script = folder / "fake-pandoc";
    {
        std::ofstream out(script);
        out << "#!/bin/sh\ncase \"$1\" in --version) echo 'pandoc 2.17'; echo 'Compiled with pandoc-types 1.22.2.1';;\n"
               "*) wc -c; echo 'said' >&2; exit 3;; esac\n";
    }
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    Pandoc const pandoc(script.string());
    ASSERT_TRUE(pandoc.program());
    EXPECT_EQ(pandoc.api(), formats::PandocWriter::Api::V1_22);
    std::string const input(1 << 20, 'x'); // far more than a pipe's buffer: written while read
    Pandoc::Run const run = pandoc.run({"-f", "json"}, input);
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.output, "1048576\n");
    EXPECT_EQ(Pandoc::failureOf(run), "said");
    EXPECT_FALSE(Pandoc((folder / "none").string()).program());
    std::filesystem::remove_all(folder);
}

TEST(InputFormatsTest, AnInputIsReadAsItsExtensionSaysAndRichTextOtherwise) {
    EXPECT_EQ(InputFormats::forPath("notes.MD").format, InputFormat::Markdown);
    EXPECT_EQ(InputFormats::forPath("dir.md/notes").format, InputFormat::RichText) << "only the file's name counts";
    EXPECT_EQ(InputFormats::forPath("report.docx").pandocName, "docx");
    EXPECT_EQ(InputFormats::forPath("paper.tex").pandocName, "latex");
    EXPECT_EQ(InputFormats::forPath("doc.json").format, InputFormat::RichText);
    EXPECT_EQ(InputFormats::forPath("-").format, InputFormat::RichText);
    EXPECT_EQ(InputFormats::named("GFM").format, InputFormat::Markdown);
    EXPECT_EQ(InputFormats::named("ndjson").format, InputFormat::JsonLines);
    EXPECT_EQ(InputFormats::named("Docx").pandocName, "docx") << "pandoc's names are lower case";
}

} // namespace
} // namespace richmarkup::tool::test

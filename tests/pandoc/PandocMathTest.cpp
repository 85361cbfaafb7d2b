#include <richmarkup/pandoc/PandocMath.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <unistd.h>

namespace richmarkup::pandoc {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

class PandocMathTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!converter.available()) {
            GTEST_SKIP() << "no pandoc on PATH";
        }
    }
    PandocMath converter{Pandoc()};
};

// One run for the page: good and bad TeX side by side, each result in its place, the bad ones
// with pandoc's reason, and TeX that looks like markup kept as text.
TEST_F(PandocMathTest, EachEquationComesBackInItsPlaceWithRejectionsExplained) {
    auto const results = converter.convert({{"e^{i\\pi}", false},
                                            {"\\frac{", true},
                                            {"\\sum_{k=0}^{n} k", true},
                                            {"\\href{javascript:alert(1)}{x}", false},
                                            {"</math><script>alert(1)</script>", false},
                                            {"", false},
                                            {"a\n</p>\nb", false}});
    ASSERT_EQ(results.size(), 7u);
    ASSERT_TRUE(results[0].mathml);
    EXPECT_THAT(*results[0].mathml, StartsWith("<math display=\"inline\""));
    EXPECT_THAT(*results[0].mathml, HasSubstr("<annotation encoding=\"application/x-tex\">e^{i\\pi}</annotation>"));
    EXPECT_FALSE(results[1].mathml);
    EXPECT_EQ(results[1].problem, "pandoc: unexpected eof");
    ASSERT_TRUE(results[2].mathml);
    EXPECT_THAT(*results[2].mathml, StartsWith("<math display=\"block\""));
    EXPECT_FALSE(results[3].mathml);
    EXPECT_THAT(results[3].problem, HasSubstr("\\href"));
    ASSERT_TRUE(results[4].mathml);
    EXPECT_THAT(*results[4].mathml, Not(HasSubstr("<script")));
    EXPECT_TRUE(results[5].mathml);
    ASSERT_TRUE(results[6].mathml);
    EXPECT_THAT(*results[6].mathml, HasSubstr("&lt;/p&gt;"));
}

// Past 4 000, the equations go to several runs at once: each result still in its place.
TEST_F(PandocMathTest, APageOfManyEquationsIsSplitIntoRunsThatKeepTheOrder) {
    std::vector<formats::TexMath> equations;
    for (int i = 0; i < 4500; ++i) {
        equations.push_back({"x_{" + std::to_string(i) + "}", i % 2 == 0});
    }
    equations[300].tex = "\\frac{";
    equations[4200].tex = "\\nosuchcommand";
    auto const results = converter.convert(equations);
    ASSERT_EQ(results.size(), equations.size());
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (i == 300 || i == 4200) {
            EXPECT_FALSE(results[i].mathml) << i;
            continue;
        }
        ASSERT_TRUE(results[i].mathml) << i;
        EXPECT_THAT(*results[i].mathml, HasSubstr(">x_{" + std::to_string(i) + "}</annotation>")) << i;
    }
    EXPECT_EQ(results[300].problem, "pandoc: unexpected eof");
    EXPECT_THAT(results[4200].problem, HasSubstr("\\nosuchcommand"));
}

// A corpus's documents share their notation: what one page had converted, the next one does not
// run pandoc for, and the copies a tool hands its threads share it.
TEST_F(PandocMathTest, TexSeenBeforeNeedsNoOtherRun) {
    auto const folder = std::filesystem::temp_directory_path() / ("richmarkup-pandoc-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    auto const runs = folder / "runs";
    auto const counting = folder / "pandoc";
    std::ofstream(counting) << "#!/bin/sh\ncase \"$*\" in *--mathml*) echo run >> '" << runs.string()
                            << "';; esac\nexec pandoc \"$@\"\n";
    std::filesystem::permissions(counting, std::filesystem::perms::owner_all);
    PandocMath const counted{Pandoc(counting.string())};
    PandocMath const copy = counted;
    auto const lines = [&] {
        std::ifstream in(runs);
        return std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n');
    };
    auto const first = counted.convert({{"a^2", false}, {"\\frac{", false}});
    EXPECT_EQ(lines(), 1);
    auto const again = copy.convert({{"\\frac{", false}, {"a^2", false}});
    EXPECT_EQ(lines(), 1);
    EXPECT_EQ(again[1].mathml, first[0].mathml);
    EXPECT_EQ(again[0].problem, "pandoc: unexpected eof");
    // Displayed, the same TeX is another equation.
    EXPECT_THAT(*counted.convert({{"a^2", true}})[0].mathml, HasSubstr("display=\"block\""));
    EXPECT_EQ(lines(), 2);
    std::filesystem::remove_all(folder);
}

TEST(PandocMathRun, NoPandocOrAFailingOneIsAnErrorOfTheWholeRun) {
    PandocMath const missing{Pandoc("/nonexistent/pandoc")};
    EXPECT_FALSE(missing.available());
    EXPECT_THROW(missing.convert({{"x", false}}), std::runtime_error);
    // Nothing to convert needs no pandoc.
    EXPECT_TRUE(missing.convert({}).empty());
    PandocMath const failing{Pandoc("/bin/false")};
    ASSERT_TRUE(failing.available());
    EXPECT_THROW(failing.convert({{"x", false}}), std::runtime_error);
}

TEST(PandocMathRun, ReasonsAreTheParsersFirstWordsAfterTheCaret) {
    std::string const errors = "[WARNING] Could not convert TeX math x^{\n"
                               "y, rendering as TeX:\n"
                               "  x^{\n"
                               "  y\n"
                               "   ^\n"
                               "  unexpected eof\n"
                               "  expecting white space, \"{\"\n"
                               "[WARNING] This document format requires a nonempty <title> element.\n"
                               "[WARNING] Could not convert TeX math \\bad, rendering as TeX:\n"
                               "  \\bad\n"
                               "      ^\n"
                               "  unexpected control sequence \\bad\n";
    EXPECT_THAT(PandocMath::rejections(errors), ElementsAre("unexpected eof", "unexpected control sequence \\bad"));
}

} // namespace
} // namespace richmarkup::pandoc

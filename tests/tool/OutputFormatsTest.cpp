#include "OutputFormats.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace richmarkup::tool::test {
namespace {

std::string upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::toupper(c); });
    return out;
}

// A name or extension claimed by two rows would silently go to the first: a new row must not
// take one that is already there.
TEST(OutputFormatsTest, EachNameAndExtensionLeadsToTheOneFormatThatClaimsIt) {
    std::map<std::string, std::string> names;
    std::map<std::string, std::string> extensions;
    for (OutputFormat const& format : OutputFormats::all()) {
        std::vector<std::string_view> all{format.name};
        all.insert(all.end(), format.aliases.begin(), format.aliases.end());
        all.insert(all.end(), format.unlistedAliases.begin(), format.unlistedAliases.end());
        for (std::string_view name : all) {
            EXPECT_TRUE(names.emplace(std::string(name), std::string(format.name)).second) << name;
            EXPECT_EQ(OutputFormats::named(std::string(name)), &format) << name;
            EXPECT_EQ(OutputFormats::named(upper(name)), &format) << name;
        }
        for (std::string_view extension : format.extensions) {
            EXPECT_TRUE(extensions.emplace(std::string(extension), std::string(format.name)).second) << extension;
            EXPECT_EQ(OutputFormats::withExtension(upper(extension)), &format) << extension;
        }
    }
    EXPECT_EQ(OutputFormats::named("rtf"), nullptr) << "pandoc's other formats are asked of pandoc";
    EXPECT_EQ(OutputFormats::withExtension("xhtml"), nullptr);
}

// --output-dir names its files with a format's extension: -o must read that name back as the same
// format, and a JSON Lines file as one that writes lines.
TEST(OutputFormatsTest, TheFilesOfAFolderOfOutputsAreNamedAsTheirFormat) {
    for (OutputFormat const& format : OutputFormats::all()) {
        if (format.write != nullptr) {
            ASSERT_FALSE(format.extensions.empty()) << format.name;
            EXPECT_EQ(OutputFormats::withExtension(std::string(format.extensions.front())), &format) << format.name;
        }
        if (format.writeLine != nullptr) {
            OutputFormat const* const lines = OutputFormats::withExtension(std::string(format.linesExtension));
            ASSERT_NE(lines, nullptr) << format.name;
            EXPECT_NE(lines->writeLine, nullptr) << format.name;
        }
    }
    EXPECT_NE(OutputFormats::fallback().write, nullptr);
    EXPECT_NE(OutputFormats::forJsonLines().writeLine, nullptr);
}

} // namespace
} // namespace richmarkup::tool::test

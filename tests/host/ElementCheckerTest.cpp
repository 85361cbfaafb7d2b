#include "ElementChecker.hpp"

#include <foundation/json/Parser.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace richmarkup::host {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::set<std::string> const allBlocks = {"RichTextParagraphNode", "HeadingNode", "ListParagraph", "ListItem",
                                         "TableOfContentsContainer", "TableOfContentsHeadingNode",
                                         "CodeExampleBlockNode", "CodeExampleLineNode", "TableNode",
                                         "TableRowNode", "TableCellNode"};

// "pointer: message" of every warning for the element.
std::vector<std::string> warnings(std::string const& json, std::set<std::string> const& blocks = allBlocks) {
    std::vector<Finding> findings;
    ElementChecker(blocks).check(foundation::json::parse(json), "/0", findings);
    std::vector<std::string> out;
    for (auto const& f : findings) {
        out.push_back(f.pointer + ": " + f.message);
    }
    return out;
}

TEST(ElementChecker, ACleanElementGivesNothing) {
    EXPECT_THAT(warnings(R"({"className":"TableNode","hasHeader":true,"columnWidths":[10,20],"id":"t","children":[
        {"className":"TableRowNode","children":[{"className":"TableCellNode","children":[
            {"className":"RichTextParagraphNode","alignment":"center","children":[
                {"className":"RichTextNode","text":"x","bold":true},
                {"className":"HyperlinkNode","hyperlink":{"target":"u","anchor":"a"},"children":[]},
                {"className":"ImageNode","width":3,"height":0},{"className":"EquationNode","texString":"x"}]}]}]}]})"),
                ElementsAre());
}

TEST(ElementChecker, ChildrenNoBuilderTakesAtTheirPlaceAreNamed) {
    EXPECT_THAT(warnings(R"({"className":"RichTextParagraphNode","children":[
        {"className":"HeadingNode","level":1,"children":[]}, 7, {"text":"no class"}]})"),
                ElementsAre("/0/children/0: a \"HeadingNode\" element is skipped: no builder takes it among the "
                            "children of \"RichTextParagraphNode\"",
                            "/0/children/1: a double is skipped: no builder takes it among the children of "
                            "\"RichTextParagraphNode\"",
                            "/0/children/2: an element without \"className\" is skipped: no builder takes it among "
                            "the children of \"RichTextParagraphNode\""));
    // Every route of its own: list items, contents entries, rows, cells, code lines, code elements.
    for (auto const& [parent, stranger] : std::vector<std::pair<std::string, std::string>>{
             {"ListParagraph", "RichTextParagraphNode"}, {"TableOfContentsContainer", "ListItem"},
             {"TableNode", "TableCellNode"}, {"TableRowNode", "TableRowNode"},
             {"CodeExampleBlockNode", "RichTextNode"}, {"CodeExampleLineNode", "RichTextNode"}}) {
        std::string const extra = parent == "CodeExampleBlockNode" ? R"("type":"c",)" : "";
        auto const found = warnings(R"({"className":")" + parent + R"(",)" + extra + R"("children":[{"className":")" +
                                    stranger + R"(","children":[]}]})");
        ASSERT_EQ(found.size(), 1u) << parent;
        EXPECT_THAT(found[0], HasSubstr("/0/children/0: a \"" + stranger + "\" element is skipped")) << parent;
    }
    // A cell holds what the registered block builders take, and nothing else.
    std::string const cell = R"({"className":"TableCellNode","children":[{"className":"CodeExampleBlockNode","type":"c","children":[]}]})";
    EXPECT_THAT(warnings(cell), ElementsAre());
    std::set<std::string> withoutCode = allBlocks;
    withoutCode.erase("CodeExampleBlockNode");
    EXPECT_EQ(warnings(cell, withoutCode).size(), 1u);
}

TEST(ElementChecker, KeysTheBuildIgnoresForTheirKindAreNamed) {
    EXPECT_THAT(warnings(R"({"className":"HyperlinkNode","hyperlink":{"target":1,"anchor":"a","targetType":null},"children":[]})"),
                ElementsAre("/0/hyperlink/target: \"target\" is ignored: it must be a string, not a double",
                            "/0/hyperlink/targetType: \"targetType\" is ignored: it must be a string, not null"));
    EXPECT_THAT(warnings(R"({"className":"ImageNode","height":"10","imgSrc":false})"),
                ElementsAre("/0/height: \"height\" is ignored: it must be a double, not a string",
                            "/0/imgSrc: \"imgSrc\" is ignored: it must be a string, not a bool"));
    EXPECT_THAT(warnings(R"({"className":"TableNode","hasHeader":"yes","columnWidths":{},"children":[]})"),
                ElementsAre("/0/columnWidths: \"columnWidths\" is ignored: it must be an array, not an object",
                            "/0/hasHeader: \"hasHeader\" is ignored: it must be a bool, not a string"));
    EXPECT_THAT(warnings(R"({"className":"ListParagraph","type":["ordered"],"anchorId":5,"id":"l","children":[]})"),
                ElementsAre("/0/type: \"type\" is ignored: it must be a string, not an array",
                            "/0/anchorId: \"anchorId\" is ignored: it must be a string, not a double"));
}

TEST(ElementChecker, ValuesStoredOtherwiseThanWrittenAreNamed) {
    auto const heading = warnings(R"({"className":"HeadingNode","level":257,"alignment":"middle","children":[]})");
    ASSERT_EQ(heading.size(), 2u);  // in the order of the keys
    EXPECT_THAT(heading[0], HasSubstr("/0/alignment: alignment \"middle\" is not one the model knows"));
    EXPECT_EQ(heading[1], "/0/level: level 257 is not a whole number from 0 to 255; the model stores 1");
    EXPECT_THAT(warnings(R"({"className":"ImageNode","width":-2})")[0], HasSubstr("/0/width: \"width\" -2 is not a whole"));
    EXPECT_THAT(warnings(R"({"className":"TableNode","columnWidths":[1,2.5],"children":[]})"),
                ElementsAre("/0/columnWidths/1: column width 2.5 is not a whole number; the model stores it "
                            "without its fraction"));
}

TEST(ElementChecker, UnknownKeysNearKnownOnesAreNamedWithThePointerEscaped) {
    EXPECT_THAT(warnings(R"({"className":"TableNode","hasheader":true,"colour":"red","chidren/":[],"children":[]})"),
                ElementsAre("/0/chidren~1: unknown key \"chidren/\" is ignored: did you mean \"children\"?",
                            "/0/hasheader: unknown key \"hasheader\" is ignored: did you mean \"hasHeader\"?"));
}

TEST(ElementChecker, ABuildErrorIsTracedToTheValueOrTheMissingKey) {
    ElementChecker const checker(allBlocks);
    auto locate = [&](std::string const& json) {
        auto const found = checker.locateError(foundation::json::parse(json), "/3");
        return found ? found->pointer + ": " + found->message : std::string("none");
    };
    EXPECT_EQ(locate(R"({"className":"HeadingNode","level":"2","children":[]})"),
              "/3/level: \"level\" must be a double, not a string");
    EXPECT_EQ(locate(R"({"className":"ListParagraph","children":[{"className":"ListItem","children":[{"className":"RichTextNode"}]}]})"),
              "/3/children/0/children/0: \"RichTextNode\" needs the key \"text\", which is missing");
    EXPECT_EQ(locate(R"({"className":"TableNode","columnWidths":[1,"2"],"children":[]})"),
              "/3/columnWidths/1: a column width must be a double, not a string");
    EXPECT_EQ(locate(R"({"className":"RichTextParagraphNode","children":[{"className":3}]})"),
              "/3/children/0/className: \"className\" must be a string, not a double");
    EXPECT_EQ(locate(R"({"className":"RichTextParagraphNode","children":[]})"), "none");
}

} // namespace
} // namespace richmarkup::host

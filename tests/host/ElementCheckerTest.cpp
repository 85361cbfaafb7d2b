#include "ElementChecker.hpp"
#include "FormatDescription.hpp"

#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/shared/logging/Logger.hpp>
#include <richmarkup/shared/logging/RecordCounter.hpp>

#include <foundation/json/Parser.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace richmarkup::host {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::set<std::string> const allBlocks = {"RichTextParagraphNode",
                                         "HeadingNode",
                                         "ListParagraph",
                                         "ListItem",
                                         "TableOfContentsContainer",
                                         "TableOfContentsHeadingNode",
                                         "CodeExampleBlockNode",
                                         "CodeExampleLineNode",
                                         "TableNode",
                                         "TableRowNode",
                                         "TableCellNode"};

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
    for (auto const& [parent, stranger] :
         std::vector<std::pair<std::string, std::string>>{{"ListParagraph", "RichTextParagraphNode"},
                                                          {"TableOfContentsContainer", "ListItem"},
                                                          {"TableNode", "TableCellNode"},
                                                          {"TableRowNode", "TableRowNode"},
                                                          {"CodeExampleBlockNode", "RichTextNode"},
                                                          {"CodeExampleLineNode", "RichTextNode"}}) {
        std::string const extra = parent == "CodeExampleBlockNode" ? R"("type":"c",)" : "";
        auto const found = warnings(R"({"className":")" + parent + R"(",)" + extra + R"("children":[{"className":")" +
                                    stranger + R"(","children":[]}]})");
        ASSERT_EQ(found.size(), 1u) << parent;
        EXPECT_THAT(found[0], HasSubstr("/0/children/0: a \"" + stranger + "\" element is skipped")) << parent;
    }
    // A cell holds what the registered block builders take, and nothing else.
    std::string const cell =
        R"({"className":"TableCellNode","children":[{"className":"CodeExampleBlockNode","type":"c","children":[]}]})";
    EXPECT_THAT(warnings(cell), ElementsAre());
    std::set<std::string> withoutCode = allBlocks;
    withoutCode.erase("CodeExampleBlockNode");
    EXPECT_EQ(warnings(cell, withoutCode).size(), 1u);
}

TEST(ElementChecker, AClassNameOfAnotherKindFailsOnlyWhereAStrictBuilderIsAsked) {
    ElementChecker const checker(allBlocks);
    auto locate = [&](std::string const& json) {
        auto const found =
            checker.locateError(foundation::json::parse(json), "", "invalid conversion: double to string");
        return found ? found->pointer + ": " + found->message : std::string("none");
    };
    // The inline builders, the list item's and, in a cell, the list item's again read it strictly.
    for (std::string const parent : {R"({"className":"RichTextParagraphNode",)", R"({"className":"ListParagraph",)",
                                     R"({"className":"TableCellNode",)"}) {
        EXPECT_EQ(locate(parent + R"("children":[{"className":5}]})"),
                  "/children/0/className: \"className\" must be a string, not a double")
            << parent;
    }
    // The others pass it over: the child is dropped, and said to be.
    for (std::string const parent : {"TableOfContentsContainer", "TableNode", "TableRowNode", "CodeExampleLineNode"}) {
        std::string const json = R"({"className":")" + parent + R"(","children":[{"className":5}]})";
        EXPECT_EQ(locate(json), "none") << parent;
        EXPECT_THAT(warnings(json),
                    ElementsAre(HasSubstr("/0/children/0: an element whose \"className\" is a double is "
                                          "skipped")))
            << parent;
    }
    // In a cell, only while a list item builder is registered.
    std::set<std::string> withoutListItem = allBlocks;
    withoutListItem.erase("ListItem");
    auto const cell = foundation::json::parse(R"({"className":"TableCellNode","children":[{"className":5}]})");
    EXPECT_FALSE(ElementChecker(withoutListItem).locateError(cell, "", "invalid conversion: double to string"));
}

TEST(ElementChecker, KeysTheBuildIgnoresForTheirKindAreNamed) {
    EXPECT_THAT(
        warnings(
            R"({"className":"HyperlinkNode","hyperlink":{"target":1,"anchor":"a","targetType":null},"children":[]})"),
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
    ASSERT_EQ(heading.size(), 2u); // in the order of the keys
    EXPECT_THAT(heading[0], HasSubstr("/0/alignment: alignment \"middle\" is not one the model knows"));
    EXPECT_EQ(heading[1], "/0/level: level 257 is not a whole number from 0 to 255; the model stores 1");
    // Each says what the model stores instead.
    EXPECT_THAT(warnings(R"({"className":"ImageNode","width":-2,"height":240.75})"),
                ElementsAre("/0/height: \"height\" 240.75 is not a whole number from 0 to 9007199254740991; the "
                            "model stores 240",
                            "/0/width: \"width\" -2 is not a whole number from 0 to 9007199254740991; the model "
                            "stores 18446744073709551614"));
    EXPECT_THAT(warnings(R"({"className":"ImageNode","width":1e300,"height":-0.5})"),
                ElementsAre("/0/height: \"height\" -0.5 is not a whole number from 0 to 9007199254740991; the "
                            "model stores 0",
                            "/0/width: \"width\" 1e+300 is not a whole number from 0 to 9007199254740991; the "
                            "model stores 18446744073709551615"));
    EXPECT_THAT(warnings(R"({"className":"TableNode","columnWidths":[1,-2.5,1e19],"children":[]})"),
                ElementsAre("/0/columnWidths/1: column width -2.5 is not a whole number from -9007199254740991 to "
                            "9007199254740991; the model stores -2",
                            "/0/columnWidths/2: column width 1e+19 is not a whole number from -9007199254740991 to "
                            "9007199254740991; the model stores 9223372036854775807"));
}

TEST(ElementChecker, WhatTheTextWroteThatTheTreeDoesNotShowIsNamed) {
    // Wherever it stands: in an element the checker knows, in a key it ignores, in another kind.
    EXPECT_THAT(warnings(R"({"className":"RichTextParagraphNode","className":"HeadingNode","level":1,"children":[
        {"className":"ImageNode","width":1e-400,"x/y":{"a":1,"a":2,"b":[0.0,-5e-999]}}]})"),
                ElementsAre("/0/className: duplicate key \"className\": the last value is used, the others ignored",
                            "/0/children/0/width: the number 1e-400 is too small for a double: it is read as 0",
                            "/0/children/0/x~1y/a: duplicate key \"a\": the last value is used, the others ignored",
                            "/0/children/0/x~1y/b/1: the number -5e-999 is too small for a double: it is read as 0"));
    EXPECT_THAT(warnings(R"({"className":"SomeOtherKind","k\n":1,"k\n":2})"),
                ElementsAre("/0/k\n: duplicate key \"k\\n\": the last value is used, the others ignored"));
}

TEST(ElementChecker, UnknownKeysNearKnownOnesAreNamedWithThePointerEscaped) {
    EXPECT_THAT(warnings(R"({"className":"TableNode","hasheader":true,"colour":"red","chidren/":[],"children":[]})"),
                ElementsAre("/0/chidren~1: unknown key \"chidren/\" is ignored: did you mean \"children\"?",
                            "/0/hasheader: unknown key \"hasheader\" is ignored: did you mean \"hasHeader\"?"));
}

TEST(ElementChecker, ABuildErrorIsTracedToTheValueOrTheMissingKey) {
    ElementChecker const checker(allBlocks);
    auto locate = [&](std::string const& json, std::string const& builderMessage) {
        auto const found = checker.locateError(foundation::json::parse(json), "/3", builderMessage);
        return found ? found->pointer + ": " + found->message : std::string("none");
    };
    EXPECT_EQ(
        locate(R"({"className":"HeadingNode","level":"2","children":[]})", "invalid conversion: string to double"),
        "/3/level: \"level\" must be a double, not a string");
    EXPECT_EQ(
        locate(
            R"({"className":"ListParagraph","children":[{"className":"ListItem","children":[{"className":"RichTextNode"}]}]})",
            "invalid conversion: undefined to string"),
        "/3/children/0/children/0: \"RichTextNode\" needs the key \"text\", which is missing");
    EXPECT_EQ(locate(R"({"className":"TableNode","columnWidths":[1,"2"],"children":[]})",
                     "invalid conversion: string to double"),
              "/3/columnWidths/1: a column width must be a double, not a string");
    EXPECT_EQ(locate(R"({"className":"RichTextParagraphNode","children":[{"className":3}]})",
                     "invalid conversion: double to string"),
              "/3/children/0/className: \"className\" must be a string, not a double");
    EXPECT_EQ(locate(R"({"className":"RichTextParagraphNode","children":[]})", "invalid conversion: null to string"),
              "none");
}

TEST(ElementChecker, ABuildErrorIsTracedToTheFaultTheBuilderNamesAlone) {
    ElementChecker const checker(allBlocks);
    auto locate = [&](std::string const& json, std::string const& builderMessage) {
        auto const found = checker.locateError(foundation::json::parse(json), "/0", builderMessage);
        return found ? found->pointer + ": " + found->message : std::string("none");
    };
    // The builder reads "text" before the formatting keys, which sort before it.
    std::string const run =
        R"({"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","bold":"x","text":5}]})";
    EXPECT_EQ(locate(run, "invalid conversion: double to string"),
              "/0/children/0/text: \"text\" must be a string, not a double");
    EXPECT_EQ(locate(run, "invalid conversion: string to bool"),
              "/0/children/0/bold: \"bold\" must be a bool, not a string");
    // A width the code builder refuses is its own fault, at its own place, and its text says it all.
    std::string const code =
        R"({"className":"CodeExampleBlockNode","type":"c","children":[{"className":"CodeExampleLineNode",
        "children":[{"className":"CodeTextNode","text":"x"},{"className":"CodeIndentNode","width":2.5},
                    {"className":"CodeTextNode","text":5}]}]})";
    EXPECT_EQ(locate(code, "CodeIndentNode width must be a whole number from 0 to 256, not 2.5"),
              "/0/children/0/children/1/width: ");
    EXPECT_EQ(locate(code, "invalid conversion: double to string"),
              "/0/children/0/children/2/text: \"text\" must be a string, not a double");
    // A builder's error the checker has no fault for is left at the element.
    EXPECT_EQ(locate(code, "cannot build the children of a HyperlinkNode"), "none");
}

// The host learns the block kinds by asking each registered block builder about an element of
// every kind of the description, once, when it starts.
TEST(BlockKinds, TheBundlesBuildersTakeTheBlockKindsOfTheDescription) {
    std::set<std::string> described;
    for (auto const& kind : format::kinds()) {
        if (kind.block) {
            described.insert(std::string(kind.className));
        }
    }
    EXPECT_EQ(described, allBlocks);
    HostOptions options;
    options.bundleDirectories = {RICHMARKUP_TEST_BUNDLE_DIR};
    EXPECT_EQ(DocumentHost(options).blockKinds(), described);
}

TEST(BlockKinds, AskingTheBuildersLeavesNoRecordAndTheRecordsOn) {
    namespace logging = richmarkup::shared::logging;
    auto& logger = logging::getLogger();
    unsigned const mask = logger.mask();
    logger.enable(logging::builderRecordLevel);
    {
        logging::RecordCounter const records;
        HostOptions options;
        options.bundleDirectories = {RICHMARKUP_TEST_BUNDLE_DIR};
        DocumentHost const host(options);
        EXPECT_FALSE(host.blockKinds().empty());
        EXPECT_EQ(records.count(), 0u);
        EXPECT_TRUE(logger.isEnabled(logging::builderRecordLevel));
        vx::zero::Model model;
        host.build(model, foundation::json::parse(R"({"className":"RichTextParagraphNode","children":[]})"));
        EXPECT_GT(records.count(), 0u); // a build's own
    }
    logger.setMask(mask);
}

} // namespace
} // namespace richmarkup::host

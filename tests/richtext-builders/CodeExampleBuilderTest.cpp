#include "CodeExampleBlockBuilderImpl.hpp"
#include "CodeExampleLineBuilderImpl.hpp"
#include "RecordWriter.hpp"

#include <document/vxzero/CodeExampleBlock.hpp>
#include <document/vxzero/CodeTextNode.hpp>
#include <document/vxzero/ModelJsonWriter.hpp>
#include <fl/i18n/ustring.hpp>
#include <foundation/json/Parser.hpp>
#include <richmarkup/shared/logging/Logger.hpp>
#include <richmarkup/test/ErrorOf.hpp>
#include <richmarkup/test/RecordCapture.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using foundation::json::parse;
using richmarkup::build::json::NodeBuilder;
using richmarkup::build::json::code::CodeElementBuilder;
using richmarkup::build::json::code::CodeElementBuilderServicesProvider;
using richmarkup::build::json::text::CodeExampleBlockBuilderImpl;
using richmarkup::build::json::text::CodeExampleLineBuilderImpl;
using richmarkup::build::json::text::RecordWriter;
using richmarkup::test::errorOf;
using richmarkup::test::RecordCapture;

using Messages = std::vector<std::string>;

namespace {

// Builds a code text run from "text"; "fail" makes it throw, "null" makes it return no node.
class FakeCodeElementBuilder : public CodeElementBuilder {
public:
    bool canBuild(foundation::json::Value const&) override { return true; }
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override {
        RecordWriter::write("fake code element build");
        if (element.hasOwnProperty("fail")) {
            throw std::runtime_error("code element failed");
        }
        if (element.hasOwnProperty("null")) {
            return {};
        }
        auto node = document::vxzero::CodeTextNode::Builder(model).createCodeTextNode(boost::uuids::nil_uuid());
        node->setText(fl::i18n::utf8_to_ustring(element["text"].asString()));
        return std::move(node);
    }
};

// Finds the fake builder for every element whose "className" is "Code"; logs nothing, so the
// records seen are the line builder's own and the fake builder's.
class FakeProvider : public CodeElementBuilderServicesProvider {
public:
    std::shared_ptr<CodeElementBuilder> findApplicableBuilder(foundation::json::Value const& element) override {
        ++asked;
        if (element.isObject() && element["className"].isString() && element["className"].asString() == "Code") {
            return std::make_shared<FakeCodeElementBuilder>();
        }
        return nullptr;
    }
    int asked = 0;
};

struct Builders {
    std::shared_ptr<FakeProvider> provider = std::make_shared<FakeProvider>();
    std::shared_ptr<CodeExampleLineBuilderImpl> line = std::make_shared<CodeExampleLineBuilderImpl>(provider);
    CodeExampleBlockBuilderImpl block{line};
};

std::string json(document::vxzero::Node const& node) {
    return document::vxzero::ModelJsonWriter::toString({node}, {false, 2});
}

// The records of one appended child, its builder's own first.
Messages childRecords(unsigned count) {
    return {"fake code element build", "Successfully built a node of type document::vxzero::CodeTextNode",
            "Inserting the built child into the top level CodeExampleLineNode",
            "The CodeExampleLineNode now has " + std::to_string(count) + " children"};
}

Messages lineRecords(std::vector<unsigned> const& counts) {
    Messages m{"Checking if can build CodeExampleLineNode", "Starting to build a CodeExampleLineNode"};
    for (unsigned n : counts) {
        Messages const child = childRecords(n);
        m.insert(m.end(), child.begin(), child.end());
    }
    return m;
}

char const* const twoLines = R"({"className":"CodeExampleBlockNode","id":"ex1","type":"cpp","children":[
    {"className":"CodeExampleLineNode","children":[{"className":"Code","text":"int"},{"className":"Code","text":" x;"}]},
    {"className":"CodeExampleLineNode","children":[{"className":"Code","text":"return x;"}]}]})";

} // namespace

TEST(CodeExampleBuilders, CanBuildOnlyTheirExactClassNames) {
    RecordCapture capture;
    Builders b;
    EXPECT_TRUE(b.block.canBuild(parse(R"({"className":"CodeExampleBlockNode"})")));
    EXPECT_FALSE(b.block.canBuild(parse(R"({"className":"CodeExampleLineNode"})")));
    EXPECT_FALSE(b.block.canBuild(parse(R"({"className":"CodeExampleBlockNode "})")));
    EXPECT_TRUE(b.line->canBuild(parse(R"({"className":"CodeExampleLineNode"})")));
    EXPECT_FALSE(b.line->canBuild(parse(R"(["CodeExampleLineNode"])")));
    EXPECT_EQ(capture.messages(),
              (Messages{"Checking if can build CodeExampleBlockNode", "Checking if can build CodeExampleBlockNode",
                        "Checking if can build CodeExampleBlockNode", "Checking if can build CodeExampleLineNode",
                        "Checking if can build CodeExampleLineNode"}));
}

TEST(CodeExampleBuilders, BlockBuildsLinesInOrderThenAnchorAndType) {
    RecordCapture capture;
    vx::zero::Model model;
    Builders b;
    auto node = b.block.build(model, parse(twoLines));
    ASSERT_TRUE(node);
    EXPECT_EQ(json(node), R"([{"kind":"CodeExampleBlock","anchorId":"M_ex1","codeExampleType":"cpp","children":[)"
                          R"({"kind":"CodeExampleLine","children":[{"kind":"CodeTextNode","text":"int"},)"
                          R"({"kind":"CodeTextNode","text":" x;"}]},)"
                          R"({"kind":"CodeExampleLine","children":[{"kind":"CodeTextNode","text":"return x;"}]}]}])");

    Messages expected{"Starting to build a CodeExampleBlockNode", "Starting to build up children"};
    for (auto const& counts : {std::vector<unsigned>{1, 2}, std::vector<unsigned>{1}}) {
        Messages const line = lineRecords(counts);
        expected.insert(expected.end(), line.begin(), line.end());
    }
    expected.push_back("Setting anchorId on CodeExampleBlockNode");
    EXPECT_EQ(capture.messages(), expected);
}

TEST(CodeExampleBuilders, BlockStoresNonAsciiTypeAsUtf16AndAcceptsNoLines) {
    vx::zero::Model model;
    Builders b;
    auto node = b.block.build(
        model,
        parse("{\"className\":\"CodeExampleBlockNode\",\"anchorId\":\"a\",\"type\":\"C\xE2\x99\xAF \xF0\x9F\x98\x80\","
              "\"children\":[]}"));
    auto const& block = static_cast<document::vxzero::CodeExampleBlock::Impl&>(*node.getImpl());
    EXPECT_EQ(block.getCodeExampleType(), std::u16string(u"C\u266F \U0001F600"));
    EXPECT_EQ(block.getAnchorId(), std::u16string(u"a"));
    EXPECT_TRUE(block.getChildren().empty());
}

TEST(CodeExampleBuilders, BlockDropsChildrenThatAreNoLines) {
    RecordCapture capture;
    vx::zero::Model model;
    Builders b;
    auto node = b.block.build(model, parse(R"({"className":"CodeExampleBlockNode","type":"sh","children":[
        {"className":"CodeExampleBlockNode","type":"sh","children":[]}, "text", 3,
        {"className":"CodeExampleLineNode","children":[]}]})"));
    EXPECT_EQ(json(node), R"([{"kind":"CodeExampleBlock","anchorId":"","codeExampleType":"sh","children":[)"
                          R"({"kind":"CodeExampleLine","children":[]}]}])");
    Messages expected{"Starting to build a CodeExampleBlockNode", "Starting to build up children"};
    expected.insert(expected.end(), 4, "Checking if can build CodeExampleLineNode");
    expected.insert(expected.end(),
                    {"Starting to build a CodeExampleLineNode", "Setting anchorId on CodeExampleBlockNode"});
    EXPECT_EQ(capture.messages(), expected);
}

TEST(CodeExampleBuilders, BlockTypeErrorsComeAfterTheLinesWereBuilt) {
    Builders b;
    struct Case {
        char const* type;
        char const* error;
    } const cases[] = {{"", "invalid conversion: undefined to string"},
                       {R"("type":1,)", "invalid conversion: double to string"}};
    for (Case const& c : cases) {
        RecordCapture capture;
        vx::zero::Model model;
        std::string const element =
            std::string(R"({"className":"CodeExampleBlockNode",)") + c.type +
            R"("children":[{"className":"CodeExampleLineNode","children":[{"className":"Code","text":"a"}]}]})";
        EXPECT_EQ(errorOf<std::exception>([&] { b.block.build(model, parse(element)); }), c.error) << element;
        EXPECT_EQ(model.nodeCount(), 3u) << element; // block, line and run were all made
        EXPECT_EQ(capture.messages().back(), "Setting anchorId on CodeExampleBlockNode");
    }
}

TEST(CodeExampleBuilders, MissingOrMistypedChildrenThrowBeforeAnyChildIsBuilt) {
    Builders b;
    struct Case {
        char const* children;
        char const* error;
    } const cases[] = {{"", "invalid conversion: undefined to array"},
                       {R"(,"children":{})", "invalid conversion: object to array"}};
    for (Case const& c : cases) {
        vx::zero::Model model;
        RecordCapture capture;
        std::string const block = std::string(R"({"className":"CodeExampleBlockNode","type":"t")") + c.children + "}";
        EXPECT_EQ(errorOf<std::exception>([&] { b.block.build(model, parse(block)); }), c.error) << block;
        EXPECT_EQ(capture.messages(),
                  (Messages{"Starting to build a CodeExampleBlockNode", "Starting to build up children"}));
        capture.clear();
        std::string const line = std::string(R"({"className":"CodeExampleLineNode")") + c.children + "}";
        EXPECT_EQ(errorOf<std::exception>([&] { b.line->build(model, parse(line)); }), c.error) << line;
        EXPECT_EQ(capture.messages(), Messages{"Starting to build a CodeExampleLineNode"});
        EXPECT_EQ(model.nodeCount(), 2u);
    }
    EXPECT_EQ(b.provider->asked, 0);
}

TEST(CodeExampleBuilders, LineCountsOnlyTheChildrenItAppends) {
    RecordCapture capture;
    vx::zero::Model model;
    Builders b;
    auto node = b.line->build(model, parse(R"({"className":"CodeExampleLineNode","children":[
        {"className":"Code","text":"a"}, {"className":"Unknown","text":"b"}, {"className":"Code","null":true},
        {"className":"Code","text":"c"}, {"className":"Code","text":"d"}]})"));
    EXPECT_EQ(json(node), R"([{"kind":"CodeExampleLine","children":[{"kind":"CodeTextNode","text":"a"},)"
                          R"({"kind":"CodeTextNode","text":"c"},{"kind":"CodeTextNode","text":"d"}]}])");
    EXPECT_EQ(b.provider->asked, 5);
    Messages expected{"Starting to build a CodeExampleLineNode"};
    for (Messages const& part :
         {childRecords(1), Messages{"fake code element build"}, childRecords(2), childRecords(3)}) {
        expected.insert(expected.end(), part.begin(), part.end()); // the null node gets no records of its own
    }
    EXPECT_EQ(capture.messages(), expected);
}

TEST(CodeExampleBuilders, ACodeElementErrorStopsTheLineAndTheBlock) {
    vx::zero::Model model;
    Builders b;
    auto const element = parse(R"({"className":"CodeExampleBlockNode","type":"t","children":[
        {"className":"CodeExampleLineNode","children":[{"className":"Code","text":"a"},{"className":"Code","fail":1},
                                                       {"className":"Code","text":"never"}]},
        {"className":"CodeExampleLineNode","children":[{"className":"Code","text":"never"}]}]})");
    EXPECT_EQ(errorOf<std::exception>([&] { b.block.build(model, element); }), "code element failed");
    EXPECT_EQ(b.provider->asked, 2);
    EXPECT_EQ(model.nodeCount(), 3u); // block, first line, the run built before the error
}

TEST(CodeExampleBuilders, LevelEightOffGivesTheSameNodesAndAsksNoTypeNames) {
    vx::zero::Model loudModel;
    Builders b;
    std::string loud;
    {
        RecordCapture capture;
        loud = json(b.block.build(loudModel, parse(twoLines)));
    }
    RecordCapture capture;
    richmarkup::shared::logging::getLogger().disable(8);
    vx::zero::Model model;
    auto const element = parse(twoLines);
    ASSERT_TRUE(b.block.canBuild(element));
    EXPECT_EQ(json(b.block.build(model, element)), loud);
    EXPECT_TRUE(capture.messages().empty());
    EXPECT_EQ(model.typeNameQueries(), 0u);
}

#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/host/NodeLocator.hpp>
#include <richmarkup/formats/Subtree.hpp>

#include <foundation/json/Parser.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>

namespace richmarkup::host {
namespace {
using formats::NodeView;
using formats::Subtree;

namespace fj = foundation::json;

// The value at an RFC 6901 pointer (no "~" escapes needed here), or null.
fj::Value const* at(fj::Value const& document, std::string const& pointer) {
    fj::Value const* value = &document;
    std::size_t begin = 0;
    while (begin < pointer.size()) {
        std::size_t const end = std::min(pointer.find('/', begin + 1), pointer.size());
        std::string const token = pointer.substr(begin + 1, end - begin - 1);
        if (value->isArray()) {
            std::size_t const index = std::stoul(token);
            if (index >= value->asArray().size()) {
                return nullptr;
            }
            value = &value->asArray()[index];
        } else if (value->isObject() && value->hasOwnProperty(token)) {
            value = &(*value)[token];
        } else {
            return nullptr;
        }
        begin = end;
    }
    return value;
}

// The input's class names a node of the kind is built from.
std::set<std::string> classNamesOf(NodeView node) {
    switch (node.kind()) {
    case document::vxzero::NodeKind::ListContainer: return {"ListParagraph"};
    case document::vxzero::NodeKind::CodeExampleBlock: return {"CodeExampleBlockNode"};
    case document::vxzero::NodeKind::CodeExampleLine: return {"CodeExampleLineNode"};
    case document::vxzero::NodeKind::CodeTextNode: return {"CodeTextNode", "CodeIndentNode"};
    default: return {std::string(node.kindName())};
    }
}

class NodeLocatorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        HostOptions options;
        options.bundleDirectories = {RICHMARKUP_TEST_BUNDLE_DIR};
        host_ = std::make_unique<DocumentHost>(options);
    }
    static void TearDownTestSuite() { host_.reset(); }

    // Every node's pointer, in document order, each checked to name a value of the node's kind.
    std::vector<std::string> pointersOf(fj::Value const& document) {
        BuildResult const result = host_->build(model_, document);
        NodeLocator const locator(*host_);
        std::vector<std::string> pointers;
        for (NodeView node : Subtree(result.nodes)) {
            auto const path = NodeLocator::pathOf(result.nodes, node);
            EXPECT_TRUE(path);
            auto const pointer = path ? locator.pointerOf(document, *path) : std::nullopt;
            EXPECT_TRUE(pointer) << node.kindName();
            if (!pointer) {
                continue;
            }
            fj::Value const* value = at(document, *pointer);
            EXPECT_TRUE(value != nullptr && value->isObject() && value->hasOwnProperty("className") &&
                        classNamesOf(node).count((*value)["className"].asString()) != 0)
                << *pointer << " does not hold a " << node.kindName();
            pointers.push_back(*pointer);
        }
        return pointers;
    }

    static std::unique_ptr<DocumentHost> host_;
    vx::zero::Model model_;
};

std::unique_ptr<DocumentHost> NodeLocatorTest::host_;

TEST_F(NodeLocatorTest, EveryNodeOfTheExamplesMapsToTheValueItWasBuiltFrom) {
    std::size_t examples = 0;
    for (auto const& entry : std::filesystem::directory_iterator(RICHMARKUP_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".json") {
            continue;
        }
        ++examples;
        std::vector<std::string> const pointers = pointersOf(fj::parseFile(entry.path().string()));
        EXPECT_GT(pointers.size(), 10u) << entry.path();
        EXPECT_EQ(std::set<std::string>(pointers.begin(), pointers.end()).size(), pointers.size())
            << entry.path() << ": two nodes at one place";
    }
    EXPECT_GE(examples, 4u);
}

TEST_F(NodeLocatorTest, ElementsThatBuildNoNodeAreCountedOut) {
    fj::Value const document = fj::parse(R"([
      {"className": "NoSuchKind"},
      7,
      {"className": "RichTextParagraphNode", "children": [
        {"className": "TableNode", "children": []},
        {"className": "RichTextNode", "text": "a"},
        "text",
        {"className": "HyperlinkNode", "hyperlink": {}, "children": [
          {"className": "CodeTextNode", "text": "x"},
          {"className": "RichTextNode", "text": "b"}]}]},
      {"className": "TableNode", "children": [
        {"className": "TableCellNode", "children": []},
        {"className": "TableRowNode", "children": [
          {"className": "TableCellNode", "children": [
            {"className": "RichTextNode", "text": "not a block"},
            {"className": "ListItem", "children": []}]}]}]},
      {"className": "CodeExampleBlockNode", "type": "c", "children": [
        {"className": "CodeExampleLineNode", "children": [
          {"className": "RichTextNode", "text": "no code"},
          {"className": "CodeIndentNode", "width": 2},
          {"className": "CodeTextNode", "text": "y"}]}]}
    ])");
    EXPECT_THAT(pointersOf(document),
                ::testing::ElementsAre("/2", "/2/children/1", "/2/children/3", "/2/children/3/children/1", "/3",
                                       "/3/children/1", "/3/children/1/children/0",
                                       "/3/children/1/children/0/children/1", "/4", "/4/children/0",
                                       "/4/children/0/children/1", "/4/children/0/children/2"));
}

TEST_F(NodeLocatorTest, AOneElementDocumentIsAtTheEmptyPointer) {
    fj::Value const document = fj::parse(R"({"className": "HeadingNode", "level": 1, "children": [
        {"className": "ListItem", "children": []}, {"className": "RichTextNode", "text": "h"}]})");
    EXPECT_THAT(pointersOf(document), ::testing::ElementsAre("", "/children/1"));
}

TEST_F(NodeLocatorTest, APathTheDocumentDoesNotHaveHasNoPointer) {
    fj::Value const document = fj::parse(R"([{"className": "RichTextParagraphNode", "children": [
        {"className": "RichTextNode", "text": "a"}]}])");
    BuildResult const result = host_->build(model_, document);
    NodeLocator const locator(*host_);
    EXPECT_EQ(locator.pointerOf(document, {0, 0}), "/0/children/0");
    EXPECT_EQ(locator.pointerOf(document, {1}), std::nullopt);
    EXPECT_EQ(locator.pointerOf(document, {0, 1}), std::nullopt);
    EXPECT_EQ(locator.pointerOf(document, {0, 0, 0}), std::nullopt);
    EXPECT_EQ(locator.pointerOf(document, {}), std::nullopt);

    BuildResult const other = host_->build(model_, document);
    EXPECT_EQ(NodeLocator::pathOf(result.nodes, NodeView(other.nodes[0]).child(0)), std::nullopt);
    EXPECT_EQ(NodeLocator::pathOf(result.nodes, NodeView(result.nodes[0]).child(0)), std::vector<std::size_t>({0, 0}));
}

} // namespace
} // namespace richmarkup::host

#include "RichTextParagraphNodeBuilderImpl.hpp"

#include <richmarkup/build/json/NodeBuilder.hpp>
#include <richmarkup/build/json/text/TextBlockBuilder.hpp>
#include <richmarkup/build/json/text/TextElementBuilder.hpp>
#include <richmarkup/build/json/text/TextElementBuilderServicesProvider.hpp>
#include <richmarkup/shared/logging/Logger.hpp>
#include <richmarkup/test/RecordCapture.hpp>
#include <richmarkup/test/RunningFramework.hpp>

#include <cppmicroservices/AnyMap.h>
#include <cppmicroservices/Constants.h>

#include <document/vxzero/RichTextNode.hpp>
#include <document/vxzero/RichTextParagraphNode.hpp>
#include <foundation/json/Parser.hpp>
#include <vx/zero/Model.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace {

using richmarkup::build::json::NodeBuilder;
using richmarkup::build::json::text::TextElementBuilder;
using richmarkup::test::RecordCapture;
using richmarkup::test::RunningFramework;
using Messages = std::vector<std::string>;

std::vector<std::string> bundleFiles(bool withCode) {
    std::vector<std::string> files;
#ifdef CODE_BUNDLE_FILE
    if (withCode) {
        files.push_back(CODE_BUNDLE_FILE);
    }
#else
    (void)withCode;
#endif
    files.push_back(RICHTEXT_BUNDLE_FILE);
    return files;
}

std::shared_ptr<NodeBuilder> builderWithTestId(RunningFramework const& fw, std::string const& id) {
    auto found = fw.services<NodeBuilder>("(test_id=" + id + ")");
    return found.empty() ? nullptr : found.front();
}

std::string const firstRun = R"({"className":"RichTextNode","text":"Hello"})";

std::string paragraphOf(std::string const& children) {
    return R"({"className":"RichTextParagraphNode","id":"p1","alignment":"center","children":[)" + children + "]}";
}

document::vxzero::RichTextParagraphNode::Impl& asParagraph(document::vxzero::Node const& node) {
    EXPECT_EQ(node->getKind(), document::vxzero::NodeKind::RichTextParagraphNode);
    return static_cast<document::vxzero::RichTextParagraphNode::Impl&>(*node.getImpl());
}

std::u16string textOf(document::vxzero::Node const& node) {
    EXPECT_EQ(node->getKind(), document::vxzero::NodeKind::RichTextNode);
    return static_cast<document::vxzero::RichTextNode::Impl&>(*node.getImpl()).getText().value_or(u"?");
}

TEST(RichTextBundle, RegistersItsServicesWhenStarted) {
    RunningFramework fw(bundleFiles(true));
    ASSERT_EQ(fw.bundles().size(), bundleFiles(true).size());
    EXPECT_EQ(fw.bundles().back().GetSymbolicName(), "com_zentrik_richmarkup_build_json_richtext");
    EXPECT_EQ(fw.services<TextElementBuilder>().size(), 4u);
    EXPECT_EQ(fw.services<richmarkup::build::json::text::TextBlockBuilder>().size(), 1u);
    EXPECT_EQ(fw.services<richmarkup::build::json::text::TextElementBuilderServicesProvider>().size(), 1u);
    for (char const* id :
         {"RichTextParagraphNodeBuilderImpl", "HeadingNodeBuilderImpl", "ListContainerBuilderImpl",
          "ListItemBuilderImpl", "TableNodeBuilderImpl", "TableRowNodeBuilderImpl", "TableCellNodeBuilderImpl",
          "TableOfContentsContainerBuilderImpl", "TableOfContentsHeadingNodeBuilderImpl"}) {
        EXPECT_TRUE(builderWithTestId(fw, id)) << id;
    }
}

// The manifest the bundle carries names the file where the install puts it.
TEST(RichTextBundle, ItsManifestNamesWhereTheBundleIsInstalled) {
    RunningFramework fw(bundleFiles(false));
    auto const& headers = fw.bundles().back().GetHeaders();
    auto const zt = cppmicroservices::any_cast<cppmicroservices::AnyMap>(headers.at("zt"));
    EXPECT_EQ(cppmicroservices::any_cast<std::string>(zt.at("installpath")),
              std::string(RICHMARKUP_INSTALL_LIBDIR) + "/libztrichmarkup_build_json_richtext.so");
}

// Without a code-element provider the two code example builders can never be satisfied;
// everything else is unaffected.
TEST(RichTextBundle, WithoutTheCodeBundleRegistersFifteenServices) {
    RunningFramework fw(bundleFiles(false));
    auto const all = fw.context().GetServiceReferences("", "(objectclass=richmarkup::*)");
    EXPECT_EQ(all.size(), 15u);
    EXPECT_FALSE(builderWithTestId(fw, "CodeExampleBlockBuilderImpl"));
    EXPECT_FALSE(builderWithTestId(fw, "CodeExampleLineBuilderImpl"));
}

#ifdef CODE_BUNDLE_FILE
TEST(RichTextBundle, WithTheCodeBundleRegistersSeventeenServicesOfItsOwn) {
    RunningFramework fw(bundleFiles(true));
    long const richtextId = fw.bundles().back().GetBundleId();
    auto const all = fw.context().GetServiceReferences("", "(objectclass=richmarkup::*)");
    auto const own = std::count_if(all.begin(), all.end(),
                                   [&](auto const& ref) { return ref.GetBundle().GetBundleId() == richtextId; });
    EXPECT_EQ(own, 17);
    EXPECT_TRUE(builderWithTestId(fw, "CodeExampleBlockBuilderImpl"));
    EXPECT_TRUE(builderWithTestId(fw, "CodeExampleLineBuilderImpl"));
}
#endif

class ParagraphThroughTheBundle : public ::testing::Test {
protected:
    RunningFramework fw_{bundleFiles(true)};
    std::shared_ptr<NodeBuilder> paragraphs_ = builderWithTestId(fw_, "RichTextParagraphNodeBuilderImpl");
    vx::zero::Model model_;

    document::vxzero::Node build(std::string const& json) {
        auto const element = foundation::json::parse(json);
        EXPECT_TRUE(paragraphs_->canBuild(element));
        return paragraphs_->build(model_, element);
    }
};

TEST_F(ParagraphThroughTheBundle, FirstAndSecondParagraphRecords) {
    ASSERT_TRUE(paragraphs_);
    auto const element = foundation::json::parse(paragraphOf(firstRun));
    Messages const tail = {
        "Checking if can build RichTextNode",
        "An applicable text element builder was found. Returning builder.",
        "Starting to build a RichTextNode",
        "Setting node text to Hello",
        "Successfully built a node of type document::vxzero::RichTextNode",
        "Inserting the built document::vxzero::RichTextNode into the top level document::vxzero::RichTextParagraphNode",
        "The document::vxzero::RichTextParagraphNode now has 1 children",
        "Setting anchor id on RichTextParagraphNode",
    };
    // The inline builders registered before the run builder are asked first, in the
    // framework's order.
    Messages const before = {"Checking if can build EquationNode", "Checking if can build HyperlinkNode"};

    RecordCapture capture;
    paragraphs_->build(model_, element);
    Messages first = {"Starting to build a RichTextParagraphNode",
                      "Attempting to find an applicable text element builder", "Found 4 text element builders"};
    first.insert(first.end(), before.begin(), before.end());
    first.insert(first.end(), tail.begin(), tail.end());
    EXPECT_EQ(capture.messages(), first);

    capture.clear();
    paragraphs_->build(model_, element);
    Messages second = {"Starting to build a RichTextParagraphNode",
                       "Attempting to find an applicable text element builder"};
    second.insert(second.end(), before.begin(), before.end());
    second.insert(second.end(), tail.begin(), tail.end());
    EXPECT_EQ(capture.messages(), second);
    EXPECT_EQ(capture.severities(), std::vector<int>(second.size(), 8));
}

TEST_F(ParagraphThroughTheBundle, KeepsChildrenInOrderAndSkipsUnknownKinds) {
    auto const node = build(paragraphOf(R"({"className":"RichTextNode","text":"a"},
                                           {"className":"NoSuchNode","text":"x"},
                                           {"className":"RichTextNode","text":"b"})"));
    auto& paragraph = asParagraph(node);
    ASSERT_EQ(paragraph.getChildren().size(), 2u);
    EXPECT_EQ(textOf(paragraph.getChildren()[0]), u"a");
    EXPECT_EQ(textOf(paragraph.getChildren()[1]), u"b");
    EXPECT_EQ(paragraph.getAnchorId(), std::u16string(u"M_p1"));
    EXPECT_EQ(paragraph.getAlignment(), document::vxzero::Alignment::Center);
}

TEST_F(ParagraphThroughTheBundle, EmptyChildrenStillSetAnchorAndAlignment) {
    RecordCapture capture;
    auto const node = build(paragraphOf(""));
    EXPECT_EQ(asParagraph(node).getChildren().size(), 0u);
    EXPECT_TRUE(asParagraph(node).getAnchorId());
    EXPECT_TRUE(asParagraph(node).getAlignment());
    EXPECT_EQ(capture.messages(),
              (Messages{"Checking if can build RichTextParagraphNode", "Starting to build a RichTextParagraphNode",
                        "Setting anchor id on RichTextParagraphNode"}));
}

// Keeps the node it fills, so a test can look at a paragraph whose build threw.
class KeepingTextBlockBuilder : public richmarkup::build::json::text::TextBlockBuilder {
public:
    explicit KeepingTextBlockBuilder(std::shared_ptr<TextBlockBuilder> real) : real_(std::move(real)) {}
    void buildTextBlock(document::vxzero::Node& parent, vx::zero::Model const& model,
                        foundation::json::Value const& element) override {
        filled = parent;
        real_->buildTextBlock(parent, model, element);
    }
    document::vxzero::Node filled;

private:
    std::shared_ptr<TextBlockBuilder> real_;
};

TEST_F(ParagraphThroughTheBundle, AnErrorInTheSecondChildKeepsTheFirstAndSetsNothingElse) {
    auto const real = fw_.services<richmarkup::build::json::text::TextBlockBuilder>();
    ASSERT_EQ(real.size(), 1u);
    auto keeping = std::make_shared<KeepingTextBlockBuilder>(real.front());
    richmarkup::build::json::text::RichTextParagraphNodeBuilderImpl paragraphs(keeping);
    auto const element = foundation::json::parse(paragraphOf(firstRun + R"(,{"className":"RichTextNode","text":7})"));
    RecordCapture capture;
    try {
        paragraphs.build(model_, element);
        FAIL() << "no error";
    } catch (std::runtime_error const& e) {
        EXPECT_STREQ(e.what(), "invalid conversion: double to string");
    }
    auto const messages = capture.messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "Setting anchor id on RichTextParagraphNode"), 0);
    auto const& paragraph = keeping->filled;
    ASSERT_TRUE(paragraph);
    ASSERT_EQ(paragraph->getChildren().size(), 1u);
    EXPECT_EQ(textOf(paragraph->getChildren()[0]), u"Hello");
    EXPECT_FALSE(paragraph->getAnchorId());
    EXPECT_FALSE(asParagraph(paragraph).getAlignment());
}

TEST_F(ParagraphThroughTheBundle, LevelEightDisabledGivesTheSameNodesSilently) {
    std::string const json = paragraphOf(firstRun + "," + R"({"className":"RichTextNode","text":"there","bold":true})");
    vx::zero::Model logged;
    auto const element = foundation::json::parse(json);
    {
        RecordCapture capture;
        paragraphs_->build(logged, element);
    }
    auto& logger = richmarkup::shared::logging::getLogger();
    unsigned const mask = logger.mask();
    RecordCapture capture;
    logger.disable(8);
    auto const node = paragraphs_->build(model_, element);
    logger.setMask(mask);
    EXPECT_TRUE(capture.messages().empty());
    EXPECT_EQ(model_.typeNameQueries(), 0u);
    EXPECT_GT(logged.typeNameQueries(), 0u);
    EXPECT_EQ(model_.nodeCount(), logged.nodeCount());
    ASSERT_EQ(asParagraph(node).getChildren().size(), 2u);
    EXPECT_EQ(textOf(asParagraph(node).getChildren()[1]), u"there");
}

// Many threads making the first inline lookup at once: the registry gathers once.
TEST(RichTextBundle, ConcurrentFirstParagraphsGatherTheInlineBuildersOnce) {
    RunningFramework fw(bundleFiles(false));
    auto paragraphs = builderWithTestId(fw, "RichTextParagraphNodeBuilderImpl");
    ASSERT_TRUE(paragraphs);
    auto const element = foundation::json::parse(paragraphOf(firstRun));
    RecordCapture capture;
    std::vector<std::thread> threads;
    std::vector<std::size_t> children(8);
    for (std::size_t i = 0; i < children.size(); ++i) {
        threads.emplace_back([&, i] {
            vx::zero::Model model;
            children[i] = paragraphs->build(model, element)->getChildren().size();
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    auto const messages = capture.messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "Found 4 text element builders"), 1);
    EXPECT_EQ(children, std::vector<std::size_t>(8, 1u));
}

} // namespace

// The registry of inline builders and the text-block builder, with stand-in inline builders
// registered in an in-process framework.
#include "TextBlockBuilderImpl.hpp"
#include "TextElementBuilderServicesProviderImpl.hpp"

#include <document/vxzero/RichTextNode.hpp>
#include <document/vxzero/RichTextParagraphNode.hpp>
#include <foundation/cppmicroservices/FrameworkAccess.hpp>
#include <foundation/json/Parser.hpp>
#include <richmarkup/test/RecordCapture.hpp>
#include <richmarkup/test/RunningFramework.hpp>

#include <boost/uuid/nil_generator.hpp>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace richmarkup::build::json::text;
using foundation::json::parse;
using richmarkup::test::RecordCapture;
using richmarkup::test::RunningFramework;
using Messages = std::vector<std::string>;

// Accepts elements whose "className" is its kind; builds a run whose text is its name.
class StandIn : public TextElementBuilder {
public:
    StandIn(std::string name, std::string kind) : name_(std::move(name)), kind_(std::move(kind)) {}
    bool canBuild(foundation::json::Value const& element) override {
        ++asked;
        return element["className"].asString() == kind_;
    }
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override {
        auto node = document::vxzero::RichTextNode::Builder(model).createRichTextNode(boost::uuids::nil_uuid());
        node->setText(std::u16string(name_.begin(), name_.end()));
        if (element.hasOwnProperty("fail")) {
            throw std::runtime_error("stand-in failed");
        }
        return std::move(node);
    }
    int asked = 0;

private:
    std::string name_, kind_;
};

class InlineDispatch : public ::testing::Test {
protected:
    std::shared_ptr<StandIn> add(std::string const& name, std::string const& kind) {
        auto builder = std::make_shared<StandIn>(name, kind);
        registrations_.push_back(fw_.context().RegisterService<TextElementBuilder>(builder));
        return builder;
    }

    RunningFramework fw_;
    std::vector<cppmicroservices::ServiceRegistration<TextElementBuilder>> registrations_;
    std::shared_ptr<TextElementBuilderServicesProviderImpl> provider_ =
        std::make_shared<TextElementBuilderServicesProviderImpl>();
    TextBlockBuilderImpl blocks_{provider_};
    vx::zero::Model model_;
};

TEST_F(InlineDispatch, FirstAcceptorInFrameworkOrderWinsAndTheListIsGatheredOnce) {
    auto a = add("a", "Shared");
    auto b = add("b", "Shared");
    RecordCapture capture;
    EXPECT_EQ(provider_->findApplicableBuilder(parse(R"({"className":"Shared"})")), a);
    EXPECT_EQ(capture.messages(),
              (Messages{"Attempting to find an applicable text element builder", "Found 2 text element builders",
                        "An applicable text element builder was found. Returning builder."}));
    EXPECT_EQ(b->asked, 0);

    // Registered after the first gathering: not seen, and no second count record.
    auto late = add("late", "Late");
    capture.clear();
    EXPECT_EQ(provider_->findApplicableBuilder(parse(R"({"className":"Late"})")), nullptr);
    EXPECT_EQ(capture.messages(), (Messages{"Attempting to find an applicable text element builder",
                                            "No applicable text element builder was found. Returning null."}));
    EXPECT_EQ(late->asked, 0);

    // Unregistered builders stay cached and are still asked.
    registrations_[0].Unregister();
    EXPECT_EQ(provider_->findApplicableBuilder(parse(R"({"className":"Shared"})")), a);
}

TEST_F(InlineDispatch, AnEmptyGatheringIsRepeatedUntilABuilderAppears) {
    RecordCapture capture;
    EXPECT_EQ(provider_->findApplicableBuilder(parse("{}")), nullptr);
    EXPECT_EQ(provider_->findApplicableBuilder(parse("{}")), nullptr);
    Messages const none = {"Attempting to find an applicable text element builder", "Found 0 text element builders",
                           "No applicable text element builder was found. Returning null."};
    Messages twice = none;
    twice.insert(twice.end(), none.begin(), none.end());
    EXPECT_EQ(capture.messages(), twice);
    auto a = add("a", "A");
    EXPECT_EQ(provider_->findApplicableBuilder(parse(R"({"className":"A"})")), a);
}

TEST(InlineDispatchWithoutFramework, NoFrameworkMeansNoBuilder) {
    foundation::cppmicroservices::setFramework({});
    TextElementBuilderServicesProviderImpl provider;
    RecordCapture capture;
    EXPECT_EQ(provider.findApplicableBuilder(parse(R"({"className":"RichTextNode"})")), nullptr);
    EXPECT_EQ(capture.messages()[1], "Found 0 text element builders");
}

TEST_F(InlineDispatch, ChildrenAreAppendedAfterExistingOnesWithCountsAndUnknownKindsSkipped) {
    add("run", "Run");
    auto paragraph =
        document::vxzero::RichTextParagraphNode::Builder(model_).createRichTextParagraphNode(boost::uuids::nil_uuid());
    document::vxzero::Node parent(paragraph);
    blocks_.buildTextBlock(parent, model_, parse(R"({"children":[{"className":"Run"}]})"));
    RecordCapture capture;
    blocks_.buildTextBlock(parent, model_,
                           parse(R"({"children":[{"className":"Run"},{"className":"Other"},{"className":"Run"}]})"));
    EXPECT_EQ(parent->getChildren().size(), 3u);
    Messages counts;
    for (auto const& m : capture.messages()) {
        if (m.rfind("The ", 0) == 0) {
            counts.push_back(m);
        }
    }
    EXPECT_EQ(counts, (Messages{"The document::vxzero::RichTextParagraphNode now has 2 children",
                                "The document::vxzero::RichTextParagraphNode now has 3 children"}));
}

TEST_F(InlineDispatch, EmptyOrMistypedChildren) {
    add("run", "Run");
    auto paragraph =
        document::vxzero::RichTextParagraphNode::Builder(model_).createRichTextParagraphNode(boost::uuids::nil_uuid());
    document::vxzero::Node parent(paragraph);
    RecordCapture capture;
    blocks_.buildTextBlock(parent, model_, parse(R"({"children":[]})"));
    EXPECT_TRUE(capture.messages().empty());
    EXPECT_THROW(blocks_.buildTextBlock(parent, model_, parse(R"({"children":{}})")), std::runtime_error);
    EXPECT_THROW(blocks_.buildTextBlock(parent, model_, parse(R"({})")), std::runtime_error);
    EXPECT_EQ(parent->getChildren().size(), 0u);
}

TEST_F(InlineDispatch, AFailingChildStopsTheBlockAndKeepsEarlierChildren) {
    add("run", "Run");
    auto paragraph =
        document::vxzero::RichTextParagraphNode::Builder(model_).createRichTextParagraphNode(boost::uuids::nil_uuid());
    document::vxzero::Node parent(paragraph);
    EXPECT_THROW(blocks_.buildTextBlock(parent, model_, parse(R"({"children":[{"className":"Run"},
        {"className":"Run","fail":1},{"className":"Run"}]})")),
                 std::runtime_error);
    EXPECT_EQ(parent->getChildren().size(), 1u);
}

} // namespace

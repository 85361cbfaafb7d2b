// The built code bundle, installed and started in a framework of this process, as a host
// runs it: its registry gathers the bundle's own code element builders, and the code
// example builders of the rich-text side build whole examples through it.
#include "CodeExampleBlockBuilderImpl.hpp"
#include "CodeExampleLineBuilderImpl.hpp"

#include <document/vxzero/ModelJsonWriter.hpp>
#include <foundation/cppmicroservices/FrameworkAccess.hpp>
#include <foundation/json/Parser.hpp>
#include <richmarkup/build/json/code/CodeElementBuilderServicesProvider.hpp>
#include <richmarkup/host/DeclarativeServices.hpp>
#include <richmarkup/test/RecordCapture.hpp>

#include <cppmicroservices/Bundle.h>
#include <cppmicroservices/BundleContext.h>
#include <cppmicroservices/Framework.h>
#include <cppmicroservices/FrameworkEvent.h>
#include <cppmicroservices/FrameworkFactory.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using foundation::json::parse;
using richmarkup::build::json::code::CodeElementBuilder;
using richmarkup::build::json::code::CodeElementBuilderServicesProvider;
using Messages = std::vector<std::string>;

namespace {

class CodeBundleTest : public ::testing::Test {
protected:
    void SetUp() override {
        framework_.Init();
        framework_.Start();
        richmarkup::host::DeclarativeServices::ensure(framework_.GetBundleContext(), {});
        auto bundles = framework_.GetBundleContext().InstallBundles(RICHMARKUP_CODE_BUNDLE_PATH);
        ASSERT_EQ(bundles.size(), 1u);
        bundle_ = bundles.front();
        bundle_.Start();
        foundation::cppmicroservices::setFramework(std::make_shared<cppmicroservices::Framework>(framework_));
    }
    void TearDown() override {
        foundation::cppmicroservices::setFramework(nullptr);
        framework_.Stop();
        framework_.WaitForStop(std::chrono::milliseconds(0));
    }
    std::shared_ptr<CodeElementBuilderServicesProvider> provider() {
        auto context = framework_.GetBundleContext();
        auto reference = context.GetServiceReference<CodeElementBuilderServicesProvider>();
        return reference ? context.GetService(reference) : nullptr;
    }

    cppmicroservices::Framework framework_ = cppmicroservices::FrameworkFactory().NewFramework();
    cppmicroservices::Bundle bundle_;
};

std::string json(document::vxzero::Node const& node) {
    return document::vxzero::ModelJsonWriter::toString({node}, {false, 2});
}

} // namespace

TEST_F(CodeBundleTest, RegistersARegistryThatFindsTheBundlesBuilders) {
    EXPECT_EQ(framework_.GetBundleContext().GetServiceReferences<CodeElementBuilder>("").size(), 2u);
    auto registry = provider();
    ASSERT_NE(registry, nullptr);
    vx::zero::Model model;
    auto const run = parse(R"({"className":"CodeTextNode","text":"if","tokenKind":"keyword"})");
    auto const indent = parse(R"({"className":"CodeIndentNode","width":2})");
    auto runBuilder = registry->findApplicableBuilder(run);
    auto indentBuilder = registry->findApplicableBuilder(indent);
    ASSERT_TRUE(runBuilder && indentBuilder);
    EXPECT_EQ(json(runBuilder->build(model, run)), R"([{"kind":"CodeTextNode","text":"if","tokenKind":"keyword"}])");
    EXPECT_EQ(json(indentBuilder->build(model, indent)),
              R"([{"kind":"CodeTextNode","text":"  ","tokenKind":"whitespace"}])");
    EXPECT_EQ(registry->findApplicableBuilder(parse(R"({"className":"RichTextNode","text":"x"})")), nullptr);
}

TEST_F(CodeBundleTest, ACodeExampleIsBuiltThroughTheBundlesRegistry) {
    auto registry = provider();
    ASSERT_NE(registry, nullptr);
    auto line = std::make_shared<richmarkup::build::json::text::CodeExampleLineBuilderImpl>(registry);
    richmarkup::build::json::text::CodeExampleBlockBuilderImpl block(line);
    richmarkup::test::RecordCapture capture;
    vx::zero::Model model;
    auto node = block.build(model, parse(R"({"className":"CodeExampleBlockNode","anchorId":"ex","type":"python",
        "children":[
          {"className":"CodeExampleLineNode","children":[
            {"className":"CodeTextNode","text":"def","tokenKind":"keyword"},{"className":"CodeTextNode","text":" f():"}]},
          {"className":"CodeExampleLineNode","children":[
            {"className":"CodeIndentNode","width":4},{"className":"Unknown"},
            {"className":"CodeTextNode","text":"pass","tokenKind":"keyword"}]}]})"));
    EXPECT_EQ(json(node),
              R"([{"kind":"CodeExampleBlock","anchorId":"ex","codeExampleType":"python","children":[)"
              R"({"kind":"CodeExampleLine","children":[{"kind":"CodeTextNode","text":"def","tokenKind":"keyword"},)"
              R"({"kind":"CodeTextNode","text":" f():"}]},)"
              R"({"kind":"CodeExampleLine","children":[{"kind":"CodeTextNode","text":"    ","tokenKind":"whitespace"},)"
              R"({"kind":"CodeTextNode","text":"pass","tokenKind":"keyword"}]}]}])");
    auto const messages = capture.messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "Found 2 code element builders"), 1);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "The CodeExampleLineNode now has 2 children"), 2);
    EXPECT_EQ(
        std::count(messages.begin(), messages.end(), "No applicable code element builder was found. Returning null."),
        1);
}

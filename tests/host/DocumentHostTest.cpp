#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/host/ElementBuildError.hpp>
#include <richmarkup/host/HostError.hpp>
#include <richmarkup/formats/TreeWriter.hpp>

#include <foundation/cppmicroservices/FrameworkAccess.hpp>
#include <foundation/json/Parser.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace richmarkup::host {
namespace {
using formats::TreeWriter;

using ::testing::HasSubstr;

HostOptions testOptions(bool codeElements = true) {
    HostOptions options;
    options.codeElements = codeElements;
    options.bundleDirectories = {RICHMARKUP_TEST_BUNDLE_DIR};
    return options;
}

std::string const paragraph =
    R"({"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"p"}]})";

// One host for the suite: starting a framework per test would only repeat the same work.
class DocumentHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { host_ = std::make_unique<DocumentHost>(testOptions()); }
    static void TearDownTestSuite() { host_.reset(); }

    static std::unique_ptr<DocumentHost> host_;
};

std::unique_ptr<DocumentHost> DocumentHostTest::host_;

// Every build case runs twice: on a whole parsed document, and on a streamed one.
class DocumentHostBuildTest : public DocumentHostTest, public ::testing::WithParamInterface<bool> {
protected:
    BuildResult build(std::string const& json, std::vector<BuildWarning>* heard = nullptr) {
        DocumentHost::WarningHandler onWarning;
        if (heard != nullptr) {
            onWarning = [heard](BuildWarning const& w) { heard->push_back(w); };
        }
        if (!GetParam()) {
            return host_->build(model_, foundation::json::parse(json), onWarning);
        }
        foundation::json::Parser parser;
        foundation::json::ElementStream stream = parser.streamAndRelease(std::string(json));
        return host_->build(model_, stream, onWarning);
    }

    vx::zero::Model model_;
};

TEST_F(DocumentHostTest, PublishesItsFrameworkWhileItLives) {
    EXPECT_TRUE(foundation::cppmicroservices::getFramework());
    ASSERT_EQ(host_->installedBundles().size(), 2u);
    EXPECT_THAT(host_->installedBundles()[0], HasSubstr("libztrichmarkup_build_json_code.so"));
    EXPECT_THAT(host_->installedBundles()[1], HasSubstr("libztrichmarkup_build_json_richtext.so"));
}

TEST_P(DocumentHostBuildTest, BuildsEveryTopLevelElementInDocumentOrder) {
    BuildResult const result = build("[" + paragraph + R"(,
        {"className":"HeadingNode","level":2,"children":[]},
        {"className":"CodeExampleBlockNode","type":"sh","children":[
          {"className":"CodeExampleLineNode","children":[{"className":"CodeTextNode","text":"ls","tokenKind":"identifier"}]}]}])");
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(TreeWriter::toString(result.nodes), "RichTextParagraphNode alignment=left\n"
                                                  "  RichTextNode \"p\"\n"
                                                  "HeadingNode alignment=left level=2\n"
                                                  "CodeExampleBlock codeExampleType=\"sh\"\n"
                                                  "  CodeExampleLine\n"
                                                  "    CodeTextNode \"ls\" tokenKind=\"identifier\"\n");
}

TEST_P(DocumentHostBuildTest, ASingleObjectIsADocumentOfOneElement) {
    BuildResult const result = build(paragraph);
    ASSERT_EQ(result.nodes.size(), 1u);
    EXPECT_EQ(result.nodes[0]->getKind(), document::vxzero::NodeKind::RichTextParagraphNode);
}

TEST_P(DocumentHostBuildTest, ElementsNoBuilderTakesAreSkippedWithNumberedWarnings) {
    std::vector<BuildWarning> heard;
    BuildResult const result = build("[" + paragraph + R"(, {"className":"Mystery \"x\""}, 42,
        {"children":[]}, [], )" + paragraph +
                                         "]",
                                     &heard);
    EXPECT_EQ(result.nodes.size(), 2u);
    ASSERT_EQ(heard.size(), 4u);
    EXPECT_EQ(heard[0].elementNumber, 2u);
    EXPECT_EQ(heard[0].message, "no builder for className \"Mystery \\\"x\\\"\"; skipped");
    EXPECT_EQ(heard[1].elementNumber, 3u);
    EXPECT_EQ(heard[1].message, "no builder for className <none> (the element is a double, not an object); skipped");
    EXPECT_EQ(heard[2].elementNumber, 4u);
    EXPECT_EQ(heard[2].message, "no builder for className <none>; skipped");
    EXPECT_EQ(heard[3].elementNumber, 5u);
    EXPECT_EQ(heard[3].message, "no builder for className <none> (the element is an array, not an object); skipped");
    EXPECT_TRUE(result.warnings.empty()) << "a handler hears them; the result holds none";

    // Without a handler the result keeps them.
    BuildResult const kept = build("[" + paragraph + R"(, {"className":"Mystery"}])");
    ASSERT_EQ(kept.warnings.size(), 1u);
    EXPECT_EQ(kept.warnings[0].message, "no builder for className \"Mystery\"; skipped");
}

// A long document is checked on a second core while it builds: each element's findings still
// come in document order, after that element's own, at its pointer, heard as they are kept.
TEST_P(DocumentHostBuildTest, FindingsOfALongDocumentComeInOrderAtTheirElements) {
    std::string json = "[";
    for (int i = 0; i < 300; ++i) {
        json += (i ? "," : "");
        if (i % 7 == 3) {
            json += R"({"className":"HeadingNode","level":257,"children":[]})";
        } else if (i % 50 == 10) {
            json += R"({"className":"Mystery"})";
        } else {
            json += paragraph;
        }
    }
    json += "]";
    std::vector<BuildWarning> heard;
    BuildResult const result = build(json, &heard);
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i) {
        if (i % 7 == 3) {
            expected.push_back(std::to_string(i + 1) + " /" + std::to_string(i) +
                               "/level: level 257 is not a whole number from 0 to 255; the model stores 1");
        } else if (i % 50 == 10) {
            expected.push_back(std::to_string(i + 1) + " /" + std::to_string(i) +
                               ": no builder for className \"Mystery\"; skipped");
        }
    }
    std::vector<std::string> got;
    for (BuildWarning const& w : heard) {
        got.push_back(std::to_string(w.elementNumber) + " " + w.pointer + ": " + w.message);
    }
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(result.warnings.empty());
}

TEST_P(DocumentHostBuildTest, ABuilderErrorNamesTheElementAfterEarlierWarningsWereHeard) {
    std::vector<BuildWarning> heard;
    try {
        build("[" + paragraph + R"(, {"className":"X"}, {"className":"HeadingNode","level":"high","children":[]}, )" +
                  paragraph + "]",
              &heard);
        FAIL() << "no error";
    } catch (ElementBuildError const& e) {
        EXPECT_EQ(e.elementNumber(), 3u);
        EXPECT_STREQ(e.what(), "invalid conversion: string to double");
    }
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].elementNumber, 2u);
}

TEST_P(DocumentHostBuildTest, AClassNameThatIsNoStringIsABuilderError) {
    // The builders' class test reads "className" strictly, so this is no case for a warning.
    try {
        build("[" + paragraph + R"(, {"className":true}])");
        FAIL() << "no error";
    } catch (ElementBuildError const& e) {
        EXPECT_EQ(e.elementNumber(), 2u);
        EXPECT_STREQ(e.what(), "invalid conversion: bool to string");
    }
}

TEST_P(DocumentHostBuildTest, ADocumentMustBeAnElementOrAnArray) {
    EXPECT_THROW(build("12"), std::invalid_argument);
    EXPECT_THROW(build("\"text\""), std::invalid_argument);
    EXPECT_TRUE(build("[]").nodes.empty());
}

TEST_F(DocumentHostTest, ListsBlockBuildersBeforeInlineBuilders) {
    std::vector<BuilderInfo> const builders = host_->listBuilders();
    ASSERT_EQ(builders.size(), 15u);
    auto firstInline = std::find_if(builders.begin(), builders.end(), [](BuilderInfo const& b) {
        return b.interfaceName == "richmarkup::build::json::text::TextElementBuilder";
    });
    ASSERT_EQ(firstInline - builders.begin(), 11);
    for (auto it = builders.begin(); it != builders.end(); ++it) {
        EXPECT_EQ(it->interfaceName, it < firstInline ? "richmarkup::build::json::NodeBuilder"
                                                      : "richmarkup::build::json::text::TextElementBuilder");
        EXPECT_THAT(it->componentName, HasSubstr("richmarkup::build::json::text::"));
    }
    auto paragraphBuilder = std::find_if(builders.begin(), builders.end(), [](BuilderInfo const& b) {
        return b.testId == std::optional<std::string>("RichTextParagraphNodeBuilderImpl");
    });
    EXPECT_NE(paragraphBuilder, builders.end());
}

INSTANTIATE_TEST_SUITE_P(WholeAndStreamed, DocumentHostBuildTest, ::testing::Bool(),
                         [](auto const& info) { return info.param ? "Streamed" : "Whole"; });

TEST(DocumentBuildTest, NumbersElementsInTheOrderTheyAreAdded) {
    DocumentHost host(testOptions());
    vx::zero::Model model;
    std::vector<std::size_t> heard;
    DocumentBuild build = host.begin(model, [&](BuildWarning const& w) { heard.push_back(w.elementNumber); });
    build.add(foundation::json::parse(paragraph));
    build.add(foundation::json::parse(R"({"className":"Nothing"})"));
    build.add(foundation::json::parse(paragraph));
    EXPECT_EQ(build.added(), 3u);
    EXPECT_EQ(build.result().nodes.size(), 2u);
    EXPECT_EQ(heard, std::vector<std::size_t>{2});
    try {
        build.add(foundation::json::parse(R"({"className":"HeadingNode","level":"x","children":[]})"));
        FAIL() << "no error";
    } catch (ElementBuildError const& e) {
        EXPECT_EQ(e.elementNumber(), 4u);
    }
    BuildResult const result = build.takeResult();
    EXPECT_EQ(result.nodes.size(), 2u);
    EXPECT_TRUE(result.warnings.empty()) << "heard, not kept";
}

// Each of these starts and stops hosts of its own.
TEST(DocumentHostLifecycleTest, WithoutCodeElementsCodeExamplesHaveNoBuilder) {
    {
        DocumentHost host(testOptions(false));
        auto const builders = host.listBuilders();
        EXPECT_EQ(builders.size(), 13u);
        for (auto const& b : builders) {
            EXPECT_THAT(b.componentName, ::testing::Not(HasSubstr("CodeExample")));
        }
        vx::zero::Model model;
        auto const result = host.build(
            model, foundation::json::parse(R"({"className":"CodeExampleBlockNode","type":"x","children":[]})"));
        ASSERT_EQ(result.warnings.size(), 1u);
        EXPECT_EQ(result.warnings[0].message, "no builder for className \"CodeExampleBlockNode\"; skipped");
    }
    EXPECT_FALSE(foundation::cppmicroservices::getFramework());
}

TEST(DocumentHostLifecycleTest, FailedStartsLeaveNothingRunning) {
    HostOptions nowhere;
    nowhere.bundleDirectories = {"/nonexistent/richmarkup"};
    try {
        DocumentHost host(nowhere);
        FAIL() << "started without bundles";
    } catch (HostError const& e) {
        EXPECT_THAT(e.what(), HasSubstr("cannot find the bundle libztrichmarkup_build_json_"));
        EXPECT_THAT(e.what(), HasSubstr("/nonexistent/richmarkup"));
    }
    EXPECT_FALSE(foundation::cppmicroservices::getFramework());

    for (std::string const& bad : {std::string("/nonexistent/bundle.so"), std::string(RICHMARKUP_TEST_NOT_A_BUNDLE)}) {
        HostOptions options = testOptions();
        options.extraBundles = {bad};
        try {
            DocumentHost host(options);
            FAIL() << "installed " << bad;
        } catch (HostError const& e) {
            EXPECT_THAT(e.what(), HasSubstr(bad));
        }
        EXPECT_FALSE(foundation::cppmicroservices::getFramework());
    }

    DocumentHost again(testOptions()); // a failed start does not spoil the next
    vx::zero::Model model;
    EXPECT_EQ(again.build(model, foundation::json::parse(paragraph)).nodes.size(), 1u);
}

} // namespace
} // namespace richmarkup::host

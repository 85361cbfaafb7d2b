#include <richmarkup/host/ConversionPipeline.hpp>
#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/formats/NodeView.hpp>
#include <richmarkup/formats/Subtree.hpp>
#include <richmarkup/formats/TreeWriter.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace richmarkup::host {
namespace {
using formats::NodeView;
using formats::Subtree;
using formats::TreeWriter;

using document::vxzero::NodeKind;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Severity = Diagnostic::Severity;

HostOptions testOptions() {
    HostOptions options;
    options.bundleDirectories = {RICHMARKUP_TEST_BUNDLE_DIR};
    return options;
}

// Every text property once, with text outside the BMP so that UTF-16 pairs must survive.
std::string const inlineDocument = R"([
{"className":"HeadingNode","level":2,"children":[{"className":"RichTextNode","text":"Grüße 🎉"}]},
{"className":"RichTextParagraphNode","anchorId":"p1","children":[
  {"className":"RichTextNode","text":"see "},
  {"className":"HyperlinkNode","hyperlink":{"target":"https://example.org/","targetType":"url"},
   "children":[{"className":"RichTextNode","text":"here"}]},
  {"className":"ImageNode","imgSrc":"a.png","altText":"An image"},
  {"className":"EquationNode","texString":"x^2","altTextString":"x squared"}]},
{"className":"CodeExampleBlockNode","type":"sh","children":[
  {"className":"CodeExampleLineNode","children":[{"className":"CodeTextNode","text":"ls","tokenKind":"identifier"}]}]}
])";

class ConversionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { host_ = std::make_unique<DocumentHost>(testOptions()); }
    static void TearDownTestSuite() { host_.reset(); }
    static std::unique_ptr<DocumentHost> host_;
};

std::unique_ptr<DocumentHost> ConversionTest::host_;

std::vector<std::string> kindsOf(std::vector<document::vxzero::Node> const& nodes) {
    std::vector<std::string> kinds;
    for (NodeView node : Subtree(nodes)) {
        kinds.emplace_back(std::string(node.depth(), ' ') + std::string(node.kindName()));
    }
    return kinds;
}

TEST_F(ConversionTest, ConvertsTextThatMayGoOnceTheCallReturns) {
    Conversion conversion = host_->convert(std::string(inlineDocument), "doc.json");
    ASSERT_TRUE(conversion.ok());
    EXPECT_TRUE(conversion.diagnostics.empty());
    EXPECT_THAT(kindsOf(conversion.nodes),
                ElementsAre("HeadingNode", " RichTextNode", "RichTextParagraphNode", " RichTextNode", " HyperlinkNode",
                            "  RichTextNode", " ImageNode", " EquationNode", "CodeExampleBlock", " CodeExampleLine",
                            "  CodeTextNode"));
    EXPECT_EQ(NodeView(conversion.nodes[0]).plainText(), "Grüße 🎉");
    EXPECT_EQ(NodeView(conversion.nodes[1]).plainText(), "see herex^2");
}

TEST_F(ConversionTest, ErrorsComeBackLocatedWithNoNodes) {
    struct Case {
        char const* json;
        std::size_t line, column;
        char const* pointer;
        char const* message;
    };
    Case const cases[] = {
        {"[\n {\"className\": }\n]", 2, 16, "", ""},
        {"\n  42", 2, 3, "", "it must be a block element"},
        {R"([{"className":"HeadingNode","level":"two","children":[]}])", 1, 37, "/0/level", "invalid conversion"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.json);
        Conversion const conversion = host_->convert(c.json, "in.json");
        EXPECT_FALSE(conversion.ok());
        EXPECT_TRUE(conversion.nodes.empty());
        ASSERT_EQ(conversion.diagnostics.size(), 1u);
        Diagnostic const& d = conversion.diagnostics[0];
        EXPECT_EQ(d.severity, Severity::Error);
        EXPECT_EQ(d.file, "in.json");
        EXPECT_EQ(d.line, c.line);
        EXPECT_EQ(d.column, c.column);
        EXPECT_EQ(d.pointer, c.pointer);
        EXPECT_THAT(d.message, HasSubstr(c.message));
    }
    // Malformed text has no place in a document: its line shows no pointer, the others do.
    EXPECT_EQ(host_->convert("[\n {\"className\": }\n]", "in.json")
                  .diagnostics.at(0)
                  .toString()
                  .rfind("error: in.json:2:16: ", 0),
              0u);
    EXPECT_THAT(host_->convert("[\n {\"className\": }\n]", "in.json").diagnostics.at(0).toString(),
                ::testing::Not(HasSubstr(": /")));
    EXPECT_THAT(host_->convert("\n  42", "in.json").diagnostics.at(0).toString(), HasSubstr("in.json:2:3: /: "));
}

// Every diagnostic of a conversion as its line.
std::vector<std::string> linesOf(Conversion const& conversion) {
    std::vector<std::string> lines;
    for (auto const& d : conversion.diagnostics) {
        lines.push_back(d.toString());
    }
    return lines;
}

TEST_F(ConversionTest, WhatTheTextWroteOtherwiseThanTheModelKeepsIsWarnedAtItsPlace) {
    // A key given twice, a number too small for a double, a whole number beyond 2^53.
    Conversion const conversion = host_->convert(R"([{"className": "RichTextParagraphNode",
  "className": "HeadingNode", "level": 1,
  "children": [{"className": "ImageNode", "width": 1e-400, "height": 9007199254740993}]}])",
                                                 "in.json");
    EXPECT_TRUE(conversion.ok());
    EXPECT_THAT(linesOf(conversion),
                ElementsAre("warning: in.json:2:16: /0/className: duplicate key \"className\": the value at 2:16 is "
                            "used, the one at 1:16 ignored",
                            "warning: in.json:3:52: /0/children/0/width: the number 1e-400 is too small for a double: "
                            "it is read as 0",
                            "warning: in.json:3:70: /0/children/0/height: \"height\" 9007199254740993 is not a whole "
                            "number from 0 to 9007199254740991; the model stores 9007199254740992"));
    EXPECT_EQ(NodeView(conversion.nodes.at(0)).kindName(), std::string("HeadingNode"));
}

TEST_F(ConversionTest, ANumberBeyondADoubleIsAnErrorAtTheNumber) {
    Conversion const conversion = host_->convert("[{\"className\": \"ImageNode\",\n \"height\":1e999}]", "in.json");
    EXPECT_THAT(linesOf(conversion),
                ElementsAre("error: in.json:2:11: /0/height: the number 1e999 is out of range: a double goes up to "
                            "1.7976931348623157e308"));
}

TEST_F(ConversionTest, ABuildErrorIsOneProblemAtItsOwnPlace) {
    // The builder fails on the width; the text of a later element is another problem, not named.
    Conversion const conversion = host_->convert(
        R"([{"className":"CodeExampleBlockNode","type":"c","children":[{"className":"CodeExampleLineNode","children":[
{"className":"CodeIndentNode","width":-1},{"className":"CodeTextNode","text":5}]}]}])",
        "in.json");
    EXPECT_THAT(linesOf(conversion),
                ElementsAre("error: in.json:2:39: /0/children/0/children/0/width: CodeIndentNode width must be a "
                            "whole number from 0 to 256, not -1"));
}

TEST_F(ConversionTest, WarningsBeforeAnErrorAreKept) {
    Conversion const conversion = host_->convert(R"([
{"className":"NoSuchNode"},
{"className":"HeadingNode","level":"two","children":[]}])");
    ASSERT_EQ(conversion.diagnostics.size(), 2u);
    EXPECT_EQ(conversion.diagnostics[0].severity, Severity::Warning);
    EXPECT_EQ(conversion.diagnostics[0].line, 2u);
    EXPECT_EQ(conversion.diagnostics[0].file, "<string>");
    EXPECT_EQ(conversion.diagnostics[1].severity, Severity::Error);
    EXPECT_EQ(conversion.diagnostics[1].line, 3u);
    EXPECT_TRUE(conversion.nodes.empty());
}

TEST_F(ConversionTest, WarningsLeaveTheRestConverted) {
    Conversion const conversion = host_->convert(R"([{"className":"NoSuchNode"},)" + inlineDocument.substr(1));
    EXPECT_TRUE(conversion.ok());
    ASSERT_EQ(conversion.diagnostics.size(), 1u);
    EXPECT_EQ(conversion.diagnostics[0].pointer, "/0");
    EXPECT_EQ(conversion.nodes.size(), 3u);
}

TEST_F(ConversionTest, EveryTextPropertyReadsAsUtf8AndOnlyOnItsKind) {
    Conversion const conversion = host_->convert(inlineDocument);
    ASSERT_TRUE(conversion.ok());
    std::vector<NodeView> nodes;
    for (NodeView node : Subtree(conversion.nodes)) {
        nodes.push_back(node);
    }
    ASSERT_EQ(nodes.size(), 11u);
    NodeView const heading = nodes[0], run = nodes[1], paragraph = nodes[2], link = nodes[4], image = nodes[6],
                   equation = nodes[7], block = nodes[8], code = nodes[10];

    EXPECT_EQ(heading.level(), 2);
    EXPECT_EQ(run.text(), "Grüße 🎉");
    EXPECT_EQ(paragraph.anchorId(), "p1");
    EXPECT_EQ(link.target(), "https://example.org/");
    EXPECT_EQ(link.targetType(), "url");
    EXPECT_EQ(image.imageSource(), "a.png");
    EXPECT_EQ(image.altText(), "An image");
    EXPECT_EQ(equation.tex(), "x^2");
    EXPECT_EQ(equation.altText(), "x squared");
    EXPECT_EQ(block.codeExampleType(), "sh");
    EXPECT_EQ(code.text(), "ls");
    EXPECT_EQ(code.tokenKind(), "identifier");

    // A property of another kind is absent, not an empty string or a crash.
    EXPECT_EQ(paragraph.text(), std::nullopt);
    EXPECT_EQ(run.target(), std::nullopt);
    EXPECT_EQ(link.tex(), std::nullopt);
    EXPECT_EQ(equation.imageSource(), std::nullopt);
    EXPECT_EQ(run.level(), std::nullopt);
    EXPECT_EQ(image.text(), std::nullopt);

    EXPECT_EQ(link.parent(), paragraph);
    EXPECT_EQ(paragraph.parent(), std::nullopt);
    EXPECT_EQ(paragraph.child(1), link);
}

// Several texts as one document: each diagnostic is placed in its own text, and each text's
// nodes follow the previous one's.
std::string const paragraphElement =
    R"({"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"p"}]})";
std::string const skipped = R"({"className":"NoSuchNode"})";

// Text for a WritableText: the parser may write into it and puts it back.
foundation::json::WritableText writable(std::string& text) { return {text.data(), text.size(), 0}; }

TEST_F(ConversionTest, SeveralTextsAreOneDocumentEachPlacedInItsOwnText) {
    std::string const first = "[" + skipped + "," + paragraphElement + "]";
    std::string const second = "\n" + paragraphElement;
    std::string third = "[\n" + paragraphElement + ",\n" + skipped + ",\n" + paragraphElement + "]";
    std::string const kept = third;
    ConversionPipeline pipeline;
    ASSERT_EQ(pipeline.add(first, "a.json"), std::nullopt);
    ASSERT_EQ(pipeline.add(second, "b.json", 7), std::nullopt);
    // No file to read again: the kept text is where its warning is placed.
    ASSERT_EQ(pipeline.add(writable(third), "c.json", "/nonexistent/c.json", kept), std::nullopt);
    Conversion const conversion = pipeline.run(*host_);
    EXPECT_EQ(pipeline.failure(), ConversionPipeline::Failure::None);
    EXPECT_THAT(linesOf(conversion),
                ElementsAre("warning: a.json:1:2: /0: no builder for className \"NoSuchNode\"; skipped",
                            "warning: c.json:3:1: /1: no builder for className \"NoSuchNode\"; skipped"));
    EXPECT_EQ(conversion.nodes.size(), 4u);
    EXPECT_THAT(pipeline.firstNodes(), ElementsAre(0u, 1u, 2u));
    EXPECT_EQ(pipeline.counts().topLevel, 6u);
    EXPECT_EQ(pipeline.counts().nodes, conversion.model->nodeCount());
    EXPECT_EQ(pipeline.counts().parsedParts, 3u);
    // What a writer says later of a node is placed in its text too.
    EXPECT_EQ(pipeline.source(1).locate(BuildWarning{0, "late", "/children/0"}).toString(),
              "warning: b.json:8:50: /children/0: late");
    EXPECT_EQ(pipeline.source(2).text(), kept);
}

TEST_F(ConversionTest, TheWarningPolicySaysWhatIsReportedAndWhetherItFails) {
    std::string const first = "[" + skipped + "," + paragraphElement + "]";
    std::string const second = "[" + paragraphElement + "," + skipped + "]";
    struct Case {
        bool strict, quiet;
        std::vector<std::string> reported;
        ConversionPipeline::Failure failure;
    };
    std::string const a = "a.json:1:2: /0: no builder for className \"NoSuchNode\"; skipped";
    std::string const b = "b.json:1:93: /1: no builder for className \"NoSuchNode\"; skipped";
    Case const cases[] = {
        {false, false, {"warning: " + a, "warning: " + b}, ConversionPipeline::Failure::None},
        {false, true, {}, ConversionPipeline::Failure::None},
        // Every text is still built, so that every warning is said.
        {true, false, {"error: " + a, "error: " + b}, ConversionPipeline::Failure::StrictWarnings},
        {true, true, {"error: " + a, "error: " + b}, ConversionPipeline::Failure::StrictWarnings},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(std::string(c.strict ? "strict" : "") + (c.quiet ? " quiet" : ""));
        ConversionOptions options;
        options.warnings = {c.strict, c.quiet};
        ConversionPipeline pipeline(options);
        ASSERT_FALSE(pipeline.add(first, "a.json"));
        ASSERT_FALSE(pipeline.add(second, "b.json"));
        Conversion const conversion = pipeline.run(*host_);
        EXPECT_EQ(linesOf(conversion), c.reported);
        EXPECT_EQ(pipeline.failure(), c.failure);
        EXPECT_EQ(conversion.nodes.size(), c.strict ? 0u : 2u);
        EXPECT_EQ(conversion.ok(), !c.strict);
        // One text through DocumentHost::convert follows the same policy.
        std::vector<std::string> const ofFirst(c.reported.begin(), c.reported.begin() + (c.reported.empty() ? 0 : 1));
        EXPECT_EQ(linesOf(host_->convert(first, "a.json", 1, options)), ofFirst);
    }
    // Quiet silences warnings, never an error.
    ConversionOptions quiet;
    quiet.warnings.quiet = true;
    std::string const failing = R"([{"className":"HeadingNode","level":"two","children":[]}])";
    EXPECT_THAT(linesOf(host_->convert(failing, "e.json", 1, quiet)),
                ElementsAre(HasSubstr("error: e.json:1:37: /0/level: invalid conversion")));
}

TEST_F(ConversionTest, AWarningHandlerHearsWhatIsAdmittedAndTheRunStopsAtAnError) {
    std::string const first = "[" + skipped + "," + skipped + "]";
    std::string const second = "[" + skipped + R"(,{"className":"HeadingNode","level":"two","children":[]}])";
    std::string const third = "[" + skipped + "]";
    std::vector<std::string> heard;
    std::vector<std::size_t> asked;
    ConversionOptions options;
    options.admitWarning = [&](std::size_t text) {
        asked.push_back(text);
        return asked.size() != 2; // the second warning is left out
    };
    options.onWarning = [&](std::size_t text, Diagnostic const& d) {
        heard.push_back(std::to_string(text) + " " + d.toString());
    };
    ConversionPipeline pipeline(options);
    for (auto const* text : {&first, &second, &third}) {
        ASSERT_FALSE(pipeline.add(*text, "t.json"));
    }
    Conversion const conversion = pipeline.run(*host_);
    EXPECT_THAT(asked, ElementsAre(0u, 0u, 1u)); // nothing of the third text: the run stopped
    EXPECT_THAT(heard, ElementsAre("0 warning: t.json:1:2: /0: no builder for className \"NoSuchNode\"; skipped",
                                   "1 warning: t.json:1:2: /0: no builder for className \"NoSuchNode\"; skipped"));
    EXPECT_THAT(linesOf(conversion), ElementsAre(HasSubstr("error: t.json:1:64: /1/level: invalid conversion")));
    EXPECT_EQ(pipeline.failure(), ConversionPipeline::Failure::BuildError);
    EXPECT_TRUE(conversion.nodes.empty());
}

TEST_F(ConversionTest, ADocumentOfTheWrongShapeIsPlacedWithoutItsFile) {
    std::string const good = paragraphElement;
    std::string number = "\n\n   42";
    ConversionPipeline pipeline;
    ASSERT_FALSE(pipeline.add(good, "good.json"));
    // A file that cannot be read again: the place is found while the text is at hand.
    ASSERT_FALSE(pipeline.add(writable(number), "n.json", "/nonexistent/n.json"));
    Conversion const conversion = pipeline.run(*host_);
    EXPECT_EQ(pipeline.failure(), ConversionPipeline::Failure::NotADocument);
    EXPECT_THAT(linesOf(conversion), ElementsAre("error: n.json:3:4: /: the document is a double; it must be a "
                                                 "block element (an object) or an array of them"));
    EXPECT_TRUE(conversion.nodes.empty());
    // A line of a larger input counts its lines from there.
    EXPECT_THAT(linesOf(host_->convert("\n  \"text\"", "in.jsonl", 10)),
                ElementsAre(::testing::StartsWith("error: in.jsonl:11:3: /: the document is a string")));
}

TEST_F(ConversionTest, APipelineRefusesMalformedTextWhenAddedAndRunsOnce) {
    ConversionPipeline pipeline;
    std::optional<Diagnostic> const error = pipeline.add("[1,\n 2,,]", "in.jsonl", 4);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->malformed);
    EXPECT_EQ(error->line, 5u);
    std::string broken = "{\"a\": }";
    EXPECT_EQ(pipeline.add(writable(broken), "w.json", "w.json").value().toString().rfind("error: w.json:1:7: ", 0),
              0u);
    EXPECT_EQ(broken, "{\"a\": }");                     // as it was
    Conversion const conversion = pipeline.run(*host_); // nothing was added
    EXPECT_TRUE(conversion.ok());
    EXPECT_TRUE(conversion.nodes.empty());
    EXPECT_THROW(pipeline.run(*host_), std::logic_error);
    EXPECT_THROW(pipeline.add(paragraphElement, "late.json"), std::logic_error);
}

TEST(NodeViewTest, KindNamesRoundTrip) {
    for (int i = 0; i < document::vxzero::nodeKindCount; ++i) {
        auto const kind = static_cast<NodeKind>(i);
        EXPECT_EQ(NodeView::kindNamed(document::vxzero::kindName(kind)), kind);
    }
    EXPECT_EQ(NodeView::kindNamed("CodeExampleBlockNode"), std::nullopt); // the input's name, not the model's
    EXPECT_EQ(NodeView::kindNamed(""), std::nullopt);
}

TEST(SubtreeTest, WalksATreeInTheOrderTheOutlineShowsIt) {
    std::unique_ptr<DocumentHost> host = std::make_unique<DocumentHost>(testOptions());
    Conversion conversion = host->convert(inlineDocument);
    // Nodes stay readable once the host and its framework are gone: they belong to the model.
    host.reset();
    std::string outline;
    Subtree const tree(conversion.nodes[1]);
    for (auto it = tree.begin(); it != tree.end(); ++it) {
        EXPECT_EQ(it.depth(), (*it).depth());
        outline += std::string(2 * it.depth(), ' ') + std::string((*it).kindName()) + '\n';
    }
    std::string tree_text = TreeWriter::toString({conversion.nodes[1]});
    // The outline's lines start with the same kinds at the same indentation.
    std::string kinds_only;
    for (std::size_t start = 0; start < tree_text.size();) {
        std::size_t const end = tree_text.find('\n', start);
        std::string const line = tree_text.substr(start, end - start);
        kinds_only += line.substr(0, line.find(' ', line.find_first_not_of(' '))) + '\n';
        start = end + 1;
    }
    EXPECT_EQ(outline, kinds_only);
    EXPECT_EQ(Subtree(document::vxzero::Node()).begin(), Subtree(document::vxzero::Node()).end());
}

// Threads share the host and its builders, each with its own model; what they convert must equal
// what one thread converts. Run under ThreadSanitizer too.
TEST_F(ConversionTest, ConcurrentConversionsEachGetTheirOwnModel) {
    std::string const expected = TreeWriter::toString(host_->convert(inlineDocument).nodes);
    std::vector<std::string> outlines(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < outlines.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 25; ++round) {
                Conversion const conversion = host_->convert(inlineDocument);
                outlines[t] = conversion.ok() ? TreeWriter::toString(conversion.nodes) : "failed";
                if (outlines[t] != expected) {
                    return;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (auto const& outline : outlines) {
        EXPECT_EQ(outline, expected);
    }
}

} // namespace
} // namespace richmarkup::host

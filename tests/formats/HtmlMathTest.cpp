#include "NodeMaker.hpp"

#include <richmarkup/formats/HtmlWriter.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace richmarkup::formats {
namespace {

using test::NodeMaker;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
namespace dv = document::vxzero;
namespace cm = quillix::contentmodel::vxzero;

constexpr char const* kAnnotated = "<math display=\"inline\" xmlns=\"http://www.w3.org/1998/Math/MathML\"><semantics>"
                                   "<mi>x</mi><annotation encoding=\"application/x-tex\">x</annotation></semantics>"
                                   "</math>";

// Pages written in one math mode, with a converter that records what it is asked and answers
// from `answer` (TeX to MathML; an empty answer is a rejection).
class HtmlMathTest : public ::testing::Test {
protected:
    HtmlMath mathml() {
        HtmlMath math;
        math.mode = HtmlMath::Mode::MathML;
        math.toMathml = [this](std::vector<TexMath> const& equations) {
            calls.push_back(equations);
            std::vector<ConvertedMath> out;
            for (auto const& equation : equations) {
                auto const found = answer.find(equation.tex);
                std::string const mathml = found != answer.end() ? found->second : kAnnotated;
                out.push_back(mathml.empty() ? ConvertedMath{std::nullopt, "pandoc: unexpected eof"}
                                             : ConvertedMath{mathml, {}});
            }
            return out;
        };
        return math;
    }

    std::string page(std::vector<dv::Node> const& nodes, HtmlMath math, bool fragment = true) {
        HtmlWriter::Options options;
        options.math = std::move(math);
        options.fragment = fragment;
        options.onWarning = [this](WriterWarning const& warning) { warnings.push_back(warning.message); };
        return HtmlWriter::toString(nodes, options);
    }

    dv::EquationNode equation(std::u16string const& tex, bool display = false) {
        auto node = make.equation(tex);
        node->setEquationData(cm::EquationData().setDisplayStyle(display));
        return node;
    }

    vx::zero::Model model;
    NodeMaker make{model};
    std::map<std::string, std::string> answer;
    std::vector<std::vector<TexMath>> calls;
    std::vector<std::string> warnings;
};

TEST_F(HtmlMathTest, EachDistinctEquationIsConvertedOnceInOneCallAndKeepsWhatTheModelSays) {
    auto withAlt = make.equation(u"x");
    withAlt->setEquationData(cm::EquationData().setAltText(u"the \"x\"").setEncoding(u"LaTeX"));
    withAlt->setAnchorId(u"eq1");
    std::string const html =
        page({make.paragraph({withAlt, equation(u"x"), equation(u"x", true)}), make.paragraph({equation(u"x", true)})},
             mathml());
    ASSERT_EQ(calls.size(), 1u);
    ASSERT_EQ(calls[0].size(), 2u); // x inline and x displayed
    EXPECT_EQ(calls[0][0].tex, "x");
    EXPECT_FALSE(calls[0][0].display);
    EXPECT_TRUE(calls[0][1].display);
    std::string const content =
        "<semantics><mi>x</mi><annotation encoding=\"application/x-tex\">x</annotation></semantics></math>";
    EXPECT_EQ(html, "<p><math class=\"equation\" display=\"inline\" id=\"eq1\" alttext=\"the &quot;x&quot;\" "
                    "data-encoding=\"LaTeX\">" +
                        content + "<math class=\"equation\" display=\"inline\">" + content +
                        "<math class=\"equation\" display=\"block\">" + content +
                        "</p>\n<p><math class=\"equation\" display=\"block\">" + content + "</p>\n");
    EXPECT_TRUE(warnings.empty());
    // A page without equations runs no converter.
    page({make.paragraph({make.run(u"none")})}, mathml());
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(HtmlMathTest, RejectedTexAndOtherEncodingsStayVisibleWithAWarning) {
    answer["\\frac{"] = "";
    auto ascii = make.equation(u"a/b");
    ascii->setEquationData(cm::EquationData().setEncoding(u"asciimath"));
    std::string const html = page({make.paragraph({equation(u"\\frac{", true), ascii})}, mathml());
    EXPECT_EQ(html, "<p><span class=\"equation display\"><code class=\"tex\">\\frac{</code></span>"
                    "<span class=\"equation\" data-encoding=\"asciimath\"><code class=\"tex\">a/b</code></span></p>\n");
    EXPECT_THAT(warnings, ElementsAre("equation \"\\\\frac{\" not typeset (pandoc: unexpected eof): written as its TeX",
                                      "equation encoding \"asciimath\" is not TeX: written as its source"));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].size(), 1u); // asciimath is not TeX to convert
}

TEST_F(HtmlMathTest, AConverterThatFailsLeavesEveryEquationAsTex) {
    HtmlMath math = mathml();
    math.toMathml = [](std::vector<TexMath> const&) -> std::vector<ConvertedMath> {
        throw std::runtime_error("pandoc ended with status 1");
    };
    EXPECT_THAT(page({make.paragraph({equation(u"a"), equation(u"b")})}, math), HasSubstr("<code class=\"tex\">b"));
    EXPECT_THAT(warnings, ElementsAre(HasSubstr("(pandoc ended with status 1)"), HasSubstr("\"b\" not typeset")));
    warnings.clear();
    // Too few results is a failure too, not a reason to write another equation's MathML.
    math.toMathml = [](std::vector<TexMath> const&) { return std::vector<ConvertedMath>{{kAnnotated, {}}}; };
    EXPECT_THAT(page({make.paragraph({equation(u"a"), equation(u"b")})}, math), Not(HasSubstr("<math")));
    EXPECT_EQ(warnings.size(), 2u);
    warnings.clear();
    // No converter: the page is plain, and saying so is the caller's.
    math.toMathml = nullptr;
    EXPECT_THAT(page({equation(u"a")}, math), HasSubstr("<code class=\"tex\">a</code>"));
    EXPECT_TRUE(warnings.empty());
}

// A converter is handed untrusted TeX: whatever it gives back that is not plain presentation
// MathML must not reach the page.
TEST_F(HtmlMathTest, MathmlBeyondPresentationMarkupIsRefused) {
    std::vector<std::pair<std::string, std::string>> const refused = {
        {"<math><mi>x</mi></math><script>alert(1)</script>", "more after the math element"},
        {"<math><script>alert(1)</script></math>", "element <script>"},
        {"<math><mi onclick=\"alert(1)\">x</mi></math>", "attribute onclick"},
        {"<math><mrow href=\"javascript:alert(1)\"></mrow></math>", "attribute href"},
        {"<math><mi style=\"x\">x</mi></math>", "attribute style"},
        {"<math><!-- --><mi>x</mi></math>", "markup other than elements"},
        {"<math><mi>x</mo></math>", "</mo> closes no open element"},
        {"<math><mi>x</mi>", "not closed"},
        {"<math><math></math></math>", "inside another"},
        {"<svg></svg>", "element <svg>"},
        {"<math><semantics><annotation encoding=\"text/html\">x</annotation></semantics></math>",
         "annotation that is not TeX"},
        {"<math><semantics><annotation encoding=\"application/x-tex\"><mi>x</mi></annotation></semantics></math>",
         "inside the annotation"},
        {"<math><mi>a & b</mi></math>", "bare '&'"},
        {"<math><mi mathvariant=x>x</mi></math>", "unquoted"},
        {"<math><mi mathvariant=\"<x\">x</mi></math>", "'<' in an attribute"},
    };
    auto paragraph = make.paragraph();
    for (std::size_t i = 0; i < refused.size(); ++i) {
        std::string const tex = "t" + std::to_string(i);
        answer[tex] = refused[i].first;
        paragraph->getChildrenMutable().add(equation(std::u16string(tex.begin(), tex.end())));
    }
    std::string const html = page({paragraph}, mathml());
    EXPECT_THAT(html, Not(HasSubstr("<math")));
    ASSERT_EQ(warnings.size(), refused.size());
    for (std::size_t i = 0; i < refused.size(); ++i) {
        EXPECT_THAT(warnings[i], HasSubstr("its MathML was refused: "));
        EXPECT_THAT(warnings[i], HasSubstr(refused[i].second)) << refused[i].first;
    }
    // What texmath writes passes: entities, self-closed elements, single quotes, tables.
    answer.clear();
    answer["ok"] = "\n<math display='block'><mtable><mtr><mtd columnalign=\"left\"><mo>&lt;</mo><mspace "
                   "width=\"0.2em\" /><mi>&#x1D465;</mi></mtd></mtr></mtable></math>\n";
    warnings.clear();
    EXPECT_THAT(page({equation(u"ok")}, mathml()), HasSubstr("<mspace width=\"0.2em\" /><mi>&#x1D465;</mi>"));
    EXPECT_TRUE(warnings.empty());
}

TEST_F(HtmlMathTest, ScriptModesWriteEscapedTexBetweenDelimitersAndLoadTheirScript) {
    HtmlMath katex;
    katex.mode = HtmlMath::Mode::KaTeX;
    std::string const html =
        page({make.paragraph({equation(u"a</span><script>"), equation(u"b", true)})}, katex, false);
    EXPECT_THAT(html, HasSubstr("<span class=\"equation math inline\">\\(a&lt;/span&gt;&lt;script&gt;\\)</span>"));
    EXPECT_THAT(html, HasSubstr("<span class=\"equation math display\">\\[b\\]</span>"));
    EXPECT_THAT(html, HasSubstr("<script defer src=\"file:///usr/share/javascript/katex/katex.min.js\">"));
    EXPECT_THAT(html, HasSubstr("<link rel=\"stylesheet\" href=\"file:///usr/share/javascript/katex/katex.min.css\">"));

    std::string error;
    auto mathjax = HtmlMath::parse("MathJax=https://cdn.example/mathjax.js?config=\"x\"", error);
    ASSERT_TRUE(mathjax) << error;
    std::string const jaxPage = page({equation(u"c")}, *mathjax, false);
    EXPECT_THAT(jaxPage, HasSubstr("<script defer src=\"https://cdn.example/mathjax.js?config=&quot;x&quot;\">"));
    EXPECT_THAT(jaxPage, HasSubstr("\\(c\\)"));
    // A fragment leaves loading the script to the page it goes into.
    EXPECT_THAT(page({equation(u"c")}, *mathjax, true), Not(HasSubstr("<script")));
}

TEST_F(HtmlMathTest, SettingsAreParsedAsPandocNamesThem) {
    std::string error;
    EXPECT_EQ(HtmlMath::parse("plain", error)->mode, HtmlMath::Mode::Plain);
    EXPECT_EQ(HtmlMath::parse("MathML", error)->mode, HtmlMath::Mode::MathML);
    auto const katex = HtmlMath::parse("katex=../js/katex", error);
    ASSERT_TRUE(katex);
    EXPECT_EQ(katex->url, "../js/katex");
    EXPECT_EQ(HtmlMath::parse("katex=file:///opt/katex/", error)->url, "file:///opt/katex/");
    for (char const* bad : {"webtex", "mathml=x", "katex=", "katex=javascript:alert(1)", "mathjax=data:text/js,x"}) {
        error.clear();
        EXPECT_FALSE(HtmlMath::parse(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

} // namespace
} // namespace richmarkup::formats

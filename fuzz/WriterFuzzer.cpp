// Rich-text JSON converted by the host, then written by the HTML writer (page and fragment) and
// the Markdown writer. Whatever the document: every run's text reaches each output (control
// characters replaced only with a warning at the run, or in Markdown at a block around it);
// the HTML holds only the writer's own elements, no event handler attribute and no href or src
// whose scheme may run script; each output is UTF-8; every diagnostic and every writer warning
// is one line of UTF-8. With equations as MathML, whatever a converter gives back (here: the TeX
// itself, which the fuzzer writes) adds no element other than MathML's, no handler and no unsafe
// address, and every equation is still on the page, typeset or as its TeX. A violation aborts with
// what is wrong and where.
#include "HtmlPageCheck.hpp"
#include "MarkdownReadBack.hpp"
#include "MessageCheck.hpp"

#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/formats/HtmlWriter.hpp>
#include <richmarkup/formats/MarkdownWriter.hpp>
#include <richmarkup/formats/NodeView.hpp>
#include <richmarkup/formats/Subtree.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

using document::vxzero::Node;
using richmarkup::formats::HtmlWriter;
using richmarkup::formats::MarkdownWriter;
using richmarkup::formats::NodeView;
using richmarkup::formats::WriterWarning;
using richmarkup::fuzz::HtmlPageCheck;
using richmarkup::fuzz::MarkdownReadBack;
using richmarkup::fuzz::MessageCheck;
using richmarkup::host::DocumentHost;

DocumentHost const& host() {
    static DocumentHost const* instance = [] {
        richmarkup::host::HostOptions options;
        options.bundleDirectories = {RICHMARKUP_FUZZ_BUNDLE_DIR};
        return new DocumentHost(options); // lives until exit, as the framework it runs
    }();
    return *instance;
}

[[noreturn]] void violated(char const* rule, std::string const& what) {
    std::fprintf(stderr, "\n==richmarkup_fuzz_writers== %s: %s\n", rule, what.c_str());
    std::abort();
}

struct Run {
    NodeView node;
    std::string text;
};

// The runs and code pieces with text, in document order (the order the writers write them).
std::vector<Run> runsOf(std::vector<Node> const& topLevel) {
    std::vector<Run> runs;
    std::vector<NodeView> stack;
    for (auto it = topLevel.rbegin(); it != topLevel.rend(); ++it) {
        if (*it) {
            stack.emplace_back(*it);
        }
    }
    while (!stack.empty()) {
        NodeView const node = stack.back();
        stack.pop_back();
        if (auto text = node.text(); text && !text->empty()) {
            runs.push_back(Run{node, std::move(*text)});
        }
        for (std::size_t i = node.childCount(); i > 0; --i) {
            if (node.hasChild(i - 1)) {
                stack.push_back(node.child(i - 1));
            }
        }
    }
    return runs;
}

std::string where(NodeView node) { return std::string(node.kindName()) + " at depth " + std::to_string(node.depth()); }

void checkMessage(char const* source, std::string const& message) {
    if (auto problem = MessageCheck::problem(message)) {
        violated("one line per message",
                 std::string(source) + " " + MessageCheck::printable(message, 200) + ": " + *problem);
    }
}

void checkUtf8(char const* output, std::string const& text) {
    if (std::size_t const bad = MessageCheck::firstInvalidUtf8(text); bad != text.size()) {
        violated("UTF-8 output", std::string(output) + " has ill-formed UTF-8 at byte " + std::to_string(bad) +
                                     ", near " + MessageCheck::printable(text.substr(bad > 20 ? bad - 20 : 0, 60), 60));
    }
}

// Whether a warning that mentions U+FFFD was given at the node, or with `orAround` at one of
// the blocks that hold it.
bool replacementReported(std::vector<WriterWarning> const& warnings, NodeView node, bool orAround) {
    std::unordered_set<Node::Impl const*> reported;
    for (auto const& warning : warnings) {
        if (warning.node && warning.message.find("U+FFFD") != std::string::npos) {
            reported.insert(warning.node.getImpl());
        }
    }
    for (std::optional<NodeView> at = node; at; at = orAround ? at->parent() : std::nullopt) {
        if (reported.count(&at->impl()) != 0) {
            return true;
        }
    }
    return false;
}

void checkHtml(char const* output, std::string const& html, std::vector<Run> const& runs,
               std::vector<WriterWarning> const& warnings) {
    checkUtf8(output, html);
    if (auto problem = HtmlPageCheck::markupProblem(html)) {
        violated("own markup, safe addresses", std::string(output) + ": " + *problem);
    }
    std::size_t cursor = 0; // the runs come in order: each is looked for after the last
    for (Run const& run : runs) {
        std::string const escaped = HtmlPageCheck::escaped(run.text);
        std::size_t found = html.find(escaped, cursor);
        if (found == std::string::npos) {
            found = html.find(escaped);
        }
        if (found == std::string::npos) {
            violated("every text written", std::string(output) + " lacks the text of the " + where(run.node) + " " +
                                               MessageCheck::printable(run.text, 120) + ", escaped " +
                                               MessageCheck::printable(escaped, 120));
        }
        cursor = found + escaped.size();
        if (HtmlPageCheck::hasReplacedControl(run.text) && !replacementReported(warnings, run.node, false)) {
            violated("every text written", std::string(output) + " replaced a control character of the " +
                                               where(run.node) + " " + MessageCheck::printable(run.text, 120) +
                                               " without a warning at it");
        }
    }
    for (auto const& warning : warnings) {
        checkMessage("HTML writer warning", warning.message);
    }
}

void checkMarkdown(std::string markdown, std::vector<Run> const& runs, std::vector<WriterWarning> const& warnings) {
    checkUtf8("Markdown", markdown);
    MarkdownReadBack readBack(std::move(markdown));
    for (Run const& run : runs) {
        if (auto word = readBack.missingWord(run.text)) {
            violated("every text written", "Markdown lacks the word " + MessageCheck::printable(*word, 80) +
                                               " of the " + where(run.node) + " " +
                                               MessageCheck::printable(run.text, 120));
        }
        if (HtmlPageCheck::hasReplacedControl(run.text) && !replacementReported(warnings, run.node, true)) {
            violated("every text written", "Markdown replaced a control character of the " + where(run.node) + " " +
                                               MessageCheck::printable(run.text, 120) + " without a warning");
        }
    }
    for (auto const& warning : warnings) {
        checkMessage("Markdown writer warning", warning.message);
    }
}

std::size_t occurrences(std::string_view text, std::string_view piece) {
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string_view::npos; at = text.find(piece, at + piece.size())) {
        ++count;
    }
    return count;
}

void checkMathml(std::vector<Node> const& topLevel) {
    std::size_t equations = 0;
    for (Node const& top : topLevel) {
        if (top) {
            richmarkup::formats::forEachNode(*top.getImpl(), [&](NodeView node) {
                equations += node.is(document::vxzero::NodeKind::EquationNode) ? 1 : 0;
            });
        }
    }
    HtmlWriter::Options options;
    options.fragment = true;
    options.math.mode = richmarkup::formats::HtmlMath::Mode::MathML;
    options.math.toMathml = [](std::vector<richmarkup::formats::TexMath> const& texts) {
        std::vector<richmarkup::formats::ConvertedMath> out;
        for (auto const& tex : texts) {
            out.push_back({tex.tex, {}});
        }
        return out;
    };
    std::vector<std::string> said;
    options.onWarning = [&](WriterWarning const& warning) { said.push_back(warning.message); };
    std::string const html = HtmlWriter::toString(topLevel, options);
    if (auto problem = HtmlPageCheck::markupProblem(html, true)) {
        violated("HTML with MathML: markup", *problem);
    }
    // A MathML equation cannot hold another math element or a code element: each counted is one.
    std::size_t const written =
        occurrences(html, "<math class=\"equation\"") + occurrences(html, "<code class=\"tex\">");
    if (written != equations) {
        violated("HTML with MathML: equations",
                 std::to_string(equations) + " in the model, " + std::to_string(written) + " on the page");
    }
    for (auto const& message : said) {
        checkMessage("MathML warning", message);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    std::string_view const text(reinterpret_cast<char const*>(data), size);
    richmarkup::host::Conversion const conversion = host().convert(text, "fuzz.json");
    for (auto const& diagnostic : conversion.diagnostics) {
        checkMessage("diagnostic", diagnostic.toString());
    }
    if (conversion.nodes.empty()) {
        return 0;
    }
    std::vector<Run> const runs = runsOf(conversion.nodes);

    for (bool const fragment : {false, true}) {
        std::vector<WriterWarning> warnings;
        HtmlWriter::Options options;
        options.fragment = fragment;
        if (auto title = HtmlWriter::firstHeadingText(conversion.nodes)) {
            options.title = std::move(*title); // as the tool titles a page
        }
        options.onWarning = [&](WriterWarning const& warning) { warnings.push_back(warning); };
        checkHtml(fragment ? "HTML fragment" : "HTML page", HtmlWriter::toString(conversion.nodes, options), runs,
                  warnings);
    }

    checkMathml(conversion.nodes);

    std::vector<WriterWarning> warnings;
    MarkdownWriter::Options options;
    options.onWarning = [&](WriterWarning const& warning) { warnings.push_back(warning); };
    checkMarkdown(MarkdownWriter::toString(conversion.nodes, options), runs, warnings);
    return 0;
}

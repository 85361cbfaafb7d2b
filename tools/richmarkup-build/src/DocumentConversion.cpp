#include "DocumentConversion.hpp"

#include "InputText.hpp"
#include "OutputTarget.hpp"
#include "WarningLimit.hpp"
#include "WriterWarnings.hpp"

#include <richmarkup/host/ElementBuildError.hpp>
#include <richmarkup/host/ElementCounter.hpp>
#include <richmarkup/host/HtmlWriter.hpp>
#include <richmarkup/host/MarkdownWriter.hpp>
#include <richmarkup/host/PrintableText.hpp>
#include <richmarkup/host/SourceText.hpp>
#include <richmarkup/host/TreeWriter.hpp>

#include <document/vxzero/ModelJsonWriter.hpp>
#include <foundation/json/Parser.hpp>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace richmarkup::tool {

namespace {

class Stopwatch {
public:
    double elapsedMs() const {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};


// --title, else the first heading's text, else the first input's file name without its folder.
std::string pageTitle(ToolOptions const& options, std::vector<document::vxzero::Node> const& nodes,
                      std::string const& firstInput) {
    if (options.title) {
        return *options.title;
    }
    if (auto heading = host::HtmlWriter::firstHeadingText(nodes); heading && !heading->empty()) {
        return *heading;
    }
    return firstInput == "-" ? std::string("richmarkup document")
                             : std::filesystem::path(firstInput).filename().string();
}

// Writes to standard output or to the output target, all of it or an error.
void writeOutput(std::optional<std::string> const& output, std::ostream& out, OutputTarget::Links links,
                 std::function<void(std::ostream&)> const& write) {
    if (!output) {
        OutputTarget::writeStandardOutput(out, write);
        return;
    }
    OutputTarget(*output, out, links).write(write);
}

// Models a process leaves to the system at its end; see DocumentConversion. The list itself is
// never destroyed either: a global container would be freed before a leak checker looks, and
// the models in it would then count as lost.
std::vector<vx::zero::Model*>* modelsKeptToTheEnd = new std::vector<vx::zero::Model*>();

} // namespace

std::string displayName(std::string const& input) { return input == "-" ? std::string("<stdin>") : input; }

std::string printableName(std::string const& input) { return host::printableText(displayName(input)); }

DocumentConversion::DocumentConversion(ToolOptions const& options, HostSource host, std::ostream& out,
                                       std::ostream& err, bool keepModel, OutputTarget::Links links)
    : options_(options), host_(std::move(host)), out_(out), err_(err), keepModel_(keepModel), links_(links) {}

int DocumentConversion::run(std::vector<std::string> const& inputs, std::optional<std::string> const& output) {
    // Every input is parsed and checked first, so malformed JSON fails before anything is
    // built; then each element is converted, built and let go before the next.
    Stopwatch parseClock;
    std::vector<foundation::json::ElementStream> documents;
    std::vector<host::SourceText> texts;
    documents.reserve(inputs.size());
    texts.reserve(inputs.size());
    for (auto const& input : inputs) {
        std::optional<InputText> file;
        try {
            file.emplace(input == "-" ? InputText::readStandardInput() : InputText::read(input));
            texts.emplace_back(displayName(input), input == "-" ? std::string() : input,
                               input == "-" ? std::optional<std::string>(std::string(file->text())) : std::nullopt);
            foundation::json::Parser parser;
            documents.push_back(parser.streamAndRelease(file->writable()));
        } catch (foundation::json::ParseError const& e) {
            if (file && file->changed()) {
                err_ << "error: " << printableName(input) << ": changed while it was read\n";
                return 2;
            }
            // With the pointer of the value at fault where the text is sound JSON up to it.
            err_ << host::SourceText(displayName(input), std::string()).locate(e).toString() << '\n';
            return 2;
        }
        if (file->changed()) {
            // What was parsed is not what the file holds: nothing of it may be written.
            err_ << "error: " << printableName(input) << ": changed while it was read\n";
            return 2;
        }
    }
    counts_.parseMs = parseClock.elapsedMs();

    host::DocumentHost const& host = host_();

    // One model for all inputs, written as one document, as their concatenation. A process
    // that ends soon after lets the system take the pages back at once: freeing every node one
    // by one would cost as much as a sixth of the build. Such a model is kept to the end,
    // reachable (leak checkers stay quiet), never freed.
    std::unique_ptr<vx::zero::Model> ownModel = std::make_unique<vx::zero::Model>();
    vx::zero::Model const& model = *ownModel;
    if (keepModel_) {
        modelsKeptToTheEnd->push_back(ownModel.release());
    }
    Stopwatch buildClock;
    std::vector<document::vxzero::Node> nodes;
    std::vector<std::size_t> firstNodeOfInput;
    std::vector<WarningLimit> limits(documents.size(), WarningLimit(options_.maxWarnings));
    std::size_t strictErrors = 0;
    // The lines counting what each input's limit left out, once nothing more can be said.
    auto const summarize = [&] {
        for (std::size_t i = 0; i < limits.size(); ++i) {
            if (auto const line = limits[i].summary(printableName(inputs[i]), options_.strict)) {
                err_ << *line << '\n';
            }
        }
    };
    for (std::size_t i = 0; i < documents.size(); ++i) {
        auto& document = documents[i];
        auto& text = texts[i];
        firstNodeOfInput.push_back(nodes.size());
        try {
            host::BuildResult result = host.build(
                model, document,
                [&](host::BuildWarning const& warning) {
                    if (options_.strict) {
                        ++strictErrors;
                    } else if (options_.quiet) {
                        return;
                    }
                    if (!limits[i].admit()) {
                        return;  // counted; not even located, which is what costs
                    }
                    err_ << text.locate(warning, severity()).toString() << '\n';
                },
                [&](foundation::json::Value const& element) {
                    if (options_.stats) {
                        counts_.elements += host::ElementCounter::count(element).total;
                    }
                });
            nodes.insert(nodes.end(), std::make_move_iterator(result.nodes.begin()),
                         std::make_move_iterator(result.nodes.end()));
        } catch (host::ElementBuildError const& e) {
            summarize();
            err_ << text.locate(e).toString() << '\n';
            return 1;
        } catch (std::invalid_argument const& e) {
            // A document of the wrong shape: neither an element nor an array of them.
            summarize();
            err_ << "error: " << printableName(inputs[i]) << ": " << e.what() << '\n';
            return 2;
        }
        counts_.topLevel += document.size();
        counts_.released += document.releasedBytes();
        counts_.parsedParts += document.parts();
        // Built: its parsed Values go now, not after the writer has made its page beside them.
        foundation::json::ElementStream const done = std::move(document);
    }
    counts_.buildMs = buildClock.elapsedMs();
    counts_.nodes = model.nodeCount();
    if (strictErrors > 0) {
        summarize();
        return 1;  // --strict: every warning was an error; nothing is written
    }
    Stopwatch writeClock;
    WriterWarnings writerWarnings(nodes, firstNodeOfInput, texts, host);
    bool const written = write(nodes, inputs, output, writerWarnings);
    counts_.writeMs = writeClock.elapsedMs();
    if (!options_.quiet || options_.strict) {
        auto const admit = [&](std::size_t input) { return limits[input].admit(); };
        for (auto const& warning : writerWarnings.locate(severity(), admit)) {
            err_ << warning.diagnostic.toString() << '\n';
        }
    }
    summarize();
    return written ? 0 : 1;
}

host::Diagnostic::Severity DocumentConversion::severity() const noexcept {
    return options_.strict ? host::Diagnostic::Severity::Error : host::Diagnostic::Severity::Warning;
}

bool DocumentConversion::write(std::vector<document::vxzero::Node> const& nodes,
                               std::vector<std::string> const& inputs, std::optional<std::string> const& output,
                               WriterWarnings& warnings) {
    // Writers that may report: with --strict a report means nothing is written, so the page is
    // made in memory first and written only when the writer had nothing to say.
    auto const writeChecked = [&](std::function<void(std::ostream&)> const& writer) {
        if (!options_.strict) {
            writeOutput(output, out_, links_, writer);
            return true;
        }
        std::ostringstream page;
        writer(page);
        if (!warnings.empty()) {
            return false;
        }
        writeOutput(output, out_, links_, [&](std::ostream& out) { out << page.rdbuf(); });
        return true;
    };
    switch (options_.format) {
    case OutputFormat::Tree:
        writeOutput(output, out_, links_, [&](std::ostream& out) { host::TreeWriter::write(out, nodes); });
        break;
    case OutputFormat::Json: {
        document::vxzero::ModelJsonWriter::Options json;
        json.pretty = !options_.compact;
        writeOutput(output, out_, links_, [&](std::ostream& out) {
            document::vxzero::ModelJsonWriter::write(out, nodes, json);
            if (options_.compact) {
                out << '\n';  // one document a line, as jq -c writes
            }
        });
        break;
    }
    case OutputFormat::Html: {
        host::HtmlWriter::Options html;
        html.title = pageTitle(options_, nodes, inputs.front());
        html.fragment = options_.fragment;
        html.stylesheet = options_.css;
        html.onWarning = warnings.handler();
        return writeChecked([&](std::ostream& out) { host::HtmlWriter::write(out, nodes, html); });
    }
    case OutputFormat::Markdown: {
        host::MarkdownWriter::Options markdown;
        markdown.onWarning = warnings.handler();
        return writeChecked([&](std::ostream& out) { host::MarkdownWriter::write(out, nodes, markdown); });
    }
    case OutputFormat::None:
        break;
    }
    return true;
}

} // namespace richmarkup::tool

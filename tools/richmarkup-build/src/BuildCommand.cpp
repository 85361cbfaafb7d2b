#include "BuildCommand.hpp"
#include "InputText.hpp"
#include "LargeHeap.hpp"

#include "OutputTarget.hpp"

#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/host/ElementBuildError.hpp>
#include <richmarkup/host/ElementCounter.hpp>
#include <richmarkup/host/HostError.hpp>
#include <richmarkup/host/HtmlWriter.hpp>
#include <richmarkup/host/MarkdownWriter.hpp>
#include <richmarkup/host/RecordCounter.hpp>
#include <richmarkup/host/RecordFileSink.hpp>
#include <richmarkup/host/SourceText.hpp>
#include <richmarkup/host/TreeWriter.hpp>

#include <document/vxzero/ModelJsonWriter.hpp>
#include <foundation/json/Parser.hpp>
#include <richmarkup/shared/logging/Logger.hpp>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

namespace richmarkup::tool {

namespace {

constexpr unsigned builderRecordLevel = 8;

class Stopwatch {
public:
    double elapsedMs() const {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

std::string readStandardInput() {
    std::string text;
    char buffer[1 << 16];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
        text.append(buffer, n);
    }
    if (std::ferror(stdin)) {
        throw std::runtime_error(std::string("cannot read standard input: ") + std::strerror(errno));
    }
    return text;
}

// Read in pieces rather than by size, so that pipes and process substitutions work as inputs too.
// Where the log records go while the tool runs, and the counter --stats reads.
class Logging {
public:
    Logging(ToolOptions const& options, std::ostream& err) {
        if (options.stats) {
            counter_.emplace();
        }
        if (!options.log) {
            return;
        }
        std::ostream* target = &err;
        if (*options.log != "-") {
            file_.open(*options.log, std::ios::binary | std::ios::trunc);
            if (!file_) {
                throw std::runtime_error("cannot write " + *options.log + ": " + std::strerror(errno));
            }
            target = &file_;
        }
        sink_.emplace(*target);
        richmarkup::shared::logging::getLogger().enable(builderRecordLevel);
    }
    ~Logging() { richmarkup::shared::logging::getLogger().disable(builderRecordLevel); }
    Logging(Logging const&) = delete;
    Logging& operator=(Logging const&) = delete;

    bool enabled() const noexcept { return sink_.has_value(); }
    std::size_t records() const noexcept { return counter_ ? counter_->count() : 0; }

private:
    std::ofstream file_;  // declared first: the sink writing to it goes before it closes
    std::optional<host::RecordCounter> counter_;
    std::optional<host::RecordFileSink> sink_;
};

// Writes the output to standard output or to the --output target, all of it or an error.
void writeOutput(ToolOptions const& options, std::ostream& out,
                 std::function<void(std::ostream&)> const& write) {
    if (!options.output) {
        OutputTarget::writeStandardOutput(out, write);
        return;
    }
    OutputTarget(*options.output, out).write(write);
}

std::string displayName(std::string const& input) { return input == "-" ? std::string("<stdin>") : input; }


// --title, else the first heading's text, else the first input's file name without its folder.
std::string pageTitle(ToolOptions const& options, std::vector<document::vxzero::Node> const& nodes) {
    if (options.title) {
        return *options.title;
    }
    if (auto heading = host::HtmlWriter::firstHeadingText(nodes); heading && !heading->empty()) {
        return *heading;
    }
    std::string const& input = options.inputs.front();
    return input == "-" ? std::string("richmarkup document") : std::filesystem::path(input).filename().string();
}

host::HostOptions hostOptionsOf(ToolOptions const& options) {
    host::HostOptions hostOptions;
    hostOptions.codeElements = options.codeElements;
    hostOptions.extraBundles = options.bundles;
    hostOptions.declarativeServicesBundle = options.declarativeServicesBundle;
    return hostOptions;
}

// The last model built; see buildDocument.
vx::zero::Model* modelKeptToTheEnd = nullptr;

} // namespace

BuildCommand::BuildCommand(ToolOptions options, std::ostream& out, std::ostream& err)
    : options_(std::move(options)), out_(out), err_(err) {}

int BuildCommand::run() {
    try {
        return options_.listBuilders ? listBuilders() : buildDocument();
    } catch (std::exception const& e) {
        // Whatever is left is about the surroundings: files, the host's start.
        err_ << "error: " << e.what() << '\n';
        return 2;
    }
}

int BuildCommand::listBuilders() {
    host::DocumentHost const host(hostOptionsOf(options_));
    std::vector<host::BuilderInfo> const builders = host.listBuilders();
    writeOutput(options_, out_, [&](std::ostream& out) {
        for (auto const& builder : builders) {
            out << builder.interfaceName << '\t' << builder.testId.value_or("-") << '\t'
                << builder.componentName << '\n';
        }
    });
    return 0;
}

int BuildCommand::buildDocument() {
    Logging logging(options_, err_);

    // Every input is parsed and checked first, so malformed JSON fails before anything is
    // built; then each element is converted, built and let go before the next.
    Stopwatch parseClock;
    std::vector<foundation::json::ElementStream> documents;
    std::vector<host::SourceText> texts;
    documents.reserve(options_.inputs.size());
    texts.reserve(options_.inputs.size());
    for (auto const& input : options_.inputs) {
        try {
            foundation::json::Parser parser;
            if (input == "-") {
                std::string text = readStandardInput();
                texts.emplace_back(displayName(input), std::string(), text);
                documents.push_back(parser.streamAndRelease(std::move(text)));
            } else {
                texts.emplace_back(input, input);
                InputText const file = InputText::read(input);
                documents.push_back(parser.streamAndRelease(file.text(), file.readableBeyondEnd()));
            }
        } catch (foundation::json::ParseError const& e) {
            err_ << "error: " << displayName(input) << ':' << e.line() << ':' << e.column() << ": " << e.reason()
                 << '\n';
            return 2;
        }
    }
    double const parseMs = parseClock.elapsedMs();

    host::DocumentHost const host(hostOptionsOf(options_));

    // One model for all inputs, written as one document, as their concatenation. The process
    // ends soon after this call, and the system takes the pages back at once: freeing every node
    // one by one would cost as much as a sixth of the build. So the model is kept to the end,
    // reachable (leak checkers stay quiet), never freed.
    modelKeptToTheEnd = new vx::zero::Model();
    vx::zero::Model const& model = *modelKeptToTheEnd;
    Stopwatch buildClock;
    std::vector<document::vxzero::Node> nodes;
    std::size_t elements = 0;
    std::size_t topLevel = 0;
    std::size_t released = 0;
    std::size_t strictErrors = 0;
    for (std::size_t i = 0; i < documents.size(); ++i) {
        std::string const name = displayName(options_.inputs[i]);
        auto& document = documents[i];
        auto& text = texts[i];
        try {
            host::BuildResult result = host.build(
                model, document,
                [&](host::BuildWarning const& warning) {
                    if (options_.strict) {
                        ++strictErrors;
                    } else if (options_.quiet) {
                        return;
                    }
                    using Severity = host::Diagnostic::Severity;
                    err_ << text.locate(warning, options_.strict ? Severity::Error : Severity::Warning).toString()
                         << '\n';
                },
                [&](foundation::json::Value const& element) {
                    if (options_.stats) {
                        elements += host::ElementCounter::count(element).total;
                    }
                });
            nodes.insert(nodes.end(), std::make_move_iterator(result.nodes.begin()),
                         std::make_move_iterator(result.nodes.end()));
        } catch (host::ElementBuildError const& e) {
            err_ << text.locate(e).toString() << '\n';
            return 1;
        } catch (std::invalid_argument const& e) {
            // A document of the wrong shape: neither an element nor an array of them.
            err_ << "error: " << name << ": " << e.what() << '\n';
            return 2;
        }
        topLevel += document.size();
        released += document.releasedBytes();
    }
    double const buildMs = buildClock.elapsedMs();
    if (strictErrors > 0) {
        return 1;  // --strict: every warning was an error; nothing is written
    }

    Stopwatch writeClock;
    switch (options_.format) {
    case OutputFormat::Tree:
        writeOutput(options_, out_, [&](std::ostream& out) { host::TreeWriter::write(out, nodes); });
        break;
    case OutputFormat::Json: {
        document::vxzero::ModelJsonWriter::Options json;
        json.pretty = !options_.compact;
        writeOutput(options_, out_,
                    [&](std::ostream& out) {
                        document::vxzero::ModelJsonWriter::write(out, nodes, json);
                        if (options_.compact) {
                            out << '\n';  // one document a line, as jq -c writes
                        }
                    });
        break;
    }
    case OutputFormat::Html: {
        host::HtmlWriter::Options html;
        html.title = pageTitle(options_, nodes);
        html.fragment = options_.fragment;
        html.stylesheet = options_.css;
        writeOutput(options_, out_, [&](std::ostream& out) { host::HtmlWriter::write(out, nodes, html); });
        break;
    }
    case OutputFormat::Markdown:
        writeOutput(options_, out_, [&](std::ostream& out) { host::MarkdownWriter::write(out, nodes); });
        break;
    case OutputFormat::None:
        break;
    }
    double const writeMs = writeClock.elapsedMs();

    if (options_.stats) {
        std::ostringstream stats;
        stats << std::fixed << std::setprecision(3);
        stats << "stats: elements: " << topLevel << " top-level, " << elements << " in total\n"
              << "stats: nodes: " << model.nodeCount() << '\n'
              << "stats: records: " << logging.records()
              << (logging.enabled() ? "" : " (level 8 is off; --log turns it on)") << '\n'
              << "stats: read+parse: " << parseMs << " ms\n"
              << "stats: build: " << buildMs << " ms (the elements' conversion included)\n"
              << "stats: released while building: " << released / 1024 << " KiB of the parsed document\n"
              << "stats: write: " << writeMs << " ms\n"
              << "stats: huge pages: " << (LargeHeap::requested() ? "requested" : "not requested") << '\n';
        err_ << stats.str();
    }
    return 0;
}

} // namespace richmarkup::tool

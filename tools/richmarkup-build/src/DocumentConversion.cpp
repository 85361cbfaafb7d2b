#include "DocumentConversion.hpp"

#include "ElementCounter.hpp"
#include "ForeignInput.hpp"
#include "InputText.hpp"
#include "OutputTarget.hpp"
#include "WarningLimit.hpp"

#include <richmarkup/formats/PrintableText.hpp>

#include <chrono>
#include <memory>
#include <sstream>

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

std::string printableName(std::string const& input) { return formats::text::printableText(displayName(input)); }

DocumentConversion::DocumentConversion(ToolOptions const& options, HostSource host, std::ostream& out,
                                       std::ostream& err, bool keepModel, OutputTarget::Links links)
    : options_(options), host_(std::move(host)), out_(out), err_(err), keepModel_(keepModel), links_(links) {}

int DocumentConversion::run(std::vector<std::string> const& inputs, std::optional<std::string> const& output) {
    host::WarningPolicy const& policy = options_.warnings;
    std::vector<WarningLimit> limits(inputs.size(), WarningLimit(options_.maxWarnings));
    // The lines counting what each input's limit left out, once nothing more can be said.
    auto const summarize = [&] {
        for (std::size_t i = 0; i < limits.size(); ++i) {
            if (auto const line = limits[i].summary(printableName(inputs[i]), policy.strict)) {
                err_ << *line << '\n';
            }
        }
    };
    // Each input's limit counts the build's warnings and the writer's alike.
    auto const admit = [&](std::size_t input) { return limits[input].admit(); };
    host::ConversionOptions conversionOptions;
    conversionOptions.warnings = policy;
    conversionOptions.admitWarning = admit;
    conversionOptions.onWarning = [&](std::size_t, host::Diagnostic const& warning) {
        err_ << warning.toString() << '\n';
    };
    if (options_.stats) {
        conversionOptions.onElement = [&](foundation::json::Value const& element) {
            counts_.elements += ElementCounter::count(element).total;
        };
    }
    host::ConversionPipeline pipeline(std::move(conversionOptions));

    Stopwatch parseClock;
    for (auto const& input : inputs) {
        InputChoice const choice = options_.reader.value_or(InputFormats::forPath(input));
        if (choice.format != InputFormat::RichText) {
            try {
                // Only an AST pandoc made has no lines worth showing; its pointers place things.
                bool const lines = choice.format != InputFormat::ThroughPandoc;
                pipeline.add(readForeign(input, choice, options_.pandoc), displayName(input), lines);
            } catch (ForeignInputError const& e) {
                err_ << "error: " << e.what() << '\n';
                return 2;
            }
            continue;
        }
        InputText file = input == "-" ? InputText::readStandardInput() : InputText::read(input);
        // Standard input cannot be read again to locate a diagnostic: its text is kept.
        std::optional<std::string> kept;
        if (input == "-") {
            kept.emplace(file.text());
        }
        auto const malformed =
            pipeline.add(file.writable(), displayName(input), input == "-" ? std::string() : input, std::move(kept));
        if (file.changed()) {
            // What was parsed is not what the file holds: nothing of it may be written.
            err_ << "error: " << printableName(input) << ": changed while it was read\n";
            return 2;
        }
        if (malformed) {
            // With the pointer of the value at fault where the text is sound JSON up to it.
            err_ << malformed->toString() << '\n';
            return 2;
        }
    }
    counts_.parseMs = parseClock.elapsedMs();

    host::DocumentHost const& host = host_();
    Stopwatch buildClock;
    host::Conversion conversion = pipeline.run(host);
    // A process that ends soon after lets the system take the pages back at once: freeing every
    // node one by one would cost as much as a sixth of the build. Such a model is kept to the
    // end, reachable (leak checkers stay quiet), never freed.
    if (keepModel_) {
        modelsKeptToTheEnd->push_back(conversion.model.release());
    }
    counts_.buildMs = buildClock.elapsedMs();
    counts_.built = pipeline.counts();
    switch (pipeline.failure()) {
    case host::ConversionPipeline::Failure::None: break;
    case host::ConversionPipeline::Failure::NotADocument: {
        host::Diagnostic const& error = conversion.diagnostics.back();
        summarize();
        err_ << "error: " << formats::text::printableText(error.file) << ": " << error.message << '\n';
        return 2;
    }
    case host::ConversionPipeline::Failure::BuildError:
        summarize();
        err_ << conversion.diagnostics.back().toString() << '\n';
        return 1;
    case host::ConversionPipeline::Failure::StrictWarnings:
        summarize();
        return 1; // every warning was an error; nothing is written
    }

    Stopwatch writeClock;
    host::WriterWarnings writerWarnings(conversion.nodes, pipeline, host);
    bool const written = write(conversion.nodes, inputs, output, writerWarnings);
    counts_.writeMs = writeClock.elapsedMs();
    if (policy.reports()) {
        for (auto const& warning : writerWarnings.locate(policy.severity(), admit)) {
            err_ << warning.diagnostic.toString() << '\n';
        }
        // What pandoc says of the whole page; the output is the place it concerns.
        std::string const where = output && *output != "-" ? printableName(*output) + ": " : std::string();
        for (auto const& warning : programWarnings_) {
            err_ << (policy.strict ? "error: " : "warning: ") << where << formats::text::printableText(warning) << '\n';
        }
    }
    summarize();
    return written ? 0 : 1;
}

bool DocumentConversion::write(std::vector<document::vxzero::Node> const& nodes, std::vector<std::string> const& inputs,
                               std::optional<std::string> const& output, host::WriterWarnings& warnings) {
    OutputFormat const& format = *options_.format;
    if (format.write == nullptr) {
        return true;
    }
    // Quiet and not strict, nothing a writer says is shown or counted: the writer is spared
    // saying it (a page may have a warning for every run of text).
    formats::WriterWarningHandler onWarning;
    if (options_.warnings.reports()) {
        onWarning = warnings.handler();
    }
    Page const page{nodes, options_, inputs.front(), std::move(onWarning),
                    [this](std::string const& warning) { programWarnings_.push_back(warning); }};
    auto const writePage = [&](std::ostream& out) { format.write(out, page); };
    if (!options_.warnings.strict || !format.mayWarn) {
        writeOutput(output, out_, links_, writePage);
        return true;
    }
    // With --strict a report means nothing is written: the page is made in memory first and
    // written only when the writer had nothing to say.
    std::stringstream memory; // read back below: an ostringstream's buffer cannot be
    writePage(memory);
    if (!warnings.empty() || !programWarnings_.empty()) {
        return false;
    }
    writeOutput(output, out_, links_, [&](std::ostream& out) { out << memory.rdbuf(); });
    return true;
}

} // namespace richmarkup::tool

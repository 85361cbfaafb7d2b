#include "BuildCommand.hpp"
#include "BatchCommand.hpp"
#include "DocumentConversion.hpp"
#include "FileIdentity.hpp"
#include "LargeHeap.hpp"
#include "OutputTarget.hpp"

#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/formats/PrintableText.hpp>
#include <richmarkup/shared/logging/RecordCounter.hpp>
#include <richmarkup/shared/logging/RecordFileSink.hpp>
#include <richmarkup/shared/logging/Logger.hpp>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace richmarkup::tool {

namespace {

using richmarkup::shared::logging::builderRecordLevel;

// Where the log records go while the tool runs, and the counter --stats reads. The log file is
// opened only once the inputs are read (start), so that an input that fails leaves an old log
// as it was.
class Logging {
public:
    Logging(ToolOptions const& options, std::ostream& err) : options_(options), err_(err) {
        if (options.stats) {
            counter_.emplace();
        }
    }
    ~Logging() {
        if (sink_) {
            richmarkup::shared::logging::getLogger().disable(builderRecordLevel);
        }
    }
    Logging(Logging const&) = delete;
    Logging& operator=(Logging const&) = delete;

    void start() {
        if (!options_.log || sink_) {
            return;
        }
        std::ostream* target = &err_;
        if (*options_.log != "-") {
            file_.open(*options_.log, std::ios::binary | std::ios::trunc);
            if (!file_) {
                throw std::runtime_error("cannot write " + formats::text::printableText(*options_.log) + ": " +
                                         std::strerror(errno));
            }
            target = &file_;
        }
        sink_.emplace(*target);
        richmarkup::shared::logging::getLogger().enable(builderRecordLevel);
    }

    bool enabled() const noexcept { return sink_.has_value(); }
    std::size_t records() const noexcept { return counter_ ? counter_->count() : 0; }

private:
    ToolOptions const& options_;
    std::ostream& err_;
    std::ofstream file_; // declared before the sink: the sink writing to it goes before it closes
    std::optional<richmarkup::shared::logging::RecordCounter> counter_;
    std::optional<richmarkup::shared::logging::RecordFileSink> sink_;
};

// An output or log that is also an input would replace it (or, for the log, empty it before it
// is read): refused before anything is opened for writing, whichever way the paths are spelt.
std::optional<std::string> clashOf(ToolOptions const& options) {
    auto const writesOver = [&](std::string const& path) -> std::optional<std::string> {
        auto const target = FileIdentity::of(path);
        if (!target) {
            return std::nullopt; // nothing there yet: no input either
        }
        for (auto const& input : options.inputs) {
            if (FileIdentity::of(input) == target) {
                return input == "-" ? std::string("standard input") : formats::text::printableText(input);
            }
        }
        return std::nullopt;
    };
    bool const outputIsFile =
        options.output && *options.output != "-" && !OutputTarget::descriptorNamed(*options.output);
    if (outputIsFile) {
        if (auto const input = writesOver(*options.output)) {
            return "the output " + formats::text::printableText(*options.output) + " is the input " + *input +
                   ": it would be replaced; write to another file";
        }
    }
    bool const logIsFile = options.log && *options.log != "-" && !OutputTarget::descriptorNamed(*options.log);
    if (logIsFile) {
        if (auto const input = writesOver(*options.log)) {
            return "the log " + formats::text::printableText(*options.log) + " is the input " + *input +
                   ": it would be emptied; choose another --log file";
        }
        if (outputIsFile && FileIdentity::samePlace(*options.log, *options.output)) {
            return "the log " + formats::text::printableText(*options.log) +
                   " is also the output; choose another --log file";
        }
    }
    return std::nullopt;
}

host::HostOptions hostOptionsOf(ToolOptions const& options) {
    host::HostOptions hostOptions;
    hostOptions.codeElements = options.codeElements;
    hostOptions.extraBundles = options.bundles;
    hostOptions.declarativeServicesBundle = options.declarativeServicesBundle;
    // The heap grows in steps worth mapping ahead only once the tool has restarted with glibc's
    // tunables for a large input.
    hostOptions.performance.heapAhead = LargeHeap::requested();
    return hostOptions;
}

} // namespace

bool BuildCommand::anyInputReadable() const {
    for (auto const& input : options_.inputs) {
        if (input == "-" || ::access(input.c_str(), R_OK) == 0) {
            return true;
        }
    }
    return false;
}

BuildCommand::BuildCommand(ToolOptions options, std::ostream& out, std::ostream& err, bool errIsTerminal)
    : options_(std::move(options)), out_(out), err_(err), errIsTerminal_(errIsTerminal) {}

int BuildCommand::run() {
    try {
        if (auto const clash = clashOf(options_)) {
            err_ << "error: " << *clash << '\n';
            return 2;
        }
        if (options_.listBuilders) {
            return listBuilders();
        }
        if (options_.from == InputFormat::JsonLines || options_.outputDir) {
            return buildBatch();
        }
        return buildDocument();
    } catch (std::exception const& e) {
        // Whatever is left is about the surroundings: files, the host's start.
        err_ << "error: " << e.what() << '\n';
        return 2;
    }
}

int BuildCommand::listBuilders() {
    host::DocumentHost const host(hostOptionsOf(options_));
    std::vector<host::BuilderInfo> const builders = host.listBuilders();
    auto const list = [&](std::ostream& out) {
        for (auto const& builder : builders) {
            out << builder.interfaceName << '\t' << builder.testId.value_or("-") << '\t' << builder.componentName
                << '\n';
        }
    };
    if (options_.output) {
        OutputTarget(*options_.output, out_).write(list);
    } else {
        OutputTarget::writeStandardOutput(out_, list);
    }
    return 0;
}

int BuildCommand::buildBatch() {
    Logging logging(options_, err_);
    if (anyInputReadable()) {
        logging.start();
    }
    host::HostOptions hostOptions = hostOptionsOf(options_);
    // With several jobs documents are built on every core at once already: a document reading
    // ahead on another thread would only take a core from a neighbour.
    hostOptions.performance.readAhead = options_.jobs <= 1;
    host::DocumentHost const host(hostOptions);
    return BatchCommand(options_, host, out_, err_, errIsTerminal_).run();
}

int BuildCommand::buildDocument() {
    Logging logging(options_, err_);
    // The host starts once the inputs are parsed: malformed JSON fails before anything starts.
    std::optional<host::DocumentHost> host;
    DocumentConversion conversion(
        options_,
        [&]() -> host::DocumentHost const& {
            if (!host) {
                logging.start();
                host.emplace(hostOptionsOf(options_));
            }
            return *host;
        },
        out_, err_, true);
    int const status = conversion.run(options_.inputs, options_.output);
    if (status == 0 && options_.stats) {
        auto const& counts = conversion.counts();
        std::ostringstream stats;
        stats << std::fixed << std::setprecision(3);
        stats << "stats: elements: " << counts.built.topLevel << " top-level, " << counts.elements << " in total\n"
              << "stats: nodes: " << counts.built.nodes << '\n'
              << "stats: records: " << logging.records()
              << (logging.enabled() ? "" : " (level 8 is off; --log turns it on)") << '\n'
              << "stats: read+parse: " << counts.parseMs << " ms (" << counts.built.parsedParts << " parsed "
              << (counts.built.parsedParts == 1 ? "part" : "parts") << ")\n"
              << "stats: build: " << counts.buildMs << " ms (the elements' conversion included)\n"
              << "stats: released while building: " << counts.built.releasedBytes / 1024
              << " KiB of the parsed document\n"
              << "stats: write: " << counts.writeMs << " ms\n"
              << "stats: huge pages: " << (LargeHeap::requested() ? "requested" : "not requested") << '\n';
        err_ << stats.str();
    }
    return status;
}

} // namespace richmarkup::tool

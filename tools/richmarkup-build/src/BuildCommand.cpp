#include "BuildCommand.hpp"
#include "BatchCommand.hpp"
#include "DocumentConversion.hpp"
#include "LargeHeap.hpp"
#include "OutputTarget.hpp"

#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/host/RecordCounter.hpp>
#include <richmarkup/host/RecordFileSink.hpp>
#include <richmarkup/shared/logging/Logger.hpp>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace richmarkup::tool {

namespace {

constexpr unsigned builderRecordLevel = 8;

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





host::HostOptions hostOptionsOf(ToolOptions const& options) {
    host::HostOptions hostOptions;
    hostOptions.codeElements = options.codeElements;
    hostOptions.extraBundles = options.bundles;
    hostOptions.declarativeServicesBundle = options.declarativeServicesBundle;
    return hostOptions;
}


} // namespace

BuildCommand::BuildCommand(ToolOptions options, std::ostream& out, std::ostream& err, bool errIsTerminal)
    : options_(std::move(options)), out_(out), err_(err), errIsTerminal_(errIsTerminal) {}

int BuildCommand::run() {
    try {
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
            out << builder.interfaceName << '\t' << builder.testId.value_or("-") << '\t'
                << builder.componentName << '\n';
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
    host::DocumentHost const host(hostOptionsOf(options_));
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
        stats << "stats: elements: " << counts.topLevel << " top-level, " << counts.elements << " in total\n"
              << "stats: nodes: " << counts.nodes << '\n'
              << "stats: records: " << logging.records()
              << (logging.enabled() ? "" : " (level 8 is off; --log turns it on)") << '\n'
              << "stats: read+parse: " << counts.parseMs << " ms (" << counts.parsedParts << " parsed "
              << (counts.parsedParts == 1 ? "part" : "parts") << ")\n"
              << "stats: build: " << counts.buildMs << " ms (the elements' conversion included)\n"
              << "stats: released while building: " << counts.released / 1024 << " KiB of the parsed document\n"
              << "stats: write: " << counts.writeMs << " ms\n"
              << "stats: huge pages: " << (LargeHeap::requested() ? "requested" : "not requested") << '\n';
        err_ << stats.str();
    }
    return status;
}

} // namespace richmarkup::tool

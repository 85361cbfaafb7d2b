#include "BatchCommand.hpp"

#include "DocumentConversion.hpp"
#include "InputError.hpp"
#include "LineReader.hpp"
#include "OrderedWork.hpp"
#include "OutputTarget.hpp"
#include "Progress.hpp"
#include "WarningLimit.hpp"

#include <richmarkup/formats/PrintableText.hpp>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iomanip>
#include <map>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace richmarkup::tool {

namespace {

namespace fs = std::filesystem;

bool blank(std::string const& line) { return line.find_first_not_of(" \t") == std::string::npos; }

// Jobs given but not yet written, per thread: enough to keep every thread busy while the
// front waits for a slow document, few enough that a long stream needs no more memory than a
// short one.
constexpr std::size_t kWindowPerThread = 4;
// A chunk of lines for one thread: a few dozen documents, or fewer large ones.
constexpr std::size_t kChunkLines = 32;
constexpr std::size_t kChunkBytes = 1 << 20;
// Files of one document each, at most, for one thread at a time.
constexpr std::size_t kFilesPerJob = 8;

// A chunk's outcomes, and its lines given back to the reading thread: it reads the next lines
// into their buffers. Freed on a worker instead, each line would go back to the reader's heap
// under that heap's lock while the reader takes memory from it.
struct ChunkResult {
    std::vector<Outcome> outcomes;
    std::vector<std::string> lines;
};

} // namespace

BatchCommand::BatchCommand(ToolOptions const& options, host::DocumentHost const& host, std::ostream& out,
                           std::ostream& err, bool errIsTerminal)
    : options_(options), host_(host), out_(out), err_(err), errIsTerminal_(errIsTerminal),
      lines_(host, options.warnings,
             options.format->writeLine != nullptr ? host::LineConverter::LineWriter(options.format->writeLine)
                                                  : host::LineConverter::LineWriter()) {}

int BatchCommand::run() {
    if (options_.outputDir) {
        return convertEach();
    }
    Totals totals;
    auto const start = std::chrono::steady_clock::now();
    auto const write = [&](std::ostream& out) { convertLines(options_.inputs, out, totals); };
    if (options_.format->writeLine == nullptr) {
        std::ostringstream none;
        write(none);
    } else if (options_.output) {
        OutputTarget(*options_.output, out_).write(write);
    } else {
        OutputTarget::writeStandardOutput(out_, write);
    }
    if (options_.stats) {
        double const seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::ostringstream stats;
        stats << std::fixed << std::setprecision(1) << "stats: documents: " << totals.documents << " (" << totals.failed
              << " failed) in " << std::setprecision(3) << seconds << " s with " << options_.jobs
              << (options_.jobs == 1 ? " thread" : " threads") << ": " << std::setprecision(1)
              << static_cast<double>(totals.documents) / seconds << " documents/s, "
              << static_cast<double>(totals.bytes) / 1e6 / seconds << " MB/s\n";
        err_ << stats.str();
    }
    return totals.failed > 0 ? 1 : 0;
}

Outcome BatchCommand::unreadable(std::string const& why, std::size_t input) {
    Outcome outcome;
    outcome.messages = "error: " + why + "\n";
    outcome.input = input;
    outcome.failed = true;
    outcome.status = 1;
    return outcome;
}

Outcome BatchCommand::convertLine(std::string const& text, std::string const& name, std::size_t number) const {
    host::LineOutcome converted = lines_.convert(text, name, number);
    Outcome outcome;
    outcome.failed = converted.failed;
    outcome.output = std::move(converted.line);
    for (auto const& diagnostic : converted.diagnostics) {
        // Under --strict warnings are errors, still as many and as limited; so is the build's own.
        if (diagnostic.severity == host::Diagnostic::Severity::Error && !options_.warnings.strict) {
            outcome.messages += diagnostic.toString();
            outcome.messages += '\n';
        } else {
            outcome.warnings.push_back(diagnostic.toString());
        }
    }
    return outcome;
}

void BatchCommand::convertLines(std::vector<std::string> const& inputs, std::ostream& out, Totals& totals) {
    Progress progress(err_, errIsTerminal_);
    bool const writeLines = options_.format->writeLine != nullptr;
    // Warnings are limited per input, in input order, whichever thread located them.
    std::size_t shownInput = 0;
    WarningLimit limit(options_.maxWarnings);
    auto const summarize = [&] {
        if (auto const line = limit.summary(printableName(inputs[shownInput]), options_.warnings.strict)) {
            progress.clear();
            err_ << *line << '\n' << std::flush;
        }
    };
    std::vector<std::string> spare; // line buffers back from the threads
    std::size_t const spareLimit = options_.jobs * kWindowPerThread * kChunkLines;
    OrderedWork<ChunkResult> work(options_.jobs, options_.jobs * kWindowPerThread, [&](ChunkResult& result) {
        for (auto& line : result.lines) {
            if (spare.size() < spareLimit && line.capacity() <= kChunkBytes) {
                spare.push_back(std::move(line));
            }
        }
        for (auto const& outcome : result.outcomes) {
            if (outcome.input != shownInput) {
                summarize();
                shownInput = outcome.input;
                limit = WarningLimit(options_.maxWarnings);
            }
            std::string shown;
            for (auto const& warning : outcome.warnings) {
                if (limit.admit()) {
                    shown += warning;
                    shown += '\n';
                }
            }
            shown += outcome.messages;
            if (!shown.empty()) {
                progress.clear();
                err_ << shown << std::flush;
            }
            if (writeLines && !outcome.output.empty()) {
                out << outcome.output << '\n';
            }
            ++totals.documents;
            totals.failed += outcome.failed ? 1 : 0;
            progress.done(outcome.failed);
        }
    });
    // Consecutive lines go to a thread together: one hand-over per chunk instead of per line,
    // since most documents of a stream take less time than waking a thread.
    struct Chunk {
        std::vector<std::string> lines;
        std::vector<std::size_t> numbers;
        std::size_t bytes = 0;
    };
    Chunk chunk;
    std::size_t chunkInput = 0;
    auto const flush = [&] {
        if (chunk.lines.empty()) {
            return;
        }
        work.submit(
            [this, input = chunkInput, name = displayName(inputs[chunkInput]), chunk = std::move(chunk)]() mutable {
                ChunkResult result;
                result.outcomes.reserve(chunk.lines.size());
                for (std::size_t i = 0; i < chunk.lines.size(); ++i) {
                    result.outcomes.push_back(convertLine(chunk.lines[i], name, chunk.numbers[i]));
                    result.outcomes.back().input = input;
                }
                result.lines = std::move(chunk.lines);
                return result;
            });
        chunk = Chunk();
    };
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        chunkInput = i;
        std::optional<LineReader> reader;
        try {
            reader.emplace(inputs[i]);
        } catch (InputError const& e) {
            // One input missing: reported in its place, and the others still converted.
            work.submit([e, i] { return ChunkResult{{unreadable(e.what(), i)}, {}}; });
            continue;
        }
        std::string line;
        std::size_t number = 0;
        while (reader->next(line, number)) {
            if (blank(line)) {
                continue; // no document: nothing to write for it
            }
            totals.bytes += line.size() + 1;
            chunk.bytes += line.size();
            chunk.numbers.push_back(number);
            chunk.lines.push_back(std::move(line));
            if (!spare.empty()) {
                line = std::move(spare.back());
                spare.pop_back();
            }
            if (chunk.lines.size() == kChunkLines || chunk.bytes >= kChunkBytes) {
                flush();
            }
            if (reader->cut()) {
                // Its error goes out now: passing the rest of that line may take long, or forever.
                flush();
                work.finish();
                out.flush();
            }
        }
        flush(); // a chunk holds the lines of one input: its name goes with it
    }
    work.finish();
    summarize();
}

Outcome BatchCommand::convertFile(std::string const& input) const {
    Outcome outcome;
    std::ostringstream messages;
    try {
        DocumentConversion conversion(
            options_, [this]() -> host::DocumentHost const& { return host_; }, out_, messages, false,
            OutputTarget::Links::Replace);
        // A document that is malformed or fails to build is that document's failure (1), as
        // in JSON Lines; 2 is for what ends the batch's use: its outputs.
        outcome.status = std::min(conversion.run({input}, outputPathOf(input)), 1);
    } catch (InputError const& e) {
        messages << "error: " << e.what() << '\n';
        outcome.status = 1;
    } catch (std::exception const& e) {
        messages << "error: " << e.what() << '\n';
        outcome.status = 2;
    }
    outcome.messages = messages.str();
    return outcome;
}

std::string BatchCommand::outputPathOf(std::string const& input) const {
    OutputFormat const& format = *options_.format;
    std::string extension;
    if (options_.from == InputFormat::JsonLines) {
        extension = "." + std::string(format.linesExtension);
    } else if (!format.extensions.empty()) {
        extension = "." + std::string(format.extensions.front());
    } else if (!options_.pandocTo.empty()) {
        extension = "." + options_.pandocTo; // a format only pandoc knows: by its name
    }
    return (fs::path(*options_.outputDir) / fs::path(input).stem()).string() + extension;
}

int BatchCommand::convertEach() {
    std::error_code error;
    fs::create_directories(*options_.outputDir, error);
    if (error || !fs::is_directory(*options_.outputDir)) {
        err_ << "error: cannot write " << formats::text::printableText(*options_.outputDir) << ": "
             << (error ? error.message() : std::string("it is not a folder")) << '\n';
        return 2;
    }
    // Every output is planned before anything is written: two inputs of one name, or an
    // output that is its own input, are refused whole.
    std::map<std::string, std::string> planned;
    for (auto const& input : options_.inputs) {
        std::string const path = outputPathOf(input);
        if (auto [it, fresh] = planned.emplace(path, input); !fresh) {
            err_ << "error: " << formats::text::printableText(it->second) << " and "
                 << formats::text::printableText(input) << " would both be written to "
                 << formats::text::printableText(path) << '\n';
            return 2;
        }
        if (fs::equivalent(input, path, error)) {
            err_ << "error: " << formats::text::printableText(input)
                 << " would be written over by its own output; choose another --output-dir\n";
            return 2;
        }
    }

    int worst = 0;
    if (options_.from == InputFormat::JsonLines) {
        // Each input's lines are built on every thread; the inputs one after the other.
        for (auto const& input : options_.inputs) {
            Totals totals;
            try {
                LineReader const readable(input); // a missing input makes no output file
                OutputTarget(outputPathOf(input), out_, OutputTarget::Links::Replace).write([&](std::ostream& out) {
                    convertLines({input}, out, totals);
                });
            } catch (InputError const& e) {
                err_ << "error: " << e.what() << '\n';
                worst = std::max(worst, 1);
                continue;
            } catch (std::exception const& e) {
                err_ << "error: " << e.what() << '\n';
                worst = 2;
                continue;
            }
            worst = std::max(worst, totals.failed > 0 ? 1 : 0);
        }
        return worst;
    }
    Progress progress(err_, errIsTerminal_);
    OrderedWork<std::vector<Outcome>> work(std::min(options_.jobs, options_.inputs.size()), options_.jobs * 2,
                                           [&](std::vector<Outcome>& outcomes) {
                                               for (auto const& outcome : outcomes) {
                                                   if (!outcome.messages.empty()) {
                                                       progress.clear();
                                                       err_ << outcome.messages << std::flush;
                                                   }
                                                   worst = std::max(worst, outcome.status);
                                                   progress.done(outcome.status != 0);
                                               }
                                           });
    // Small files go to a thread a few at a time: one hand-over per file cost more than the
    // file's conversion. Few inputs go one at a time, so that every thread gets some.
    std::size_t const perJob =
        std::clamp<std::size_t>(options_.inputs.size() / (options_.jobs * kWindowPerThread), 1, kFilesPerJob);
    std::vector<std::string> files;
    std::uintmax_t filesBytes = 0;
    auto const flush = [&] {
        if (files.empty()) {
            return;
        }
        work.submit([this, files = std::move(files)] {
            std::vector<Outcome> outcomes;
            outcomes.reserve(files.size());
            for (auto const& input : files) {
                outcomes.push_back(convertFile(input));
            }
            return outcomes;
        });
        files.clear();
        filesBytes = 0;
    };
    for (auto const& input : options_.inputs) {
        std::error_code sizeError;
        std::uintmax_t const size = fs::file_size(input, sizeError);
        files.push_back(input);
        filesBytes += sizeError ? 0 : size;
        if (files.size() >= perJob || filesBytes >= kChunkBytes) {
            flush();
        }
    }
    flush();
    work.finish();
    return worst;
}

} // namespace richmarkup::tool

// richmarkup_bench: the cost of each phase of building a generated document, at three sizes,
// measured in one run so that the ratios between phases compare like with like.
//
//   richmarkup_bench [google benchmark flags]   the phases; a summary of ratios follows
//   richmarkup_bench --peak-memory FILE          peak resident memory of one build of FILE
//   richmarkup_bench --end-to-end FILE [--reps N] text to model of FILE, warm, medians as one JSON line
//   richmarkup_bench --writers [--units N] [--reps N] [--writer NAME...]  each writer (or the ones named) on a
//                                                model of N and of 10N units
//   --no-read-ahead (with any of the above)     one thread: no conversion ahead on a second core
#include "AllocationCount.hpp"
#include "BenchHost.hpp"
#include "LineFileSink.hpp"

#include "RecordWriter.hpp"
#include "ServiceLookup.hpp"

#include <richmarkup/bench/DocumentGenerator.hpp>

#include <document/vxzero/ModelJsonWriter.hpp>
#include <document/vxzero/Node.hpp>
#include <richmarkup/formats/HtmlWriter.hpp>
#include <richmarkup/formats/MarkdownWriter.hpp>
#include <richmarkup/formats/PandocWriter.hpp>
#include <richmarkup/formats/RichTextWriter.hpp>
#include <richmarkup/formats/TreeWriter.hpp>
#include <foundation/json/Parser.hpp>
#include <foundation/json/ReadAheadStream.hpp>
#include <richmarkup/shared/logging/RecordCounter.hpp>
#include <richmarkup/shared/logging/Logger.hpp>
#include <vx/zero/Model.hpp>

#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using richmarkup::bench::allocationCount;
using richmarkup::bench::BenchHost;
using richmarkup::bench::LineFileSink;

// 1x: a few hundred kilobytes; 10x and 100x repeat the same mix of units.
constexpr std::size_t kUnitsAt1x = 500;
constexpr unsigned kDebugLevel = foundation::log::level::debug;

BenchHost* host = nullptr;
std::string outputDir = ".";

double seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

std::size_t peakRssBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024; // Linux reports kilobytes
}

void setLogging(bool on) {
    auto& logger = richmarkup::shared::logging::getLogger();
    if (on) {
        logger.enable(kDebugLevel);
    } else {
        logger.setMask(0);
    }
}

struct Document {
    std::size_t spare() const noexcept { return text.capacity() - text.size(); }

    std::size_t multiple = 0;
    std::string text;
    simdjson::padded_string padded;
    foundation::json::Value value;
    std::size_t nodes = 0;   // model nodes of one build
    std::size_t records = 0; // records of one build with level 8 on
};

void buildOnce(Document const& doc, std::size_t* nodes) {
    vx::zero::Model model;
    std::vector<document::vxzero::Node> built;
    host->build(model, doc.value, built);
    if (nodes != nullptr) {
        *nodes = model.nodeCount();
    }
}

Document& documentAt(std::size_t multiple) {
    static std::map<std::size_t, std::unique_ptr<Document>> cache;
    auto& slot = cache[multiple];
    if (!slot) {
        auto doc = std::make_unique<Document>();
        doc->multiple = multiple;
        doc->text = richmarkup::bench::DocumentGenerator(1).document(kUnitsAt1x * multiple);
        // Read in place, as the tool reads its files and as simdjson reads its padded copy.
        doc->text.reserve(doc->text.size() + foundation::json::kPadding);
        doc->padded = simdjson::padded_string(doc->text);
        doc->value = foundation::json::parse(doc->text);
        setLogging(false);
        buildOnce(*doc, &doc->nodes);
        {
            richmarkup::shared::logging::RecordCounter counter;
            setLogging(true);
            buildOnce(*doc, nullptr);
            setLogging(false);
            doc->records = counter.count();
        }
        slot = std::move(doc);
    }
    return *slot;
}

// Counters of a document phase, from the measured time alone (rates of Google Benchmark
// divide by CPU time, which would include the untimed teardown).
void documentCounters(benchmark::State& state, Document const& doc, double timed, std::size_t allocs) {
    double const iterations = static_cast<double>(state.iterations());
    double const nodes = static_cast<double>(doc.nodes);
    state.counters["nodes"] = nodes;
    state.counters["bytes"] = static_cast<double>(doc.text.size());
    state.counters["nodes/s"] = timed > 0 ? nodes * iterations / timed : 0;
    state.counters["bytes/s"] = timed > 0 ? static_cast<double>(doc.text.size()) * iterations / timed : 0;
    state.counters["ns/node"] = timed * 1e9 / (iterations * nodes);
    state.counters["allocs/node"] = static_cast<double>(allocs) / (iterations * nodes);
    state.counters["peakRSS"] = benchmark::Counter(static_cast<double>(peakRssBytes()), benchmark::Counter::kDefaults,
                                                   benchmark::Counter::kIs1024);
}

// The baseline: a warm simdjson DOM parse of the same bytes, buffers allocated beforehand.
void domParse(benchmark::State& state) {
    Document const& doc = documentAt(static_cast<std::size_t>(state.range(0)));
    simdjson::dom::parser parser;
    if (parser.allocate(doc.padded.size()) != simdjson::SUCCESS) {
        state.SkipWithError("simdjson cannot allocate");
        return;
    }
    simdjson::dom::element root;
    if (parser.parse(doc.padded).get(root) != simdjson::SUCCESS) {
        state.SkipWithError("simdjson rejects the document");
        return;
    }
    double timed = 0;
    std::size_t const allocsBefore = allocationCount();
    for (auto _ : state) {
        auto const t0 = Clock::now();
        auto const error = parser.parse(doc.padded).get(root);
        benchmark::DoNotOptimize(root);
        auto const t1 = Clock::now();
        if (error != simdjson::SUCCESS) {
            state.SkipWithError(simdjson::error_message(error));
            return;
        }
        state.SetIterationTime(seconds(t0, t1));
        timed += seconds(t0, t1);
    }
    documentCounters(state, doc, timed, allocationCount() - allocsBefore);
}

// Text to foundation::json::Value with a warm parser; the value is freed untimed.
void textToValue(benchmark::State& state) {
    Document const& doc = documentAt(static_cast<std::size_t>(state.range(0)));
    foundation::json::Parser parser;
    (void)parser.parse(doc.text, doc.spare());
    double timed = 0;
    std::size_t allocs = 0;
    for (auto _ : state) {
        std::size_t const a0 = allocationCount();
        auto const t0 = Clock::now();
        foundation::json::Value value = parser.parse(doc.text, doc.spare());
        benchmark::DoNotOptimize(value);
        auto const t1 = Clock::now();
        allocs += allocationCount() - a0;
        state.SetIterationTime(seconds(t0, t1));
        timed += seconds(t0, t1);
    }
    documentCounters(state, doc, timed, allocs);
}

// Value to finished model, logging off; the model is freed untimed.
void valueToModel(benchmark::State& state) {
    Document const& doc = documentAt(static_cast<std::size_t>(state.range(0)));
    setLogging(false);
    double timed = 0;
    std::size_t allocs = 0;
    std::vector<document::vxzero::Node> nodes;
    nodes.reserve(doc.value.size());
    for (auto _ : state) {
        std::size_t const a0 = allocationCount();
        auto const t0 = Clock::now();
        auto model = std::make_unique<vx::zero::Model>();
        host->build(*model, doc.value, nodes);
        auto const t1 = Clock::now();
        allocs += allocationCount() - a0;
        state.SetIterationTime(seconds(t0, t1));
        timed += seconds(t0, t1);
        nodes.clear();
        model.reset();
    }
    documentCounters(state, doc, timed, allocs);
}

// Text to finished model, as the tool does it: the whole text parsed and checked, then each
// top-level element converted, built and let go (`streamed`); or, for comparison, the whole
// tree of Values first and the build after it.
void endToEnd(benchmark::State& state, bool logged, bool streamed) {
    // The text is given as writable, as the tool gives its mapped files: a large one is then
    // parsed in two parts at once, and left as it was.
    Document& doc = documentAt(static_cast<std::size_t>(state.range(0)));
    foundation::json::WritableText const text{doc.text.data(), doc.text.size(), doc.spare()};
    std::unique_ptr<LineFileSink> sink;
    if (logged) {
        sink = std::make_unique<LineFileSink>(outputDir + "/richmarkup_bench_records.log");
    }
    setLogging(logged);
    foundation::json::Parser parser;
    if (streamed) {
        (void)parser.stream(text); // warm: the parser's buffers sized for this document
    } else {
        (void)parser.parse(doc.text, doc.spare());
    }
    double timed = 0;
    double teardown = 0;
    std::size_t allocs = 0;
    std::vector<document::vxzero::Node> nodes;
    nodes.reserve(doc.value.size());
    for (auto _ : state) {
        if (sink) {
            sink->rewind();
        }
        std::size_t const a0 = allocationCount();
        auto const t0 = Clock::now();
        auto model = std::make_unique<vx::zero::Model>();
        std::unique_ptr<foundation::json::Value> value;
        if (streamed) {
            foundation::json::ElementStream stream = parser.stream(text);
            host->build(*model, stream, nodes);
        } else {
            value = std::make_unique<foundation::json::Value>(parser.parse(doc.text, doc.spare()));
            host->build(*model, *value, nodes);
        }
        auto const t1 = Clock::now();
        allocs += allocationCount() - a0;
        state.SetIterationTime(seconds(t0, t1));
        timed += seconds(t0, t1);
        // Freeing is no part of reaching the finished model; it is shown on its own.
        value.reset();
        nodes.clear();
        model.reset();
        teardown += seconds(t1, Clock::now());
    }
    setLogging(false);
    documentCounters(state, doc, timed, allocs);
    state.counters["teardown_ms"] = teardown * 1e3 / static_cast<double>(state.iterations());
    if (logged) {
        state.counters["records"] = static_cast<double>(doc.records);
        state.counters["ns/record"] =
            timed * 1e9 / (static_cast<double>(state.iterations()) * static_cast<double>(doc.records));
    }
}

// One record through the shared logger to a file sink, against the same line written with
// a plain buffered write to the same kind of file. Both start over every 2^20 lines.
constexpr std::size_t kRewindEvery = std::size_t(1) << 20;
constexpr char const* kLiteralLine = "Checking if can build RichTextNode";
std::u16string const kTypeName = u"document::vxzero::RichTextParagraphNode";
constexpr char const* kComposedLine = "The document::vxzero::RichTextParagraphNode now has 3 children";

void recordToFile(benchmark::State& state) {
    bool const composed = state.range(0) != 0;
    LineFileSink sink(outputDir + "/richmarkup_bench_record.log");
    setLogging(true);
    std::size_t n = 0;
    unsigned long long const count = 3;
    for (auto _ : state) {
        if (composed) {
            richmarkup::build::json::text::RecordWriter::write(
                [&](auto& s) { s << "The " << kTypeName << " now has " << count << " children"; });
        } else {
            richmarkup::build::json::text::RecordWriter::write(kLiteralLine);
        }
        if (++n % kRewindEvery == 0) {
            sink.rewind();
        }
    }
    setLogging(false);
    state.counters["lines"] = static_cast<double>(n);
}

void plainWrite(benchmark::State& state) {
    std::string line = state.range(0) != 0 ? kComposedLine : kLiteralLine;
    line.push_back('\n');
    std::ofstream out(outputDir + "/richmarkup_bench_plain.log", std::ios::binary | std::ios::trunc);
    std::size_t n = 0;
    for (auto _ : state) {
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
        if (++n % kRewindEvery == 0) {
            out.flush();
            out.seekp(0);
        }
    }
    benchmark::DoNotOptimize(out.tellp());
}

// The lookup the table cell builder makes at every cell, and the registry query under it.
void cellLookup(benchmark::State& state) {
    std::size_t const a0 = allocationCount();
    std::size_t found = 0;
    for (auto _ : state) {
        auto const services = richmarkup::build::json::text::lookUpServices<richmarkup::build::json::NodeBuilder>();
        found = services.size();
        benchmark::DoNotOptimize(services.data());
    }
    state.counters["services"] = static_cast<double>(found);
    state.counters["allocs/call"] =
        static_cast<double>(allocationCount() - a0) / static_cast<double>(state.iterations());
}

void getServiceReferences(benchmark::State& state) {
    auto context = host->framework()->GetBundleContext();
    std::size_t const a0 = allocationCount();
    std::size_t found = 0;
    for (auto _ : state) {
        auto const references = context.GetServiceReferences<richmarkup::build::json::NodeBuilder>();
        found = references.size();
        benchmark::DoNotOptimize(references.data());
    }
    state.counters["references"] = static_cast<double>(found);
    state.counters["allocs/call"] =
        static_cast<double>(allocationCount() - a0) / static_cast<double>(state.iterations());
}

void registerAll() {
    for (auto* b :
         {benchmark::RegisterBenchmark("dom_parse_simdjson", domParse),
          benchmark::RegisterBenchmark("text_to_value", textToValue),
          benchmark::RegisterBenchmark("value_to_model", valueToModel),
          benchmark::RegisterBenchmark("end_to_end", [](benchmark::State& s) { endToEnd(s, false, true); }),
          benchmark::RegisterBenchmark("end_to_end_tree", [](benchmark::State& s) { endToEnd(s, false, false); }),
          benchmark::RegisterBenchmark("end_to_end_logged", [](benchmark::State& s) { endToEnd(s, true, true); })}) {
        b->Arg(1)->Arg(10)->Arg(100)->UseManualTime()->Unit(benchmark::kMillisecond);
    }
    for (auto* b : {benchmark::RegisterBenchmark("record_to_file", recordToFile),
                    benchmark::RegisterBenchmark("plain_buffered_write", plainWrite)}) {
        b->Arg(0)->Arg(1)->Unit(benchmark::kNanosecond);
    }
    benchmark::RegisterBenchmark("cell_lookup", cellLookup)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("get_service_references", getServiceReferences)->Unit(benchmark::kNanosecond);
}

std::string fixed(double value, int decimals = 1) {
    if (value < 0) {
        return "-";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Collects the medians (or the single runs) and prints the ratios the targets are stated in.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(std::vector<Run> const& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (Run const& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            std::string const key = run.run_name.function_name + "/" + run.run_name.args;
            double const ns = run.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            Entry& entry = entries_[key];
            std::map<std::string, double> counters;
            for (auto const& [name, counter] : run.counters) {
                counters[name] = counter.value;
            }
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") {
                    entry.medianNs = ns;
                    entry.medianCounters = counters;
                    repetitions_[key] = static_cast<std::size_t>(run.repetitions);
                }
            } else {
                entry.ns.push_back(ns);
                entry.counters.push_back(counters);
                ++repetitions_[key];
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        printSummary(std::cout);
    }

private:
    struct Entry {
        std::vector<double> ns;
        std::vector<std::map<std::string, double>> counters;
        double medianNs = -1;
        std::map<std::string, double> medianCounters;
    };

    static double median(std::vector<double> v) {
        if (v.empty()) {
            return -1;
        }
        std::sort(v.begin(), v.end());
        std::size_t const mid = v.size() / 2;
        return v.size() % 2 == 1 ? v[mid] : (v[mid - 1] + v[mid]) / 2;
    }

    bool has(std::string const& key) const { return entries_.count(key) != 0; }

    double time(std::string const& key) const {
        auto it = entries_.find(key);
        if (it == entries_.end()) {
            return -1;
        }
        return it->second.medianNs >= 0 ? it->second.medianNs : median(it->second.ns);
    }

    double counter(std::string const& key, std::string const& name) const {
        auto it = entries_.find(key);
        if (it == entries_.end()) {
            return -1;
        }
        if (it->second.medianNs >= 0) {
            auto c = it->second.medianCounters.find(name);
            return c == it->second.medianCounters.end() ? -1 : c->second;
        }
        std::vector<double> values;
        for (auto const& counters : it->second.counters) {
            if (auto c = counters.find(name); c != counters.end()) {
                values.push_back(c->second);
            }
        }
        return median(values);
    }

    void printSummary(std::ostream& out) const {
        std::size_t runs = 0;
        for (auto const& [key, count] : repetitions_) {
            runs = std::max(runs, count);
        }
        out << "\n## Summary (" << (runs > 1 ? "median of " + std::to_string(runs) + " repetitions" : "single runs")
            << ")\n\n";
        out << "| size | units | MB | nodes | DOM parse ms | text→Value ms | Value→model ms | end to end ms "
               "| e2e / DOM | whole tree first: e2e ms | / DOM | text→Value share | Value→model share | ns/node | MB/s "
               "| Mnodes/s |\n";
        out << "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n";
        for (int m : {1, 10, 100}) {
            std::string const arg = "/" + std::to_string(m);
            if (!has("end_to_end" + arg)) {
                continue;
            }
            double const dom = time("dom_parse_simdjson" + arg);
            double const parse = time("text_to_value" + arg);
            double const build = time("value_to_model" + arg);
            double const e2e = time("end_to_end" + arg);
            double const tree = time("end_to_end_tree" + arg);
            double const bytes = counter("end_to_end" + arg, "bytes");
            double const nodes = counter("end_to_end" + arg, "nodes");
            out << "| " << m << "x | " << kUnitsAt1x * static_cast<std::size_t>(m) << " | " << fixed(bytes / 1e6, 2)
                << " | " << fixed(nodes, 0) << " | " << fixed(dom / 1e6, 3) << " | " << fixed(parse / 1e6, 3) << " | "
                << fixed(build / 1e6, 3) << " | " << fixed(e2e / 1e6, 3) << " | "
                << (dom > 0 ? fixed(e2e / dom, 2) : "-") << " | " << (tree > 0 ? fixed(tree / 1e6, 3) : "-") << " | "
                << (dom > 0 && tree > 0 ? fixed(tree / dom, 2) : "-") << " | "
                << (parse > 0 ? fixed(100 * parse / e2e, 1) + "%" : "-") << " | "
                << (build > 0 ? fixed(100 * build / e2e, 1) + "%" : "-") << " | " << fixed(e2e / nodes, 1) << " | "
                << fixed(bytes / (e2e / 1e9) / 1e6, 1) << " | " << fixed(nodes / (e2e / 1e9) / 1e6, 2) << " |\n";
        }

        double const perNode1 = time("end_to_end/1") / counter("end_to_end/1", "nodes");
        double const perNode100 = time("end_to_end/100") / counter("end_to_end/100", "nodes");
        if (has("end_to_end/1") && has("end_to_end/100")) {
            out << "\nLinearity: ns/node at 100x / at 1x = " << fixed(perNode100, 1) << " / " << fixed(perNode1, 1)
                << " = " << fixed(perNode100 / perNode1, 3) << " (target <= 1.25)\n";
        }
        out << "\n| size | logged e2e ms | records | logged / unlogged | ns per record in the build |\n"
               "|---|---|---|---|---|\n";
        for (int m : {1, 10, 100}) {
            std::string const arg = "/" + std::to_string(m);
            if (!has("end_to_end_logged" + arg)) {
                continue;
            }
            double const logged = time("end_to_end_logged" + arg);
            double const plain = time("end_to_end" + arg);
            double const records = counter("end_to_end_logged" + arg, "records");
            out << "| " << m << "x | " << fixed(logged / 1e6, 3) << " | " << fixed(records, 0) << " | "
                << (plain > 0 ? fixed(logged / plain, 2) : "-") << " | "
                << (plain > 0 ? fixed((logged - plain) / records, 1) : "-") << " |\n";
        }
        for (auto const& [arg, what] : {std::pair<char const*, char const*>{"/0", "a literal line"},
                                        {"/1", "a composed line (UTF-16 type name, count)"}}) {
            double const record = time(std::string("record_to_file") + arg);
            double const plain = time(std::string("plain_buffered_write") + arg);
            if (record > 0 && plain > 0) {
                out << "\nOne record of " << what << ": " << fixed(record, 1)
                    << " ns; the same line written plainly: " << fixed(plain, 1) << " ns; ratio "
                    << fixed(record / plain, 2) << " (target <= 10)";
            }
        }
        if (has("cell_lookup/")) {
            out << "\n\nCell lookup (every block builder, as the table cell builder asks): "
                << fixed(time("cell_lookup/"), 1) << " ns, " << fixed(counter("cell_lookup/", "allocs/call"), 2)
                << " allocations per call for " << fixed(counter("cell_lookup/", "services"), 0) << " services";
        }
        if (has("get_service_references/")) {
            out << "\nGetServiceReferences: " << fixed(time("get_service_references/"), 1) << " ns, "
                << fixed(counter("get_service_references/", "allocs/call"), 2) << " allocations per call";
        }
        out << "\nPeak RSS of this process: " << fixed(static_cast<double>(peakRssBytes()) / 1e6, 1) << " MB\n";
    }

    std::map<std::string, Entry> entries_;
    std::map<std::string, std::size_t> repetitions_;
};

// One build of a file in a fresh process: read, parse, build, as the tool does.
int peakMemory(char const* path) {
    std::size_t const before = peakRssBytes();
    auto const t0 = Clock::now();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "richmarkup_bench: cannot read " << path << ": " << std::strerror(errno) << "\n";
        return 1;
    }
    // Read and parsed as the tool does: one allocation with the parser's padding, and the
    // text freed once the parser has read it.
    in.seekg(0, std::ios::end);
    std::size_t const size = static_cast<std::size_t>(in.tellg());
    in.seekg(0, std::ios::beg);
    std::string text;
    text.reserve(size + foundation::json::kPadding);
    text.resize(size);
    in.read(text.data(), static_cast<std::streamsize>(size));
    std::size_t nodes = 0;
    {
        vx::zero::Model model;
        std::vector<document::vxzero::Node> built;
        {
            foundation::json::ElementStream stream = foundation::json::Parser().streamAndRelease(std::move(text));
            host->build(model, stream, built);
        }
        nodes = model.nodeCount();
    }
    auto const t1 = Clock::now();
    std::size_t const peak = peakRssBytes();
    std::cout << "document: " << path << ", " << fixed(static_cast<double>(size) / 1e6) << " MB, " << nodes
              << " nodes, built in " << seconds(t0, t1) << " s\n"
              << "peak RSS: " << fixed(static_cast<double>(peak) / 1e6) << " MB ("
              << fixed(static_cast<double>(before) / 1e6) << " MB before reading the document)\n"
              << "peak RSS / document size: " << static_cast<double>(peak) / static_cast<double>(size)
              << " (target <= 5); growth / size: " << static_cast<double>(peak - before) / static_cast<double>(size)
              << "\n";
    return 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The in-process figures of one file, as the peer benchmark's script prints them for its side:
// a warm simdjson DOM parse of the bytes, and text to finished model as the tool builds it
// (parsed and checked whole, then element by element), each the median of `reps` after a
// warm-up. Model teardown is not timed.
int endToEndOfFile(char const* path, int reps) {
    std::ifstream in(path, std::ios::binary);
    if (!in || reps < 1) {
        std::cerr << "richmarkup_bench: cannot read " << path << ": " << std::strerror(errno) << "\n";
        return 1;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text.reserve(text.size() + foundation::json::kPadding);
    simdjson::padded_string const padded(text);
    simdjson::dom::parser dom;
    simdjson::dom::element root;
    foundation::json::Parser parser;
    std::vector<double> domMs;
    std::vector<double> buildMs;
    std::size_t nodes = 0;
    for (int rep = -1; rep < reps; ++rep) { // rep -1 warms up
        auto const t0 = Clock::now();
        if (dom.parse(padded).get(root) != simdjson::SUCCESS) {
            std::cerr << "richmarkup_bench: simdjson rejects " << path << "\n";
            return 1;
        }
        auto const t1 = Clock::now();
        auto model = std::make_unique<vx::zero::Model>();
        std::vector<document::vxzero::Node> built;
        foundation::json::ElementStream stream =
            parser.stream(foundation::json::WritableText{text.data(), text.size(), text.capacity() - text.size()});
        host->build(*model, stream, built);
        auto const t2 = Clock::now();
        nodes = model->nodeCount();
        if (rep >= 0) {
            domMs.push_back(seconds(t0, t1) * 1e3);
            buildMs.push_back(seconds(t1, t2) * 1e3);
        }
    }
    double const dm = median(domMs);
    double const bm = median(buildMs);
    std::cout << "{\"file\":\"" << path << "\",\"bytes\":" << text.size() << ",\"nodes\":" << nodes
              << ",\"dom_parse_ms\":" << dm << ",\"end_to_end_ms\":" << bm
              << ",\"ns_per_node\":" << bm * 1e6 / static_cast<double>(nodes)
              << ",\"end_to_end_per_dom_parse\":" << bm / dm << "}\n";
    return 0;
}

// Writers. Each writes a model built once, into a stream that only counts what it is given, as
// the tool writes through a buffered descriptor: the figures are the writer's alone.
constexpr std::size_t kWriterUnits = 3330; // about 3.1 MB of rich text; the large model is ten times it

class CountingBuffer : public std::streambuf {
public:
    std::size_t bytes() const noexcept { return bytes_ + static_cast<std::size_t>(pptr() - pbase()); }

protected:
    int_type overflow(int_type c) override {
        bytes_ += static_cast<std::size_t>(pptr() - pbase());
        setp(space_, space_ + sizeof space_);
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(char const*, std::streamsize count) override {
        bytes_ += static_cast<std::size_t>(count);
        return count;
    }

private:
    char space_[4096];
    std::size_t bytes_ = 0;
};

struct WriterCase {
    char const* name;
    void (*write)(std::ostream&, std::vector<document::vxzero::Node> const&,
                  richmarkup::formats::WriterWarningHandler const&);
};

// As the tool calls them: pretty JSON, a whole HTML page, and a handler that keeps the warnings.
WriterCase const writerCases[] = {
    {"tree",
     [](std::ostream& out, auto const& nodes, auto const&) { richmarkup::formats::TreeWriter::write(out, nodes); }},
    {"json",
     [](std::ostream& out, auto const& nodes, auto const&) {
         document::vxzero::ModelJsonWriter::write(out, nodes, document::vxzero::ModelJsonWriter::Options());
     }},
    {"html",
     [](std::ostream& out, auto const& nodes, auto const& onWarning) {
         richmarkup::formats::HtmlWriter::Options options;
         options.onWarning = onWarning;
         richmarkup::formats::HtmlWriter::write(out, nodes, options);
     }},
    {"markdown",
     [](std::ostream& out, auto const& nodes, auto const& onWarning) {
         richmarkup::formats::MarkdownWriter::Options options;
         options.onWarning = onWarning;
         richmarkup::formats::MarkdownWriter::write(out, nodes, options);
     }},
    {"richtext",
     [](std::ostream& out, auto const& nodes, auto const&) {
         richmarkup::formats::RichTextWriter::write(out, nodes, richmarkup::formats::RichTextWriter::Options());
     }},
    {"pandoc",
     [](std::ostream& out, auto const& nodes, auto const& onWarning) {
         richmarkup::formats::PandocWriter::Options options;
         options.onWarning = onWarning;
         richmarkup::formats::PandocWriter::write(out, nodes, options);
     }},
};

struct WriterTiming {
    double ms = 0; // median of the repetitions
    std::size_t bytes = 0;
    std::size_t warnings = 0;
};

struct BuiltModel {
    std::size_t units = 0;
    std::size_t inputBytes = 0;
    std::size_t nodes = 0;
    std::unique_ptr<vx::zero::Model> model = std::make_unique<vx::zero::Model>();
    std::vector<document::vxzero::Node> topLevel;
};

void buildModel(BuiltModel& built) {
    std::string const text = richmarkup::bench::DocumentGenerator(1).document(built.units);
    built.inputBytes = text.size();
    foundation::json::Value const value = foundation::json::parse(text);
    host->build(*built.model, value, built.topLevel);
    built.nodes = built.model->nodeCount();
}

// Writes over a buffer larger than the caches. A model of a few megabytes would otherwise stay
// in the cache from one run to the next and one ten times larger would not: the ratio of the
// two would measure the cache, not the writer. Each run starts as the tool's write does, after
// the build has moved on from most of the model.
void evictCaches() {
    static std::vector<char> room(64u << 20);
    static char pass = 0;
    std::memset(room.data(), ++pass, room.size());
    benchmark::DoNotOptimize(room.data());
}

// One run of the writer on the model, from a cold cache: its time in ms.
double timeWriterOnce(WriterCase const& writer, BuiltModel const& built, WriterTiming& timing) {
    std::vector<richmarkup::formats::WriterWarning> warnings;
    richmarkup::formats::WriterWarningHandler const keep = [&](richmarkup::formats::WriterWarning const& warning) {
        warnings.push_back(warning);
    };
    CountingBuffer counted;
    std::ostream out(&counted);
    evictCaches();
    auto const t0 = Clock::now();
    writer.write(out, built.topLevel, keep);
    out.flush();
    auto const t1 = Clock::now();
    timing.bytes = counted.bytes();
    timing.warnings = warnings.size();
    return seconds(t0, t1) * 1e3;
}

// The writer on both models, their runs taken in turn so that both meet the same conditions of
// a shared machine: ten of the small one's short runs to each of the large one's, a first round
// to warm up.
std::pair<WriterTiming, WriterTiming> timeWriter(WriterCase const& writer, BuiltModel const& small,
                                                 BuiltModel const& large, int reps) {
    std::pair<WriterTiming, WriterTiming> timing;
    std::vector<double> smallMs;
    std::vector<double> largeMs;
    for (int rep = -1; rep < reps; ++rep) {
        for (int i = 0; i < 10; ++i) {
            double const ms = timeWriterOnce(writer, small, timing.first);
            if (rep >= 0) {
                smallMs.push_back(ms);
            }
        }
        double const ms = timeWriterOnce(writer, large, timing.second);
        if (rep >= 0) {
            largeMs.push_back(ms);
        }
    }
    timing.first.ms = median(smallMs);
    timing.second.ms = median(largeMs);
    return timing;
}

int writers(std::size_t units, int reps, std::vector<std::string> const& only) {
    if (units < 1 || reps < 1) {
        std::cerr << "richmarkup_bench: --units and --reps need a whole number from 1\n";
        return 2;
    }
    std::vector<WriterCase> chosen;
    for (WriterCase const& writer : writerCases) {
        if (only.empty() || std::find(only.begin(), only.end(), writer.name) != only.end()) {
            chosen.push_back(writer);
        }
    }
    if (chosen.size() != (only.empty() ? std::size(writerCases) : only.size())) {
        std::cerr << "richmarkup_bench: --writer takes tree, json, html, markdown, richtext or pandoc\n";
        return 2;
    }
    BuiltModel small;
    small.units = units;
    BuiltModel large;
    large.units = units * 10;
    for (BuiltModel* built : {&small, &large}) {
        buildModel(*built);
    }
    std::map<std::string, std::pair<WriterTiming, WriterTiming>> timings;
    std::cout << "## Writers (median of " << reps << " runs at " << large.units << " units, " << 10 * reps << " at "
              << small.units << ", each from a cold cache into a stream that counts the bytes)\n\n"
              << "| writer | units | input MB | nodes | output MB | ms | ns/node | MB/s of output | warnings |\n"
              << "|---|---|---|---|---|---|---|---|---|\n";
    for (WriterCase const& writer : chosen) {
        timings[writer.name] = timeWriter(writer, small, large, reps);
        for (BuiltModel const* built : {&small, &large}) {
            WriterTiming const& timing = built == &small ? timings[writer.name].first : timings[writer.name].second;
            double const nodes = static_cast<double>(built->nodes);
            std::cout << "| " << writer.name << " | " << built->units << " | "
                      << fixed(static_cast<double>(built->inputBytes) / 1e6, 2) << " | " << built->nodes << " | "
                      << fixed(static_cast<double>(timing.bytes) / 1e6, 2) << " | " << fixed(timing.ms, 2) << " | "
                      << fixed(timing.ms * 1e6 / nodes, 1) << " | "
                      << fixed(static_cast<double>(timing.bytes) / 1e6 / (timing.ms / 1e3), 0) << " | "
                      << timing.warnings << " |" << std::endl;
        }
    }
    std::cout << "\n| writer | ms at " << small.units << " units | ms at " << large.units
              << " units | large / small (target <= 11) |\n|---|---|---|---|\n";
    bool linear = true;
    for (WriterCase const& writer : chosen) {
        auto const& [at1, at10] = timings[writer.name];
        double const ratio = at10.ms / at1.ms;
        linear = linear && ratio <= 11;
        std::cout << "| " << writer.name << " | " << fixed(at1.ms, 2) << " | " << fixed(at10.ms, 2) << " | "
                  << fixed(ratio, 2) << " |\n";
    }
    std::cout << "\nLinearity: " << (linear ? "every writer within 11x" : "NOT every writer within 11x") << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    char const* peakFile = nullptr;
    char const* endToEndFile = nullptr;
    bool writerMode = false;
    std::size_t writerUnits = kWriterUnits;
    std::vector<std::string> onlyWriters;
    int reps = 5;
    bool repetitionsGiven = false;
    auto readAhead = foundation::json::ReadAhead::WherePays;
    for (std::size_t i = 1; i < args.size();) {
        std::string const arg = args[i];
        if ((arg == "--end-to-end" || arg == "--reps") && i + 1 < args.size()) {
            if (arg == "--reps") {
                reps = std::atoi(args[i + 1]);
            } else {
                endToEndFile = args[i + 1];
            }
            args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
            continue;
        }
        if (arg == "--units" && i + 1 < args.size()) {
            writerUnits = static_cast<std::size_t>(std::strtoull(args[i + 1], nullptr, 10));
            args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
            continue;
        }
        if (arg == "--writer" && i + 1 < args.size()) {
            onlyWriters.emplace_back(args[i + 1]);
            args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
            continue;
        }
        if (arg == "--writers") {
            writerMode = true;
            args.erase(args.begin() + static_cast<long>(i));
            continue;
        }
        if (arg == "--peak-memory" && i + 1 < args.size()) {
            peakFile = args[i + 1];
            args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
            continue;
        }
        if (arg.rfind("--output-dir=", 0) == 0) {
            outputDir = arg.substr(std::strlen("--output-dir="));
            args.erase(args.begin() + static_cast<long>(i));
            continue;
        }
        if (arg == "--no-read-ahead") {
            readAhead = foundation::json::ReadAhead::Off;
            args.erase(args.begin() + static_cast<long>(i));
            continue;
        }
        repetitionsGiven = repetitionsGiven || arg.rfind("--benchmark_repetitions", 0) == 0;
        ++i;
    }

    BenchHost started(richmarkup::bench::builtBundles(), readAhead);
    host = &started;
    setLogging(false);
    if (peakFile != nullptr) {
        return peakMemory(peakFile);
    }
    if (endToEndFile != nullptr) {
        return endToEndOfFile(endToEndFile, reps);
    }
    if (writerMode) {
        return writers(writerUnits, reps, onlyWriters);
    }

    // Medians of repeated runs unless asked otherwise: single runs are too noisy to quote.
    std::string repetitions = "--benchmark_repetitions=5";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    if (!repetitionsGiven) {
        args.push_back(repetitions.data());
        args.push_back(aggregates.data());
    }
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        return 2;
    }
    registerAll();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

// richmarkup-gendoc: writes a generated rich-text document, for benchmarks and by hand.
#include <richmarkup/bench/DocumentGenerator.hpp>
#include <richmarkup/bench/ProseMirrorJson.hpp>

#include <foundation/json/Parser.hpp>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

namespace {

constexpr char const* usage =
    "usage: richmarkup-gendoc (--units N | --megabytes M) [--seed S] [--no-tables] [--out FILE]\n"
    "                         [--prosemirror FILE]\n"
    "       richmarkup-gendoc --jsonl LINES [--units N] [--seed S] [--no-tables] [--out FILE]\n"
    "  --units N      N top-level units (every tenth one a table)\n"
    "  --megabytes M  whole units until the text reaches M * 10^6 bytes (M may be fractional)\n"
    "  --seed S       the generator's seed (default 1); the same seed gives the same bytes\n"
    "  --no-tables    every tenth unit a plain paragraph instead of a table\n"
    "  --out FILE     where to write (default: standard output)\n"
    "  --prosemirror FILE  also write the same content in ProseMirror's JSON there\n"
    "  --jsonl LINES  JSON Lines: LINES documents of N units each (default 10), one a line\n";

bool writeFile(std::string const& path, std::string const& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
    }
    if (!out) {
        std::cerr << "richmarkup-gendoc: cannot write " << path << ": " << std::strerror(errno) << "\n";
        return false;
    }
    return true;
}

[[noreturn]] void fail(std::string const& message);

// One document a line, each of `units` units, written as it is made: a stream of any length
// takes no more memory than one line.
int writeLines(unsigned long long lines, unsigned long long units, unsigned long long seed,
               richmarkup::bench::DocumentGenerator::Tables tables, std::string const& outPath) {
    if (units == 0 || units > 1'000'000ull) {
        fail("--units with --jsonl must be between 1 and 1000000");
    }
    std::ofstream file;
    if (!outPath.empty()) {
        file.open(outPath, std::ios::binary | std::ios::trunc);
    }
    std::ostream& out = outPath.empty() ? std::cout : file;
    richmarkup::bench::DocumentGenerator generator(seed, tables);
    std::string line;
    for (unsigned long long i = 0; i < lines && out; ++i) {
        line = generator.document(static_cast<std::size_t>(units));
        // document() writes one unit a line; a JSON Lines document must be one line.
        for (char& c : line) {
            if (c == '\n') {
                c = ' ';
            }
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        line.push_back('\n');
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
    }
    out.flush();
    if (!out) {
        std::cerr << "richmarkup-gendoc: cannot write " << (outPath.empty() ? "<stdout>" : outPath) << ": "
                  << std::strerror(errno) << "\n";
        return 1;
    }
    return 0;
}

[[noreturn]] void fail(std::string const& message) {
    std::cerr << "richmarkup-gendoc: " << message << "\n" << usage;
    std::exit(2);
}

unsigned long long wholeNumber(char const* option, char const* text) {
    char* end = nullptr;
    errno = 0;
    unsigned long long const value = std::strtoull(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || text[0] == '-') {
        fail(std::string(option) + " needs a whole number, not \"" + text + "\"");
    }
    return value;
}

double positiveNumber(char const* option, char const* text) {
    char* end = nullptr;
    errno = 0;
    double const value = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !(value > 0) || value > 1e5) {
        fail(std::string(option) + " needs a number above 0 and at most 100000, not \"" + text + "\"");
    }
    return value;
}

} // namespace

int main(int argc, char** argv) {
    using Tables = richmarkup::bench::DocumentGenerator::Tables;
    bool haveUnits = false;
    bool haveSize = false;
    unsigned long long units = 0;
    double megabytes = 0;
    unsigned long long seed = 1;
    std::string outPath;
    std::string proseMirrorPath;
    bool haveLines = false;
    unsigned long long lines = 0;
    Tables tables = Tables::Included;
    for (int i = 1; i < argc; ++i) {
        std::string const arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << usage;
            return 0;
        }
        if (arg == "--no-tables") {
            tables = Tables::AsParagraphs;
            continue;
        }
        if (i + 1 >= argc) {
            fail("unknown option or missing value: " + arg);
        }
        char const* value = argv[++i];
        if (arg == "--units") {
            units = wholeNumber("--units", value);
            haveUnits = true;
        } else if (arg == "--megabytes") {
            megabytes = positiveNumber("--megabytes", value);
            haveSize = true;
        } else if (arg == "--seed") {
            seed = wholeNumber("--seed", value);
        } else if (arg == "--out") {
            outPath = value;
        } else if (arg == "--jsonl") {
            lines = wholeNumber("--jsonl", value);
            haveLines = true;
        } else if (arg == "--prosemirror") {
            proseMirrorPath = value;
        } else {
            fail("unknown option: " + arg);
        }
    }
    if (haveLines) {
        if (haveSize || !proseMirrorPath.empty()) {
            fail("--jsonl goes with --units only");
        }
        return writeLines(lines, haveUnits ? units : 10, seed, tables, outPath);
    }
    if (haveUnits == haveSize) {
        fail("give exactly one of --units and --megabytes");
    }
    if (haveUnits && units > 100'000'000ull) {
        fail("--units is limited to 100000000");
    }

    richmarkup::bench::DocumentGenerator generator(seed, tables);
    std::string const text = haveUnits ? generator.document(static_cast<std::size_t>(units))
                                       : generator.documentOfSize(static_cast<std::size_t>(megabytes * 1e6));
    if (!proseMirrorPath.empty() &&
        !writeFile(proseMirrorPath, richmarkup::bench::toProseMirrorJson(foundation::json::parse(text)))) {
        return 1;
    }
    if (outPath.empty()) {
        std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
        std::cout.flush();
        return std::cout ? 0 : 1;
    }
    return writeFile(outPath, text) ? 0 : 1;
}

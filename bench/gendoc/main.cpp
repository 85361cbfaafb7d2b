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
    "usage: richmarkup-gendoc (--units N | --megabytes M) [--seed S] [--out FILE] [--prosemirror FILE]\n"
    "  --units N      N top-level units (every tenth one a table)\n"
    "  --megabytes M  whole units until the text reaches M * 10^6 bytes (M may be fractional)\n"
    "  --seed S       the generator's seed (default 1); the same seed gives the same bytes\n"
    "  --out FILE     where to write (default: standard output)\n"
    "  --prosemirror FILE  also write the same content in ProseMirror's JSON there\n";

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
    bool haveUnits = false;
    bool haveSize = false;
    unsigned long long units = 0;
    double megabytes = 0;
    unsigned long long seed = 1;
    std::string outPath;
    std::string proseMirrorPath;
    for (int i = 1; i < argc; ++i) {
        std::string const arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << usage;
            return 0;
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
        } else if (arg == "--prosemirror") {
            proseMirrorPath = value;
        } else {
            fail("unknown option: " + arg);
        }
    }
    if (haveUnits == haveSize) {
        fail("give exactly one of --units and --megabytes");
    }
    if (haveUnits && units > 100'000'000ull) {
        fail("--units is limited to 100000000");
    }

    richmarkup::bench::DocumentGenerator generator(seed);
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

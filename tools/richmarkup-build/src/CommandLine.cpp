#include "CommandLine.hpp"

#include "InputFormats.hpp"
#include "OutputFormats.hpp"
#include "PandocNeeded.hpp"

#include <richmarkup/pandoc/PandocMath.hpp>

#include <richmarkup/formats/HtmlWriter.hpp>
#include <richmarkup/formats/PrintableText.hpp>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <thread>
#include <utility>

#ifndef RICHMARKUP_VERSION
#define RICHMARKUP_VERSION "unknown"
#endif

namespace richmarkup::tool {

namespace {

// More threads than this only wait on each other, and a typo must not start thousands.
constexpr std::size_t kMaxJobs = 256;

constexpr char const* exitStatuses =
    "Exit status: 0 done (warnings included); 1 a build failed, nothing written; 2 a usage, input or\n"
    "output error. A batch (-f jsonl, --output-dir) writes what did not fail and gives 1 when any\n"
    "document failed, an input that cannot be read included (the others are still converted); 2 stays\n"
    "for usage and output errors.";

// A whole number from 1 to kMaxJobs, as written (CLI11 would take "-1" as a huge unsigned).
std::optional<std::size_t> jobCount(std::string const& text) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    std::size_t const count = std::stoul(text);
    return count >= 1 && count <= kMaxJobs ? std::optional<std::size_t>(count) : std::nullopt;
}

// CLI11 words its messages over several lines at times; a usage error is one line here.
std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

// CLI11 leaves two blank lines between option groups; one reads as well.
std::string singleBlankLines(std::string text) {
    for (std::size_t at = text.find("\n\n\n"); at != std::string::npos; at = text.find("\n\n\n", at)) {
        text.erase(at, 1);
    }
    return text;
}

// --math, and for MathML its converter. The default is MathML where there is one to make it, and
// plain, said once, where there is none; asking for MathML without one is an error.
std::optional<int> chooseMath(bool given, std::string const& setting, ToolOptions& options, std::ostream& err) {
    pandoc::PandocMath const converter{Pandoc(options.pandoc)};
    // Only a page of our own HTML shows equations so: for any other format a missing converter
    // is no matter.
    bool const html = options.format->name == "html";
    std::string problem;
    auto const choice = converter.choose(given ? std::optional<std::string_view>(setting) : std::nullopt, problem);
    if (!choice) {
        err << "error: --math " << formats::text::printableText(setting) << ": " << problem << '\n';
        return 2;
    }
    using Outcome = pandoc::PandocMath::Choice::Outcome;
    if (html && (choice->outcome == Outcome::NoConverter ||
                 (choice->outcome == Outcome::FellBack && options.warnings.strict))) {
        err << "error: --math mathml needs a TeX-to-MathML converter: apt-get install " << pandoc::PandocMath::package
            << " (or choose --math katex, mathjax or plain)\n";
        return 2;
    }
    if (html && choice->outcome == Outcome::FellBack && options.warnings.reports()) {
        err << "warning: equations are written as TeX: no TeX-to-MathML converter (apt-get install "
            << pandoc::PandocMath::package << "; --math plain chooses TeX without this warning)\n";
    }
    options.math = choice->math;
    return std::nullopt;
}

} // namespace

std::optional<std::string> CommandLine::extensionOf(std::string const& path) {
    std::size_t const slash = path.rfind('/');
    std::size_t const dot = path.rfind('.');
    std::size_t const nameStart = slash == std::string::npos ? 0 : slash + 1;
    // "name." and ".hidden" have no extension, as for pandoc
    if (dot == std::string::npos || dot <= nameStart || dot + 1 == path.size()) {
        return std::nullopt;
    }
    return path.substr(dot + 1);
}

std::optional<int> CommandLine::parse(int argc, char const* const* argv, ToolOptions& options, std::ostream& out,
                                      std::ostream& err, bool standardInputIsTerminal) {
    CLI::App app("Builds rich-text JSON documents into a document model and writes the model.", "richmarkup-build");
    app.set_version_flag("-V,--version", std::string("richmarkup-build ") + RICHMARKUP_VERSION);
    app.footer(std::string(exitStatuses) + "\n\nSee richmarkup-build(1)");

    std::vector<std::string> inputs;
    std::string from;
    std::string pandocApi;
    std::string jobs;
    std::string maxWarnings;
    std::string outputDir;
    std::string to;
    std::string output;
    std::string log;
    std::string title;
    std::string css;
    std::string math;
    bool noCodeElements = false;

    // --help lists the options by purpose, in this order; within a group, in the order declared.
    app.add_option("INPUT", inputs,
                   "JSON files, built in order into one document (with --output-dir: each its own); '-' or "
                   "none: standard input");
    auto* fromOption =
        app.add_option("-f,--from", from, std::string(InputFormats::help()))->option_text("FORMAT")->group("Input");

    auto* toOption = app.add_option("-t,--to,--format", to,
                                    "Output: " + OutputFormats::namesWithAliases() +
                                        ", or any other format pandoc writes (default: by the extension of "
                                        "--output, else " +
                                        std::string(OutputFormats::fallback().name) +
                                        "); docx, odt, epub, latex, rst, pdf and the others are written by "
                                        "pandoc from the AST -t pandoc writes")
                         ->option_text("FORMAT")
                         ->group("Output");
    auto* outputOption =
        app.add_option("-o,--output", output, "Write there instead of standard output ('-': standard output)")
            ->option_text("FILE")
            ->group("Output");
    app.add_flag("-c,--compact", options.compact, "The model JSON on one line")->group("Output");
    auto* pandocApiOption = app.add_option("--pandoc-api", pandocApi,
                                           "The pandoc AST version -t pandoc writes: 1.22 (pandoc 2) or 1.23 "
                                           "(pandoc 3) (default: what the pandoc found reads, else 1.23)")
                                ->option_text("VERSION")
                                ->group("Output");

    auto* titleOption = app.add_option("--title", title,
                                       "HTML page title (default: the first heading's text, else the input's "
                                       "file name)")
                            ->option_text("TEXT")
                            ->group("HTML");
    app.add_flag("--fragment", options.fragment, "HTML: only the body's content, to embed in another page")
        ->group("HTML");
    auto* cssOption = app.add_option("--css", css, "HTML: link this stylesheet in place of the built-in one")
                          ->option_text("URL")
                          ->group("HTML");
    auto* mathOption = app.add_option("--math", math,
                                      "HTML: how equations are shown: mathml (typeset by the browser; the "
                                      "default, made by pandoc), katex[=URL] or mathjax[=URL] (typeset by that "
                                      "script; default URL: Debian's copy), or plain (their TeX)")
                           ->option_text("MODE")
                           ->group("HTML");

    auto* jobsOption = app.add_option("-j,--jobs", jobs,
                                      "Documents built at once, on as many threads, 1 to 256 (default: the "
                                      "number of cores; 1 with --log)")
                           ->option_text("N")
                           ->group("Batch");
    auto* outputDirOption = app.add_option("--output-dir", outputDir,
                                           "Each INPUT to its own output in DIR, named after it with the "
                                           "format's extension")
                                ->option_text("DIR")
                                ->group("Batch");

    app.add_flag("-q,--quiet", options.warnings.quiet, "No warnings")->group("Diagnostics");
    auto* maxWarningsOption =
        app.add_option("--max-warnings", maxWarnings,
                       "Warnings shown per input before a line that counts the rest (default: 100; 0: all)")
            ->option_text("N")
            ->group("Diagnostics");
    app.add_flag("--strict", options.warnings.strict, "Every warning is an error: exit 1, nothing written")
        ->group("Diagnostics");
    auto* logOption = app.add_option("--log", log,
                                     "Enable the builders' records (level 8), one a line, message text "
                                     "only ('-': standard error)")
                          ->option_text("FILE")
                          ->group("Diagnostics");
    app.add_flag("--stats", options.stats,
                 "Counts of elements, nodes and records, and phase timings, on standard error")
        ->group("Diagnostics");

    app.add_option("--bundle", options.bundles, "Install one more bundle (repeatable)")
        ->option_text("PATH")
        ->expected(1)
        ->allow_extra_args(false) // one path per --bundle: the input after it stays the input
        ->take_all()
        ->group("Host");
    app.add_flag("--no-code-elements", noCodeElements, "Do not install the code-element bundle")->group("Host");
    app.add_option("--ds-bundle", options.declarativeServicesBundle,
                   "The Declarative Services bundle to start first when the framework does not run it "
                   "itself (default: the one of the CppMicroServices install the tool was built with)")
        ->option_text("PATH")
        ->group("Host");
    app.add_option("--pandoc", options.pandoc, "The pandoc to run (default: pandoc on PATH)")
        ->option_text("PATH")
        ->group("Host");
    app.add_flag("--list-builders", options.listBuilders,
                 "Print the registered NodeBuilder and TextElementBuilder services, one a line: "
                 "interface, test_id or '-', component name")
        ->group("Host");

    try {
        app.parse(argc, argv);
    } catch (CLI::CallForHelp const&) {
        out << singleBlankLines(app.help());
        return 0;
    } catch (CLI::CallForVersion const& e) {
        out << e.what() << '\n';
        return 0;
    } catch (CLI::ParseError const& e) {
        err << "error: " << oneLine(e.what()) << "; see richmarkup-build --help\n";
        return 2;
    }

    if (fromOption->count() > 0) {
        InputChoice const reader = InputFormats::named(from);
        if (reader.format == InputFormat::JsonLines) {
            options.from = InputFormat::JsonLines;
        } else {
            options.reader = reader;
        }
        if (reader.format == InputFormat::ThroughPandoc) {
            // Any other name is pandoc's to read, if it knows it.
            Pandoc const pandoc(options.pandoc);
            if (!pandoc.program()) {
                err << "error: " << needsPandoc(formats::text::printableText(from), "input") << '\n';
                return 2;
            }
            if (!pandoc.reads(reader.pandocName)) {
                err << "error: unknown input format \"" << formats::text::printableText(from)
                    << "\"; choose richtext (json), jsonl (ndjson), markdown, pandoc, or a format pandoc reads "
                       "(pandoc --list-input-formats)\n";
                return 2;
            }
        }
    }
    if (!options.pandoc.empty() && !Pandoc(options.pandoc).program()) {
        err << "error: --pandoc " << formats::text::printableText(options.pandoc) << ": no such program\n";
        return 2;
    }
    if (pandocApiOption->count() > 0) {
        if (pandocApi == "1.22") {
            options.pandocApi = formats::PandocWriter::Api::V1_22;
        } else if (pandocApi == "1.23") {
            options.pandocApi = formats::PandocWriter::Api::V1_23;
        } else {
            err << "error: --pandoc-api takes 1.22 or 1.23, not \"" << formats::text::printableText(pandocApi)
                << "\"\n";
            return 2;
        }
    }
    if (maxWarningsOption->count() > 0) {
        if (maxWarnings.empty() || maxWarnings.size() > 9 ||
            maxWarnings.find_first_not_of("0123456789") != std::string::npos) {
            err << "error: --max-warnings needs a whole number (0: no limit)\n";
            return 2;
        }
        options.maxWarnings = std::stoul(maxWarnings);
    }
    if (outputOption->count() > 0) {
        if (output.empty()) {
            err << "error: --output needs a file name, or '-'\n";
            return 2;
        }
        options.output = output;
    }
    if (toOption->count() > 0) {
        OutputFormat const* format = OutputFormats::named(to);
        if (format == nullptr) {
            // Any other name is pandoc's to write, if it knows it.
            Pandoc const pandoc(options.pandoc);
            std::string const name = formats::text::printableText(to);
            if (pandoc.program() && pandoc.writes(to)) {
                format = &OutputFormats::throughPandoc();
                options.pandocTo = to;
            } else if (pandoc.program()) {
                err << "error: unknown output format \"" << name << "\"; choose " << OutputFormats::names()
                    << ", or a format pandoc writes (pandoc --list-output-formats)\n";
                return 2;
            } else {
                err << "error: unknown output format \"" << name << "\"; choose " << OutputFormats::names()
                    << " (other formats need pandoc: apt-get install pandoc)\n";
                return 2;
            }
        }
        options.format = format;
    } else if (options.from == InputFormat::JsonLines) {
        options.format = &OutputFormats::forJsonLines();
    } else if (options.output && *options.output != "-") {
        auto const extension = extensionOf(*options.output);
        // An extension it does not know is refused without -t, rather than written as a tree.
        OutputFormat const* const format = extension ? OutputFormats::withExtension(*extension) : nullptr;
        if (extension && format == nullptr) {
            err << "error: cannot tell the output format from \"." << *extension << "\"; give -t ("
                << OutputFormats::names() << ")\n";
            return 2;
        }
        options.format = format != nullptr ? format : &OutputFormats::fallback();
    }
    if (OutputFormats::needsPandoc(*options.format)) {
        if (options.pandocTo.empty()) {
            options.pandocTo = std::string(options.format->pandocName);
        }
        if (!Pandoc(options.pandoc).program()) {
            err << "error: " << needsPandoc(options.pandocTo, "output") << '\n';
            return 2;
        }
    }
    // A batch of JSON Lines is written as JSON Lines, or not at all.
    auto const writesLines = [](OutputFormat const& format) { return format.writeLine || !format.write; };
    if (options.from == InputFormat::JsonLines && !writesLines(*options.format)) {
        err << "error: -f jsonl writes JSON Lines: choose -t " << OutputFormats::names(writesLines) << '\n';
        return 2;
    }
    if (logOption->count() > 0) {
        if (log.empty()) {
            err << "error: --log needs a file name, or '-'\n";
            return 2;
        }
        options.log = log;
    }
    if (titleOption->count() > 0) {
        options.title = title;
    }
    if (cssOption->count() > 0) {
        // The page links it as it would a link in the document: the same schemes only.
        if (!formats::HtmlWriter::allowedLink(css)) {
            err << "error: --css " << formats::text::printableText(css)
                << ": not an address a page may link (http, https or a relative path)\n";
            return 2;
        }
        options.css = css;
    }
    if (auto const status = chooseMath(mathOption->count() > 0, math, options, err)) {
        return status;
    }
    if (inputs.empty()) {
        if (standardInputIsTerminal && !options.listBuilders) {
            err << "usage: richmarkup-build [OPTIONS] INPUT... (no INPUT given and standard input is a "
                   "terminal; '-' reads it; --help for more)\n";
            return 2;
        }
        inputs.push_back("-");
    }
    if (std::count(inputs.begin(), inputs.end(), "-") > 1) {
        err << "error: standard input ('-') can be read only once\n";
        return 2;
    }
    if (jobsOption->count() > 0) {
        auto const count = jobCount(jobs);
        if (!count) {
            err << "error: -j needs a whole number from 1 to " << kMaxJobs << ", not \"" << jobs << "\"\n";
            return 2;
        }
        if (options.log && *count > 1) {
            err << "error: --log needs -j 1: the records of documents built at once would interleave\n";
            return 2;
        }
        options.jobs = *count;
    } else {
        unsigned const cores = std::thread::hardware_concurrency();
        options.jobs = options.log || cores == 0 ? 1 : std::min<std::size_t>(cores, kMaxJobs);
    }
    if (outputDirOption->count() > 0) {
        if (outputDir.empty()) {
            err << "error: --output-dir needs a folder\n";
            return 2;
        }
        if (options.output) {
            err << "error: choose one of -o and --output-dir\n";
            return 2;
        }
        if (!options.format->write) {
            err << "error: --output-dir with -t " << options.format->name << " has nothing to write\n";
            return 2;
        }
        if (std::count(inputs.begin(), inputs.end(), "-") > 0) {
            err << "error: --output-dir names each output after its input; standard input ('-') has no name\n";
            return 2;
        }
        options.outputDir = outputDir;
    }
    options.inputs = std::move(inputs);
    options.codeElements = !noCodeElements;
    return std::nullopt;
}

} // namespace richmarkup::tool

#include "CommandLine.hpp"

#include <CLI/CLI.hpp>

#include <map>

#ifndef RICHMARKUP_VERSION
#define RICHMARKUP_VERSION "unknown"
#endif

namespace richmarkup::tool {

std::optional<int> CommandLine::parse(int argc, char const* const* argv, ToolOptions& options,
                                      std::ostream& out, std::ostream& err) {
    CLI::App app("Builds a rich-text JSON document into a document model and writes the model.",
                 "richmarkup-build");
    app.set_version_flag("--version", std::string("richmarkup-build ") + RICHMARKUP_VERSION);

    std::map<std::string, OutputFormat> const formats{{"tree", OutputFormat::Tree},
                                                      {"json", OutputFormat::Json},
                                                      {"html", OutputFormat::Html},
                                                      {"none", OutputFormat::None}};
    std::string output;
    std::string log;
    bool noCodeElements = false;

    app.add_option("INPUT", options.input, "A JSON file; '-' or none: standard input");
    app.add_option("-f,--format", options.format, "Output: tree, json, html or none (default tree)")
        ->transform(CLI::CheckedTransformer(formats, CLI::ignore_case))
        ->option_text("tree|json|html|none");
    auto* outputOption = app.add_option("-o,--output", output, "Write there instead of standard output")
                             ->option_text("FILE");
    auto* logOption = app.add_option("--log", log,
                                     "Enable the builders' records (level 8), one a line, message text "
                                     "only ('-': standard error)")
                          ->option_text("FILE");
    app.add_option("--bundle", options.bundles, "Install one more bundle (repeatable)")
        ->option_text("PATH")
        ->expected(1)
        ->allow_extra_args(false)  // one path per --bundle: the input after it stays the input
        ->take_all();
    app.add_flag("--no-code-elements", noCodeElements, "Do not install the code-element bundle");
    app.add_option("--ds-bundle", options.declarativeServicesBundle,
                   "The Declarative Services bundle to start first when the framework does not run it "
                   "itself (default: the one of the CppMicroServices install the tool was built with)")
        ->option_text("PATH");
    app.add_flag("--list-builders", options.listBuilders,
                 "Print the registered NodeBuilder and TextElementBuilder services, one a line: "
                 "interface, test_id or '-', component name");
    app.add_flag("--stats", options.stats,
                 "Counts of elements, nodes and records, and phase timings, on standard error");

    try {
        app.parse(argc, argv);
    } catch (CLI::CallForHelp const&) {
        out << app.help();
        return 0;
    } catch (CLI::CallForVersion const& e) {
        out << e.what() << '\n';
        return 0;
    } catch (CLI::ParseError const& e) {
        err << "error: " << e.what() << "\nRun 'richmarkup-build --help' for the options.\n";
        return 2;
    }
    if (outputOption->count() > 0) {
        if (output.empty()) {
            err << "error: --output needs a file name\n";
            return 2;
        }
        options.output = output;
    }
    if (logOption->count() > 0) {
        if (log.empty()) {
            err << "error: --log needs a file name, or '-'\n";
            return 2;
        }
        options.log = log;
    }
    options.codeElements = !noCodeElements;
    return std::nullopt;
}

} // namespace richmarkup::tool

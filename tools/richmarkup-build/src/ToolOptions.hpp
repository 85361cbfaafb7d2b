#pragma once

#include "InputFormats.hpp"
#include "OutputFormats.hpp"

#include <richmarkup/formats/HtmlMath.hpp>
#include <richmarkup/formats/PandocWriter.hpp>

#include <richmarkup/host/ConversionOptions.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace richmarkup::tool {

/// What the command line asked for.
struct ToolOptions {
    /// JSON files, "-" for standard input; built in order into one model.
    std::vector<std::string> inputs{"-"};
    /// JsonLines: a batch, each line a document; else one document (or one each with
    /// --output-dir), each input read as `reader` says.
    InputFormat from = InputFormat::RichText;
    /// -f: how every input is read; none: each by its extension.
    std::optional<InputChoice> reader;
    /// A row of OutputFormats::all().
    OutputFormat const* format = &OutputFormats::fallback();
    /// Documents built at once, each on a thread of its own with a model of its own.
    std::size_t jobs = 1;
    /// Each input to its own output in this folder, named after it.
    std::optional<std::string> outputDir;
    /// Write there instead of standard output ("-": standard output).
    std::optional<std::string> output;
    /// Write the level-8 records there ("-": standard error).
    std::optional<std::string> log;
    std::vector<std::string> bundles;
    /// Empty: the host's default.
    std::string declarativeServicesBundle;
    bool codeElements = true;
    bool listBuilders = false;
    bool stats = false;
    /// The model JSON on one line.
    bool compact = false;
    /// --strict (every warning is an error: exit 1, nothing written) and --quiet (no warnings on
    /// standard error), for the build's warnings and the writer's alike.
    host::WarningPolicy warnings;
    /// Warnings shown per input; the rest are counted in one line. 0: no limit.
    std::size_t maxWarnings = 100;
    /// HTML: the page title (default: the first heading's text, else the input's file name),
    /// only the body's content, a stylesheet to link in place of the built-in one.
    std::optional<std::string> title;
    bool fragment = false;
    std::optional<std::string> css;
    /// HTML: how equations are shown, with the converter that makes MathML.
    formats::HtmlMath math;
    /// --pandoc: the pandoc to run (empty: pandoc on PATH).
    std::string pandoc;
    /// --pandoc-api: the AST version -t pandoc writes; none: what the pandoc found reads.
    std::optional<formats::PandocWriter::Api> pandocApi;
    /// pandoc's name of the output format, for a format written through pandoc.
    std::string pandocTo;
};

} // namespace richmarkup::tool

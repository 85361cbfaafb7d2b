#pragma once

#include <richmarkup/formats/WriterWarning.hpp>

#include <document/vxzero/Node.hpp>

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace richmarkup::tool {

struct ToolOptions;

/// What a writer is given: the nodes, and what the command line said of the page.
struct Page {
    std::vector<document::vxzero::Node> const& nodes;
    ToolOptions const& options;
    /// The first input as given, which names a page that has no title of its own.
    std::string const& firstInput;
    /// Hears what the writer writes otherwise than the model holds it.
    formats::WriterWarningHandler onWarning;
    /// Hears what a writer run as another program (pandoc) says that concerns no node.
    std::function<void(std::string const&)> onProgramWarning;
};

/// One format the tool writes: the names -t takes, the extensions -o is known by, the writer.
struct OutputFormat {
    using Writer = void (*)(std::ostream& out, Page const& page);
    /// One document of a JSON Lines batch, as one line without its line break.
    using LineWriter = void (*)(std::ostream& out, std::vector<document::vxzero::Node> const& nodes);

    /// What -t takes and messages call it.
    std::string_view name;
    /// Other names -t takes, as --help lists them: pandoc's among them, so that a habit from
    /// there works here too.
    std::vector<std::string_view> aliases;
    /// Names -t takes that --help leaves out.
    std::vector<std::string_view> unlistedAliases;
    /// The extensions -o is known by, without the dot; the first names --output-dir's files.
    std::vector<std::string_view> extensions;
    /// Null: the format writes nothing, and nothing is opened for it.
    Writer write = nullptr;
    /// The writer may report what it writes otherwise than the model holds it. Under --strict
    /// a report means nothing is written, so its page is made in memory first.
    bool mayWarn = false;
    /// Writes -f jsonl's documents, one a line; null: it cannot.
    LineWriter writeLine = nullptr;
    /// --output-dir's files of JSON Lines, without the dot.
    std::string_view linesExtension;
    /// Written by pandoc from the AST: pandoc's name of the format; empty for the tool's own.
    std::string_view pandocName;
};

/// The formats the tool writes, a row each: a new format needs a row here and nothing else.
class OutputFormats {
public:
    static std::vector<OutputFormat> const& all();
    /// What is written when neither -t nor -o's extension says.
    static OutputFormat const& fallback();
    /// What -f jsonl writes when -t does not say: the first format that writes lines.
    static OutputFormat const& forJsonLines();
    /// Any other format pandoc writes (ToolOptions::pandocTo names it).
    static OutputFormat const& throughPandoc();
    /// Whether the format is written by pandoc.
    static bool needsPandoc(OutputFormat const& format);
    /// By a name or alias -t takes, in any case.
    static OutputFormat const* named(std::string const& name);
    /// By an extension -o is known by (without the dot), in any case.
    static OutputFormat const* withExtension(std::string const& extension);
    /// The names of the formats `which` takes, for a message: "tree, json, html, markdown or none".
    static std::string names(std::function<bool(OutputFormat const&)> const& which = {});
    /// Each name with its listed aliases, for --help: "tree (txt), json, ... or none".
    static std::string namesWithAliases();
};

} // namespace richmarkup::tool

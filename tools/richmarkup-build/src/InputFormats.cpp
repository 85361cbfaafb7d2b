#include "InputFormats.hpp"

#include "CommandLine.hpp"

#include <algorithm>
#include <cctype>
#include <utility>

namespace richmarkup::tool {

namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

constexpr std::pair<char const*, InputFormat> ownNames[] = {
    {"richtext", InputFormat::RichText}, {"json", InputFormat::RichText},       {"jsonl", InputFormat::JsonLines},
    {"ndjson", InputFormat::JsonLines},  {"markdown", InputFormat::Markdown},   {"md", InputFormat::Markdown},
    {"gfm", InputFormat::Markdown},      {"commonmark", InputFormat::Markdown}, {"pandoc", InputFormat::PandocAst},
};

// Extensions of the formats pandoc reads, and its name for each.
constexpr std::pair<char const*, char const*> pandocExtensions[] = {
    {"docx", "docx"},       {"odt", "odt"},     {"epub", "epub"},      {"html", "html"}, {"htm", "html"},
    {"xhtml", "html"},      {"tex", "latex"},   {"latex", "latex"},    {"rst", "rst"},   {"org", "org"},
    {"textile", "textile"}, {"rtf", "rtf"},     {"ipynb", "ipynb"},    {"fb2", "fb2"},   {"opml", "opml"},
    {"muse", "muse"},       {"dbk", "docbook"}, {"wiki", "mediawiki"},
};

constexpr char const* markdownExtensions[] = {"md", "markdown", "mdown", "mkd", "mkdn"};

} // namespace

InputChoice InputFormats::named(std::string name) {
    name = lowered(std::move(name));
    for (auto const& [known, format] : ownNames) {
        if (name == known) {
            return {format, {}};
        }
    }
    return {InputFormat::ThroughPandoc, name};
}

InputChoice InputFormats::forPath(std::string const& path) {
    auto const extension = CommandLine::extensionOf(path);
    if (!extension || path == "-") {
        return {};
    }
    std::string const key = lowered(*extension);
    for (char const* markdown : markdownExtensions) {
        if (key == markdown) {
            return {InputFormat::Markdown, {}};
        }
    }
    for (auto const& [known, pandocName] : pandocExtensions) {
        if (key == known) {
            return {InputFormat::ThroughPandoc, pandocName};
        }
    }
    return {};
}

std::string_view InputFormats::help() {
    return "Input format: richtext or json (one element or an array of them); jsonl or ndjson (JSON Lines: "
           "one such document a line, written as one line of model JSON each); markdown (also md, gfm, "
           "commonmark: CommonMark with GitHub's tables); pandoc (pandoc's JSON AST); or any format pandoc "
           "reads (docx, odt, epub, html, latex, rst, ...), through pandoc (default: by each input's "
           "extension, else richtext)";
}

std::string InputFormats::nameOf(InputChoice const& choice) {
    switch (choice.format) {
    case InputFormat::RichText: return "richtext";
    case InputFormat::JsonLines: return "jsonl";
    case InputFormat::Markdown: return "markdown";
    case InputFormat::PandocAst: return "pandoc";
    case InputFormat::ThroughPandoc: return choice.pandocName;
    }
    return {};
}

} // namespace richmarkup::tool

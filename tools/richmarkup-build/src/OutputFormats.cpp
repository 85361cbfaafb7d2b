#include "OutputFormats.hpp"

#include "ToolOptions.hpp"

#include <richmarkup/formats/HtmlWriter.hpp>
#include <richmarkup/formats/MarkdownWriter.hpp>
#include <richmarkup/formats/TreeWriter.hpp>

#include <document/vxzero/ModelJsonWriter.hpp>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>

namespace richmarkup::tool {

namespace {

void writeTree(std::ostream& out, Page const& page) { formats::TreeWriter::write(out, page.nodes); }

void writeJson(std::ostream& out, Page const& page) {
    document::vxzero::ModelJsonWriter::Options json;
    json.pretty = !page.options.compact;
    document::vxzero::ModelJsonWriter::write(out, page.nodes, json);
    if (page.options.compact) {
        out << '\n'; // one document a line, as jq -c writes
    }
}

void writeJsonLine(std::ostream& out, std::vector<document::vxzero::Node> const& nodes) {
    document::vxzero::ModelJsonWriter::Options compact;
    compact.pretty = false;
    document::vxzero::ModelJsonWriter::write(out, nodes, compact);
}

// --title, else the first heading's text, else the first input's file name without its folder.
std::string pageTitle(Page const& page) {
    if (page.options.title) {
        return *page.options.title;
    }
    if (auto heading = formats::HtmlWriter::firstHeadingText(page.nodes); heading && !heading->empty()) {
        return *heading;
    }
    return page.firstInput == "-" ? std::string("richmarkup document")
                                  : std::filesystem::path(page.firstInput).filename().string();
}

void writeHtml(std::ostream& out, Page const& page) {
    formats::HtmlWriter::Options html;
    html.title = pageTitle(page);
    html.fragment = page.options.fragment;
    html.stylesheet = page.options.css;
    html.onWarning = page.onWarning;
    formats::HtmlWriter::write(out, page.nodes, html);
}

void writeMarkdown(std::ostream& out, Page const& page) {
    formats::MarkdownWriter::Options markdown;
    markdown.onWarning = page.onWarning;
    formats::MarkdownWriter::write(out, page.nodes, markdown);
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool among(std::vector<std::string_view> const& names, std::string const& key) {
    return std::find(names.begin(), names.end(), key) != names.end();
}

// "a, b or c".
std::string listed(std::vector<std::string> const& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            out += i + 1 == items.size() ? " or " : ", ";
        }
        out += items[i];
    }
    return out;
}

} // namespace

std::vector<OutputFormat> const& OutputFormats::all() {
    static std::vector<OutputFormat> const formats = {
        {"tree", {"txt"}, {}, {"txt", "text"}, writeTree, false, nullptr, {}},
        {"json", {}, {}, {"json", "jsonl", "ndjson"}, writeJson, false, writeJsonLine, "jsonl"},
        {"html", {"html5"}, {"htm"}, {"html", "htm"}, writeHtml, true, nullptr, {}},
        {"markdown",
         {"md", "gfm", "commonmark"},
         {},
         {"md", "markdown", "mdown", "mkd", "mkdn"},
         writeMarkdown,
         true,
         nullptr,
         {}},
        {"none", {}, {}, {}, nullptr, false, nullptr, {}},
    };
    return formats;
}

OutputFormat const& OutputFormats::fallback() { return all().front(); }

OutputFormat const& OutputFormats::forJsonLines() {
    auto const& formats = all();
    return *std::find_if(formats.begin(), formats.end(), [](OutputFormat const& f) { return f.writeLine != nullptr; });
}

OutputFormat const* OutputFormats::named(std::string const& name) {
    std::string const key = lowered(name);
    for (auto const& format : all()) {
        if (format.name == key || among(format.aliases, key) || among(format.unlistedAliases, key)) {
            return &format;
        }
    }
    return nullptr;
}

OutputFormat const* OutputFormats::withExtension(std::string const& extension) {
    std::string const key = lowered(extension);
    for (auto const& format : all()) {
        if (among(format.extensions, key)) {
            return &format;
        }
    }
    return nullptr;
}

std::string OutputFormats::names(std::function<bool(OutputFormat const&)> const& which) {
    std::vector<std::string> names;
    for (auto const& format : all()) {
        if (!which || which(format)) {
            names.emplace_back(format.name);
        }
    }
    return listed(names);
}

std::string OutputFormats::namesWithAliases() {
    std::vector<std::string> names;
    for (auto const& format : all()) {
        std::string name(format.name);
        for (std::size_t i = 0; i < format.aliases.size(); ++i) {
            name += (i == 0 ? " (" : ", ") + std::string(format.aliases[i]);
        }
        names.push_back(format.aliases.empty() ? name : name + ")");
    }
    return listed(names);
}

} // namespace richmarkup::tool

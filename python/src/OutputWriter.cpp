#include "OutputWriter.hpp"

#include <richmarkup/formats/HtmlWriter.hpp>
#include <richmarkup/formats/MarkdownWriter.hpp>
#include <richmarkup/formats/RichTextWriter.hpp>
#include <richmarkup/formats/TreeWriter.hpp>

#include <document/vxzero/ModelJsonWriter.hpp>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>

namespace richmarkup::python {

namespace {

struct Named {
    OutputFormat format;
    std::string_view name;
    // The tool's aliases, the listed one first.
    std::vector<std::string_view> aliases;
};

std::vector<Named> const& formatNames() {
    static std::vector<Named> const names = {
        {OutputFormat::Html, "html", {"html5", "htm"}},
        {OutputFormat::Markdown, "markdown", {"md", "gfm", "commonmark"}},
        {OutputFormat::Json, "json", {}},
        {OutputFormat::Tree, "tree", {"txt"}},
        {OutputFormat::RichText, "richtext", {}},
        {OutputFormat::Pandoc, "pandoc", {}},
    };
    return names;
}

// As richmarkup-build titles a page: the first heading's text, else the input's file name.
std::string pageTitle(WriterSettings const& settings, std::vector<document::vxzero::Node> const& nodes,
                      std::string const& name) {
    if (settings.title) {
        return *settings.title;
    }
    if (auto heading = formats::HtmlWriter::firstHeadingText(nodes); heading && !heading->empty()) {
        return *heading;
    }
    return std::filesystem::path(name).filename().string();
}

// One document a line, as the tool and jq -c write compact JSON.
void endCompact(std::ostream& out, WriterSettings const& settings) {
    if (settings.compact) {
        out << '\n';
    }
}

void writeRichTextLine(std::ostream& out, std::vector<document::vxzero::Node> const& nodes) {
    formats::RichTextWriter::Options compact;
    compact.pretty = false;
    formats::RichTextWriter::write(out, nodes, compact);
}

} // namespace

std::optional<OutputFormat> OutputWriter::named(std::string_view name) {
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
    for (auto const& known : formatNames()) {
        if (known.name == key || std::find(known.aliases.begin(), known.aliases.end(), key) != known.aliases.end()) {
            return known.format;
        }
    }
    return std::nullopt;
}

std::string_view OutputWriter::nameOf(OutputFormat format) {
    for (auto const& known : formatNames()) {
        if (known.format == format) {
            return known.name;
        }
    }
    return {};
}

std::string OutputWriter::names() {
    auto const& all = formatNames();
    std::string out;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i > 0) {
            out += i + 1 == all.size() ? " or " : ", ";
        }
        out += all[i].name;
        if (all[i].format == OutputFormat::Markdown) {
            out += " (md)";
        }
    }
    return out;
}

std::vector<std::string_view> const& OutputWriter::optionsOf(OutputFormat format) {
    static std::vector<std::string_view> const html = {"title", "fragment", "css", "math"};
    static std::vector<std::string_view> const json = {"compact"};
    static std::vector<std::string_view> const pandoc = {"api"};
    static std::vector<std::string_view> const none;
    switch (format) {
    case OutputFormat::Html: return html;
    case OutputFormat::Json:
    case OutputFormat::RichText: return json;
    case OutputFormat::Pandoc: return pandoc;
    default: return none;
    }
}

std::optional<formats::PandocWriter::Api> OutputWriter::pandocApi(std::string_view version) {
    if (version == "1.22") {
        return formats::PandocWriter::Api::V1_22;
    }
    if (version == "1.23") {
        return formats::PandocWriter::Api::V1_23;
    }
    return std::nullopt;
}

host::LineConverter::LineWriter OutputWriter::lineWriter(OutputFormat format) {
    switch (format) {
    case OutputFormat::Json: return host::LineConverter::writeModelJson;
    case OutputFormat::RichText: return writeRichTextLine;
    default: return {};
    }
}

void OutputWriter::write(std::ostream& out, std::vector<document::vxzero::Node> const& nodes, std::string const& name,
                         formats::WriterWarningHandler const& onWarning) const {
    switch (format_) {
    case OutputFormat::Html: {
        formats::HtmlWriter::Options html;
        html.title = pageTitle(settings_, nodes, name);
        html.fragment = settings_.fragment;
        html.stylesheet = settings_.css;
        html.math = settings_.math;
        html.onWarning = onWarning;
        formats::HtmlWriter::write(out, nodes, html);
        return;
    }
    case OutputFormat::Markdown: {
        formats::MarkdownWriter::Options markdown;
        markdown.onWarning = onWarning;
        formats::MarkdownWriter::write(out, nodes, markdown);
        return;
    }
    case OutputFormat::Json: {
        document::vxzero::ModelJsonWriter::Options json;
        json.pretty = !settings_.compact;
        document::vxzero::ModelJsonWriter::write(out, nodes, json);
        endCompact(out, settings_);
        return;
    }
    case OutputFormat::Tree: formats::TreeWriter::write(out, nodes); return;
    case OutputFormat::RichText: {
        formats::RichTextWriter::Options richText;
        richText.pretty = !settings_.compact;
        formats::RichTextWriter::write(out, nodes, richText);
        endCompact(out, settings_);
        return;
    }
    case OutputFormat::Pandoc: {
        formats::PandocWriter::Options pandoc;
        pandoc.api = settings_.api;
        pandoc.onWarning = onWarning;
        formats::PandocWriter::write(out, nodes, pandoc);
        return;
    }
    }
}

} // namespace richmarkup::python

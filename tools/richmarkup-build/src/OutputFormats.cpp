#include "OutputFormats.hpp"

#include "PandocNeeded.hpp"
#include "ToolOptions.hpp"

#include <richmarkup/formats/HtmlWriter.hpp>
#include <richmarkup/formats/MarkdownWriter.hpp>
#include <richmarkup/formats/PandocWriter.hpp>
#include <richmarkup/formats/RichTextWriter.hpp>
#include <richmarkup/formats/TreeWriter.hpp>

#include <richmarkup/host/LineConverter.hpp>

#include <document/vxzero/ModelJsonWriter.hpp>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <stdexcept>

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
    html.math = page.options.math;
    html.onWarning = page.onWarning;
    formats::HtmlWriter::write(out, page.nodes, html);
}

void writeMarkdown(std::ostream& out, Page const& page) {
    formats::MarkdownWriter::Options markdown;
    markdown.onWarning = page.onWarning;
    formats::MarkdownWriter::write(out, page.nodes, markdown);
}

void writeRichText(std::ostream& out, Page const& page) {
    formats::RichTextWriter::Options richText;
    richText.pretty = !page.options.compact;
    formats::RichTextWriter::write(out, page.nodes, richText);
    if (page.options.compact) {
        out << '\n'; // one document a line, as jq -c writes
    }
}

void writeRichTextLine(std::ostream& out, std::vector<document::vxzero::Node> const& nodes) {
    formats::RichTextWriter::Options compact;
    compact.pretty = false;
    formats::RichTextWriter::write(out, nodes, compact);
}

formats::PandocWriter::Options pandocOptions(Page const& page, Pandoc const& pandoc) {
    formats::PandocWriter::Options options;
    options.api = page.options.pandocApi.value_or(pandoc.api());
    options.onWarning = page.onWarning;
    return options;
}

void writePandoc(std::ostream& out, Page const& page) {
    formats::PandocWriter::write(out, page.nodes, pandocOptions(page, Pandoc(page.options.pandoc)));
}

// A folder of its own for what pandoc writes only into a named file (PDF), gone afterwards.
class TemporaryFolder {
public:
    TemporaryFolder() {
        char const* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/richmarkup-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder for pandoc's output");
        }
        path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(TemporaryFolder const&) = delete;
    TemporaryFolder& operator=(TemporaryFolder const&) = delete;
    std::string const& path() const noexcept { return path_; }

private:
    std::string path_;
};

// The AST on pandoc's standard input, what it writes copied to `out`: the tool's own output path
// (atomic, never over an input) holds for pandoc's formats too.
void writeThroughPandoc(std::ostream& out, Page const& page) {
    Pandoc const pandoc(page.options.pandoc);
    std::string const& to = page.options.pandocTo;
    std::string const ast = formats::PandocWriter::toString(page.nodes, pandocOptions(page, pandoc));
    // A page's title as the HTML page has it; EPUB needs it as the book's title.
    std::string const title =
        (to.rfind("epub", 0) == 0 ? "--metadata=title:" : "--metadata=pagetitle:") + pageTitle(page);
    std::vector<std::string> arguments = {"--from=json", "--to=" + to, "--standalone", title};
    std::optional<TemporaryFolder> folder;
    std::string file;
    if (to == "pdf") {
        // pandoc makes a PDF only into a file named .pdf. WeasyPrint: Debian's, small beside a TeX
        // installation, and it sets any script the fonts cover, where pdflatex fails on CJK text.
        if (findOnPath("weasyprint")) {
            arguments.push_back("--pdf-engine=weasyprint");
        }
        folder.emplace();
        file = folder->path() + "/page.pdf";
        arguments.push_back("--output=" + file);
    } else {
        arguments.push_back("--output=-");
    }
    Pandoc::Run const run = pandoc.run(arguments, ast);
    if (run.status != 0) {
        throw std::runtime_error("pandoc could not write " + to + ": " + Pandoc::failureOf(run));
    }
    if (page.onProgramWarning) {
        for (auto const& warning : Pandoc::warningsIn(run.errors)) {
            page.onProgramWarning("pandoc: " + warning);
        }
    }
    if (file.empty()) {
        out.write(run.output.data(), static_cast<std::streamsize>(run.output.size()));
        return;
    }
    std::ifstream made(file, std::ios::binary);
    if (!made) {
        throw std::runtime_error("pandoc wrote no " + to);
    }
    out << made.rdbuf();
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
        {"tree", {"txt"}, {}, {"txt", "text"}, writeTree, false, nullptr, {}, {}},
        {"json",
         {},
         {},
         {"json", "jsonl", "ndjson"},
         writeJson,
         false,
         host::LineConverter::writeModelJson,
         "jsonl",
         {}},
        {"html", {"html5"}, {"htm"}, {"html", "htm"}, writeHtml, true, nullptr, {}, {}},
        {"markdown",
         {"md", "gfm", "commonmark"},
         {},
         {"md", "markdown", "mdown", "mkd", "mkdn"},
         writeMarkdown,
         true,
         nullptr,
         {},
         {}},
        {"richtext", {}, {}, {"richtext"}, writeRichText, false, writeRichTextLine, "jsonl", {}},
        {"pandoc", {}, {}, {"pandoc"}, writePandoc, true, nullptr, {}, {}},
        {"docx", {}, {}, {"docx"}, writeThroughPandoc, true, nullptr, {}, "docx"},
        {"odt", {}, {}, {"odt"}, writeThroughPandoc, true, nullptr, {}, "odt"},
        {"epub", {"epub3"}, {}, {"epub"}, writeThroughPandoc, true, nullptr, {}, "epub"},
        {"latex", {}, {}, {"tex", "latex"}, writeThroughPandoc, true, nullptr, {}, "latex"},
        {"rst", {}, {}, {"rst"}, writeThroughPandoc, true, nullptr, {}, "rst"},
        {"pdf", {}, {}, {"pdf"}, writeThroughPandoc, true, nullptr, {}, "pdf"},
        {"none", {}, {}, {}, nullptr, false, nullptr, {}, {}},
    };
    return formats;
}

OutputFormat const& OutputFormats::throughPandoc() {
    static OutputFormat const format{"", {}, {}, {}, writeThroughPandoc, true, nullptr, {}, {}};
    return format;
}

bool OutputFormats::needsPandoc(OutputFormat const& format) { return format.write == writeThroughPandoc; }

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

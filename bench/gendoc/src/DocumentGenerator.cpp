#include <richmarkup/bench/DocumentGenerator.hpp>

#include <array>
#include <cstdio>

namespace richmarkup::bench {

namespace {

// Mostly plain words, with a few that need escaping or several UTF-8 bytes, as real
// documents have.
constexpr std::array<char const*, 40> vocabulary = {
    "the",      "model",    "builder",  "element",  "node",     "paragraph",   "of",       "and",
    "a",        "document", "text",     "is",       "with",     "table",       "cell",     "list",
    "rich",     "format",   "each",     "child",    "service",  "framework",   "bundle",   "runs",
    "café",     "naïve",    "数学",     "“quoted”", "\"said\"", "back\\slash", "tab\tbed", "–",
    "registry", "lookup",   "equation", "image",    "heading",  "line",        "code",     "order"};

constexpr std::array<char const*, 4> alignments = {"left", "center", "right", "justify"};
constexpr std::array<char const*, 6> tokenKinds = {"keyword", "identifier", "string", "number", "comment", "operator"};
constexpr std::array<char const*, 8> codeWords = {"int",  "return",   "value", "std::vector<int>",
                                                  "auto", "\"text\"", "42",    "// note"};
constexpr std::array<char const*, 4> texSources = {"e^{i\\pi} + 1 = 0", "\\frac{a}{b}", "\\sum_{k=0}^{n} k^2",
                                                   "\\sqrt{x^2 + y^2}"};

} // namespace

void appendJsonString(std::string& out, std::string const& text) {
    out.push_back('"');
    for (char const c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
}

DocumentGenerator::DocumentGenerator(std::uint64_t seed, Tables tables) noexcept : state_(seed), tables_(tables) {}

std::uint64_t DocumentGenerator::next() noexcept {
    // splitmix64: tiny, fast, and the same everywhere.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::string DocumentGenerator::document(std::size_t units) {
    std::string out = "[";
    for (std::size_t i = 0; i < units; ++i) {
        out += i == 0 ? "\n" : ",\n";
        appendUnit(out, i);
    }
    out += "\n]\n";
    return out;
}

std::string DocumentGenerator::documentOfSize(std::size_t bytes) {
    std::string out = "[";
    std::size_t i = 0;
    do {
        out += i == 0 ? "\n" : ",\n";
        appendUnit(out, i++);
    } while (out.size() + 3 < bytes);
    out += "\n]\n";
    return out;
}

void DocumentGenerator::appendUnit(std::string& out, std::size_t index) {
    switch (index % 10) {
    case 0:
    case 6: heading(out, index); break;
    case 1:
    case 4: paragraph(out, index, false, false); break;
    case 2: paragraph(out, index, true, false); break;
    case 7: paragraph(out, index, false, true); break;
    case 3:
    case 8: list(out, index); break;
    case 5: code(out, index); break;
    default:
        if (tables_ == Tables::Included) {
            table(out, index);
        } else {
            paragraph(out, index, false, false);
        }
        break;
    }
}

void DocumentGenerator::words(std::string& out, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) {
            text.push_back(' ');
        }
        text += vocabulary[pick(vocabulary.size())];
    }
    appendJsonString(out, text);
}

void DocumentGenerator::run(std::string& out) {
    out += R"({"className":"RichTextNode","text":)";
    words(out, 2 + pick(8));
    // Formatting keys are optional; a run carries none, one or several of them.
    for (char const* key : {"bold", "italic", "monospace", "underline"}) {
        if (chance(20)) {
            out += ",\"";
            out += key;
            out += chance(80) ? "\":true" : "\":false";
        }
    }
    out.push_back('}');
}

void DocumentGenerator::runs(std::string& out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) {
            out.push_back(',');
        }
        run(out);
    }
}

void DocumentGenerator::link(std::string& out, std::size_t index) {
    out += R"({"className":"HyperlinkNode","hyperlink":{)";
    if (chance(50)) {
        out += R"("target":"https://example.org/docs/page)" + std::to_string(index) + R"(.html","anchor":"section)" +
               std::to_string(pick(20)) + R"(","targetType":"url"},)";
    } else {
        out += R"("anchor":"H_u)" + std::to_string(index - index % 10) + R"(","targetType":"anchor"},)";
    }
    out += R"("children":[)";
    runs(out, 1 + pick(2));
    out += "]}";
}

void DocumentGenerator::image(std::string& out, std::size_t index) {
    out += R"({"className":"ImageNode","imageId":"img)" + std::to_string(index) +
           R"(","imgSrc":"https://example.org/images/figure)" + std::to_string(index) + R"(.png","width":)" +
           std::to_string(32 + pick(600)) + ".5,\"height\":" + std::to_string(16 + pick(400)) + R"(,"altText":)";
    words(out, 3);
    out += R"(,"verticalAlign":"middle"})";
}

void DocumentGenerator::equation(std::string& out, bool display) {
    out += R"({"className":"EquationNode","texString":)";
    appendJsonString(out, texSources[pick(texSources.size())]);
    out += display ? R"(,"displayStyle":true)" : R"(,"displayStyle":false)";
    out += R"(,"encoding":"latex","altTextString":)";
    words(out, 2);
    out.push_back('}');
}

void DocumentGenerator::heading(std::string& out, std::size_t index) {
    out += R"({"className":"HeadingNode","level":)" + std::to_string(1 + (index / 10) % 3) + R"(,"id":"u)" +
           std::to_string(index) + R"(","children":[)";
    runs(out, 1 + pick(2));
    out += "]}";
}

void DocumentGenerator::paragraph(std::string& out, std::size_t index, bool media, bool displayEquation) {
    out += R"({"className":"RichTextParagraphNode")";
    if (chance(30)) {
        out += R"(,"id":"p)" + std::to_string(index) + "\"";
    }
    if (chance(30)) {
        out += R"(,"alignment":")" + std::string(alignments[pick(alignments.size())]) + "\"";
    }
    out += R"(,"children":[)";
    runs(out, 2 + pick(4));
    out.push_back(',');
    if (media) {
        image(out, index);
        out.push_back(',');
        run(out);
        out.push_back(',');
        equation(out, false);
    } else if (displayEquation) {
        equation(out, true);
    } else {
        link(out, index);
    }
    out.push_back(',');
    runs(out, 1 + pick(3));
    out += "]}";
}

void DocumentGenerator::list(std::string& out, std::size_t index) {
    out += R"({"className":"ListParagraph","type":)";
    out += chance(50) ? R"("ordered")" : R"("bulleted")";
    out += R"(,"id":"l)" + std::to_string(index) + R"(","children":[)";
    std::size_t const items = 3 + pick(3);
    for (std::size_t i = 0; i < items; ++i) {
        out += i == 0 ? R"({"className":"ListItem","children":[)" : R"(,{"className":"ListItem","children":[)";
        runs(out, 1 + pick(2));
        if (chance(25)) {
            out.push_back(',');
            link(out, index);
        }
        out += "]}";
    }
    out += "]}";
}

void DocumentGenerator::code(std::string& out, std::size_t index) {
    out += R"({"className":"CodeExampleBlockNode","type":)";
    out += chance(50) ? R"("cpp")" : R"("python")";
    out += R"(,"id":"c)" + std::to_string(index) + R"(","children":[)";
    std::size_t const lines = 3 + pick(4);
    for (std::size_t line = 0; line < lines; ++line) {
        out += line == 0 ? R"({"className":"CodeExampleLineNode","children":[)"
                         : R"(,{"className":"CodeExampleLineNode","children":[)";
        bool first = true;
        if (line != 0 && line + 1 != lines) {
            out += R"({"className":"CodeIndentNode","width":4})";
            first = false;
        }
        std::size_t const tokens = 2 + pick(5);
        for (std::size_t t = 0; t < tokens; ++t) {
            if (!first) {
                out.push_back(',');
            }
            first = false;
            out += R"({"className":"CodeTextNode","text":)";
            appendJsonString(out, codeWords[pick(codeWords.size())]);
            if (chance(70)) {
                out += R"(,"tokenKind":")" + std::string(tokenKinds[pick(tokenKinds.size())]) + "\"";
            }
            out.push_back('}');
        }
        out += "]}";
    }
    out += "]}";
}

void DocumentGenerator::table(std::string& out, std::size_t index) {
    std::size_t const rows = 2 + pick(3);
    std::size_t const columns = 2 + pick(3);
    out += R"({"className":"TableNode","id":"t)" + std::to_string(index) + R"(","hasHeader":)";
    out += chance(70) ? "true" : "false";
    out += R"(,"columnWidths":[)";
    for (std::size_t c = 0; c < columns; ++c) {
        out += (c == 0 ? "" : ",") + std::to_string(80 + pick(200));
    }
    out += R"(],"children":[)";
    for (std::size_t r = 0; r < rows; ++r) {
        out += r == 0 ? R"({"className":"TableRowNode","children":[)" : R"(,{"className":"TableRowNode","children":[)";
        for (std::size_t c = 0; c < columns; ++c) {
            out += c == 0 ? R"({"className":"TableCellNode","children":[)"
                          : R"(,{"className":"TableCellNode","children":[)";
            out += R"({"className":"RichTextParagraphNode","children":[)";
            runs(out, 1 + pick(2));
            out += "]}]}";
        }
        out += "]}";
    }
    out += "]}";
}

} // namespace richmarkup::bench

#include <richmarkup/bench/DocumentGenerator.hpp>
#include <richmarkup/bench/ProseMirrorJson.hpp>

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace richmarkup::bench {

namespace {

using foundation::json::Value;

std::string stringOf(Value const& value) { return value.isString() ? value.asString() : std::string(); }
bool flag(Value const& element, char const* key) { return element[key].isBool() && element[key].asBool(); }

class Writer {
public:
    std::string document(Value const& document) {
        out_ = R"({"type":"doc","content":[)";
        first_ = true;
        if (document.isArray()) {
            for (auto const& element : document.asArray()) {
                block(element);
            }
        } else {
            block(document);
        }
        out_ += "]}\n";
        return std::move(out_);
    }

private:
    // Opens a node in a content list, with a comma unless it is the first.
    void open(std::string_view json) {
        if (!first_) {
            out_.push_back(',');
        }
        first_ = false;
        out_ += json;
    }
    void openContent() {
        out_ += R"(,"content":[)";
        first_ = true;
    }
    void close() {
        out_ += "]}";
        first_ = false;
    }

    void block(Value const& element) {
        std::string const kind = stringOf(element["className"]);
        if (kind == "HeadingNode") {
            double const level = element["level"].isDouble() ? element["level"].asDouble() : 1;
            open(R"({"type":"heading","attrs":{"level":)" + std::to_string(std::clamp(static_cast<int>(level), 1, 6)) +
                 "}");
            inlineContent(element);
            out_.push_back('}');
        } else if (kind == "RichTextParagraphNode") {
            paragraph(element);
        } else if (kind == "ListParagraph") {
            bool const ordered = stringOf(element["type"]) == "ordered";
            open(ordered ? R"({"type":"ordered_list","attrs":{"order":1})" : R"({"type":"bullet_list")");
            openContent();
            for (auto const& item : children(element)) {
                open(R"({"type":"list_item")");
                openContent();
                paragraph(item);
                close();
            }
            close();
        } else if (kind == "CodeExampleBlockNode") {
            codeBlock(element);
        } else if (kind == "TableNode") {
            table(element);
        } else {
            throw std::invalid_argument("no ProseMirror form for the block \"" + kind + "\"");
        }
    }

    void paragraph(Value const& element) {
        open(R"({"type":"paragraph")");
        inlineContent(element);
        out_.push_back('}');
    }

    void inlineContent(Value const& element) {
        openContent();
        for (auto const& child : children(element)) {
            inlineNode(child, std::string());
        }
        out_ += "]";
        first_ = false;
    }

    void inlineNode(Value const& element, std::string const& linkMark) {
        std::string const kind = stringOf(element["className"]);
        if (kind == "RichTextNode") {
            std::string marks;
            auto add = [&](char const* mark) {
                marks += marks.empty() ? "" : ",";
                marks += mark;
            };
            if (flag(element, "bold")) add(R"({"type":"strong"})");
            if (flag(element, "italic")) add(R"({"type":"em"})");
            if (flag(element, "monospace")) add(R"({"type":"code"})");
            if (!linkMark.empty()) add(linkMark.c_str());
            text(stringOf(element["text"]), marks);
        } else if (kind == "HyperlinkNode") {
            Value const& link = element["hyperlink"];
            std::string href = stringOf(link["target"]);
            if (href.empty()) {
                href = "#" + stringOf(link["anchor"]);
            }
            std::string mark = R"({"type":"link","attrs":{"href":)";
            appendJsonString(mark, href);
            mark += R"(,"title":null}})";
            for (auto const& child : children(element)) {
                inlineNode(child, mark);
            }
        } else if (kind == "ImageNode") {
            std::string image = R"({"type":"image","attrs":{"src":)";
            appendJsonString(image, stringOf(element["imgSrc"]));
            image += R"(,"alt":)";
            appendJsonString(image, stringOf(element["altText"]));
            image += R"(,"title":null}})";
            open(image);
        } else if (kind == "EquationNode") {
            text(stringOf(element["texString"]), R"({"type":"code"})");
        } else {
            throw std::invalid_argument("no ProseMirror form for the inline element \"" + kind + "\"");
        }
    }

    void text(std::string const& content, std::string const& marks) {
        if (content.empty()) {
            return;
        }
        std::string node = R"({"type":"text","text":)";
        appendJsonString(node, content);
        if (!marks.empty()) {
            node += R"(,"marks":[)" + marks + "]";
        }
        node.push_back('}');
        open(node);
    }

    void codeBlock(Value const& element) {
        std::string code;
        bool firstLine = true;
        for (auto const& line : children(element)) {
            if (!firstLine) {
                code.push_back('\n');
            }
            firstLine = false;
            for (auto const& piece : children(line)) {
                if (stringOf(piece["className"]) == "CodeIndentNode") {
                    code.append(piece["width"].isDouble() ? static_cast<std::size_t>(piece["width"].asDouble()) : 0,
                                ' ');
                } else {
                    code += stringOf(piece["text"]);
                }
            }
        }
        open(R"({"type":"code_block")");
        openContent();
        text(code, std::string());
        close();
    }

    void table(Value const& element) {
        bool const header = flag(element, "hasHeader");
        open(R"({"type":"table")");
        openContent();
        bool firstRow = true;
        for (auto const& row : children(element)) {
            open(R"({"type":"table_row")");
            openContent();
            for (auto const& cell : children(row)) {
                open(header && firstRow ? R"({"type":"table_header","attrs":{"colspan":1,"rowspan":1,"colwidth":null})"
                                        : R"({"type":"table_cell","attrs":{"colspan":1,"rowspan":1,"colwidth":null})");
                openContent();
                for (auto const& block : children(cell)) {
                    this->block(block);
                }
                close();
            }
            close();
            firstRow = false;
        }
        close();
    }

    std::vector<Value> const& children(Value const& element) const {
        Value const& children = element["children"];
        return children.isArray() ? children.asArray() : empty_;
    }

    std::string out_;
    bool first_ = true;
    std::vector<Value> const empty_;
};

} // namespace

std::string toProseMirrorJson(Value const& document) { return Writer().document(document); }

} // namespace richmarkup::bench

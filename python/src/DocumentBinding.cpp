#include "DocumentBinding.hpp"

#include "ArgumentTypes.hpp"
#include "ErrorMapping.hpp"
#include "GilHandling.hpp"
#include "NodeHandle.hpp"
#include "WriterArguments.hpp"

#include <richmarkup/formats/Subtree.hpp>

#include <pybind11/stl.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

namespace richmarkup::python {

namespace py = pybind11;

namespace {

// Document.walk()'s iterator: the nodes depth first, in document order, found as it goes.
class NodeWalk {
public:
    explicit NodeWalk(std::shared_ptr<ParsedDocument const> owner)
        : owner_(std::move(owner)), nodes_(owner_->nodes()), next_(nodes_.begin()) {}

    NodeHandle next() {
        if (next_ == nodes_.end()) {
            throw py::stop_iteration();
        }
        NodeHandle handle{owner_, &(*next_).impl()};
        ++next_;
        return handle;
    }

private:
    std::shared_ptr<ParsedDocument const> owner_;
    formats::Subtree nodes_;
    formats::Subtree::iterator next_;
};

std::size_t topLevelCount(ParsedDocument const& document) {
    auto const& nodes = document.nodes();
    return static_cast<std::size_t>(
        std::count_if(nodes.begin(), nodes.end(), [](document::vxzero::Node const& node) { return bool(node); }));
}

std::string plural(std::size_t count, char const* word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

py::str written(ParsedDocument const& document, OutputFormat format, WriterSettings settings) {
    return writeReported(document, OutputWriter(format, std::move(settings)));
}

WriterSettings compactSettings(bool compact) {
    WriterSettings settings;
    settings.compact = compact;
    return settings;
}

} // namespace

py::str writeReported(ParsedDocument const& document, OutputWriter const& writer) {
    ParsedDocument::Written const text = withoutGil([&] { return document.write(writer); });
    report(text.warnings, ErrorClass::BuildError);
    return py::str(text.text);
}

void bindDocument(py::module_& module) {
    py::class_<NodeWalk>(module, "_NodeWalk")
        .def("__iter__", [](py::object const& self) { return self; })
        .def("__next__", &NodeWalk::next);

    using Shared = std::shared_ptr<ParsedDocument>;
    py::class_<ParsedDocument, Shared>(
        module, "Document",
        "A document built into a model of its own, as parse() gives it: its top-level nodes, the\n"
        "warnings of its build, and its model written in each format. Iterating gives the\n"
        "top-level nodes; walk() every node. Writing issues the writer's warnings as convert()\n"
        "does, and under parse(strict=True) raises BuildError for the first one.")
        .def_property_readonly(
            "nodes", [](Shared const& d) { return handlesOf(d, d->nodes()); }, "The top-level nodes, in order.")
        .def_property_readonly(
            "diagnostics", [](Shared const& d) { return d->diagnostics(); },
            "The build's warnings, located, in the order they were said.")
        .def(
            "walk", [](Shared const& d) { return IteratorResult<NodeItem>{py::iterator(py::cast(NodeWalk(d)))}; },
            "Every node, depth first in document order: a node before its children.")
        .def(
            "to_html",
            [](Shared const& d, std::optional<std::string> title, bool fragment, std::optional<std::string> css,
               std::optional<std::string> const& math) {
                return written(*d, OutputFormat::Html, htmlSettings(std::move(title), fragment, std::move(css), math));
            },
            py::arg("title") = py::none(), py::arg("fragment") = false, py::arg("css") = py::none(),
            py::arg("math") = py::none(),
            "The document as a standalone HTML page, as richmarkup-build -t html writes it.\n\n"
            "title: the page title (default: the first heading's text, else the input's file name).\n"
            "fragment: only the body's content, to embed in another page.\n"
            "css: a stylesheet address to link in place of the built-in style (http, https or relative).\n"
            "math: how equations are shown, as richmarkup-build --math: \"mathml\" (made by pandoc),\n"
            "    \"katex[=URL]\", \"mathjax[=URL]\" or \"plain\" (their TeX); default: mathml where pandoc is,\n"
            "    else plain with one ConversionWarning.")
        .def(
            "to_markdown", [](Shared const& d) { return written(*d, OutputFormat::Markdown, {}); },
            "The document as CommonMark with GitHub's tables, as richmarkup-build -t markdown writes it.")
        .def(
            "to_json",
            [](Shared const& d, bool compact) { return written(*d, OutputFormat::Json, compactSettings(compact)); },
            py::arg("compact") = false,
            "The model as JSON, as richmarkup-build -t json writes it; compact: on one line.")
        .def(
            "to_tree", [](Shared const& d) { return written(*d, OutputFormat::Tree, {}); },
            "The model as an indented outline, one node a line, as richmarkup-build -t tree writes it.")
        .def(
            "to_richtext",
            [](Shared const& d, bool compact) { return written(*d, OutputFormat::RichText, compactSettings(compact)); },
            py::arg("compact") = false,
            "The model as a rich-text document again, in canonical form, as richmarkup-build -t richtext\n"
            "writes it; compact: on one line.")
        .def(
            "to_pandoc",
            [](Shared const& d, std::string const& api) {
                return written(*d, OutputFormat::Pandoc, pandocSettings(api));
            },
            py::arg("api") = "1.23",
            "The document as pandoc's JSON AST, as richmarkup-build -t pandoc writes it; api: the\n"
            "pandoc-types version, \"1.23\" (pandoc 3) or \"1.22\" (pandoc 2).")
        .def("__len__", [](Shared const& d) { return topLevelCount(*d); })
        .def("__iter__",
             [](Shared const& d) { return IteratorResult<NodeItem>{py::iter(py::cast(handlesOf(d, d->nodes())))}; })
        .def("__repr__", [](Shared const& d) {
            return "<Document " + py::repr(py::str(d->name())).cast<std::string>() + ": " +
                   plural(topLevelCount(*d), "node") + ", " + plural(d->diagnostics().size(), "warning") + ">";
        });
}

} // namespace richmarkup::python

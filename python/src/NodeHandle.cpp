#include "NodeHandle.hpp"

#include <pybind11/stl.h>

#include <functional>
#include <optional>
#include <string>

namespace richmarkup::python {

namespace py = pybind11;
using formats::NodeView;

std::vector<NodeHandle> handlesOf(std::shared_ptr<ParsedDocument const> const& owner,
                                  std::vector<document::vxzero::Node> const& nodes) {
    std::vector<NodeHandle> handles;
    handles.reserve(nodes.size());
    for (auto const& node : nodes) {
        if (node) {
            handles.push_back(NodeHandle{owner, node.getImpl()});
        }
    }
    return handles;
}

namespace {

std::vector<NodeHandle> childrenOf(NodeHandle const& handle) {
    NodeView const view = handle.view();
    std::vector<NodeHandle> children;
    children.reserve(view.childCount());
    for (std::size_t i = 0; i < view.childCount(); ++i) {
        if (view.hasChild(i)) {
            children.push_back(NodeHandle{handle.owner, &view.child(i).impl()});
        }
    }
    return children;
}

std::optional<NodeHandle> parentOf(NodeHandle const& handle) {
    if (auto const parent = handle.view().parent()) {
        return NodeHandle{handle.owner, &parent->impl()};
    }
    return std::nullopt;
}

// <Node HeadingNode level=1 'Title'>: the kind, a heading's level, the start of the text read.
std::string reprOf(NodeHandle const& handle) {
    constexpr std::size_t shown = 40;
    NodeView const view = handle.view();
    std::string out = "<Node " + std::string(view.kindName());
    if (auto const level = view.level()) {
        out += " level=" + std::to_string(*level);
    }
    py::str text(view.plainText());
    if (py::len(text) > 0) {
        if (py::len(text) > shown) {
            text = py::str(text[py::slice(0, shown, 1)]) + py::str("...");
        }
        out += " " + py::repr(text).cast<std::string>();
    }
    return out + ">";
}

// A text property: None where the kind has none or the document left it out.
using TextProperty = std::optional<std::string> (NodeView::*)() const;

template <TextProperty property>
std::optional<std::string> textOf(NodeHandle const& handle) {
    return (handle.view().*property)();
}

} // namespace

void bindNode(py::module_& module) {
    py::class_<NodeHandle> node(module, "Node",
                                "A node of a document's model: its kind, its properties (None where the kind has\n"
                                "none or the document left it out), its children and parent. A node keeps its\n"
                                "model alive, so it outlives the Document it came from. Nodes compare equal when\n"
                                "they are the same node of the same model.");
    node.def_property_readonly(
            "kind", [](NodeHandle const& h) { return std::string(h.view().kindName()); },
            "The kind's class name: \"HeadingNode\", \"RichTextParagraphNode\", \"RichTextNode\", ...")
        .def_property_readonly("text", &textOf<&NodeView::text>,
                               "The text of a run (RichTextNode) or of a piece of code (CodeTextNode).")
        .def_property_readonly(
            "plain_text", [](NodeHandle const& h) { return h.view().plainText(); },
            "The text a reader sees in this subtree: every run's and code piece's text in\n"
            "document order, each equation as its TeX, nothing between them.")
        .def_property_readonly("children", &childrenOf, "The child nodes, in order.")
        .def_property_readonly("parent", &parentOf, "The node whose children hold this one; None at the top.")
        .def_property_readonly(
            "level", [](NodeHandle const& h) { return h.view().level(); }, "A heading's level, 1 and up.")
        .def_property_readonly("anchor_id", &textOf<&NodeView::anchorId>, "The anchor id that links reach.")
        .def_property_readonly("target", &textOf<&NodeView::target>, "Where a link (HyperlinkNode) leads.")
        .def_property_readonly("anchor", &textOf<&NodeView::anchor>, "The anchor a link names within its target.")
        .def_property_readonly("target_type", &textOf<&NodeView::targetType>,
                               "What a link's target is (\"url\", \"anchor\", ...).")
        .def_property_readonly("image_id", &textOf<&NodeView::imageId>, "An image's identifier.")
        .def_property_readonly("image_source", &textOf<&NodeView::imageSource>,
                               "An image's source, a path or an address.")
        .def_property_readonly("alt_text", &textOf<&NodeView::altText>,
                               "The alternative text of an image or an equation.")
        .def_property_readonly("vertical_alignment", &textOf<&NodeView::verticalAlignment>,
                               "An image's vertical alignment, as written (\"middle\", ...).")
        .def_property_readonly("tex", &textOf<&NodeView::tex>, "An equation's TeX source.")
        .def_property_readonly("encoding", &textOf<&NodeView::encoding>,
                               "The encoding an equation's source is in (\"latex\", ...).")
        .def_property_readonly("code_example_type", &textOf<&NodeView::codeExampleType>,
                               "A code example's language or kind.")
        .def_property_readonly("token_kind", &textOf<&NodeView::tokenKind>,
                               "A piece of code's token kind (\"keyword\", ...).")
        .def("__eq__",
             [](NodeHandle const& a, py::object const& other) -> py::object {
                 if (!py::isinstance<NodeHandle>(other)) {
                     return py::reinterpret_borrow<py::object>(Py_NotImplemented);
                 }
                 return py::bool_(a.node == other.cast<NodeHandle const&>().node);
             })
        .def("__hash__", [](NodeHandle const& h) { return std::hash<void const*>()(h.node); })
        .def("__repr__", &reprOf);
}

} // namespace richmarkup::python

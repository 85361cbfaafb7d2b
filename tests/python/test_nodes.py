"""Document and Node: the model as the tool's tree shows it, every property where the kind has it
and None where not, a consistent tree, and nodes that keep their model alive."""
import gc
import warnings

import pytest
import richmarkup

from conftest import EXAMPLES, example_files

PROPERTIES = ("text", "level", "anchor_id", "target", "anchor", "target_type", "image_id", "image_source",
              "alt_text", "vertical_alignment", "tex", "encoding", "code_example_type", "token_kind")


def depth(node):
    count = 0
    while node.parent is not None:
        node = node.parent
        count += 1
    return count


def churn():
    """Makes and drops models so that memory a dead model left is handed out again."""
    for _ in range(20):
        richmarkup.parse((EXAMPLES / "tables.json").read_text(encoding="utf-8")).to_json()
    gc.collect()


@pytest.fixture
def document(showcase):
    return richmarkup.parse(showcase, name="showcase.json")


def first(document, kind, **properties):
    return next(node for node in document.walk()
                if node.kind == kind and all(getattr(node, k) == v for k, v in properties.items()))


@pytest.mark.parametrize("path", example_files(), ids=lambda p: p.name)
def test_walk_is_the_tools_tree_in_document_order(tool, path):
    # Each line of the tree is a node: its indentation the depth, its first word the kind.
    expected = [(len(line) - len(line.lstrip(" ")), line.split()[0])
                for line in tool("-t", "tree", path).stdout.decode().splitlines()]
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        document = richmarkup.parse(path.read_text(encoding="utf-8"))
    assert [(2 * depth(node), node.kind) for node in document.walk()] == expected


def test_parents_and_children_agree_over_the_whole_tree(document):
    nodes = list(document.walk())
    assert len(set(nodes)) == len(nodes)
    for node in nodes:
        for child in node.children:
            assert child.parent == node
        if node.parent is None:
            assert node in document.nodes
        else:
            assert node in node.parent.children
    assert [node for node in nodes if node.parent is None] == document.nodes
    assert list(document) == document.nodes
    assert len(document) == len(document.nodes) == 11


def test_nodes_compare_by_the_model_node_they_stand_for(document, showcase):
    a, b = document.nodes[0], document.nodes[0]
    assert a == b and hash(a) == hash(b)
    assert a.children[0].parent == a
    assert a != document.nodes[1]
    assert a != richmarkup.parse(showcase).nodes[0]  # same text, another model
    assert (a == "HeadingNode") is False
    assert len({node for _ in range(3) for node in document.walk()}) == len(list(document.walk()))


def test_text_properties_are_the_models(document):
    heading = document.nodes[0]
    assert (heading.kind, heading.level, heading.anchor_id) == ("HeadingNode", 1, "T_showcase")
    assert heading.plain_text == "A tour of every element kind"
    assert heading.children[0].text == "A tour of every element kind"
    assert document.nodes[3].plain_text.endswith("Text is Unicode: “quotes”, café, 数学, 🙂.")

    link = first(document, "HyperlinkNode", target="https://example.org/guide")
    assert (link.anchor, link.target_type) == ("install", "url")
    assert link.plain_text == "the guide (section install)"

    image = first(document, "ImageNode")
    assert (image.image_id, image.image_source, image.alt_text, image.vertical_alignment) == (
        "logo", "https://example.org/logo.png", "The logo", "middle")

    equation = first(document, "EquationNode")
    assert (equation.tex, equation.encoding, equation.alt_text) == ("e^{i\\pi} + 1 = 0", "latex", "Euler's identity")
    # An equation reads as its TeX in the text around it.
    assert "e^{i\\pi} + 1 = 0" in equation.parent.plain_text

    code = first(document, "CodeExampleBlock")
    assert (code.code_example_type, code.anchor_id) == ("cpp", "M_hello")
    keyword = first(document, "CodeTextNode", text="#include")
    assert keyword.token_kind == "keyword"
    assert first(document, "CodeTextNode", text=" ").token_kind is None
    assert code.plain_text.startswith("#include <cstdio>int main() {")

    assert first(document, "TableOfContentsHeadingNode").children[0].anchor == "H_text"


def test_a_property_the_node_does_not_have_is_none(document):
    paragraph = document.nodes[3]
    assert paragraph.kind == "RichTextParagraphNode"
    for name in PROPERTIES:
        if name != "anchor_id":
            assert getattr(paragraph, name) is None, name
    for node in document.walk():
        if node.kind != "HeadingNode":
            assert node.level is None
        if node.kind not in ("RichTextNode", "CodeTextNode"):
            assert node.text is None
        if node.kind != "EquationNode":
            assert node.tex is None


def test_empty_and_absent_are_told_apart():
    document = richmarkup.parse(
        '[{"className":"RichTextParagraphNode","anchorId":"","children":['
        '{"className":"ImageNode","imgSrc":""},{"className":"HyperlinkNode","hyperlink":{},"children":[]},'
        '{"className":"RichTextNode","text":""}]}]')
    paragraph = document.nodes[0]
    image, link, run = paragraph.children
    assert paragraph.anchor_id == ""
    assert (image.image_source, image.image_id, image.alt_text) == ("", None, None)
    assert (link.target, link.anchor, link.target_type, link.children) == (None, None, None, [])
    assert (run.text, paragraph.plain_text) == ("", "")


def test_repr_names_the_kind_and_what_tells_the_node(document):
    assert repr(document.nodes[0]).startswith("<Node HeadingNode level=1 ")
    assert "A tour of every element kind" in repr(document.nodes[0])
    assert "RichTextParagraphNode" in repr(document.nodes[3])
    assert repr(document)


def test_a_node_keeps_its_model_alive(showcase):
    run = richmarkup.parse(showcase).nodes[0].children[0]
    cell_text = next(node for node in richmarkup.parse(showcase).walk() if node.text == "a nested table")
    churn()
    assert run.text == "A tour of every element kind"
    assert run.parent.kind == "HeadingNode" and run.parent.level == 1
    assert run.parent.children == [run]
    assert cell_text.plain_text == "a nested table"
    # Up through two tables to the top.
    ancestors = []
    node = cell_text.parent
    while node is not None:
        ancestors.append(node.kind)
        node = node.parent
    assert ancestors == ["RichTextParagraphNode", "TableCellNode", "TableRowNode", "TableNode",
                         "TableCellNode", "TableRowNode", "TableNode"]


def test_iterators_keep_their_model_alive(showcase):
    walk = richmarkup.parse(showcase).walk()
    top = iter(richmarkup.parse(showcase))
    nodes = richmarkup.parse(showcase).nodes
    churn()
    assert sum(1 for _ in walk) == 101
    assert [node.kind for node in top][:2] == ["HeadingNode", "TableOfContentsContainer"]
    assert nodes[-1].children[0].children[0].text == "#include"


def test_a_document_and_its_nodes_are_collected_together(showcase):
    # A node kept after every other reference is gone, then dropped too: nothing crashes on the way,
    # and a cycle through a node is collected.
    document = richmarkup.parse(showcase)
    holder = {"node": document.nodes[4].children[1]}
    holder["self"] = holder
    del document
    churn()
    assert holder["node"].target == "https://example.org/guide"
    del holder
    churn()

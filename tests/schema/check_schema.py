#!/usr/bin/env python3
"""Checks that schema/richtext.schema.json accepts what the builders build as written and refuses
what they fail on, ignore or store otherwise. Its kinds, keys and required keys are held to the
host's description of the format by check_description.py; the lists here are read from it.

Run alone from anywhere:  python3 tests/schema/check_schema.py [GROUP ...]
Without GROUP every group runs; CTest runs one group per test (schema.<GROUP>).
"""

import copy
import glob
import json
import os
import sys
import unittest
from pathlib import Path

from schema_support import ROOT, SCHEMA, SCHEMA_PATH, VALIDATOR, jsonschema, run_groups

BLOCK_KINDS = SCHEMA["$defs"]["Block"]["properties"]["className"]["enum"]
INLINE_KINDS = SCHEMA["$defs"]["Inline"]["properties"]["className"]["enum"]
CODE_KINDS = SCHEMA["$defs"]["CodeElement"]["properties"]["className"]["enum"]
ALL_KINDS = BLOCK_KINDS + INLINE_KINDS + CODE_KINDS


def run(text):
    return {"className": "RichTextNode", "text": text}


def paragraph(*children):
    return {"className": "RichTextParagraphNode", "children": list(children)}


def line(*children):
    return {"className": "CodeExampleLineNode", "children": list(children)}


def cell(*children):
    return {"className": "TableCellNode", "children": list(children)}


def row(*children):
    return {"className": "TableRowNode", "children": list(children)}


def table(*children):
    return {"className": "TableNode", "children": list(children)}


# Every kind with all the keys its builder reads, each of the right kind.
FULL = {
    "RichTextNode": {"className": "RichTextNode", "text": "bold", "bold": True, "italic": False,
                     "monospace": False, "underline": True},
    "HyperlinkNode": {"className": "HyperlinkNode",
                      "hyperlink": {"target": "https://example.org/", "anchor": "top", "targetType": "url"},
                      "children": [run("a link")]},
    "ImageNode": {"className": "ImageNode", "imageId": "logo", "imgSrc": "logo.png", "height": 32,
                  "width": 64.0, "altText": "The logo", "verticalAlign": "middle"},
    "EquationNode": {"className": "EquationNode", "texString": "a^2", "displayStyle": True,
                     "encoding": "latex", "altTextString": "a squared"},
    "RichTextParagraphNode": {"className": "RichTextParagraphNode", "anchorId": "p", "id": "p",
                              "alignment": "justify", "children": [run("text")]},
    "HeadingNode": {"className": "HeadingNode", "level": 2, "anchorId": "h", "id": "h", "alignment": "center",
                    "children": [run("Title")]},
    "ListParagraph": {"className": "ListParagraph", "type": "ordered", "anchorId": "l", "id": "l",
                      "children": [{"className": "ListItem", "children": [run("item")]}]},
    "ListItem": {"className": "ListItem", "alignment": "right", "children": [run("item")]},
    "TableOfContentsContainer": {"className": "TableOfContentsContainer", "anchorId": "toc", "id": "toc",
                                 "children": [{"className": "TableOfContentsHeadingNode", "children": [run("x")]}]},
    "TableOfContentsHeadingNode": {"className": "TableOfContentsHeadingNode", "alignment": "left",
                                   "children": [run("entry")]},
    "CodeExampleBlockNode": {"className": "CodeExampleBlockNode", "type": "cpp", "anchorId": "c", "id": "c",
                             "children": [line({"className": "CodeTextNode", "text": "int"})]},
    "CodeExampleLineNode": {"className": "CodeExampleLineNode",
                            "children": [{"className": "CodeIndentNode", "width": 4},
                                         {"className": "CodeTextNode", "text": "x"}]},
    "TableNode": {"className": "TableNode", "hasHeader": True, "columnWidths": [100, 200.0], "anchorId": "t",
                  "id": "t", "children": [row(cell(paragraph(run("cell"))))]},
    "TableRowNode": {"className": "TableRowNode", "children": [cell(paragraph(run("cell")))]},
    "TableCellNode": {"className": "TableCellNode", "children": [paragraph(run("cell"))]},
    "CodeTextNode": {"className": "CodeTextNode", "text": "return", "tokenKind": "keyword"},
    "CodeIndentNode": {"className": "CodeIndentNode", "width": 4},
}

# The keys each builder cannot do without.
REQUIRED = {kind: set(SCHEMA["$defs"][kind]["required"]) for kind in ALL_KINDS}


def placed(element):
    """A document holding the element where its builder takes it."""
    kind = element.get("className") if isinstance(element, dict) else None
    if kind in INLINE_KINDS:
        return [paragraph(element)]
    if kind in CODE_KINDS:
        return [{"className": "CodeExampleBlockNode", "type": "text", "children": [line(element)]}]
    return [element]


def with_value(kind, path, value):
    """FULL[kind] with the key at path (a key, or a tuple of keys) set to value."""
    element = copy.deepcopy(FULL[kind])
    keys = (path,) if isinstance(path, str) else path
    target = element
    for key in keys[:-1]:
        target = target[key]
    target[keys[-1]] = value
    return element


def without(kind, key):
    element = copy.deepcopy(FULL[kind])
    del element[key]
    return element


def errors(document):
    return ["/".join(map(str, e.absolute_path)) + ": " + e.message for e in VALIDATOR.iter_errors(document)]


class SchemaTestCase(unittest.TestCase):
    def assertValid(self, document):
        problems = errors(document)
        self.assertEqual(problems, [], "expected valid: " + json.dumps(document)[:300])

    def assertInvalid(self, document):
        self.assertFalse(VALIDATOR.is_valid(document), "expected invalid: " + json.dumps(document)[:300])


class SchemaIsValid(SchemaTestCase):
    """The schema itself: well formed, and one definition per kind, named by its className."""

    def test_is_a_draft_2020_12_schema(self):
        self.assertEqual(SCHEMA.get("$schema"), "https://json-schema.org/draft/2020-12/schema")
        self.assertTrue(SCHEMA.get("$id", "").endswith("/richtext.schema.json"))
        jsonschema.Draft202012Validator.check_schema(SCHEMA)

    def test_every_kind_has_its_definition(self):
        kinds = {name: d["properties"]["className"].get("const")
                 for name, d in SCHEMA["$defs"].items() if "className" in d.get("properties", {})}
        for kind in ALL_KINDS:
            with self.subTest(kind=kind):
                self.assertEqual(kinds.get(kind), kind)

    def test_every_full_element_is_valid_where_it_is_taken(self):
        for kind in ALL_KINDS:
            with self.subTest(kind=kind):
                self.assertValid(placed(FULL[kind]))


class ExamplesAreValid(SchemaTestCase):
    def test_every_example(self):
        paths = sorted(glob.glob(str(ROOT / "examples" / "*.json")))
        self.assertTrue(paths, "no examples/*.json found under " + str(ROOT))
        for path in paths:
            with self.subTest(example=os.path.relpath(path, ROOT)):
                with open(path, encoding="utf-8") as f:
                    self.assertEqual(errors(json.load(f)), [])


class WrongKindsAreInvalid(SchemaTestCase):
    """A key of the wrong JSON kind: read strictly (the build fails) or skipped (ignored)."""

    CASES = [
        # The run's keys are read strictly.
        ("RichTextNode", "text", 42),
        ("RichTextNode", "bold", 1),
        ("RichTextNode", "italic", "true"),
        ("RichTextNode", "monospace", None),
        ("RichTextNode", "underline", 0),
        ("HyperlinkNode", "hyperlink", "https://example.org/"),
        ("HyperlinkNode", "hyperlink", ["https://example.org/"]),
        ("HyperlinkNode", "hyperlink", None),
        ("HyperlinkNode", ("hyperlink", "target"), 12),
        ("HyperlinkNode", ("hyperlink", "anchor"), {"name": "top"}),
        ("HyperlinkNode", ("hyperlink", "targetType"), None),
        ("ImageNode", "imageId", 7),
        ("ImageNode", "imgSrc", {"href": "logo.png"}),
        ("ImageNode", "height", "240"),
        ("ImageNode", "width", True),
        ("ImageNode", "altText", None),
        ("ImageNode", "verticalAlign", 1),
        ("EquationNode", "texString", 5),
        ("EquationNode", "displayStyle", 1),
        ("EquationNode", "displayStyle", "true"),
        ("EquationNode", "encoding", ["latex"]),
        ("EquationNode", "altTextString", None),
        ("RichTextParagraphNode", "anchorId", 5),
        ("RichTextParagraphNode", "alignment", 1),
        ("HeadingNode", "level", "2"),
        ("HeadingNode", "level", None),
        ("HeadingNode", "anchorId", ["h"]),
        ("HeadingNode", "alignment", None),
        ("ListParagraph", "type", 1),
        ("ListParagraph", "type", True),
        ("ListParagraph", "anchorId", 1),
        ("ListItem", "alignment", {"value": "left"}),
        ("TableOfContentsContainer", "anchorId", False),
        ("TableOfContentsHeadingNode", "alignment", 2),
        ("CodeExampleBlockNode", "type", 5),
        ("CodeExampleBlockNode", "anchorId", 5),
        ("CodeTextNode", "text", 5),
        ("CodeTextNode", "tokenKind", None),
        ("CodeIndentNode", "width", "4"),
        ("TableNode", "hasHeader", "yes"),
        ("TableNode", "hasHeader", 1),
        ("TableNode", "columnWidths", "100 200"),
        ("TableNode", "columnWidths", {"0": 100}),
        ("TableNode", "columnWidths", [100, "200"]),
        ("TableNode", "columnWidths", [None]),
        ("TableNode", "anchorId", 3),
    ]

    def test_wrong_kind_of_a_key(self):
        for kind, path, value in self.CASES:
            with self.subTest(kind=kind, key=path, value=value):
                self.assertInvalid(placed(with_value(kind, path, value)))

    def test_children_that_are_no_array(self):
        for kind in ALL_KINDS:
            if "children" not in FULL[kind]:
                continue
            for value in ({}, "text", None, 3):
                with self.subTest(kind=kind, children=value):
                    self.assertInvalid(placed(with_value(kind, "children", value)))

    def test_class_name_that_is_no_string(self):
        for kind in ALL_KINDS:
            for value in (5, None, [kind], {"name": kind}):
                with self.subTest(kind=kind, className=value):
                    self.assertInvalid(placed(with_value(kind, "className", value)))

    def test_id_is_a_string_wherever_it_is_read(self):
        # Read only when "anchorId" is absent or no string.
        for kind in ["RichTextParagraphNode", "HeadingNode", "ListParagraph", "TableOfContentsContainer",
                     "CodeExampleBlockNode", "TableNode"]:
            with self.subTest(kind=kind, anchorId="absent"):
                element = without(kind, "anchorId")
                element["id"] = 17
                self.assertInvalid(placed(element))
            with self.subTest(kind=kind, anchorId="no string"):
                self.assertInvalid(placed(with_value(kind, "id", 17) | {"anchorId": None}))


class MissingRequiredKeysAreInvalid(SchemaTestCase):
    def test_each_required_key_missing(self):
        for kind, keys in REQUIRED.items():
            for key in sorted(keys):
                with self.subTest(kind=kind, key=key):
                    self.assertInvalid(placed(without(kind, key)))

    def test_each_optional_key_missing(self):
        for kind, element in FULL.items():
            for key in sorted(set(element) - REQUIRED[kind]):
                with self.subTest(kind=kind, key=key):
                    self.assertValid(placed(without(kind, key)))

    def test_an_empty_hyperlink_object(self):
        self.assertValid(placed(with_value("HyperlinkNode", "hyperlink", {})))


class ElementsOutOfPlaceAreInvalid(SchemaTestCase):
    def test_at_the_top_of_the_document(self):
        for kind in INLINE_KINDS + CODE_KINDS:
            with self.subTest(kind=kind):
                self.assertInvalid([FULL[kind]])
                self.assertInvalid(FULL[kind])

    def test_in_the_children_of_a_text_block(self):
        holders = ["RichTextParagraphNode", "HeadingNode", "ListItem", "TableOfContentsHeadingNode", "HyperlinkNode"]
        for holder in holders:
            for kind in BLOCK_KINDS + CODE_KINDS:
                with self.subTest(holder=holder, kind=kind):
                    self.assertInvalid(placed(with_value(holder, "children", [run("a"), FULL[kind]])))

    def test_in_a_list(self):
        for kind in ALL_KINDS:
            if kind == "ListItem":
                continue
            with self.subTest(kind=kind):
                self.assertInvalid([with_value("ListParagraph", "children", [FULL["ListItem"], FULL[kind]])])

    def test_in_the_fixed_containers(self):
        # Each container takes exactly one kind.
        containers = {"TableOfContentsContainer": "TableOfContentsHeadingNode",
                      "CodeExampleBlockNode": "CodeExampleLineNode", "TableNode": "TableRowNode",
                      "TableRowNode": "TableCellNode"}
        for container, taken in containers.items():
            for kind in ALL_KINDS:
                if kind == taken:
                    continue
                with self.subTest(container=container, kind=kind):
                    self.assertInvalid([with_value(container, "children", [FULL[taken], FULL[kind]])])

    def test_a_heading_among_the_entries_of_a_table_of_contents(self):
        heading = with_value("HeadingNode", "className", "HeadingNode")
        self.assertInvalid([with_value("TableOfContentsContainer", "children", [heading])])

    def test_in_a_code_line(self):
        for kind in BLOCK_KINDS + INLINE_KINDS:
            with self.subTest(kind=kind):
                self.assertInvalid(placed(with_value("CodeExampleLineNode", "children", [FULL[kind]])))

    def test_inline_elements_in_a_cell(self):
        for kind in INLINE_KINDS + CODE_KINDS:
            with self.subTest(kind=kind):
                self.assertInvalid([table(row(cell(FULL[kind])))])

    def test_children_that_are_no_elements(self):
        for holder in ["RichTextParagraphNode", "ListParagraph", "TableNode", "TableRowNode", "TableCellNode",
                       "CodeExampleLineNode", "TableOfContentsContainer", "CodeExampleBlockNode"]:
            for child in ("text", 1, None, [], {}, {"text": "no className"}):
                with self.subTest(holder=holder, child=child):
                    self.assertInvalid(placed(with_value(holder, "children", [child])))

    def test_class_names_match_exactly(self):
        for name in ("richTextNode", "RichTextNode ", "RichText", "Richtextnode", ""):
            with self.subTest(className=name):
                self.assertInvalid([paragraph({"className": name, "text": "x"})])
        for name in ("ListContainer", "listparagraph", "Table"):
            with self.subTest(className=name):
                self.assertInvalid({"className": name, "children": []})


class StoredOtherwiseIsInvalid(SchemaTestCase):
    """Values the model would keep otherwise than written."""

    def test_heading_levels(self):
        for level in (300, 256, -1, 1.5, 3.99, -0.5, 1e10):
            with self.subTest(level=level):
                self.assertInvalid(placed(with_value("HeadingNode", "level", level)))
        for level in (0, 1, 255, 2.0):
            with self.subTest(level=level):
                self.assertValid(placed(with_value("HeadingNode", "level", level)))

    def test_alignment_words(self):
        for kind in ["RichTextParagraphNode", "HeadingNode", "ListItem", "TableOfContentsHeadingNode"]:
            for word in ("Center", "centre", "middle", "", " left", "JUSTIFY"):
                with self.subTest(kind=kind, alignment=word):
                    self.assertInvalid(placed(with_value(kind, "alignment", word)))
            for word in ("left", "center", "right", "justify"):
                with self.subTest(kind=kind, alignment=word):
                    self.assertValid(placed(with_value(kind, "alignment", word)))

    def test_column_widths(self):
        for widths in ([10.5], [100, 0.2], [-3.9], [2.0 ** 60]):
            with self.subTest(columnWidths=widths):
                self.assertInvalid(placed(with_value("TableNode", "columnWidths", widths)))
        for widths in ([], [0, 100, 320.0], [-3]):
            with self.subTest(columnWidths=widths):
                self.assertValid(placed(with_value("TableNode", "columnWidths", widths)))

    def test_image_sizes(self):
        for key in ("height", "width"):
            for size in (240.75, 0.7, -1, -0.5, 1e300, 2 ** 64):
                with self.subTest(key=key, size=size):
                    self.assertInvalid(placed(with_value("ImageNode", key, size)))
            for size in (0, 240, 320.0, 9007199254740991):
                with self.subTest(key=key, size=size):
                    self.assertValid(placed(with_value("ImageNode", key, size)))

    def test_code_indent_widths(self):
        # The builder refuses these outright.
        for width in (257, -1, 1.5, 1e9):
            with self.subTest(width=width):
                self.assertInvalid(placed(with_value("CodeIndentNode", "width", width)))
        for width in (0, 256, 8.0):
            with self.subTest(width=width):
                self.assertValid(placed(with_value("CodeIndentNode", "width", width)))


class DocumentsThatStayValid(SchemaTestCase):
    def test_unknown_keys(self):
        extras = {"editorState": {"folded": True}, "x-note": "kept", "version": 3, "style": None}
        for kind in ALL_KINDS:
            with self.subTest(kind=kind):
                self.assertValid(placed(dict(FULL[kind], **extras)))
        link = with_value("HyperlinkNode", ("hyperlink", "rel"), ["nofollow"])
        self.assertValid(placed(link))
        # Link properties at the top of the element are not read there: any kind goes.
        self.assertValid(placed(dict(FULL["HyperlinkNode"], target=12, targetType=None)))

    def test_a_numeric_id_beside_a_string_anchor_id(self):
        # "id" is not read when "anchorId" is a string.
        self.assertValid([with_value("TableNode", "id", 42)])

    def test_empty_children(self):
        for kind in ALL_KINDS:
            if "children" in FULL[kind]:
                with self.subTest(kind=kind):
                    self.assertValid(placed(with_value(kind, "children", [])))

    def test_an_empty_document(self):
        self.assertValid([])

    def test_a_single_element_instead_of_an_array(self):
        for kind in BLOCK_KINDS:
            with self.subTest(kind=kind):
                self.assertValid(FULL[kind])

    def test_every_block_kind_at_the_top(self):
        self.assertValid([FULL[kind] for kind in BLOCK_KINDS])

    def test_a_nested_table_in_a_cell(self):
        inner = table(row(cell(paragraph(run("inner")))))
        self.assertValid([table(row(cell(paragraph(run("outer")), inner)))])
        self.assertValid([table(row(cell(table(row(cell(inner))))))])

    def test_any_block_kind_in_a_cell(self):
        # A cell asks every block builder, so even kinds with a fixed parent elsewhere stand in it.
        for kind in BLOCK_KINDS:
            with self.subTest(kind=kind):
                self.assertValid([table(row(cell(FULL[kind])))])

    def test_nested_links(self):
        inner = with_value("HyperlinkNode", "children", [run("inner"), FULL["ImageNode"]])
        self.assertValid(placed(with_value("HyperlinkNode", "children", [run("outer"), inner])))

    def test_any_list_type_word(self):
        for word in ("ordered", "bulleted", "Ordered", ""):
            with self.subTest(type=word):
                self.assertValid([with_value("ListParagraph", "type", word)])


GROUPS = [SchemaIsValid, ExamplesAreValid, WrongKindsAreInvalid, MissingRequiredKeysAreInvalid,
          ElementsOutOfPlaceAreInvalid, StoredOtherwiseIsInvalid, DocumentsThatStayValid]


def main(argv):
    names = argv[1:]
    return run_groups("check_schema", GROUPS, names)


if __name__ == "__main__":
    sys.exit(main(sys.argv))

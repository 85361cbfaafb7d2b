#!/usr/bin/env python3
"""Holds schema/richtext.schema.json and docs/format.md to the host's description of the format,
the one the host's checker reads elements by: the same kinds, keys, JSON kinds, required keys,
routes and stored-value rules, nothing missing and nothing extra.

usage: python3 tests/schema/check_description.py DESCRIBE [GROUP ...]
DESCRIBE: the richmarkup-format-description program, which prints the description as JSON.
Without GROUP every group runs; CTest runs one group per test (schema.<GROUP>).
"""

import json
import re
import subprocess
import sys
import unittest

from schema_support import ROOT, SCHEMA, run_groups

FORMAT_DOC = ROOT / "docs" / "format.md"
DESCRIPTION = {}  # read by main() from the program's output
NUMBER_TYPES = {"number", "integer"}


def kinds():
    return {kind["className"]: kind for kind in DESCRIPTION["kinds"]}


def taken_at(route):
    """The kinds taken among children that go the way of `route`."""
    if route == "anyBlock":
        return {name for name, kind in kinds().items() if kind["block"]}
    return {name for name, kind in kinds().items() if kind["place"] == route}


def keys_read(kind):
    """{path: key} of every key the kind reads, a path being a tuple of keys; className, children
    and the anchor and alignment keys as keys of their own, "read" saying what a wrong kind does."""
    keys = {("className",): {"key": "className", "kind": "string", "required": True, "read": kind["nameRead"]}}
    if kind["children"] != "none":
        keys[("children",)] = {"key": "children", "kind": "array", "required": True, "read": "strict"}
    shared = (DESCRIPTION["anchorKeys"] if kind["anchor"] else []) + \
        ([DESCRIPTION["alignmentKey"]] if kind["alignment"] else [])
    for name in shared:
        keys[(name,)] = {"key": name, "kind": "string", "required": False, "read": None}
    for key in kind["keys"]:
        keys[(key["key"],)] = key
        for member in key.get("members", []):
            keys[(key["key"], member["key"])] = member
    return keys


def types_for(key):
    """The JSON Schema types a key of the description may have: a number stored by a rule of
    its own is a whole one."""
    if key["kind"] == "number":
        return {"integer"} if key.get("stored", "asWritten") != "asWritten" else NUMBER_TYPES
    return {key["kind"]}


def definition_of(ref):
    return SCHEMA["$defs"][ref.rsplit("/", 1)[1]]


class DescriptionMatchesSchema(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.defs = {d["properties"]["className"]["const"]: d for d in SCHEMA["$defs"].values()
                    if "const" in d.get("properties", {}).get("className", {})}

    @staticmethod
    def schema_paths(definition, prefix=()):
        paths = set()
        for key, prop in definition.get("properties", {}).items():
            paths.add(prefix + (key,))
            if prop.get("type") == "object" and "properties" in prop:
                paths |= DescriptionMatchesSchema.schema_paths(prop, prefix + (key,))
        return paths

    @staticmethod
    def resolve(definition, path):
        """The subschema of a path, and the schema that holds its "required"."""
        holder = definition
        prop = None
        for i, key in enumerate(path):
            prop = holder["properties"][key]
            if i < len(path) - 1:
                holder = prop
        return prop, holder

    def value_types(self, definition, path):
        prop, _ = self.resolve(definition, path)
        if "$ref" in prop:
            prop = dict(prop, **definition_of(prop["$ref"]))
        if "type" in prop:
            return {prop["type"]}
        # Typed only where it is read: in a branch of the kind's condition ("id").
        return {branch["properties"][path[-1]]["type"]
                for branch in (definition.get("then", {}), definition.get("else", {}))
                if path[-1] in branch.get("properties", {})}

    @staticmethod
    def kinds_of(ref):
        """The kinds a children's "$ref" admits: one kind's definition, or a group's enum."""
        target = definition_of(ref)
        class_name = target["properties"]["className"]
        return {class_name["const"]} if "const" in class_name else set(class_name["enum"])

    def test_kinds(self):
        self.assertEqual(set(self.defs), set(kinds()))

    def test_keys_and_required_keys(self):
        for name, kind in kinds().items():
            definition = self.defs[name]
            expected = keys_read(kind)
            with self.subTest(kind=name):
                self.assertEqual(self.schema_paths(definition), set(expected))
            for path, key in expected.items():
                if path not in self.schema_paths(definition):
                    continue  # reported above
                with self.subTest(kind=name, key=path):
                    _, holder = self.resolve(definition, path)
                    self.assertEqual(path[-1] in holder.get("required", []), key["required"])
            with self.subTest(kind=name, required="nothing else"):
                self.assertLessEqual(set(definition["required"]), {p[0] for p in expected})

    def test_json_kinds(self):
        for name, kind in kinds().items():
            definition = self.defs[name]
            for path, key in keys_read(kind).items():
                if path not in self.schema_paths(definition):
                    continue  # reported by test_keys_and_required_keys
                with self.subTest(kind=name, key=path):
                    types = self.value_types(definition, path)
                    self.assertTrue(types and types <= types_for(key), f"{types} against {key['kind']}")
            with self.subTest(kind=name, key="className"):
                self.assertEqual(definition["properties"]["className"].get("const"), name)

    def test_stored_value_bounds(self):
        for name, kind in kinds().items():
            for key in kind["keys"]:
                if key["stored"] == "asWritten":
                    continue
                with self.subTest(kind=name, key=key["key"], stored=key["stored"]):
                    prop = self.defs[name]["properties"][key["key"]]
                    numbers = prop["items"] if key["kind"] == "array" else prop
                    self.assertEqual(numbers.get("type"), "integer")
                    self.assertEqual((numbers.get("minimum"), numbers.get("maximum")),
                                     (key["minimum"], key["maximum"]))

    def test_alignment_words(self):
        self.assertEqual(SCHEMA["$defs"]["Alignment"]["enum"], DESCRIPTION["alignmentWords"])
        for name, kind in kinds().items():
            if kind["alignment"]:
                with self.subTest(kind=name):
                    prop = self.defs[name]["properties"][DESCRIPTION["alignmentKey"]]
                    self.assertEqual(prop.get("$ref"), "#/$defs/Alignment")

    def test_routes(self):
        for name, kind in kinds().items():
            if kind["children"] == "none":
                continue
            with self.subTest(kind=name, route=kind["children"]):
                items = self.defs[name]["properties"]["children"]["items"]
                self.assertEqual(self.kinds_of(items["$ref"]), taken_at(kind["children"]))
        # The document holds what a cell holds.
        self.assertEqual(SCHEMA["then"]["items"]["$ref"], "#/$defs/Block")
        self.assertEqual(SCHEMA["else"]["$ref"], "#/$defs/Block")
        self.assertEqual(self.kinds_of("#/$defs/Block"), taken_at("anyBlock"))

    def test_each_kind_of_a_group_leads_to_its_definition(self):
        for group in ("Block", "Inline", "CodeElement"):
            definition = SCHEMA["$defs"][group]
            refs = {branch["if"]["properties"]["className"]["const"]: branch["then"]["$ref"]
                    for branch in definition["allOf"]}
            with self.subTest(group=group):
                self.assertEqual(set(refs), set(definition["properties"]["className"]["enum"]))
                for name, ref in refs.items():
                    self.assertEqual(ref, "#/$defs/" + name)

    def test_the_schema_checks_cover_every_key(self):
        # check_schema.py leaves out each key of its full elements in turn, to see the schema
        # require it or not: every key the description knows must be among them.
        from check_schema import FULL
        for name, kind in kinds().items():
            with self.subTest(kind=name):
                full = {(key,) for key in FULL[name]}
                full |= {(key, member) for key, value in FULL[name].items()
                         if isinstance(value, dict) for member in value}
                self.assertEqual(full, set(keys_read(kind)))


class DescriptionMatchesFormatDoc(unittest.TestCase):
    TYPE_WORDS = {"string": {"string"}, "boolean": {"boolean"}, "number": NUMBER_TYPES, "array": {"array"},
                  "object": {"object"}}

    @classmethod
    def setUpClass(cls):
        with open(FORMAT_DOC, encoding="utf-8") as f:
            text = f.read()
        cls.sections = {}
        for chunk in re.split(r"^## ", text, flags=re.M)[1:]:
            title, _, body = chunk.partition("\n")
            cls.sections[title.strip()] = body

    @staticmethod
    def table_rows(body, header):
        """The cells of each row of the table under `header`."""
        rows = []
        in_table = False
        for line in body.splitlines():
            if line.startswith(header):
                in_table = True
                continue
            if not line.startswith("|"):
                in_table = False
            if in_table and not line.startswith("|---"):
                rows.append([c.strip() for c in line.strip().strip("|").split("|")])
        return rows

    @classmethod
    def key_rows(cls, body):
        """{path: (kind word, required, a wrong kind)} of the section's key table, and the paths
        in the order they stand."""
        rows = cls.table_rows(body, "| Key |")
        paths = [tuple(re.findall(r'`"([^"`]+)"`', cells[0])) for cells in rows]
        table = {}
        for path, cells in zip(paths, rows):
            cells += [""] * (5 - len(cells))
            table[path] = (cells[1].split()[0] if cells[1] else "", cells[2], cells[4])
        return table, paths

    def kind_sections(self):
        return {t: b for t, b in self.sections.items() if re.fullmatch(r"[A-Za-z]+", t)}

    def test_sections(self):
        sections = self.kind_sections()
        self.assertEqual(set(sections), set(kinds()))
        # A key table anywhere else would be a kind the check above missed.
        for title, body in self.sections.items():
            if title not in sections:
                self.assertEqual(self.key_rows(body)[1], [], "a key table under ## " + title)
        for title, body in sections.items():
            with self.subTest(kind=title):
                self.assertIn("| Key | Kind | Required | Meaning | A wrong kind |", body)

    def test_keys(self):
        for name, body in self.kind_sections().items():
            with self.subTest(kind=name):
                table, paths = self.key_rows(body)
                self.assertEqual(len(paths), len(set(paths)), "a key listed twice")
                self.assertEqual(set(paths), set(keys_read(kinds()[name])))

    def test_kind_and_required_columns(self):
        for name, body in self.kind_sections().items():
            table, _ = self.key_rows(body)
            for path, key in keys_read(kinds()[name]).items():
                if path not in table:
                    continue  # reported by test_keys
                word, required, _ = table[path]
                with self.subTest(kind=name, key=path):
                    self.assertIn(word, self.TYPE_WORDS)
                    self.assertEqual(word, key["kind"])
                    self.assertEqual(required, "yes" if key["required"] else "no")

    def test_wrong_kind_column(self):
        # A key read strictly fails the build; one read the other way is ignored.
        for name, body in self.kind_sections().items():
            table, _ = self.key_rows(body)
            for path, key in keys_read(kinds()[name]).items():
                if path not in table or key["read"] is None:
                    continue
                what = table[path][2]
                same = re.match(r'as `"([^"`]+)"`', what)
                if same:
                    what = table[path[:-1] + (same.group(1),)][2]
                with self.subTest(kind=name, key=path, read=key["read"]):
                    if key["read"] == "strict":
                        self.assertIn("the build fails", what)
                    else:
                        self.assertNotIn("the build fails", what)
                        if path != ("className",):
                            self.assertIn("ignored", what)

    def test_where_elements_stand(self):
        rows = self.table_rows(self.sections["Where elements stand"], "| Place |")
        names = lambda cell: set(re.findall(r"`([A-Za-z]+)`", cell))
        top, rows = rows[0], rows[1:]
        self.assertIn("the document itself", top[0])
        self.assertEqual(names(top[1]), taken_at("anyBlock"))
        holders = {}
        for place, taken in rows:
            for holder in names(place):
                self.assertNotIn(holder, holders, "a kind's children named twice")
                # "every block kind, as at the top of the document"
                holders[holder] = names(taken) or (taken_at("anyBlock") if "every block kind" in taken else set())
        routes = {name: kind["children"] for name, kind in kinds().items() if kind["children"] != "none"}
        self.assertEqual(set(holders), set(routes))
        for holder, route in routes.items():
            with self.subTest(kind=holder, route=route):
                self.assertEqual(holders[holder], taken_at(route))

    def test_keys_every_kind_reads_alike(self):
        body = self.sections["Where elements stand"]
        shared = body[body.index("Three keys mean the same"):]
        self.assertEqual(re.findall(r'^- `"([^"`]+)"`', shared, flags=re.M),
                         DESCRIPTION["anchorKeys"] + [DESCRIPTION["alignmentKey"]])
        alignment = shared[shared.index('- `"alignment"`'):]
        self.assertEqual(re.findall(r"`([a-z]+)`", alignment.split(";")[0]), DESCRIPTION["alignmentWords"])


GROUPS = [DescriptionMatchesSchema, DescriptionMatchesFormatDoc]


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__.strip())
    DESCRIPTION.update(json.loads(subprocess.run([argv[1]], capture_output=True, check=True, text=True).stdout))
    names = argv[2:]
    return run_groups("check_description", GROUPS, names)


if __name__ == "__main__":
    sys.exit(main(sys.argv))

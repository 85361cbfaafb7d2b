#!/usr/bin/python3
"""Rich text written from a model builds the same model again, and writing it is idempotent:
build(richtext(build(x))) == build(x), compared as model JSON, and
richtext(build(richtext(build(x)))) == richtext(build(x)) byte for byte, pretty and compact.

Documents: the examples, the fuzz seeds that build, generated documents (several seeds, with
tables) and JSON Lines: the generator's and any *.jsonl under tests/, line by line.

usage: richtext_round_trip.py TOOL [GENDOC]
  without GENDOC (or with an empty one) the generated documents are left out
"""
import json
import subprocess
import sys
import tempfile
from pathlib import Path

GENDOC_SEEDS = (1, 2, 3, 7, 42)
GENDOC_UNITS = 40  # every tenth unit a table

# Values the model stores otherwise than the format writes them: out of range, wrapped, cut to a
# whole number, defaulted, unset against empty against false.
STORED_VALUES = [
    {"className": "HeadingNode", "level": 300, "id": "a", "alignment": "Center", "children": []},
    {"className": "HeadingNode", "level": -1, "anchorId": "", "alignment": "left", "children": []},
    {"className": "HeadingNode", "level": 1.9, "id": "t", "children": []},
    {"className": "RichTextParagraphNode", "anchorId": "\u0000\u007f\u2028\U0001F600", "children": [
        {"className": "RichTextNode", "text": "", "bold": False, "italic": True},
        {"className": "RichTextNode", "text": "\"\\/\b\f\n\r\t\u0001\u00e9"},
        {"className": "ImageNode", "height": 9007199254740991, "width": -1},
        {"className": "ImageNode", "height": -5, "width": 9223372036854775808},
        {"className": "ImageNode", "height": 1e19, "width": -9007199254740993},
        {"className": "ImageNode", "height": 1e300, "width": -1e300, "imageId": "", "imgSrc": ""},
        {"className": "ImageNode", "height": 18446744073709551616, "width": 240.75},
        {"className": "ImageNode"},
        {"className": "EquationNode", "displayStyle": 1},
        {"className": "EquationNode", "texString": "", "displayStyle": False, "altTextString": ""},
        {"className": "HyperlinkNode", "hyperlink": {}, "children": []},
        {"className": "HyperlinkNode", "hyperlink": {"anchor": ""}, "children": [
            {"className": "HyperlinkNode", "hyperlink": {"target": "u", "targetType": "url"}, "children": []}]}]},
    {"className": "ListParagraph", "type": 3, "children": [{"className": "ListItem", "children": []}]},
    {"className": "ListParagraph", "type": "", "id": "l", "children": []},
    {"className": "ListParagraph", "type": "ordered", "children": []},
    {"className": "CodeExampleBlockNode", "type": "", "children": [{"className": "CodeExampleLineNode", "children": [
        {"className": "CodeIndentNode", "width": 0}, {"className": "CodeIndentNode", "width": 256},
        {"className": "CodeTextNode", "text": "  ", "tokenKind": "whitespace"},
        {"className": "CodeTextNode", "text": "  ", "tokenKind": "space"},
        {"className": "CodeTextNode", "text": "", "tokenKind": ""}]}]},
    {"className": "TableNode", "hasHeader": "yes", "columnWidths": {}, "children": []},
    {"className": "TableNode", "hasHeader": False, "columnWidths": [], "children": []},
    {"className": "TableNode", "hasHeader": True, "columnWidths": [-10.5, 1e300, -1e300, 12345678901234567890],
     "children": [{"className": "TableRowNode", "children": [{"className": "TableCellNode", "children": [
         {"className": "TableOfContentsContainer", "children": [
             {"className": "TableOfContentsHeadingNode", "alignment": "justify", "children": []}]}]}]}]},
]


class Tool:
    def __init__(self, path):
        self.path = path

    def run(self, args, text=None):
        """(status, standard output, standard error) of the tool; `text` goes to its standard input."""
        done = subprocess.run([self.path, *args], input=text, capture_output=True)
        return done.returncode, done.stdout, done.stderr

    def must(self, args, text=None, what=""):
        status, out, err = self.run(args, text)
        if status != 0:
            raise Failure(f"{what}: richmarkup-build {' '.join(args)} exited {status}: {err.decode(errors='replace')}")
        return out


class Failure(Exception):
    pass


def first_difference(a, b):
    """Where two texts part, for the message: the line and a little of each."""
    a_lines, b_lines = a.decode(errors="replace").splitlines(), b.decode(errors="replace").splitlines()
    for number, (x, y) in enumerate(zip(a_lines, b_lines), 1):
        if x != y:
            return f"line {number}:\n    {x[:200]!r}\n    {y[:200]!r}"
    return f"one ends first: {len(a_lines)} lines against {len(b_lines)}"


def check_document(tool, name, source, must_build):
    """Checks one document given as a file; gives False when it does not build and need not."""
    status, model, err = tool.run(["-t", "json", str(source)])
    if status != 0:
        if must_build:
            raise Failure(f"{name} does not build: {err.decode(errors='replace')}")
        return False
    rich = tool.must(["-t", "richtext", str(source)], what=name)
    status, rebuilt, err = tool.run(["-t", "json", "-"], rich)
    if status != 0:
        raise Failure(f"{name}: its rich text does not build: {err.decode(errors='replace')}")
    # Keys and values are written as the format takes them: only a stored number that the
    # format's range does not hold is worth a warning.
    warnings = [w for w in err.decode(errors="replace").splitlines()
                if w.startswith("warning:") and "is not a whole number" not in w]
    if warnings:
        raise Failure(f"{name}: its rich text builds with warnings:\n    " + "\n    ".join(warnings))
    if rebuilt != model:
        raise Failure(f"{name}: its rich text builds another model, at {first_difference(model, rebuilt)}")
    again = tool.must(["-t", "richtext", "-"], rich, what=f"{name}, its rich text")
    if again != rich:
        raise Failure(f"{name}: its rich text, written again, differs at {first_difference(rich, again)}")
    compact = tool.must(["-t", "richtext", "-c", str(source)], what=name)
    if compact.rstrip(b"\n").count(b"\n") != 0 or json.loads(compact) != json.loads(rich):
        raise Failure(f"{name}: the compact rich text is not the pretty one on one line")
    compact_again = tool.must(["-t", "richtext", "-c", "-"], compact, what=f"{name}, its compact rich text")
    if compact_again != compact:
        raise Failure(f"{name}: its compact rich text, written again, differs")
    return True


def built_lines(tool, args, text, what):
    """The tool's JSON Lines output; a batch with a failed line still writes the others (status 1)."""
    status, out, err = tool.run(["-f", "jsonl", *args, "-"], text)
    if status not in (0, 1):
        raise Failure(f"{what}: richmarkup-build -f jsonl {' '.join(args)} exited {status}: "
                      f"{err.decode(errors='replace')}")
    return out.splitlines()


def check_lines(tool, name, text):
    """Checks every line of a JSON Lines text that builds; gives how many did."""
    models = built_lines(tool, ["-t", "json"], text, name)
    riches = built_lines(tool, ["-t", "richtext"], text, name)
    if len(models) != len(riches):
        raise Failure(f"{name}: {len(models)} model lines but {len(riches)} rich-text lines")
    # A line that failed is an error object in both outputs: only the others go round.
    kept = [(m, r) for m, r in zip(models, riches) if not m.startswith(b'{"error"')]
    if not kept:
        return 0
    rich_text = b"".join(r + b"\n" for _, r in kept)
    rebuilt = built_lines(tool, ["-t", "json"], rich_text, f"{name}, its rich text")
    again = built_lines(tool, ["-t", "richtext"], rich_text, f"{name}, its rich text")
    for number, ((model, rich), model2, rich2) in enumerate(zip(kept, rebuilt, again), 1):
        if model2 != model:
            raise Failure(f"{name}, built line {number}: its rich text builds another model")
        if rich2 != rich:
            raise Failure(f"{name}, built line {number}: its rich text, written again, differs")
    if len(rebuilt) != len(kept) or len(again) != len(kept):
        raise Failure(f"{name}: {len(kept)} lines of rich text give {len(rebuilt)} and {len(again)} lines")
    return len(kept)


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    tool = Tool(sys.argv[1])
    gendoc = sys.argv[2] if len(sys.argv) == 3 else ""
    sources = Path(__file__).resolve().parents[2]
    failures, checked, skipped = [], 0, 0

    def attempt(name, check):
        nonlocal checked, skipped
        try:
            done = check()
        except Failure as failure:
            failures.append(str(failure))
            return
        if done is False:
            skipped += 1
        else:
            checked += 1

    with tempfile.TemporaryDirectory() as folder:
        work = Path(folder)
        for example in sorted((sources / "examples").glob("*.json")):
            attempt(example.name, lambda: check_document(tool, example.name, example, True))
        for seed in sorted(p for p in (sources / "fuzz" / "seeds").rglob("*") if p.is_file()):
            name = str(seed.relative_to(sources))
            attempt(name, lambda: check_document(tool, name, seed, False))
        stored = work / "stored-values.json"
        stored.write_text(json.dumps(STORED_VALUES))
        attempt(stored.name, lambda: check_document(tool, stored.name, stored, True))
        for seed in GENDOC_SEEDS if gendoc else ():
            document = work / f"gendoc-{seed}.json"
            subprocess.run([gendoc, "--units", str(GENDOC_UNITS), "--seed", str(seed), "--out", str(document)],
                           check=True)
            attempt(document.name, lambda: check_document(tool, document.name, document, True))
        if gendoc:
            lines = subprocess.run([gendoc, "--jsonl", "20", "--units", "12", "--seed", "5"], capture_output=True,
                                   check=True).stdout
            attempt("gendoc --jsonl", lambda: check_lines(tool, "gendoc --jsonl", lines))
        for corpus in sorted((sources / "tests").rglob("*.jsonl")):
            name = str(corpus.relative_to(sources))
            attempt(name, lambda: check_lines(tool, name, corpus.read_bytes()))

    if failures:
        print("rich text that does not go round:\n  " + "\n  ".join(failures))
        return 1
    generated = "" if gendoc else ", no generated ones: no generator given"
    print(f"{checked} documents and corpora go round through rich text ({skipped} seeds that do not build "
          f"skipped{generated})")
    return 0


if __name__ == "__main__":
    sys.exit(main())

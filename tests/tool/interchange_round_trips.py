#!/usr/bin/python3
"""Documents through the formats the tool exchanges with other programs keep what they hold.

  interchange_round_trips.py TOOL EXAMPLES_DIR [GENDOC]

- pandoc's AST: -t pandoc then -f pandoc gives the same model, for every document the mapping
  has nothing to say about.
- Markdown: -t markdown then -f markdown gives the same model (anchor ids aside: Markdown has no
  place for them, so each is compared as the heading it names), and -t markdown is stable after
  one round.
- Through pandoc: every text of the model is in `pandoc -t plain` of the docx, ODT and EPUB the
  tool writes and in pdftotext of its PDF; -t docx then -f docx keeps every text, heading level,
  list, table cell and link target.
- Without pandoc, or when it fails, the error says so, exit 2, nothing written.
"""
import html
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

TOOL, EXAMPLES = sys.argv[1:3]
GENDOC = sys.argv[3] if len(sys.argv) > 3 and sys.argv[3] else None
failures = []


def run(args, stdin=None, env=None, check=True):
    done = subprocess.run([TOOL] + args, input=stdin, capture_output=True, env=env)
    if check and done.returncode != 0:
        raise AssertionError(f"{args}: exit {done.returncode}: {done.stderr.decode(errors='replace')}")
    return done


def model(args, stdin=None):
    return json.loads(run(args + ["-t", "json"], stdin).stdout)


def expect(condition, what):
    if not condition:
        failures.append(what)


def walk(nodes):
    for node in nodes:
        yield node
        yield from walk(node.get("children", []))


def texts(nodes):
    """Every text a reader sees: runs, code and alternative texts of images."""
    out = []
    for node in walk(nodes):
        if node["kind"] in ("RichTextNode", "CodeTextNode") and node.get("text", "").strip():
            out.append(node["text"])
        elif node["kind"] == "ImageNode" and node.get("altText", "").strip():
            out.append(node["altText"])
    return out


def squeezed(text):
    return re.sub(r"\s+", "", text)


def canonical(nodes):
    """The model as pandoc's AST can carry it: a flag unset reads back as its default, adjacent
    runs of one formatting as one run, an internal link as its anchor."""
    clean = json.loads(json.dumps(nodes))
    for node in walk(clean):
        if "formatting" in node:
            node["formatting"] = {k: v for k, v in node["formatting"].items() if v}
        equation = node.get("equationData", {})
        if not equation.get("displayStyle", False):
            equation.pop("displayStyle", None)
        if equation.get("encoding") in ("latex", "tex"):
            equation.pop("encoding")
        if not node.get("tableNodeMetaData", {}).get("hasHeader", False):
            node.get("tableNodeMetaData", {}).pop("hasHeader", None)
        if not node.get("isOrdered", False):
            node.pop("isOrdered", None)
        if node["kind"] == "HyperlinkNode" and node.get("target", "").startswith("#"):
            node["anchor"] = node.pop("target")[1:]
        if node["kind"] == "CodeExampleLine":  # one text: its pieces and their token kinds are gone
            node["children"] = [{"kind": "line", "text": "".join(c.get("text", "") for c in node["children"])}]
    for node in walk(clean):
        children = node.get("children")
        if children:
            merged = []
            for child in children:
                if (merged and child["kind"] == merged[-1]["kind"] == "RichTextNode" and
                        child.get("formatting") == merged[-1].get("formatting") and
                        set(child) == set(merged[-1])):
                    merged[-1]["text"] += child["text"]
                else:
                    merged.append(child)
            node["children"] = merged
    return clean


def as_markdown_holds(nodes):
    """The model as Markdown can carry it: what the Markdown writer documents as not written
    (alignment, image sizes and ids, column widths, token kinds and the pieces of a code line,
    equations' encoding and alternative text, link target types, anchor ids: a heading's is the
    one GitHub gives its text) taken away, the rest as pandoc's AST carries it."""
    clean = canonical(nodes)
    for node in walk(clean):
        for key in ("alignment", "id", "targetType", "anchorId"):  # links: compared by what they reach
            node.pop(key, None)
        node["imageData"] = {k: v for k, v in node.get("imageData", {}).items() if k in ("imgSrc", "altText")}
        for key in ("altText", "encoding"):
            node.get("equationData", {}).pop(key, None)
        node.get("tableNodeMetaData", {}).pop("columnWidths", None)
    return clean


def without_what_is_said(path, markdown):
    """The document without what the writer of pandoc's AST (or of Markdown) says it writes in its
    nearest form: paragraph alignment, image ids and vertical alignment, equations' alternative
    text, token kinds, a fraction in a size, an internal link that names its heading without the
    heading's tag (and, for Markdown, underlined runs, which only raw HTML holds). What remains
    must then go through without a word."""
    with open(path) as f:
        document = json.load(f)
    values, stack = [], [document]
    while stack:
        value = stack.pop()
        if isinstance(value, dict):
            values.append(value)
            stack.extend(value.values())
        elif isinstance(value, list):
            stack.extend(value)
    ids = set()
    for value in values:
        if value.get("className") == "HeadingNode" and isinstance(value.get("id"), str):
            ids.add(("T_" if value.get("level") == 1 else "H_") + value["id"])
        if isinstance(value.get("anchorId"), str):
            ids.add(value["anchorId"])
    for value in values:
        for key in ("alignment", "imageId", "verticalAlign", "altTextString", "tokenKind") + (
                ("underline",) if markdown else ()):
            value.pop(key, None)
        for key in ("width", "height"):
            if isinstance(value.get(key), float):
                value[key] = int(value[key])
        anchor = value.get("anchor")
        if isinstance(anchor, str) and anchor not in ids:
            for tag in ("T_", "H_", "M_"):
                if tag + anchor[2:] in ids:
                    value["anchor"] = tag + anchor[2:]
    plain = os.path.join(work, os.path.basename(path) + (".md" if markdown else ".ast") + ".json")
    with open(plain, "w") as f:
        json.dump(document, f)
    return plain


def by_anchor(nodes):
    """The model with each anchor id and internal link target replaced by the text of what it names."""
    names = {}
    for node in walk(nodes):
        if node.get("anchorId"):
            names[node["anchorId"]] = "".join(n.get("text", "") for n in walk(node.get("children", [])))
    clean = json.loads(json.dumps(nodes))
    for node in walk(clean):
        if "anchorId" in node:
            node["anchorId"] = names.get(node["anchorId"], "?") if node["anchorId"] else ""
        if node["kind"] == "HyperlinkNode" and node.get("targetType") == "anchor":
            anchor = node.get("anchor") or node.get("target", "").lstrip("#")
            node["anchor"] = names.get(anchor, "?" + anchor)
            node.pop("target", None)
    return clean


documents = sorted(os.path.join(EXAMPLES, name) for name in os.listdir(EXAMPLES) if name.endswith(".json"))
work = tempfile.mkdtemp()
for seed in (1, 2, 3) if GENDOC else ():
    path = os.path.join(work, f"generated-{seed}.json")
    subprocess.run([GENDOC, "--units", "60", "--seed", str(seed), "--out", path], check=True)
    documents.append(path)

# The fuzz corpus's documents: compared where the writers have nothing to say of them.
seeds = os.path.join(os.path.dirname(EXAMPLES), "fuzz", "seeds")
fuzzed = [os.path.join(folder, name) for folder in (os.path.join(seeds, "writers"), os.path.join(seeds, "json"))
          for name in sorted(os.listdir(folder))]
for document in documents + fuzzed:
    name = os.path.basename(document)
    fuzz_seed = document in fuzzed
    if fuzz_seed and run([document, "-t", "none"], check=False).returncode != 0:
        continue
    original = model([document])

    # pandoc's AST and back.
    plain = without_what_is_said(document, markdown=False)
    ast = run(["-t", "pandoc", plain])
    expect(ast.stderr == b"" or name == "inline.json" or fuzz_seed, f"{name}: -t pandoc said {ast.stderr[:300]!r}")
    if not ast.stderr:
        back = run(["-f", "pandoc", "-t", "json", "-"], ast.stdout)
        expect(canonical(json.loads(back.stdout)) == canonical(model([plain])),
               f"{name}: -t pandoc then -f pandoc changed the model")
        expect(back.stderr == b"", f"{name}: reading the AST back warned: {back.stderr[:300]!r}")

    # Markdown and back.
    plain = without_what_is_said(document, markdown=True)
    markdown = run(["-t", "markdown", plain])
    # A table whose cells hold more than a paragraph is raw HTML in Markdown (as the examples have).
    expect(markdown.stderr == b"" or name in ("inline.json", "showcase.json", "tables.json") or fuzz_seed,
           f"{name}: -t markdown said {markdown.stderr[:300]!r}")
    if not markdown.stderr:
        back = run(["-f", "markdown", "-t", "json", "-"], markdown.stdout)
        expect(as_markdown_holds(by_anchor(json.loads(back.stdout))) == as_markdown_holds(by_anchor(model([plain]))),
               f"{name}: -t markdown then -f markdown changed the model")
        again = run(["-f", "markdown", "-t", "markdown", "-"], markdown.stdout)
        expect(run(["-f", "markdown", "-t", "markdown", "-"], again.stdout).stdout == again.stdout,
               f"{name}: -t markdown is not stable after one round")

    if fuzz_seed:
        continue

    # Through pandoc: every text is there.
    wanted = [squeezed(t) for t in texts(original)]
    for extension in ("docx", "odt", "epub", "pdf"):
        if extension == "pdf" and not document.startswith(EXAMPLES):
            continue  # a PDF takes a second or two: the examples are enough
        out = os.path.join(work, f"{name}.{extension}")
        run(["-o", out, document])
        if extension == "pdf":
            plain = subprocess.run(["pdftotext", "-enc", "UTF-8", out, "-"], capture_output=True, check=True).stdout
        elif extension == "odt":
            # pandoc 2's ODT reader skips what stands in a section (an element with an anchor id):
            # the text of the document's content itself, then.
            with zipfile.ZipFile(out) as odt:
                plain = html.unescape(re.sub(r"<[^>]*>", "", odt.read("content.xml").decode())).encode()
        else:
            plain = subprocess.run(["pandoc", "-t", "plain", "--wrap=none", out], capture_output=True,
                                   check=True).stdout
        have = squeezed(plain.decode())
        missing = [t for t in wanted if t not in have]
        expect(not missing, f"{name}: {extension} lacks {missing[:5]}")

    # Word and back: texts, heading levels, lists, cells and link targets.
    docx = os.path.join(work, f"{name}.docx")
    back = model(["-f", "docx", docx])
    kinds = lambda nodes, kind: [n for n in walk(nodes) if n["kind"] == kind]
    kept = squeezed("".join(texts(back)))
    expect(all(t in kept for t in wanted), f"{name}: docx lost {[t for t in wanted if t not in kept][:5]}")
    expect([h.get("level") for h in kinds(back, "HeadingNode")] ==
           [min(max(h.get("level"), 1), 6) for h in kinds(original, "HeadingNode")], f"{name}: docx heading levels")
    expect([len(l["children"]) for l in kinds(back, "ListParagraph")] ==
           [len(l["children"]) for l in kinds(original, "ListParagraph")], f"{name}: docx lists")
    cells = lambda nodes: [squeezed("".join(texts(c.get("children", [])))) for c in kinds(nodes, "TableCellNode")]
    expect(cells(back) == cells(original), f"{name}: docx table cells")
    targets = lambda nodes: sorted(l["target"] for l in kinds(nodes, "HyperlinkNode") if l.get("targetType") == "url")
    expect(targets(back) == targets(original), f"{name}: docx link targets {targets(back)} != {targets(original)}")

# No pandoc: a clear error, nothing written.
empty = tempfile.mkdtemp()
showcase = os.path.join(EXAMPLES, "showcase.json")
out = os.path.join(work, "none.docx")
done = run(["-o", out, showcase], env={"PATH": empty}, check=False)
expect(done.returncode == 2 and done.stderr == b"error: docx output needs pandoc (apt-get install pandoc), or write "
       b"-t pandoc and convert it yourself\n", f"without pandoc: {done.returncode} {done.stderr!r}")
expect(not os.path.exists(out), "without pandoc something was written")
# pandoc failing: its message, exit 2, nothing written.
failing = os.path.join(work, "failing-pandoc")
with open(failing, "w") as script:
    script.write("#!/bin/sh\ncase \"$1\" in --version) echo 'pandoc 3.1'; echo 'pandoc-types 1.23.1';; *) cat >/dev/null; "
                 "echo 'could not do it' >&2; exit 64;; esac\n")
os.chmod(failing, 0o755)
done = run(["--pandoc", failing, "-o", out, showcase], check=False)
expect(done.returncode == 2 and b"pandoc could not write docx: could not do it" in done.stderr,
       f"failing pandoc: {done.returncode} {done.stderr!r}")
expect(not os.path.exists(out), "a failing pandoc left an output")
# The AST version: the pandoc found's, or --pandoc-api's.
version = lambda args: json.loads(run(args + ["-t", "pandoc", showcase]).stdout)["pandoc-api-version"][:2]
found = subprocess.run(["pandoc", "--version"], capture_output=True, text=True).stdout
expect(version([]) == ([1, 22] if "pandoc-types 1.22" in found else [1, 23]), "the AST version of the pandoc found")
expect(version(["--pandoc-api", "1.23"]) == [1, 23] and version(["--pandoc-api", "1.22"]) == [1, 22], "--pandoc-api")
expect(version(["--pandoc", failing]) == [1, 23], "the version a pandoc 3 reads")

shutil.rmtree(work)
for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)

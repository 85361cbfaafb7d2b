#!/usr/bin/python3
"""Reads the tool's Markdown of each document back with pandoc, as GitHub-flavoured Markdown.

usage: markdown_reads_back_with_pandoc.py links|math TOOL DOCUMENT_OR_DIR...

links: every internal link (href="#...") of the rendered page reaches an element with that id.
math:  with tex_math_dollars, the equations are the model's, in order, each TeX exactly as held.
Exits 77 (skipped) without /usr/bin/pandoc.
"""
import html
import json
import os
import re
import subprocess
import sys
from pathlib import Path

PANDOC = "/usr/bin/pandoc"
SKIPPED = 77


def documents(arguments):
    for argument in arguments:
        path = Path(argument)
        yield from sorted(path.glob("*.json")) if path.is_dir() else [path]


def run(command, text=None):
    return subprocess.run(command, input=text, capture_output=True, text=True, check=True).stdout


def unreached_links(markdown):
    page = run([PANDOC, "-f", "gfm", "-t", "html"], markdown)
    ids = {html.unescape(value) for value in re.findall(r'\sid="([^"]*)"', page)}
    links = [html.unescape(value) for value in re.findall(r'\shref="#([^"]*)"', page)]
    return [f"#{link}" for link in links if link and link not in ids], len(links)


def maths(node, key):
    """The TeX of each equation in document order: pandoc's Math nodes, or the model's equations."""
    if isinstance(node, dict):
        if key == "pandoc" and node.get("t") == "Math":
            yield node["c"][1]
        elif key == "model" and node.get("kind") == "EquationNode" and node.get("texString"):
            yield node["texString"]
        for value in node.values():
            yield from maths(value, key)
    elif isinstance(node, list):
        for item in node:
            yield from maths(item, key)


def main():
    if len(sys.argv) < 4 or sys.argv[1] not in ("links", "math"):
        print(__doc__)
        return 2
    if not os.access(PANDOC, os.X_OK):
        print(f"{PANDOC} not found: skipped")
        return SKIPPED
    check, tool = sys.argv[1], sys.argv[2]
    failures = []
    checked = 0
    for document in documents(sys.argv[3:]):
        markdown = run([tool, "-q", "-t", "markdown", str(document)])
        if check == "links":
            unreached, count = unreached_links(markdown)
            checked += count
            failures += [f"{document.name}: {link} reaches no element" for link in unreached]
        else:
            model = list(maths(json.loads(run([tool, "-q", "-t", "json", str(document)])), "model"))
            read = list(maths(json.loads(run([PANDOC, "-f", "gfm+tex_math_dollars", "-t", "json"], markdown)),
                              "pandoc"))
            checked += len(model)
            if read != model:
                failures.append(f"{document.name}: the model's TeX {model!r}\n  read back as {read!r}")
    if failures:
        print("\n".join(failures))
        return 1
    print(f"{checked} {'internal links' if check == 'links' else 'equations'} read back by pandoc")
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Renders the Markdown of every example with cmark-gfm and finds every text of the model in it
(equations' TeX in the Markdown itself, between dollars).

usage: markdown_keeps_every_text.py TOOL EXAMPLES_DIR
"""
import html
import json
import re
import subprocess
import sys
from pathlib import Path


def texts(node, parent_key=""):
    """The texts a reader must find, each with its key: runs and code tokens, equations' TeX,
    images' alt text."""
    if isinstance(node, dict):
        for key, value in node.items():
            if isinstance(value, str) and (key in ("text", "texString") or
                                           (key == "altText" and parent_key == "imageData")):
                yield key, value
            else:
                yield from texts(value, key)
    elif isinstance(node, list):
        for item in node:
            yield from texts(item, parent_key)


def squeeze(text):
    return re.sub(r"\s+", " ", text).strip()


def rendered_text(markdown):
    page = subprocess.run(["cmark-gfm", "--unsafe", "-e", "table", "-e", "strikethrough", "-t", "html"],
                          input=markdown, capture_output=True, text=True, check=True).stdout
    # Alt text lives in an attribute; everything else between tags.
    page = re.sub(r'<img[^>]*\salt="([^"]*)"[^>]*>', r" \1 ", page)
    return squeeze(html.unescape(re.sub(r"<[^>]+>", " ", page)))


def main():
    tool, examples = sys.argv[1], Path(sys.argv[2])
    missing = []
    checked = 0
    for example in sorted(examples.glob("*.json")):
        run = lambda fmt: subprocess.run([tool, "-t", fmt, str(example)], capture_output=True, text=True,
                                         check=True).stdout
        model = json.loads(run("json"))
        markdown = run("markdown")
        shown = rendered_text(markdown)
        for key, text in texts(model):
            checked += 1
            # TeX stands between dollars as it is, for a renderer with math; cmark-gfm has none.
            if key == "texString" and f"${text}$" in markdown:
                continue
            # Tokens of a code line may be split by the renderer only where the model splits them.
            if squeeze(text) and squeeze(text) not in shown:
                missing.append(f"{example.name}: {text!r}")
    if missing:
        print("texts the rendered Markdown does not show:\n  " + "\n  ".join(missing))
        return 1
    print(f"{checked} texts of the models found in the rendered Markdown")
    return 0


if __name__ == "__main__":
    sys.exit(main())

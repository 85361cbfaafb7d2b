#!/usr/bin/env python3
"""A document the tool builds without a diagnostic is valid by the schema, and one with a
diagnostic is not: on the examples, on generated documents and on mutations of them.

usage: diagnostics_agree.py TOOL [GENDOC]
Misspelt-key warnings are left out of the comparison: the schema allows keys it does not know.
"""

import copy
import json
import subprocess
import sys
import tempfile
from pathlib import Path

from schema_support import ROOT, VALIDATOR

OTHER_KIND = {str: 7, bool: "yes", int: "7", float: "7", list: {}, dict: [], type(None): "x"}


def objects(node, path=()):
    """Every object of a document with the path to it."""
    if isinstance(node, dict):
        yield path, node
        for key, value in node.items():
            yield from objects(value, path + (key,))
    elif isinstance(node, list):
        for i, value in enumerate(node):
            yield from objects(value, path + (i,))


def mutations(document):
    """Each key of each object dropped, or given a value of another kind; a level, a size and a
    width that the model keeps otherwise."""
    for path, obj in list(objects(document)):
        for key, value in obj.items():
            if key == "className":
                continue
            for change in ("drop", "kind"):
                mutated = copy.deepcopy(document)
                target = mutated
                for step in path:
                    target = target[step]
                if change == "drop":
                    del target[key]
                else:
                    target[key] = OTHER_KIND[type(value)]
                yield f"{'/'.join(map(str, path))}/{key} {change}", mutated
        for key, odd in (("level", 256), ("width", 2.5), ("alignment", "middle")):
            if key in obj:
                mutated = copy.deepcopy(document)
                target = mutated
                for step in path:
                    target = target[step]
                target[key] = odd
                yield f"{'/'.join(map(str, path))}/{key} = {odd}", mutated


def diagnostics(tool, document, folder):
    path = Path(folder) / "doc.json"
    path.write_text(json.dumps(document))
    run = subprocess.run([tool, "-t", "none", str(path)], capture_output=True, text=True)
    lines = [line for line in run.stderr.splitlines() if "did you mean" not in line]
    return run.returncode, lines


def main():
    tool = sys.argv[1]
    gendoc = sys.argv[2] if len(sys.argv) > 2 else None
    documents = []
    for example in sorted((ROOT / "examples").glob("*.json")):
        documents.append((example.name, json.loads(example.read_text())))
    if gendoc:
        generated = subprocess.run([gendoc, "--units", "8"], capture_output=True, text=True, check=True).stdout
        documents.append(("a generated document", json.loads(generated)))
    cases = []
    for name, document in documents:
        cases.append((name, document))
        cases.extend((f"{name}: {what}", mutated) for what, mutated in mutations(document))

    disagreements = []
    with tempfile.TemporaryDirectory() as folder:
        for name, document in cases:
            status, lines = diagnostics(tool, document, folder)
            valid = VALIDATOR.is_valid(document)
            quiet = status == 0 and not lines
            if valid != quiet:
                shown = lines[0] if lines else f"exit {status}, no diagnostic"
                schema_says = "valid" if valid else next(VALIDATOR.iter_errors(document)).message[:120]
                disagreements.append(f"{name}\n    tool: {shown}\n    schema: {schema_says}")
    if disagreements:
        print(f"{len(disagreements)} of {len(cases)} documents: the tool and the schema disagree")
        print("\n".join(disagreements[:40]))
        return 1
    print(f"{len(cases)} documents: the tool and the schema agree on every one")
    return 0


if __name__ == "__main__":
    sys.exit(main())

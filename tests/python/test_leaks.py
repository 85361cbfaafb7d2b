"""Conversions give back what they take: the resident set after thousands of them stays where it
was after the first few hundred."""
import gc
import os
import warnings

import richmarkup

from conftest import EXAMPLES

WARM_UP = 300
ROUNDS = 3000
# A model of the document below is some 30 KiB and an error with its diagnostic some 400 bytes:
# 3000 of either leaked go beyond this, where the allocator's own drift is a few KiB.
BOUND_BYTES = 1024 * 1024

FAILING = [
    b'[{"className": "HeadingNode", "level": 1, "children": [}]',
    b'[{"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":3}]}]',
    b"[" * 600,
]


def resident_bytes():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def one_round(text, i):
    document = richmarkup.parse(text, name="doc.json")
    document.to_json()
    node = next(n for n in document.walk() if n.kind == "EquationNode")
    del document
    assert node.parent.plain_text  # a node alone holds the model, then lets it go
    richmarkup.convert(text, to="markdown")  # with the writer's warnings
    for line in richmarkup.convert_lines([text.replace("\n", " ")]):
        assert line.startswith("[")
    try:
        richmarkup.parse(FAILING[i % len(FAILING)])
    except richmarkup.Error as e:
        assert e.diagnostic.message


def test_thousands_of_conversions_keep_the_resident_set():
    text = (EXAMPLES / "showcase.json").read_text(encoding="utf-8")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        for i in range(WARM_UP):
            one_round(text, i)
        gc.collect()
        before = resident_bytes()
        for i in range(ROUNDS):
            one_round(text, i)
        gc.collect()
        after = resident_bytes()
    assert after - before < BOUND_BYTES, f"{(after - before) / 2**20:.1f} MiB more after {ROUNDS} rounds"

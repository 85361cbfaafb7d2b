"""Threads share one framework: four converting at once give what one gives, the framework starts
once however many threads ask for it first, and an interpreter exits cleanly with models alive."""
import subprocess
import textwrap
import warnings
from concurrent.futures import ThreadPoolExecutor

import richmarkup

from conftest import FORMATS, example_files, python_env

BAD = [
    b'[{"className": "HeadingNode", "level": 1, "children": [}]',
    b'[{"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":3}]}]',
]


def outcome(job):
    """What a conversion gives, an error included, as a value to compare."""
    kind, text, to = job
    try:
        if kind == "convert":
            return richmarkup.convert(text, to=to, name="doc.json")
        if kind == "lines":
            heard = []
            lines = [b" ".join(text.splitlines())] * 3 + [b"", b'[{"className":"RichTextNode","text":"x"}]']
            output = list(richmarkup.convert_lines(lines, to=to, name="doc.jsonl", on_warning=heard.append))
            return output, [str(d) for d in heard]
        document = richmarkup.parse(text, name="doc.json")
        return [(node.kind, node.text, node.level, node.parent.kind if node.parent else None)
                for node in document.walk()], getattr(document, "to_" + to)()
    except richmarkup.Error as e:
        return type(e).__name__, str(e)


def test_four_threads_give_the_outputs_of_one():
    texts = [path.read_bytes() for path in example_files()] + BAD
    jobs = [(kind, text, to) for kind in ("convert", "parse") for text in texts for to in FORMATS]
    jobs += [("lines", text, to) for text in texts for to in ("json", "richtext")]
    with warnings.catch_warnings():
        # Warnings are not what this compares, and the registry of them is no thread's to share.
        warnings.simplefilter("ignore")
        expected = [outcome(job) for job in jobs]
        with ThreadPoolExecutor(4) as pool:
            for _ in range(5):
                assert list(pool.map(outcome, jobs)) == expected


def run_python(code):
    return subprocess.run(["/usr/bin/python3", "-c", textwrap.dedent(code)], stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=120, text=True, env=python_env())


def test_threads_that_ask_first_at_once_start_one_framework(tool):
    # A fresh interpreter: the first conversion starts the framework, and here four threads ask at
    # the same moment.
    path = next(p for p in example_files() if p.name == "showcase.json")
    run = run_python(f"""
        import sys, threading, richmarkup
        text = open({str(path)!r}, encoding="utf-8").read()
        start = threading.Barrier(8)
        outputs = [None] * 8
        def convert(i):
            start.wait()
            outputs[i] = richmarkup.convert(text, to="tree") if i % 2 else richmarkup.parse(text).to_tree()
        threads = [threading.Thread(target=convert, args=(i,)) for i in range(8)]
        for t in threads: t.start()
        for t in threads: t.join()
        assert len(set(outputs)) == 1, outputs
        sys.stdout.write(outputs[0])
    """)
    assert run.returncode == 0, run.stderr
    assert run.stdout.encode() == tool("-t", "tree", path).stdout


def test_the_interpreter_exits_cleanly_with_models_alive():
    # Nodes, documents and a stream left open, held by globals and by a cycle, are torn down after
    # the framework's users are gone: no crash, no hang, no word on standard error.
    run = run_python("""
        import richmarkup
        text = '[{"className":"HeadingNode","level":1,"children":[{"className":"RichTextNode","text":"t"}]}]'
        document = richmarkup.parse(text)
        node = richmarkup.parse(text).nodes[0].children[0]
        cycle = [richmarkup.parse(text).nodes[0]]
        cycle.append(cycle)
        lines = richmarkup.convert_lines(iter([text] * 10))
        next(lines)
        print(node.text, node.parent.level)
    """)
    assert (run.returncode, run.stdout, run.stderr) == (0, "t 1\n", "")

#!/usr/bin/python3
"""Peak memory of richmarkup-build against input size, for every input shape, in one run.

For each size, writes these inputs under a temporary folder in /tmp (from richmarkup-gendoc's
documents), runs the tool on each with `-t none` and `-t html` (JSON Lines: `-t none` and
`-t json`), and prints peak RSS / input size:

  many          the generator's document: an array of many top-level elements
  one-table     one table holding everything, as the array's only entry: `[{TableNode}]`
  one-list      one list holding everything, as the whole document: `{ListParagraph}`
  many-cut      `many` without its last 4 KiB (malformed: ends inside an element)
  many-byte     `many` with a byte 0xFF in its last text (malformed: invalid UTF-8)
  one-cut       `one-table` without its last 4 KiB
  one-byte      `one-table` with a byte 0xFF in its last text
  deep          `[[[[...`, all of it brackets (malformed: nested too deep)
  deep-late     `[[],[[[[...`: the same nesting after a first entry that closes
  jsonl         JSON Lines (`-f jsonl`), documents of ten units a line
  jsonl-cut     the same without its last 100 bytes (the last line malformed, the rest built)
  dense         `[[],[],...]`: every byte structural, no element taken (a warning each); only
                when asked for with --shapes, as it takes far longer and far more memory

Valid inputs must give exit status 0, malformed ones 2 with a located error (`error:
FILE:LINE:COL: ...`); the JSON Lines stream with a cut line 1. Anything else is marked `!` in
the table and its first line of standard error is shown below it. Peak RSS comes from wait4 (the
whole process, the tool's own restart with huge pages included); standard output goes to
/dev/null. Warnings are silenced (`-q`) unless --warnings is given: shown warnings are located
in the text read again, which is a cost of its own.

    bench/peak_memory.py [--sizes 25,50,100,200] [--quick] [--shapes many,deep,...] [--warnings]
                         [--no-huge-pages] [--build-dir build] [--keep]
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

SHAPES = ["many", "one-table", "one-list", "many-cut", "many-byte", "one-cut", "one-byte", "deep", "deep-late",
          "jsonl", "jsonl-cut", "dense"]
DEFAULT_SHAPES = [s for s in SHAPES if s != "dense"]
MALFORMED = {"many-cut", "many-byte", "one-cut", "one-byte", "deep", "deep-late"}
# Bytes of one JSON Lines document of ten generated units, about: sets the number of lines.
JSONL_LINE_BYTES = 9239
CHUNK = 1 << 20


def log(message):
    print(message, file=sys.stderr, flush=True)


class Generator:
    """Writes the inputs of one size into a folder, from richmarkup-gendoc's output."""

    def __init__(self, gendoc, folder):
        self.gendoc = gendoc
        self.folder = folder

    def path(self, shape):
        return os.path.join(self.folder, shape + (".jsonl" if shape.startswith("jsonl") else ".json"))

    def write_all(self, megabytes, shapes):
        """Writes the inputs of `shapes` (and those they are made from) of about `megabytes` MB each."""
        target = int(megabytes * 1e6)
        wanted = set(shapes)
        if wanted & {"many", "many-cut", "many-byte", "one-table", "one-cut", "one-byte"}:
            subprocess.run([self.gendoc, "--megabytes", str(megabytes), "--out", self.path("many")], check=True)
        if wanted & {"one-table", "one-cut", "one-byte"}:
            self.one_table(self.path("many"), self.path("one-table"), target)
        if "one-list" in wanted:
            # A list takes only inline content (paragraphs, headings, list items): more source needed.
            source = os.path.join(self.folder, "list-source.json")
            subprocess.run([self.gendoc, "--megabytes", str(megabytes * 1.9), "--seed", "2", "--out", source],
                           check=True)
            self.one_list(source, self.path("one-list"), target)
            os.remove(source)
        for base, whole in (("many", "many"), ("one", "one-table")):
            if base + "-cut" in wanted:
                self.cut(self.path(whole), self.path(base + "-cut"), 4096)
            if base + "-byte" in wanted:
                self.bad_byte(self.path(whole), self.path(base + "-byte"))
        if "deep" in wanted:
            self.deep(self.path("deep"), b"", target)
        if "deep-late" in wanted:
            self.deep(self.path("deep-late"), b"[[],", target)
        if "dense" in wanted:
            self.dense(self.path("dense"), target)
        if wanted & {"jsonl", "jsonl-cut"}:
            lines = max(1, round(target / JSONL_LINE_BYTES))
            subprocess.run([self.gendoc, "--jsonl", str(lines), "--units", "10", "--out", self.path("jsonl")],
                           check=True)
        if "jsonl-cut" in wanted:
            self.cut(self.path("jsonl"), self.path("jsonl-cut"), 100)

    @staticmethod
    def elements(path):
        """The generator's top-level elements, one a line, without their separating commas."""
        with open(path, "rb") as f:
            for line in f:
                line = line.rstrip(b"\n").rstrip(b",")
                if line.startswith(b"{"):
                    yield line

    @staticmethod
    def one_table(source, out, target):
        """One table whose rows hold two cells, each cell one of the source's elements."""
        head = b'[\n{"className":"TableNode","hasHeader":false,"children":[\n'
        tail = b"\n]}\n]\n"
        cell = b'{"className":"TableCellNode","children":[%s]}'
        row = b'{"className":"TableRowNode","children":[%s]}'
        written = len(head) + len(tail)
        with open(out, "wb") as f:
            f.write(head)
            pending = []
            first = True
            for element in Generator.elements(source):
                pending.append(cell % element)
                if len(pending) < 2:
                    continue
                text = (b"" if first else b",\n") + row % b",".join(pending)
                if written + len(text) > target and not first:
                    break
                f.write(text)
                written += len(text)
                first = False
                pending = []
            f.write(tail)

    @staticmethod
    def inline_children(element):
        """The children array of a paragraph or heading, or the items of a list, as text."""
        key = b'"children":['
        at = element.find(key)
        # The generator writes "children" last; anything else is not taken.
        if at < 0 or not element.endswith(b"]}"):
            return None
        children = element[at + len(key) - 1:-1]
        if element.startswith(b'{"className":"ListParagraph"'):
            return b"items", children[1:-1]
        if element.startswith((b'{"className":"RichTextParagraphNode"', b'{"className":"HeadingNode"')):
            return b"inline", children
        return None

    @staticmethod
    def one_list(source, out, target):
        """One list of items whose content is the source's paragraphs, headings and list items."""
        head = b'{"className":"ListParagraph","type":"bulleted","children":[\n'
        tail = b"\n]}\n"
        written = len(head) + len(tail)
        first = True
        with open(out, "wb") as f:
            f.write(head)
            for element in Generator.elements(source):
                found = Generator.inline_children(element)
                if found is None:
                    continue
                kind, children = found
                text = children if kind == b"items" else b'{"className":"ListItem","children":%s}' % children
                text = (b"" if first else b",\n") + text
                if written + len(text) > target and not first:
                    break
                f.write(text)
                written += len(text)
                first = False
            f.write(tail)
        if written < target * 0.95:
            sys.exit(f"peak_memory: the list came to {written} bytes of {target}: too little source")

    @staticmethod
    def cut(source, out, drop):
        shutil.copyfile(source, out)
        os.truncate(out, max(0, os.path.getsize(source) - drop))

    @staticmethod
    def bad_byte(source, out):
        """A copy with the first byte of its last text (within the last 64 KiB) made 0xFF."""
        shutil.copyfile(source, out)
        size = os.path.getsize(out)
        with open(out, "r+b") as f:
            start = max(0, size - (64 << 10))
            f.seek(start)
            tail = f.read()
            at = tail.rfind(b'"text":"')
            if at < 0:
                sys.exit(f"peak_memory: no text near the end of {source}")
            f.seek(start + at + len(b'"text":"'))
            f.write(b"\xff")

    @staticmethod
    def deep(out, prefix, target):
        with open(out, "wb") as f:
            f.write(prefix)
            for done in range(len(prefix), target, CHUNK):
                f.write(b"[" * min(CHUNK, target - done))

    @staticmethod
    def dense(out, target):
        with open(out, "wb") as f:
            f.write(b"[[]")
            for done in range(3, target - 1, CHUNK):
                f.write(b",[]" * (min(CHUNK, target - 1 - done) // 3))
            f.write(b"]")


def run(cmd, env=None):
    """Exit status, peak RSS in KiB, elapsed seconds and the first line of standard error."""
    start = time.perf_counter()
    with tempfile.TemporaryFile() as err:
        try:
            proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=err, env=env)
        except OSError as e:
            sys.exit(f"peak_memory: cannot run {cmd[0]}: {e.strerror}")
        _, status, usage = os.wait4(proc.pid, 0)
        elapsed = time.perf_counter() - start
        err.seek(0)
        first = err.readline().decode(errors="replace").rstrip("\n")
    return os.waitstatus_to_exitcode(status), usage.ru_maxrss, elapsed, first


def expected_status(shape):
    if shape in MALFORMED:
        return 2
    return 1 if shape == "jsonl-cut" else 0


def formats_of(shape):
    return ("none", "json") if shape.startswith("jsonl") else ("none", "html")


def command(tool, shape, fmt, path, warnings):
    cmd = [tool, "-t", fmt]
    if shape.startswith("jsonl"):
        cmd += ["-f", "jsonl"]
    if not warnings:
        cmd.append("-q")
    return cmd + [path]


def located(shape, first):
    """Whether a malformed input's error names its file, line and column."""
    if shape not in MALFORMED:
        return True
    parts = first.split(":")
    return first.startswith("error: ") and len(parts) >= 4 and parts[2].isdigit() and parts[3].isdigit()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--sizes", default="25,50,100,200", help="input sizes in MB (10^6 bytes), comma-separated")
    parser.add_argument("--quick", action="store_true", help="small sizes (1 and 3 MB): a check that it all runs")
    parser.add_argument("--shapes", default=",".join(DEFAULT_SHAPES),
                        help="a comma-separated list of shapes (default: all but dense)")
    parser.add_argument("--warnings", action="store_true", help="show the tool's warnings (not -q)")
    parser.add_argument("--no-huge-pages", action="store_true",
                        help="RICHMARKUP_HUGE_PAGES=0: no restart with glibc's huge-page heap (finer figures)")
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build"))
    parser.add_argument("--keep", action="store_true", help="keep the generated inputs (their folder is printed)")
    args = parser.parse_args()
    sizes = [1.0, 3.0] if args.quick else [float(s) for s in args.sizes.split(",")]
    shapes = args.shapes.split(",")
    unknown = [s for s in shapes if s not in SHAPES]
    if unknown:
        sys.exit(f"peak_memory: unknown shape {', '.join(unknown)}; the shapes: {', '.join(SHAPES)}")
    bin_dir = os.path.join(args.build_dir, "bin")
    tool = os.path.join(bin_dir, "richmarkup-build")
    gendoc = os.path.join(bin_dir, "richmarkup-gendoc")
    for needed in (tool, gendoc):
        if not os.access(needed, os.X_OK):
            sys.exit(f"peak_memory: {needed} is not built (targets richmarkup-build and richmarkup-gendoc)")

    env = dict(os.environ, RICHMARKUP_HUGE_PAGES="0") if args.no_huge_pages else None
    work = tempfile.mkdtemp(prefix="richmarkup-peak-", dir="/tmp")
    results = {}  # (shape, format, size) -> (peak / size, peak KiB, whether it failed as expected)
    problems = []
    try:
        empty = os.path.join(work, "empty.json")
        with open(empty, "w") as f:
            f.write("[]\n")
        _, base_kib, _, _ = run([tool, "-q", "-t", "none", empty], env)
        for megabytes in sizes:
            folder = os.path.join(work, f"{megabytes:g}MB")
            os.mkdir(folder)
            started = time.perf_counter()
            generator = Generator(gendoc, folder)
            generator.write_all(megabytes, shapes)
            log(f"peak_memory: {megabytes:g} MB inputs written in {time.perf_counter() - started:.1f} s")
            for shape in shapes:
                path = generator.path(shape)
                size = os.path.getsize(path)
                for fmt in formats_of(shape):
                    status, kib, elapsed, first = run(command(tool, shape, fmt, path, args.warnings), env)
                    ok = status == expected_status(shape) and located(shape, first)
                    results[(shape, fmt, megabytes)] = (kib * 1024 / size, kib, ok)
                    log(f"  {shape:10} -t {fmt:4} {size / 1e6:7.1f} MB  peak {kib / 1024:8.1f} MiB  "
                        f"{kib * 1024 / size:5.2f}x  {elapsed:6.2f} s  exit {status}")
                    if not ok:
                        problems.append(f"{shape} -t {fmt} at {megabytes:g} MB: exit {status}: {first}")
            if not args.keep:
                shutil.rmtree(folder)
    finally:
        if args.keep:
            log(f"peak_memory: inputs kept in {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)

    pages = "RICHMARKUP_HUGE_PAGES=0" if args.no_huge_pages else "huge pages as the tool chooses"
    print(f"Peak RSS / input size (an empty document peaks at {base_kib / 1024:.1f} MiB); "
          f"{'warnings shown' if args.warnings else '-q'}; {pages}; "
          "`!`: not the expected exit status or error\n")
    print("| shape | -t | " + " | ".join(f"{s:g} MB" for s in sizes) + " |")
    print("|---|---|" + "---|" * len(sizes))
    for shape in shapes:
        for fmt in formats_of(shape):
            cells = []
            for megabytes in sizes:
                ratio, kib, ok = results[(shape, fmt, megabytes)]
                cells.append(f"{ratio:.2f}" + ("" if ok else " !"))
            print(f"| {shape} | {fmt} | " + " | ".join(cells) + " |")
    largest = sizes[-1]
    print(f"\nPeak RSS at {largest:g} MB, MiB: " + ", ".join(
        f"{shape} {results[(shape, formats_of(shape)[0], largest)][1] / 1024:.0f}/"
        f"{results[(shape, formats_of(shape)[1], largest)][1] / 1024:.0f}" for shape in shapes))
    for problem in problems:
        print(f"! {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""How richmarkup-build and its JavaScript peers scale with the document, in one run.

For each size, generates a document with richmarkup-gendoc (and the same content in
ProseMirror's JSON), converts that once to Lexical's serialized JSON (not timed), then
alternates these whole processes for --rounds rounds:

  none       richmarkup-build -q -t none DOC
  markdown   richmarkup-build -q -t markdown -o /dev/null DOC
  fromJSON   node convert.mjs PM            (ProseMirror Node.fromJSON)
  pm-md      node markdown.mjs PM           (the same, then prosemirror-markdown, output discarded)
  lexical    node --conditions=production lexical.mjs LEX   (headless Lexical, parse + set state)

Each run is killed at --limit seconds and shown as "> limit"; a program killed once is not
run again, at this size or a larger one. Prints Markdown tables of the medians by size:
elapsed time, peak RSS (os.wait4's ru_maxrss), and the ratios of the like-for-like pairs
(peer / tool for time, tool / peer for memory: above 1 the tool is ahead on time, below 1 it is
ahead on memory).

    bench/peer_scaling.py [--sizes 0.25,1,4,16,31] [--rounds 3] [--limit 60] [--build-dir build]
"""
import argparse
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PEER_DIR = os.path.join(ROOT, "bench", "prosemirror")
NODE = "node"

# key, column heading, which input it reads
PROGRAMS = (
    ("none", "richmarkup -t none", "doc"),
    ("markdown", "richmarkup -t markdown", "doc"),
    ("fromJSON", "ProseMirror fromJSON", "pm"),
    ("pm-md", "prosemirror-markdown", "pm"),
    ("lexical", "Lexical", "lexical"),
)
# (peer, tool): the pairs that do the same work
PAIRS = (("fromJSON", "none"), ("lexical", "none"), ("pm-md", "markdown"))


class Failed(Exception):
    pass


class TimedOut:
    """A run killed at the limit."""


def command(key, tool, path):
    if key == "none":
        return [tool, "-q", "-t", "none", path]
    if key == "markdown":
        return [tool, "-q", "-t", "markdown", "-o", os.devnull, path]
    if key == "fromJSON":
        return [NODE, os.path.join(PEER_DIR, "convert.mjs"), path]
    if key == "pm-md":
        return [NODE, os.path.join(PEER_DIR, "markdown.mjs"), path]
    # Lexical's default entry loads its development and its production build both.
    return [NODE, "--conditions=production", os.path.join(PEER_DIR, "lexical.mjs"), path]


def run(cmd, limit):
    """Elapsed seconds and peak RSS (KiB) of one whole run, or TimedOut. Output is discarded."""
    with tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        # A session of its own, so the kill at the limit reaches anything it started.
        proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=err, start_new_session=True)
        killed = threading.Event()

        def kill():
            killed.set()
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except ProcessLookupError:  # it ended just now
                pass

        timer = threading.Timer(limit, kill)
        timer.start()
        try:
            _, status, usage = os.wait4(proc.pid, 0)
        finally:
            timer.cancel()
        elapsed = time.perf_counter() - start
        proc.returncode = os.waitstatus_to_exitcode(status)
        if killed.is_set():
            return TimedOut()
        if proc.returncode != 0:
            err.seek(0)
            message = err.read().decode(errors="replace").strip()
            raise Failed(f"{' '.join(cmd)} failed ({proc.returncode}): {message[-2000:]}")
    return elapsed, usage.ru_maxrss


def checked(cmd, **kwargs):
    result = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, **kwargs)
    if result.returncode != 0:
        raise Failed(f"{' '.join(cmd)} failed ({result.returncode}): {result.stderr.decode(errors='replace').strip()}")


def inputs(gendoc, work, size):
    """The three files of one size: richmarkup's, ProseMirror's and Lexical's."""
    doc, pm, lexical = (os.path.join(work, f"{size}.{kind}.json") for kind in ("doc", "pm", "lexical"))
    checked([gendoc, "--megabytes", str(size), "--out", doc, "--prosemirror", pm])
    checked([NODE, os.path.join(PEER_DIR, "pm-to-lexical.mjs"), pm, lexical])
    return {"doc": doc, "pm": pm, "lexical": lexical}


def parse_sizes(text):
    try:
        sizes = [float(s) for s in text.split(",") if s.strip()]
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a list of megabytes: {text!r}")
    if not sizes or any(s <= 0 for s in sizes):
        raise argparse.ArgumentTypeError(f"sizes must be positive: {text!r}")
    return sorted(sizes)


def size_label(size):
    return f"{size:g} MB"


def table(title, sizes, columns, cell):
    lines = [f"**{title}**", "", "| size | " + " | ".join(c for _, c in columns) + " |",
             "|---" * (len(columns) + 1) + "|"]
    for size in sizes:
        lines.append(f"| {size_label(size)} | " + " | ".join(cell(size, key) for key, _ in columns) + " |")
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--sizes", type=parse_sizes, default=parse_sizes("0.25,1,4,16,31"),
                        help="document sizes in MB of richmarkup's JSON, comma-separated")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--limit", type=float, default=60, help="seconds a run may take before it is killed")
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build"))
    args = parser.parse_args()
    if args.rounds < 1 or args.limit <= 0:
        parser.error("--rounds and --limit must be positive")

    bin_dir = os.path.join(args.build_dir, "bin")
    tool, gendoc = (os.path.join(bin_dir, name) for name in ("richmarkup-build", "richmarkup-gendoc"))
    for path in (tool, gendoc):
        if not os.access(path, os.X_OK):
            sys.exit(f"peer_scaling: {os.path.basename(path)} is not built in {bin_dir}")
    modules = os.path.join(PEER_DIR, "node_modules")
    if not all(os.path.isdir(os.path.join(modules, m)) for m in ("prosemirror-markdown", "@lexical/headless")):
        subprocess.run(["npm", "ci", "--silent", "--no-audit", "--no-fund"], cwd=PEER_DIR, check=True)

    times, rss, inputs_mb = {}, {}, {}  # (size, key) -> list of samples; size -> {kind: MB}
    over = {}  # key -> the size at which it went over the limit
    limit_text = f"> {args.limit:g} s"
    try:
        with tempfile.TemporaryDirectory(prefix="richmarkup-peers-") as work:
            # Once each on a small document, so the first timed run does not pay for a cold cache.
            warm = inputs(gendoc, work, 0.01)
            for key, _, kind in PROGRAMS:
                run(command(key, tool, warm[kind]), args.limit)
            for size in args.sizes:
                files = inputs(gendoc, work, size)
                inputs_mb[size] = {kind: os.path.getsize(path) / 1e6 for kind, path in files.items()}
                print(f"peer_scaling: {size_label(size)}: " +
                      ", ".join(f"{kind} {mb:.2f} MB" for kind, mb in inputs_mb[size].items()), file=sys.stderr)
                for _ in range(args.rounds):
                    for key, label, kind in PROGRAMS:
                        if key in over:
                            continue
                        result = run(command(key, tool, files[kind]), args.limit)
                        if isinstance(result, TimedOut):
                            over[key] = size
                            print(f"peer_scaling: {label} went over {args.limit:g} s at {size_label(size)}",
                                  file=sys.stderr)
                            continue
                        times.setdefault((size, key), []).append(result[0])
                        rss.setdefault((size, key), []).append(result[1] / 1024)
                for path in files.values():
                    os.remove(path)
    except Failed as failure:
        sys.exit(f"peer_scaling: {failure}")

    def median(samples, size, key):
        # A run over the limit voids the size's other samples: the median would flatter it.
        if over.get(key) == size:
            return TimedOut()
        values = samples.get((size, key))
        return statistics.median(values) if values else None

    def show(value, fmt, timed_out):
        if isinstance(value, TimedOut):
            return timed_out
        return "–" if value is None else format(value, fmt)

    def ratio(numerator, denominator, fmt=".2f"):
        if numerator is None or denominator is None or isinstance(denominator, TimedOut):
            return "–"
        if isinstance(numerator, TimedOut):
            return f"> {args.limit / denominator:{fmt}}"
        return format(numerator / denominator, fmt)

    labels = {key: label for key, label, _ in PROGRAMS}
    columns = [(key, label) for key, label, _ in PROGRAMS]
    input_columns = [("doc", "richmarkup JSON"), ("pm", "ProseMirror JSON"), ("lexical", "Lexical JSON")]
    sizes = args.sizes
    print(f"{args.rounds} alternated rounds, medians; each run limited to {args.limit:g} s\n")
    print(table("Inputs, MB", sizes, input_columns, lambda s, kind: f"{inputs_mb[s][kind]:.2f}"))
    print(table("Elapsed time, s", sizes, columns, lambda s, key: show(median(times, s, key), ".3f", limit_text)))
    print(table("Peak RSS, MiB", sizes, columns, lambda s, key: show(median(rss, s, key), ".1f", "killed")))

    def time_ratio(s, pair):
        peer, ours = pair
        return ratio(median(times, s, peer), median(times, s, ours))

    def memory_ratio(s, pair):
        peer, ours = pair
        peer_rss = median(rss, s, peer)
        if isinstance(peer_rss, TimedOut):
            return "–"  # a killed run's peak says nothing about the whole build's
        return ratio(median(rss, s, ours), peer_rss)

    print(table("Time, peer / tool (above 1: the tool is faster)", sizes,
                [(pair, f"{labels[pair[0]]} / {labels[pair[1]]}") for pair in PAIRS], time_ratio))
    print(table("Peak RSS, tool / peer (below 1: the tool needs less)", sizes,
                [(pair, f"{labels[pair[1]]} / {labels[pair[0]]}") for pair in PAIRS], memory_ratio))

if __name__ == "__main__":
    main()

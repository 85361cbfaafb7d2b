#!/usr/bin/python3
"""How batch conversion scales from one core to two, and its memory, in one run.

Generates two corpora of JSON Lines with richmarkup-gendoc, --lines documents of --units units
each: one with a table every tenth unit and one without (--no-tables). Then, for --rounds
rounds, alternates one-thread and two-thread runs of each of these parts:

  jsonl   richmarkup-build -f jsonl -q -t none|json -o /dev/null -j 1|2 on each corpus;
  outdir  each corpus's first --files lines as files of one document each, converted by
          richmarkup-build -q -t json|html --output-dir OUT -j 1|2 (OUT under --out-base);
  python  the module's convert_lines and convert() on 1|2 threads, each measurement in a
          /usr/bin/python3 process of its own (bench/python_throughput.py --one), lines in
          memory beforehand, the conversion alone timed;
  rss     peak RSS of -f jsonl -t json -j 2 on the corpus with tables and on one ten times longer.

A tool run's wall time is its whole process's, its CPU time user plus system from os.wait4's
rusage; the module's are taken inside the child around the conversion (time.process_time
counts every thread). Each part prints a Markdown table of medians, a row for each corpus and
output: wall and CPU seconds, documents/s, the speedup (wall -j 1 / wall -j 2) and the CPU
inflation (CPU -j 2 / CPU -j 1 - 1). The target is a speedup of at least 1.8 with at most 10%
more CPU time.

    bench/batch.py [--lines 4000] [--units 10] [--rounds 5] [--files 400] [--only jsonl,outdir,python,rss]
                   [--out-base /dev/shm] [--build-dir build]
"""
import argparse
import contextlib
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PYTHON = "/usr/bin/python3"
PARTS = ("jsonl", "outdir", "python", "rss")
SPEEDUP_TARGET = 1.8
INFLATION_LIMIT = 10.0  # percent


class Failed(Exception):
    pass


def run(cmd, stdout=subprocess.DEVNULL):
    """Wall seconds, CPU seconds (user + system) and peak RSS (KiB) of one whole run."""
    with tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        proc = subprocess.Popen(cmd, stdout=stdout, stderr=err)
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.perf_counter() - start
        proc.returncode = os.waitstatus_to_exitcode(status)
        if proc.returncode != 0:
            err.seek(0)
            message = err.read().decode(errors="replace").strip()
            raise Failed(f"{' '.join(cmd)} failed ({proc.returncode}): {message[-2000:]}")
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss


class Case:
    """One corpus and output, run with -j 1 and -j 2: `measure(jobs)` gives (wall, cpu) of one run."""

    def __init__(self, corpus, output, documents, measure):
        self.corpus, self.output, self.documents, self.measure = corpus, output, documents, measure
        self.samples = {1: [], 2: []}

    def round(self, index):
        # Which of the two goes first alternates, so that neither always follows the other.
        for jobs in (1, 2) if index % 2 == 0 else (2, 1):
            self.samples[jobs].append(self.measure(jobs))

    def medians(self, jobs):
        walls, cpus = zip(*self.samples[jobs])
        return statistics.median(walls), statistics.median(cpus)


def print_table(title, column, cases, one="-j 1", two="-j 2"):
    print(f"{title}\n")
    print(f"| corpus | {column} | wall s {one} | wall s {two} | CPU s {one} | CPU s {two} | documents/s {one} "
          f"| documents/s {two} | speedup | CPU inflation | target |")
    print("|---|---|---|---|---|---|---|---|---|---|---|")
    for case in cases:
        (w1, c1), (w2, c2) = case.medians(1), case.medians(2)
        speedup = w1 / w2
        inflation = (c2 / c1 - 1) * 100 if c1 > 0 else float("nan")
        met = "yes" if speedup >= SPEEDUP_TARGET and inflation <= INFLATION_LIMIT else "no"
        print(f"| {case.corpus} | {case.output} | {w1:.3f} | {w2:.3f} | {c1:.3f} | {c2:.3f} "
              f"| {case.documents / w1:.0f} | {case.documents / w2:.0f} | **{speedup:.2f}** "
              f"| {inflation:+.1f}% | {met} |")
    print()


def split_lines(corpus, directory, count):
    """The corpus's first `count` lines as files of one document each; how many were written."""
    os.makedirs(directory)
    written = 0
    with open(corpus, "rb") as lines:
        for line in lines:
            if written == count:
                break
            written += 1
            with open(os.path.join(directory, f"doc{written:05d}.json"), "wb") as f:
                f.write(line)
    return written


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--lines", type=int, default=4000, help="documents in each corpus (default 4000)")
    parser.add_argument("--units", type=int, default=10, help="units in each document (default 10)")
    parser.add_argument("--rounds", type=int, default=5, help="alternated rounds, medians reported (default 5)")
    parser.add_argument("--files", type=int, default=400, help="input files of the outdir part (default 400)")
    parser.add_argument("--only", default=",".join(PARTS), help=f"parts to run, of {','.join(PARTS)} (default all)")
    parser.add_argument("--out-base", default="/dev/shm" if os.path.isdir("/dev/shm") else None,
                        help="where the outdir part writes (default /dev/shm: the tool syncs every file it "
                             "writes, which on a disk costs more than the conversion)")
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build"))
    args = parser.parse_args()
    parts = [p.strip() for p in args.only.split(",") if p.strip()]
    unknown = [p for p in parts if p not in PARTS]
    if unknown or not parts:
        parser.error(f"--only takes some of {','.join(PARTS)}, not {args.only!r}")
    if min(args.lines, args.units, args.rounds, args.files) < 1:
        parser.error("--lines, --units, --rounds and --files must be at least 1")
    bin_dir = os.path.join(args.build_dir, "bin")
    tool = os.path.join(bin_dir, "richmarkup-build")
    gendoc = os.path.join(bin_dir, "richmarkup-gendoc")
    for path in (tool, gendoc):
        if not os.access(path, os.X_OK):
            sys.exit(f"batch: {path} is not built")
    if "python" in parts and not os.path.isdir(os.path.join(args.build_dir, "python", "richmarkup")):
        sys.exit(f"batch: the Python module is not built in {os.path.join(args.build_dir, 'python')}")

    if "outdir" in parts and args.out_base and not os.path.isdir(args.out_base):
        parser.error(f"--out-base {args.out_base} is no directory")

    try:
        with contextlib.ExitStack() as stack:
            work = stack.enter_context(tempfile.TemporaryDirectory(prefix="richmarkup-batch-"))
            out_base = None
            if "outdir" in parts:
                out_base = stack.enter_context(tempfile.TemporaryDirectory(prefix="richmarkup-batch-out-",
                                                                           dir=args.out_base))
            measure(args, parts, tool, gendoc, work, out_base)
    except Failed as e:
        sys.exit(f"batch: {e}")


def measure(args, parts, tool, gendoc, work, out_base):
    corpora = {}
    for label, extra in (("tables", []), ("no tables", ["--no-tables"])):
        path = os.path.join(work, "tables.jsonl" if not extra else "no-tables.jsonl")
        run([gendoc, "--jsonl", str(args.lines), "--units", str(args.units), "--out", path] + extra)
        corpora[label] = path
        run([tool, "-f", "jsonl", "-q", "-t", "none", "-o", "/dev/null", "-j", "1", path])  # into the page cache

    parts_cases = []
    if "jsonl" in parts:
        cases = []
        for label, path in corpora.items():
            for to in ("none", "json"):
                def jsonl(jobs, path=path, to=to):
                    return run([tool, "-f", "jsonl", "-q", "-t", to, "-o", "/dev/null", "-j", str(jobs), path])[:2]
                cases.append(Case(label, f"`-t {to}`", args.lines, jsonl))
        parts_cases.append(("`-f jsonl`, whole runs of the tool", "output", cases))

    if "outdir" in parts:
        cases = []
        for label, path in corpora.items():
            inputs_dir = os.path.join(work, "files-" + label.replace(" ", "-"))
            count = split_lines(path, inputs_dir, args.files)
            inputs = [os.path.join(inputs_dir, name) for name in sorted(os.listdir(inputs_dir))]
            for to in ("json", "html"):
                out = os.path.join(out_base, f"{label.replace(' ', '-')}-{to}")

                def outdir(jobs, inputs=inputs, out=out, to=to, count=count):
                    shutil.rmtree(out, ignore_errors=True)
                    os.makedirs(out)
                    got = run([tool, "-q", "-t", to, "--output-dir", out, "-j", str(jobs)] + inputs)[:2]
                    if len(os.listdir(out)) != count:
                        raise Failed(f"--output-dir {out} holds {len(os.listdir(out))} files for {count} inputs")
                    return got
                cases.append(Case(label, f"`-t {to}`", count, outdir))
        parts_cases.append((f"`--output-dir`, whole runs of the tool on {min(args.files, args.lines)} files of one "
                            f"document, writing to {args.out_base or tempfile.gettempdir()}", "output", cases))

    if "python" in parts:
        cases = []
        script = os.path.join(ROOT, "bench", "python_throughput.py")
        for label, path in corpora.items():
            for way in ("convert_lines", "convert"):
                def python(jobs, path=path, way=way):
                    with tempfile.TemporaryFile() as out:
                        run([PYTHON, script, "--one", way, "--threads", str(jobs), "--corpus", path,
                             "--build-dir", args.build_dir], stdout=out)
                        out.seek(0)
                        got = json.loads(out.read())
                    if got["documents"] != args.lines:
                        raise Failed(f"{way} converted {got['documents']} of {args.lines} documents")
                    return got["wall"], got["cpu"]
                cases.append(Case(label, "`convert()`" if way == "convert" else f"`{way}`", args.lines, python))
        parts_cases.append(("the Python module, model JSON, the conversion alone", "way", cases, "1 thread",
                            "2 threads"))

    all_cases = [case for part in parts_cases for case in part[2]]
    for index in range(args.rounds):
        for case in all_cases:
            case.round(index)

    sizes = ", ".join(f"{label} {os.path.getsize(path) / 1e6:.1f} MB" for label, path in corpora.items())
    rounds = f"{args.rounds} round{'s' if args.rounds > 1 else ''}"
    print(f"corpora: {args.lines} documents of {args.units} units ({sizes}); {rounds} of "
          f"alternated -j 1 and -j 2, medians; target: speedup at least {SPEEDUP_TARGET}, CPU inflation at most "
          f"{INFLATION_LIMIT:.0f}%; {os.cpu_count()} cores, load {os.getloadavg()[0]:.2f}\n")
    for part in parts_cases:
        print_table(*part)

    if "rss" in parts:
        short = corpora["tables"]
        long = os.path.join(work, "long.jsonl")
        run([gendoc, "--jsonl", str(10 * args.lines), "--units", str(args.units), "--out", long])
        rss_short = run([tool, "-f", "jsonl", "-q", "-t", "json", "-o", "/dev/null", "-j", "2", short])[2]
        rss_long = run([tool, "-f", "jsonl", "-q", "-t", "json", "-o", "/dev/null", "-j", "2", long])[2]
        os.remove(long)
        print(f"peak RSS with -j 2: {rss_short / 1024:.1f} MiB for {args.lines} documents, "
              f"{rss_long / 1024:.1f} MiB for {10 * args.lines} (ratio {rss_long / rss_short:.2f})")


if __name__ == "__main__":
    main()

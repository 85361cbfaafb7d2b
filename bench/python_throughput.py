#!/usr/bin/python3
"""Documents per second of JSON Lines through the Python module, against the tool, in one run.

Generates JSON Lines with richmarkup-gendoc (each line a document of --units units), then
alternates, for --rounds rounds, whole conversions of the stream to model JSON lines:
  - the tool, `richmarkup-build -f jsonl -t json -j 2`, reading the file, writing to /dev/null;
  - the module's convert_lines in two threads, one half of the lines each, and in one thread;
  - convert() on each document alone (compact JSON, the same lines), in four threads and in one;
  - Dask: a scheduler and two workers of one thread each, processes of their own on this
    machine, started before the rounds; the recipe of docs/batch.md (the file read as a bag,
    each partition through convert_lines and written to a file of its own), with its pass that
    counts each partition's lines and without it (messages then numbered within each
    partition).
The module's ways convert lines already in memory and let the output go; no client is
connected to the cluster while they run. Each way's best round is reported, and ratios.
--nanny starts the workers as dask-worker does by default, under a nanny.

With --one WAY, one conversion of --corpus (JSON Lines) in --threads threads, WAY convert_lines
or convert, after a short warm-up; prints the wall and CPU seconds (all threads, user and
system) of the conversion alone as JSON. bench/batch.py runs it in a process of its own for
each measurement, so that one run's allocations do not warm the next.

    bench/python_throughput.py [--lines 4000] [--units 10] [--rounds 5] [--partitions 20] [--nanny]
                               [--build-dir build]
    bench/python_throughput.py --one convert_lines|convert --threads N --corpus FILE [--build-dir build]
"""
import argparse
import concurrent.futures
import itertools
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import warnings

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PYTHON = "/usr/bin/python3"


def ignore(diagnostic):
    """Warnings unseen, as with the tool's -q."""


def in_threads(convert, lines, threads):
    """convert(share) over `threads` consecutive shares of the lines at once; the number of output lines."""
    share = (len(lines) + threads - 1) // threads
    with concurrent.futures.ThreadPoolExecutor(threads) as pool:
        return sum(pool.map(convert, [lines[i:i + share] for i in range(0, len(lines), share)]))


def with_convert_lines(richmarkup):
    def convert(lines):
        return sum(1 for _ in richmarkup.convert_lines(lines, to="json", on_warning=ignore))
    return convert


def with_convert(richmarkup):
    def convert(lines):
        for line in lines:
            richmarkup.convert(line, to="json", compact=True)
        return len(lines)
    return convert


WAYS = {"convert_lines": with_convert_lines, "convert": with_convert}


def measure_one(way, threads, corpus):
    """Wall and CPU seconds of one conversion of the corpus, as one line of JSON on standard output."""
    import richmarkup
    warnings.simplefilter("ignore", richmarkup.ConversionWarning)
    with open(corpus, "rb") as f:
        lines = f.read().split(b"\n")
    if lines and not lines[-1]:
        lines.pop()
    convert = WAYS[way](richmarkup)
    convert(lines[:20])  # the framework started and the bundles loaded before the clock runs
    wall, cpu = time.perf_counter(), time.process_time()
    got = in_threads(convert, lines, threads)
    wall, cpu = time.perf_counter() - wall, time.process_time() - cpu
    if got != len(lines):
        sys.exit(f"python_throughput: {way} gave {got} lines for {len(lines)} documents")
    print(json.dumps({"documents": got, "wall": wall, "cpu": cpu}))


def line_counts(part):
    return [sum(1 for _ in part)]


def convert_partition(part, start):
    import richmarkup
    (first_line,) = start
    lines = (line.encode("utf-8", "surrogateescape") for line in part)
    models = richmarkup.convert_lines(lines, to="json", first_line=first_line, on_warning=ignore)
    return ["".join(model + "\n" for model in models)]


def dask_job(client, corpus, out_dir, blocksize, numbered=True):
    """The recipe of docs/batch.md; the number of output lines. Not numbered: without the pass that
    counts each partition's lines, every partition's messages numbered from its own first line."""
    import dask.bag as db
    import distributed

    def compute(collection):
        futures = client.compute(collection)
        distributed.wait(futures, timeout=600)
        return client.gather(futures)

    shutil.rmtree(out_dir, ignore_errors=True)
    lines = db.read_text(corpus, blocksize=blocksize, linedelimiter="\n", errors="surrogateescape")
    if numbered:
        counts = compute(lines.map_partitions(line_counts))
        starts = db.from_sequence(itertools.accumulate([1] + counts[:-1]), partition_size=1)
    else:
        starts = [1]
    compute(lines.map_partitions(convert_partition, starts).to_textfiles(
        os.path.join(out_dir, "*.jsonl"), name_function="{:05d}".format, compute=False))
    total = 0
    for name in os.listdir(out_dir):
        with open(os.path.join(out_dir, name), "rb") as f:
            total += f.read().count(b"\n")
    return total


class Cluster:
    """A Dask scheduler and single-threaded workers, each a process of its own."""

    def __init__(self, work, workers, nanny):
        self.processes = []
        scheduler_file = os.path.join(work, "scheduler.json")
        common = ["--no-dashboard", "--scheduler-file", scheduler_file]
        self.spawn(["distributed.cli.dask_scheduler", "--host", "127.0.0.1", "--port", "0"] + common)
        deadline = time.monotonic() + 60
        while not os.path.exists(scheduler_file):
            if time.monotonic() > deadline:
                self.stop()
                sys.exit("python_throughput: the Dask scheduler did not start")
            time.sleep(0.05)
        for i in range(workers):
            self.spawn(["distributed.cli.dask_worker", "--host", "127.0.0.1", "--nthreads", "1",
                        "--nanny" if nanny else "--no-nanny", "--memory-limit", "0",
                        "--local-directory", os.path.join(work, f"worker{i}")] + common)
        with open(scheduler_file) as f:
            self.address = json.load(f)["address"]

    def spawn(self, args):
        self.processes.append(subprocess.Popen([PYTHON, "-m"] + args, stderr=subprocess.DEVNULL))

    def stop(self):
        for process in reversed(self.processes):  # the workers before their scheduler
            process.terminate()
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--lines", type=int, default=4000)
    parser.add_argument("--units", type=int, default=10)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--partitions", type=int, default=20)
    parser.add_argument("--nanny", action="store_true")
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build"))
    parser.add_argument("--one", choices=sorted(WAYS))
    parser.add_argument("--threads", type=int, default=1)
    parser.add_argument("--corpus")
    args = parser.parse_args()
    if args.one:
        if not args.corpus or args.threads < 1:
            parser.error("--one needs --corpus and --threads of at least 1")
        sys.path.insert(0, os.path.abspath(os.path.join(args.build_dir, "python")))
        return measure_one(args.one, args.threads, args.corpus)
    bin_dir = os.path.join(args.build_dir, "bin")
    tool = os.path.join(bin_dir, "richmarkup-build")
    gendoc = os.path.join(bin_dir, "richmarkup-gendoc")
    module_dir = os.path.abspath(os.path.join(args.build_dir, "python"))
    sys.path.insert(0, module_dir)
    # The Dask workers are processes of their own: they find the module the same way.
    os.environ["PYTHONPATH"] = os.pathsep.join(filter(None, [module_dir, os.environ.get("PYTHONPATH")]))
    import richmarkup
    import distributed
    warnings.simplefilter("ignore", richmarkup.ConversionWarning)  # convert()'s, as with -q

    with tempfile.TemporaryDirectory(prefix="richmarkup-python-") as work:
        corpus = os.path.join(work, "corpus.jsonl")
        subprocess.run([gendoc, "--jsonl", str(args.lines), "--units", str(args.units), "--out", corpus], check=True)
        size = os.path.getsize(corpus)
        with open(corpus, "rb") as f:
            lines = f.read().split(b"\n")[:-1]
        blocksize = size // args.partitions + 1
        models = os.path.join(work, "models")
        cluster = Cluster(work, 2, args.nanny)

        def tool_run():
            subprocess.run([tool, "-f", "jsonl", "-t", "json", "-q", "-j", "2", "-o", "/dev/null", corpus], check=True)
            return args.lines

        def on_cluster(numbered):
            with distributed.Client(cluster.address, timeout=60) as client:
                client.wait_for_workers(2, timeout=60)
                start = time.perf_counter()
                return dask_job(client, corpus, models, blocksize, numbered), time.perf_counter() - start

        ways = {
            "tool `-j 2`": tool_run,
            "convert_lines, 2 threads": lambda: in_threads(with_convert_lines(richmarkup), lines, 2),
            "convert_lines, 1 thread": lambda: in_threads(with_convert_lines(richmarkup), lines, 1),
            "convert(), 4 threads": lambda: in_threads(with_convert(richmarkup), lines, 4),
            "convert(), 1 thread": lambda: in_threads(with_convert(richmarkup), lines, 1),
            "Dask, 2 workers": lambda: on_cluster(True),
            "Dask, 2 workers, lines not counted": lambda: on_cluster(False),
        }

        def timed(label):
            start = time.perf_counter()
            got = ways[label]()
            elapsed = time.perf_counter() - start
            if isinstance(got, tuple):  # timed itself
                got, elapsed = got
            if got != args.lines:
                cluster.stop()
                sys.exit(f"python_throughput: {label} gave {got} lines for {args.lines} documents")
            return elapsed

        try:
            for label in ways:  # frameworks started, the file in the page cache
                timed(label)
            best = {label: float("inf") for label in ways}
            for _ in range(args.rounds):
                for label in ways:
                    best[label] = min(best[label], timed(label))
        finally:
            cluster.stop()

    print(f"stream: {args.lines} documents of {args.units} units, {size / 1e6:.1f} MB; Dask: {args.partitions} "
          f"partitions, workers {'under' if args.nanny else 'without'} a nanny; {args.rounds} alternated rounds, "
          f"the best of each\n")
    print("| way | s | documents/s | against the tool |")
    print("|---|---|---|---|")
    tool_time = best["tool `-j 2`"]
    for label, t in best.items():
        print(f"| {label} | {t:.3f} | {args.lines / t:.0f} | {tool_time / t:.2f} |")
    print()
    for faster, slower in (("convert_lines, 2 threads", "convert_lines, 1 thread"),
                           ("convert(), 4 threads", "convert(), 1 thread"),
                           ("Dask, 2 workers", "convert_lines, 2 threads"),
                           ("Dask, 2 workers, lines not counted", "convert_lines, 2 threads")):
        print(f"{faster} / {slower}: **{best[slower] / best[faster]:.2f}**")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Throughput and memory of batch conversion (richmarkup-build -f jsonl), in one run.

Generates JSON Lines with richmarkup-gendoc (each line a document of --units units), then
  - alternates `-j 1` and `-j 2` whole runs (`-t json -o /dev/null`) for --rounds rounds and
    reports documents and MB per second of each and their ratio;
  - runs `-j 2` on the stream and on one ten times longer and reports both peak RSS.

    bench/batch.py [--lines 4000] [--units 10] [--rounds 5] [--build-dir build]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def run(cmd):
    """Elapsed seconds and peak RSS (KiB) of one run."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        sys.exit(f"batch: {' '.join(cmd)} failed ({code}): {err}")
    return elapsed, usage.ru_maxrss


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--lines", type=int, default=4000)
    parser.add_argument("--units", type=int, default=10)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build"))
    args = parser.parse_args()
    bin_dir = os.path.join(args.build_dir, "bin")
    tool = os.path.join(bin_dir, "richmarkup-build")
    gendoc = os.path.join(bin_dir, "richmarkup-gendoc")

    with tempfile.TemporaryDirectory(prefix="richmarkup-batch-") as work:
        short = os.path.join(work, "short.jsonl")
        long = os.path.join(work, "long.jsonl")
        subprocess.run([gendoc, "--jsonl", str(args.lines), "--units", str(args.units), "--out", short], check=True)
        subprocess.run([gendoc, "--jsonl", str(10 * args.lines), "--units", str(args.units), "--out", long],
                       check=True)
        size = os.path.getsize(short)

        def tool_cmd(jobs, path):
            return [tool, "-f", "jsonl", "-q", "-t", "json", "-o", "/dev/null", "-j", str(jobs), path]

        run(tool_cmd(1, short))  # the file into the page cache
        one, two = [], []
        for _ in range(args.rounds):
            one.append(run(tool_cmd(1, short))[0])
            two.append(run(tool_cmd(2, short))[0])
        _, rss_short = run(tool_cmd(2, short))
        _, rss_long = run(tool_cmd(2, long))

    t1, t2 = statistics.median(one), statistics.median(two)
    print(f"stream: {args.lines} documents of {args.units} units, {size / 1e6:.1f} MB; "
          f"{args.rounds} alternated rounds, medians\n")
    print("| threads | s | documents/s | MB/s |")
    print("|---|---|---|---|")
    for jobs, t in ((1, t1), (2, t2)):
        print(f"| {jobs} | {t:.3f} | {args.lines / t:.0f} | {size / 1e6 / t:.1f} |")
    print(f"\n-j 2 / -j 1 throughput: **{t1 / t2:.2f}**")
    print(f"peak RSS with -j 2: {rss_short / 1024:.1f} MiB for {args.lines} documents, "
          f"{rss_long / 1024:.1f} MiB for {10 * args.lines} (ratio {rss_long / rss_short:.2f})")


if __name__ == "__main__":
    main()

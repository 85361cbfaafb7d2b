#!/usr/bin/env python3
"""Times richmarkup against ProseMirror on the same generated content, in one run.

Generates a document of the given size with richmarkup-gendoc (and the same content in
ProseMirror's JSON), installs the peer's npm packages when missing, then
  - alternates the two whole processes (`richmarkup-build -q -t none` and `node convert.mjs`)
    for a number of rounds, recording elapsed time and peak RSS of each;
  - runs both in-process timings (`richmarkup_bench --end-to-end`, `node inprocess.mjs`).
Prints medians and the ratios, as a Markdown table.

    bench/prosemirror/compare.py [--megabytes 31] [--rounds 7] [--build-dir build]
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def run_timed(cmd):
    """Elapsed seconds and peak RSS (KiB) of one child process; its output is discarded."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    if proc.returncode != 0:
        sys.exit(f"compare: {' '.join(cmd)} failed ({proc.returncode}): {err}")
    return elapsed, usage.ru_maxrss


def json_line(cmd):
    out = subprocess.run(cmd, check=True, capture_output=True, text=True).stdout
    return json.loads(out.strip().splitlines()[-1])


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--megabytes", type=float, default=31)
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--reps", type=int, default=5, help="in-process repetitions")
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build"))
    args = parser.parse_args()

    bin_dir = os.path.join(args.build_dir, "bin")
    tool = os.path.join(bin_dir, "richmarkup-build")
    for needed in ("richmarkup-build", "richmarkup-gendoc", "richmarkup_bench"):
        if not os.access(os.path.join(bin_dir, needed), os.X_OK):
            sys.exit(f"compare: {needed} is not built in {bin_dir} (scripts/test builds it)")
    if not os.path.isdir(os.path.join(HERE, "node_modules")):
        subprocess.run(["npm", "ci", "--silent", "--no-audit", "--no-fund"], cwd=HERE, check=True)

    with tempfile.TemporaryDirectory(prefix="richmarkup-peer-") as work:
        doc = os.path.join(work, "doc.json")
        peer_doc = os.path.join(work, "doc.pm.json")
        subprocess.run([os.path.join(bin_dir, "richmarkup-gendoc"), "--megabytes", str(args.megabytes),
                        "--out", doc, "--prosemirror", peer_doc], check=True)

        ours_cmd = [tool, "-q", "-t", "none", doc]
        peer_cmd = ["node", os.path.join(HERE, "convert.mjs"), peer_doc]
        run_timed(ours_cmd)  # both once, so the files are in the page cache
        run_timed(peer_cmd)
        ours, peer = [], []
        for _ in range(args.rounds):
            ours.append(run_timed(ours_cmd))
            peer.append(run_timed(peer_cmd))

        ours_in = json_line([os.path.join(bin_dir, "richmarkup_bench"), "--end-to-end", doc, "--reps", str(args.reps)])
        peer_in = json_line(["node", os.path.join(HERE, "inprocess.mjs"), peer_doc, "--reps", str(args.reps)])

    def med(samples, i):
        return statistics.median(s[i] for s in samples)

    o_s, p_s = med(ours, 0), med(peer, 0)
    o_m, p_m = med(ours, 1) / 1024, med(peer, 1) / 1024
    print(f"document: {ours_in['bytes'] / 1e6:.1f} MB, {ours_in['nodes']} model nodes "
          f"({peer_in['bytes'] / 1e6:.1f} MB, {peer_in['nodes']} ProseMirror nodes); "
          f"{args.rounds} alternated rounds, in process medians of {args.reps}\n")
    print("| | richmarkup | ProseMirror | ProseMirror / richmarkup |")
    print("|---|---|---|---|")
    print(f"| whole process, elapsed s (median) | {o_s:.3f} | {p_s:.3f} | **{p_s / o_s:.2f}** |")
    print(f"| whole process, peak RSS MiB (median) | {o_m:.1f} | {p_m:.1f} | {p_m / o_m:.2f} (ours / peer {o_m / p_m:.2f}) |")
    print(f"| in process, text to model ms | {ours_in['end_to_end_ms']:.1f} | {peer_in['end_to_end_ms']:.1f} | "
          f"**{peer_in['end_to_end_ms'] / ours_in['end_to_end_ms']:.2f}** |")
    print(f"| in process, ns per node (own nodes) | {ours_in['ns_per_node']:.0f} | {peer_in['ns_per_node']:.0f} | "
          f"{peer_in['ns_per_node'] / ours_in['ns_per_node']:.2f} |")
    print(f"| in process, text to model / warm simdjson DOM parse | {ours_in['end_to_end_per_dom_parse']:.2f} | | |")


if __name__ == "__main__":
    main()

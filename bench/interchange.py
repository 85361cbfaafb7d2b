#!/usr/bin/python3
"""Speed of the interchange paths against the programs users would otherwise run, in one run.

Generates a document with richmarkup-gendoc whose Markdown is about --megabytes, has the tool write
it as Markdown and as pandoc's AST, then alternates for --rounds rounds (best of each reported, and the ratios):
  - `richmarkup-build -f markdown -t html` against `cmark-gfm --extension table -t html` on the
    same Markdown, and once (it is slow) `pandoc -f gfm -t html`;
  - `richmarkup-build -t pandoc` (from the rich-text JSON) against `pandoc -f json -t json` on the
    AST it writes, which is what reading that AST costs pandoc.

    bench/interchange.py [--megabytes 10] [--rounds 5] [--build-dir build] [--no-pandoc-markdown]
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def timed(cmd, stdin_path=None):
    start = time.perf_counter()
    with open(stdin_path, "rb") if stdin_path else open(os.devnull, "rb") as stdin:
        done = subprocess.run(cmd, stdin=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"interchange: {' '.join(cmd)} failed ({done.returncode}): {done.stderr[:500]!r}")
    return elapsed


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--megabytes", type=float, default=10)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build"))
    parser.add_argument("--no-pandoc-markdown", action="store_true", help="skip pandoc's own Markdown run")
    args = parser.parse_args()
    bin_dir = os.path.join(args.build_dir, "bin")
    tool = os.path.join(bin_dir, "richmarkup-build")
    gendoc = os.path.join(bin_dir, "richmarkup-gendoc")

    with tempfile.TemporaryDirectory(prefix="richmarkup-interchange-") as work:
        source = os.path.join(work, "doc.json")
        markdown = os.path.join(work, "doc.md")
        ast = os.path.join(work, "doc.pandoc.json")
        # The Markdown of a generated document is about two sevenths of its rich-text JSON.
        subprocess.run([gendoc, "--megabytes", str(args.megabytes * 3.5), "--out", source], check=True)
        subprocess.run([tool, "-q", "-t", "markdown", "-o", markdown, source], check=True)
        subprocess.run([tool, "-q", "-t", "pandoc", "-o", ast, source], check=True)
        print(f"document: {os.path.getsize(source) / 1e6:.1f} MB of rich-text JSON, "
              f"{os.path.getsize(markdown) / 1e6:.1f} MB as Markdown, {os.path.getsize(ast) / 1e6:.1f} MB as AST")

        ours = [tool, "-q", "-f", "markdown", "-t", "html", "-o", os.devnull, markdown]
        cmark = ["cmark-gfm", "--extension", "table", "-t", "html", markdown]
        write_ast = [tool, "-q", "-t", "pandoc", "-o", os.devnull, source]
        pandoc_reads = ["pandoc", "-f", "json", "-t", "json", "-o", os.devnull, ast]
        times = {name: [] for name in ("ours", "cmark", "write_ast", "pandoc_reads")}
        timed(ours), timed(cmark)  # the files into the page cache
        for _ in range(args.rounds):
            times["ours"].append(timed(ours))
            times["cmark"].append(timed(cmark))
            times["write_ast"].append(timed(write_ast))
            times["pandoc_reads"].append(timed(pandoc_reads))
        best = {name: min(values) for name, values in times.items()}
        print(f"-f markdown -t html: {best['ours']:.3f} s; cmark-gfm --extension table: {best['cmark']:.3f} s; "
              f"ratio {best['ours'] / best['cmark']:.2f}x (target at most 1.5x)")
        if not args.no_pandoc_markdown:
            gfm = timed(["pandoc", "-f", "gfm", "-t", "html", "-o", os.devnull, markdown])
            print(f"pandoc -f gfm -t html: {gfm:.3f} s; the tool is {gfm / best['ours']:.1f}x faster (target 20x)")
        print(f"-t pandoc: {best['write_ast']:.3f} s; pandoc -f json -t json: {best['pandoc_reads']:.3f} s; "
              f"the tool is {best['pandoc_reads'] / best['write_ast']:.1f}x faster (target 5x)")


if __name__ == "__main__":
    main()

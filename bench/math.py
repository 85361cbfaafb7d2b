#!/usr/bin/python3
"""What typesetting equations costs an HTML page, per --math mode, in one run.

  - The generated document (richmarkup-gendoc --megabytes, 31 by default): `-t html` in each mode
    against `--math plain`. Its equations repeat a few sources, as a real document's notation does;
    mathml converts each distinct one once.
  - Documents of N equations that all differ (--equations, default 1000 and 10000): the time each
    mode adds to plain, per equation. For mathml that is pandoc's run: its start and its texmath.
  - A corpus of --corpus files (default 400) of ten units each, written by --output-dir: what the
    converter remembers across documents leaves pandoc only the first pages' new TeX.
  - With --katex-server: the same equations through KaTeX's own renderToString (Debian's katex,
    on node) in one process, the converter that was weighed against pandoc's.

Rounds alternate the modes; the best of each is reported, and the ratios of those.

    bench/math.py [--megabytes 31] [--equations 1000 10000] [--corpus 400] [--rounds 3] [--build-dir build]
                  [--katex-server]
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MODES = ["plain", "mathml", "katex", "mathjax"]
KATEX_MODULE = "/usr/share/nodejs/katex"


def timed(cmd):
    start = time.perf_counter()
    done = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"math: {' '.join(cmd)} failed ({done.returncode}): {done.stderr[:500]!r}")
    return elapsed


def best_of_modes(tool, source, rounds):
    times = {mode: [] for mode in MODES}
    for mode in MODES:  # the file into the page cache, pandoc into memory
        timed([tool, "-q", "-t", "html", "--math", mode, "-o", os.devnull, source])
    for _ in range(rounds):
        for mode in MODES:
            times[mode].append(timed([tool, "-q", "-t", "html", "--math", mode, "-o", os.devnull, source]))
    return {mode: min(values) for mode, values in times.items()}


def distinct_equations(count):
    """Paragraphs of one equation each, every TeX its own, half of them displayed."""
    paragraphs = []
    for i in range(count):
        tex = f"\\frac{{a_{{{i}}}}}{{b}} + \\sum_{{k=0}}^{{{i % 97}}} k^2 = \\sqrt{{x_{{{i}}}}}"
        paragraphs.append({"className": "RichTextParagraphNode", "children": [
            {"className": "RichTextNode", "text": f"Equation {i}: "},
            {"className": "EquationNode", "texString": tex, "displayStyle": i % 2 == 0, "encoding": "latex"}]})
    return paragraphs


def katex_server(count, work):
    script = os.path.join(work, "katex.js")
    with open(script, "w") as out:
        out.write(f"""const katex = require({json.dumps(KATEX_MODULE)});
const n = {count};
const start = process.hrtime.bigint();
for (let i = 0; i < n; i++) {{
  katex.renderToString(`\\\\frac{{a_{{${{i}}}}}}{{b}} + \\\\sum_{{k=0}}^{{${{i % 97}}}} k^2 = \\\\sqrt{{x_{{${{i}}}}}}`,
                       {{output: "mathml", displayMode: i % 2 == 0, throwOnError: false}});
}}
console.log(Number(process.hrtime.bigint() - start) / 1e9);
""")
    start = time.perf_counter()
    done = subprocess.run(["node", script], capture_output=True, text=True, check=True)
    whole = time.perf_counter() - start
    return whole, float(done.stdout)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--megabytes", type=float, default=31)
    parser.add_argument("--equations", type=int, nargs="*", default=[1000, 10000])
    parser.add_argument("--corpus", type=int, default=400, help="files of the corpus part (0: none)")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build"))
    parser.add_argument("--katex-server", action="store_true", help="also time KaTeX's renderToString on node")
    args = parser.parse_args()
    bin_dir = os.path.join(args.build_dir, "bin")
    tool = os.path.join(bin_dir, "richmarkup-build")
    gendoc = os.path.join(bin_dir, "richmarkup-gendoc")
    if not shutil.which("pandoc"):
        sys.exit("math: mathml needs pandoc on PATH")

    with tempfile.TemporaryDirectory(prefix="richmarkup-math-") as work:
        if args.megabytes > 0:
            source = os.path.join(work, "generated.json")
            subprocess.run([gendoc, "--megabytes", str(args.megabytes), "--out", source], check=True)
            with open(source, encoding="utf-8") as f:
                text = f.read()
            count = text.count('"EquationNode"')
            print(f"generated document: {os.path.getsize(source) / 1e6:.1f} MB, {count} equations")
            best = best_of_modes(tool, source, args.rounds)
            for mode in MODES:
                print(f"  --math {mode:8} {best[mode]:7.3f} s  {best[mode] / best['plain']:5.2f}x plain")

        if args.corpus > 0:
            folder = os.path.join(work, "corpus")
            os.mkdir(folder)
            lines = subprocess.run([gendoc, "--jsonl", str(args.corpus), "--units", "10"], check=True,
                                   capture_output=True, text=True).stdout.splitlines()
            files = []
            for i, line in enumerate(lines):
                files.append(os.path.join(folder, f"doc{i:05}.json"))
                with open(files[-1], "w", encoding="utf-8") as out:
                    out.write(line)
            times = {mode: [] for mode in ("plain", "mathml")}
            for _ in range(args.rounds + 1):
                for mode in times:
                    target = os.path.join(work, "pages")
                    shutil.rmtree(target, ignore_errors=True)
                    times[mode].append(timed([tool, "-q", "-t", "html", "--math", mode, "--output-dir", target] + files))
            best = {mode: min(values[1:]) for mode, values in times.items()}
            print(f"corpus of {len(files)} files, --output-dir: plain {best['plain']:.3f} s, mathml "
                  f"{best['mathml']:.3f} s, {best['mathml'] / best['plain']:.2f}x plain")

        for count in args.equations:
            source = os.path.join(work, f"equations-{count}.json")
            with open(source, "w", encoding="utf-8") as out:
                json.dump(distinct_equations(count), out)
            best = best_of_modes(tool, source, args.rounds)
            print(f"{count} distinct equations ({os.path.getsize(source) / 1e6:.2f} MB):")
            for mode in MODES:
                added = (best[mode] - best["plain"]) / count * 1e6
                print(f"  --math {mode:8} {best[mode]:7.3f} s  {best[mode] / best['plain']:5.2f}x plain"
                      f"  {added:8.1f} us an equation")
            if args.katex_server and os.path.isdir(KATEX_MODULE) and shutil.which("node"):
                whole, rendering = katex_server(count, work)
                print(f"  KaTeX renderToString on node: {whole:.3f} s in all, {rendering / count * 1e6:.1f} us an "
                      f"equation once started ({whole - rendering:.3f} s to start)")


if __name__ == "__main__":
    main()

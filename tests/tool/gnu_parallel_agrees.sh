#!/usr/bin/env bash
# GNU parallel splits a JSON Lines stream into blocks, runs one tool per block and joins their
# outputs in order: the lines must be those of one process over the whole stream.
#   gnu_parallel_agrees.sh TOOL
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for i in $(seq 1 3000); do
  if (( i % 7 == 0 )); then
    printf '[{"className":"HeadingNode","level":%d,"children":[{"className":"RichTextNode","text":"h %d"}]},{"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"p \\"%d\\"","bold":true}]}]\n' $(( i % 3 + 1 )) "$i" "$i"
  else
    printf '{"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"line %d é"}]}\n' "$i"
  fi
done > "$work/in.jsonl"

"$tool" -f jsonl -t json -q < "$work/in.jsonl" > "$work/one.jsonl"
# Blocks of 40 kB: the stream goes out in a dozen pieces, two at a time.
parallel --will-cite --pipe --block 40k --keep-order -j2 "$tool" -f jsonl -t json -q -j 1 \
  < "$work/in.jsonl" > "$work/parallel.jsonl"

lines=$(wc -l < "$work/one.jsonl")
if [ "$lines" -ne 3000 ]; then
  echo "one process wrote $lines lines for 3000 documents" >&2
  exit 1
fi
if ! cmp -s "$work/one.jsonl" "$work/parallel.jsonl"; then
  echo "GNU parallel's joined output differs from one process's:" >&2
  diff "$work/one.jsonl" "$work/parallel.jsonl" | head -5 >&2
  exit 1
fi

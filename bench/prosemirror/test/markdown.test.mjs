// markdown.mjs has to serialise everything the generator writes without
// throwing, and its tables have to stay tables, or the timings would compare
// a failing or truncated peer.
import { test } from "node:test";
import assert from "node:assert/strict";
import { writeFileSync, mkdtempSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { spawnSync } from "node:child_process";
import { fileURLToPath } from "node:url";
import { schema } from "../schema.mjs";
import { serializer } from "../markdown.mjs";

const dir = fileURLToPath(new URL("..", import.meta.url));

function run(...args) {
  return spawnSync(process.execPath, [join(dir, "markdown.mjs"), ...args], { encoding: "utf8" });
}

const para = (...content) => schema.node("paragraph", null, content);
const text = (s) => schema.text(s);
const row = (type, ...cells) => schema.node("table_row", null, cells.map((c) => schema.node(type, null, c)));

test("the sample comes out as Markdown with every construct in place", () => {
  const r = run(join(dir, "sample.json"));
  assert.equal(r.status, 0, r.stderr);
  const lines = r.stdout.split("\n");
  for (const line of [
    "# Sample",
    "###### Lists",
    "* first",
    "  1. nested",
    "```",
    "line 2",
    "| Name | Value |",
    "| --- | --- |",
    "| a |  |",
  ]) {
    assert.ok(lines.includes(line), `missing line ${JSON.stringify(line)} in\n${r.stdout}`);
  }
  assert.match(r.stdout, /\[\*\*\*a link\*\*\*\]\(https:\/\/example\.com\/\)/);
  assert.match(r.stdout, /!\[logo\]\(img\/logo\.png\)/);
});

test("tables: an empty header row when there is none, pipes escaped, blocks of a cell on one line", () => {
  const doc = schema.node("doc", null, [
    schema.node("table", null, [
      row("table_cell", [para(text("a|b"))], [para(text("one")), para(text("two"))]),
      row("table_cell", [schema.node("code_block", null, [text("x\ny")])], [para()]),
    ]),
    para(text("after")),
  ]);
  assert.equal(
    serializer.serialize(doc),
    ["|   |   |", "| --- | --- |", "| a\\|b | one<br>two |", "| x y |  |", "", "after"].join("\n"),
  );
  // Outside tables a pipe is left alone.
  assert.equal(serializer.serialize(schema.node("doc", null, [para(text("a|b"))])), "a|b");
});

test("a table of a header row alone still gets its delimiter row", () => {
  const doc = schema.node("doc", null, [schema.node("table", null, [row("table_header", [para(text("h"))])])]);
  assert.equal(serializer.serialize(doc), "| h |\n| --- |");
});

test("bad input is reported on stderr with status 1", () => {
  const bad = join(mkdtempSync(join(tmpdir(), "pm-bench-")), "bad.json");
  writeFileSync(bad, '{"type":"doc","content":[{"type":"paragraph"}');
  const r = run(bad);
  assert.equal(r.status, 1);
  assert.equal(r.stdout, "");
  assert.match(r.stderr, /^error: /);
});

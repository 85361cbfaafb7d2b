// Node.fromJSON is lenient (no content or mark-order checks, unknown attrs
// dropped), so a schema mismatch with the generator's output would not show
// up as an error in the timings. These tests make it show up.
import { test } from "node:test";
import assert from "node:assert/strict";
import { readFileSync, writeFileSync, mkdtempSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { spawnSync } from "node:child_process";
import { fileURLToPath } from "node:url";
import { Node } from "prosemirror-model";
import { schema } from "../schema.mjs";

const dir = fileURLToPath(new URL("..", import.meta.url));
const sample = join(dir, "sample.json");
const sampleJson = JSON.parse(readFileSync(sample, "utf8"));

function run(script, ...args) {
  return spawnSync(process.execPath, [join(dir, script), ...args], { encoding: "utf8" });
}

// Counted from the raw JSON, independently of ProseMirror.
function countJsonNodes(node) {
  return (node.content ?? []).reduce((n, child) => n + 1 + countJsonNodes(child), 0);
}

test("sample is valid under the schema and survives a round trip unchanged", () => {
  const doc = Node.fromJSON(schema, sampleJson);
  doc.check();
  // Through JSON text, as attrs come back as null-prototype objects.
  assert.deepEqual(JSON.parse(JSON.stringify(doc.toJSON())), sampleJson);
});

test("convert.mjs counts every node but the doc", () => {
  const r = run("convert.mjs", sample);
  assert.equal(r.status, 0, r.stderr);
  assert.equal(r.stdout, `nodes ${countJsonNodes(sampleJson)}\n`);
});

test("convert.mjs reports bad input on stderr with status 1", () => {
  const bad = join(mkdtempSync(join(tmpdir(), "pm-bench-")), "bad.json");
  writeFileSync(bad, '{"type":"doc","content":[{"type":"no_such_node"}]}');
  const r = run("convert.mjs", bad);
  assert.equal(r.status, 1);
  assert.equal(r.stdout, "");
  assert.match(r.stderr, /^error: .*no_such_node/);
});

test("inprocess.mjs prints one JSON line of medians", () => {
  const r = run("inprocess.mjs", sample, "--reps", "3");
  assert.equal(r.status, 0, r.stderr);
  const lines = r.stdout.trim().split("\n");
  assert.equal(lines.length, 1);
  const out = JSON.parse(lines[0]);
  assert.equal(out.bytes, readFileSync(sample).length);
  assert.equal(out.nodes, countJsonNodes(sampleJson));
  for (const key of ["parse_ms", "from_json_ms", "end_to_end_ms", "ns_per_node"]) {
    assert.ok(Number.isFinite(out[key]) && out[key] > 0, `${key} = ${out[key]}`);
  }
});

// The Lexical peer only compares if it loads the same content: these tests
// hold pm-to-lexical.mjs to Lexical's own serialized form and check that no
// text, image or link is lost on the way.
import { test } from "node:test";
import assert from "node:assert/strict";
import { existsSync, readFileSync, writeFileSync, mkdtempSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { spawnSync } from "node:child_process";
import { fileURLToPath } from "node:url";
import { $getRoot, $isElementNode, $isTextNode } from "lexical";
import { $isLinkNode } from "@lexical/link";
import { createEditor, ImageNode } from "../lexical-nodes.mjs";
import { toLexical } from "../pm-to-lexical.mjs";

const dir = fileURLToPath(new URL("..", import.meta.url));
const sample = join(dir, "sample.json");
const work = mkdtempSync(join(tmpdir(), "lexical-bench-"));
const gendoc = join(dir, "..", "..", "build", "bin", "richmarkup-gendoc");

function run(script, ...args) {
  return spawnSync(process.execPath, [join(dir, script), ...args], { encoding: "utf8" });
}

function load(serialized) {
  const editor = createEditor();
  editor.setEditorState(editor.parseEditorState(serialized));
  return editor.getEditorState();
}

// What a reader sees, counted from the ProseMirror JSON: the text (line breaks
// aside, as Lexical turns them into nodes), the images and the link targets.
function pmContent(node, acc = { text: "", images: 0, links: new Set() }) {
  if (node.type === "text") {
    acc.text += node.text.replace(/\n/g, "");
    for (const mark of node.marks ?? []) if (mark.type === "link") acc.links.add(mark.attrs.href);
  }
  if (node.type === "image") acc.images++;
  for (const child of node.content ?? []) pmContent(child, acc);
  return acc;
}

function lexicalContent(state) {
  const acc = { text: "", images: 0, links: new Set() };
  state.read(() => {
    const walk = (node) => {
      if ($isTextNode(node)) acc.text += node.getTextContent();
      if (node instanceof ImageNode) acc.images++;
      if ($isLinkNode(node)) acc.links.add(node.getURL());
      if ($isElementNode(node)) node.getChildren().forEach(walk);
    };
    walk($getRoot());
  });
  return acc;
}

function countJson(node) {
  return (node.children ?? []).reduce((n, child) => n + 1 + countJson(child), 0);
}

test("the sample converts to exactly what Lexical itself writes for it", () => {
  const converted = toLexical(JSON.parse(readFileSync(sample, "utf8")));
  // Through JSON text, as Lexical leaves undefined keys out only there.
  assert.deepEqual(JSON.parse(JSON.stringify(load(converted).toJSON())), converted);
});

test("pm-to-lexical.mjs and lexical.mjs: the sample loads, every node counted", () => {
  const out = join(work, "sample.lexical.json");
  const c = run("pm-to-lexical.mjs", sample, out);
  assert.equal(c.status, 0, c.stderr);
  const r = run("lexical.mjs", out);
  assert.equal(r.status, 0, r.stderr);
  assert.equal(r.stdout, `nodes ${countJson(JSON.parse(readFileSync(out, "utf8")).root)}\n`);
});

test("a generated document loads with its text, images and links intact", { skip: !existsSync(gendoc) }, () => {
  const pm = join(work, "gen.pm.json");
  const g = spawnSync(gendoc, ["--units", "60", "--seed", "7", "--out", join(work, "gen.json"), "--prosemirror", pm]);
  assert.equal(g.status, 0, String(g.stderr));
  const source = JSON.parse(readFileSync(pm, "utf8"));
  const state = load(toLexical(source));
  const want = pmContent(source);
  const got = lexicalContent(state);
  assert.ok(want.images > 0 && want.links.size > 0, "the generator's mix changed");
  assert.equal(got.text, want.text);
  assert.equal(got.images, want.images);
  assert.deepEqual(got.links, want.links);
  // Adjacent runs of one format merge on load, so there are fewer nodes, but not many fewer.
  const out = join(work, "gen.lexical.json");
  const c = run("pm-to-lexical.mjs", pm, out);
  assert.equal(c.status, 0, c.stderr);
  const r = run("lexical.mjs", out);
  assert.equal(r.status, 0, r.stderr);
  const nodes = Number(/^nodes (\d+)\n$/.exec(r.stdout)?.[1]);
  const written = countJson(JSON.parse(readFileSync(out, "utf8")).root);
  assert.ok(nodes <= written && nodes > written / 2, `${nodes} of ${written}`);
});

test("content with no Lexical form is an error that says where", () => {
  const bad = join(work, "bad.pm.json");
  writeFileSync(bad, '{"type":"doc","content":[{"type":"paragraph"},{"type":"horizontal_rule"}]}');
  const c = run("pm-to-lexical.mjs", bad, join(work, "bad.lexical.json"));
  assert.equal(c.status, 1);
  assert.match(c.stderr, /^error: .*bad\.pm\.json: no Lexical form for the block "horizontal_rule" at \/content\/1\n$/);
  assert.equal(existsSync(join(work, "bad.lexical.json")), false);
});

test("lexical.mjs reports an unknown node type with status 1", () => {
  const bad = join(work, "bad.lexical.json");
  writeFileSync(bad, '{"root":{"type":"root","children":[{"type":"no_such_node","version":1}]}}');
  const r = run("lexical.mjs", bad);
  assert.equal(r.status, 1);
  assert.equal(r.stdout, "");
  assert.match(r.stderr, /^error: .*no_such_node/);
});

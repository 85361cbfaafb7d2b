// Whole-process Lexical peer of `richmarkup-build -t none FILE`: read Lexical's
// serialized JSON (pm-to-lexical.mjs writes it), parse it, build the editor
// state and make it the editor's, as an app restoring a saved document does,
// then report its size. Run it with `node --conditions=production`: Lexical's
// default entry loads both its development and production builds and picks
// one by NODE_ENV, and the development build adds checks an app would not pay.
import { readFileSync } from "node:fs";
import { $getRoot, $isElementNode } from "lexical";
import { createEditor } from "./lexical-nodes.mjs";

const file = process.argv[2];
if (!file || process.argv.length > 3) {
  process.stderr.write("error: usage: node lexical.mjs FILE\n");
  process.exit(1);
}

function count(node) {
  let n = 0;
  for (let child = node.getFirstChild(); child; child = child.getNextSibling()) {
    n += 1 + ($isElementNode(child) ? count(child) : 0);
  }
  return n;
}

try {
  const editor = createEditor();
  editor.setEditorState(editor.parseEditorState(JSON.parse(readFileSync(file, "utf8"))));
  // Every node but the root, as convert.mjs counts every node but the doc.
  const nodes = editor.getEditorState().read(() => count($getRoot()));
  process.stdout.write(`nodes ${nodes}\n`);
} catch (err) {
  process.stderr.write(`error: ${err && err.message ? err.message : err}\n`);
  process.exit(1);
}

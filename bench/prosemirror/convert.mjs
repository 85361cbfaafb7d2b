// Whole-process peer of `richmarkup-build -t none FILE`: read, parse, build the
// document, report its size. Process start-up and module loading are part of
// what gets timed, so keep this file free of extra work.
import { readFileSync } from "node:fs";
import { Node } from "prosemirror-model";
import { schema } from "./schema.mjs";

const file = process.argv[2];
if (!file || process.argv.length > 3) {
  process.stderr.write("error: usage: node convert.mjs FILE\n");
  process.exit(1);
}

try {
  const doc = Node.fromJSON(schema, JSON.parse(readFileSync(file, "utf8")));
  let nodes = 0;
  doc.descendants(() => {
    nodes++;
  });
  process.stdout.write(`nodes ${nodes}\n`);
} catch (err) {
  process.stderr.write(`error: ${err && err.message ? err.message : err}\n`);
  process.exit(1);
}

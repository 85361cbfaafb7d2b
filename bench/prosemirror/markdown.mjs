// Whole-process peer of `richmarkup-build -t markdown FILE`: read, parse,
// build the document, serialise it with prosemirror-markdown and write the
// Markdown to standard output.
//
// defaultMarkdownSerializer knows the basic schema and its lists; the table
// nodes are added here as pipe tables, written through the same serializer
// state so their cost is the serializer's own. Table cells hold blocks, a pipe
// table's cells one line: blocks in a cell are joined with <br>, and code and
// blocks that are not textblocks are written as their text on one line.
import { readFileSync } from "node:fs";
import { fileURLToPath } from "node:url";
import { Node } from "prosemirror-model";
import { MarkdownSerializer, defaultMarkdownSerializer } from "prosemirror-markdown";
import { schema } from "./schema.mjs";

function cell(state, node) {
  node.forEach((child, _, i) => {
    if (i > 0) state.write("<br>");
    if (child.isTextblock && child.type.name !== "code_block") {
      state.renderInline(child, false);
    } else {
      state.text(child.textContent.replace(/\n/g, " "));
    }
  });
}

function row(state, node) {
  state.write("|");
  node.forEach((child) => {
    state.write(" ");
    cell(state, child);
    state.write(" |");
  });
}

// A pipe table always starts with a header row; a table without one gets an
// empty one. Like other blocks, the table leaves the line open at its end.
function table(state, node) {
  const first = node.firstChild;
  const columns = first ? first.childCount : 0;
  const headed = first && first.firstChild && first.firstChild.type.name === "table_header";
  const delimiter = () => state.write("|" + " --- |".repeat(columns));
  if (!headed) {
    state.write("|" + "   |".repeat(columns));
    state.ensureNewLine();
    delimiter();
  }
  // A pipe in a cell would end it.
  const escapeBefore = state.options.escapeExtraCharacters;
  state.options.escapeExtraCharacters = /\|/g;
  node.forEach((child, _, i) => {
    if (i > 0 || !headed) state.ensureNewLine();
    row(state, child);
    if (i === 0 && headed) {
      state.ensureNewLine();
      delimiter();
    }
  });
  state.options.escapeExtraCharacters = escapeBefore;
  state.closeBlock(node);
}

export const serializer = new MarkdownSerializer(
  { ...defaultMarkdownSerializer.nodes, table },
  defaultMarkdownSerializer.marks,
);

if (process.argv[1] && fileURLToPath(import.meta.url) === process.argv[1]) {
  const file = process.argv[2];
  if (!file || process.argv.length > 3) {
    process.stderr.write("error: usage: node markdown.mjs FILE\n");
    process.exit(1);
  }
  try {
    const doc = Node.fromJSON(schema, JSON.parse(readFileSync(file, "utf8")));
    process.stdout.write(serializer.serialize(doc));
  } catch (err) {
    process.stderr.write(`error: ${err && err.message ? err.message : err}\n`);
    process.exit(1);
  }
}

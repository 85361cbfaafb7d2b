// Rewrites a ProseMirror document (as richmarkup-gendoc --prosemirror writes
// it) in Lexical's serialized form, the full one EditorState.toJSON() gives,
// so the Lexical peer loads the same content as the others.
//
//   node pm-to-lexical.mjs IN OUT
//
// Where the two models differ, the content is kept and the shape follows
// Lexical: marks become format bits, a link mark becomes a link node around
// the runs it covers, a list item holds its first paragraph's inline content
// directly (further paragraphs follow a line break, a nested list gets an item
// of its own), and code lines are separated by line-break nodes.
import { readFileSync, writeFileSync } from "node:fs";
import { fileURLToPath } from "node:url";

// Lexical's TextNode format bits.
const FORMAT = { strong: 1, em: 2, code: 16 };

class ConversionError extends Error {
  constructor(message, path) {
    super(`${message} at ${path}`);
  }
}

function element(type, children, extra) {
  return { children, direction: null, format: "", indent: 0, type, version: 1, ...extra };
}

function textNode(text, format) {
  return { detail: 0, format, mode: "normal", style: "", text, type: "text", version: 1 };
}

const lineBreak = () => ({ type: "linebreak", version: 1 });

// Text with newlines becomes runs separated by line breaks, as Lexical keeps it.
function pushText(out, text, format) {
  const lines = text.split("\n");
  lines.forEach((line, i) => {
    if (i > 0) out.push(lineBreak());
    if (line) out.push(textNode(line, format));
  });
}

function inline(node, path) {
  const out = [];
  let link = null; // the link node the previous run went into, while the next one may join it
  (node.content ?? []).forEach((child, i) => {
    const at = `${path}/content/${i}`;
    if (child.type === "text") {
      let format = 0;
      let href = null;
      let title = null;
      for (const mark of child.marks ?? []) {
        if (mark.type === "link") {
          href = mark.attrs?.href ?? "";
          title = mark.attrs?.title ?? null;
        } else if (mark.type in FORMAT) {
          format |= FORMAT[mark.type];
        } else {
          throw new ConversionError(`no Lexical form for the mark "${mark.type}"`, at);
        }
      }
      if (href === null) {
        link = null;
        pushText(out, child.text ?? "", format);
        return;
      }
      if (!link || link.url !== href || link.title !== title) {
        link = element("link", [], { rel: null, target: null, title, url: href });
        out.push(link);
      }
      pushText(link.children, child.text ?? "", format);
      return;
    }
    link = null;
    if (child.type === "image") {
      out.push({ type: "image", version: 1, altText: child.attrs?.alt ?? "", src: child.attrs?.src ?? "" });
    } else if (child.type === "hard_break") {
      out.push(lineBreak());
    } else {
      throw new ConversionError(`no Lexical form for the inline node "${child.type}"`, at);
    }
  });
  return out;
}

// The inline content of textblocks, one line break between blocks.
function joinedInline(blocks, path, where) {
  const out = [];
  blocks.forEach((block, i) => {
    const at = `${path}/content/${i}`;
    if (block.type !== "paragraph" && block.type !== "heading") {
      throw new ConversionError(`no Lexical form for "${block.type}" inside ${where}`, at);
    }
    if (i > 0) out.push(lineBreak());
    out.push(...inline(block, at));
  });
  return out;
}

// A nested list sits in an item of its own, which takes no number and is not
// indented itself; the items of the nested list are.
function list(node, path, depth = 0) {
  const ordered = node.type === "ordered_list";
  const start = ordered ? (node.attrs?.order ?? 1) : 1;
  let value = start;
  const items = [];
  (node.content ?? []).forEach((item, i) => {
    const at = `${path}/content/${i}`;
    const paragraphs = [];
    const nested = [];
    (item.content ?? []).forEach((block, j) => {
      if (block.type === "bullet_list" || block.type === "ordered_list") {
        nested.push(list(block, `${at}/content/${j}`, depth + 1));
      } else if (nested.length) {
        throw new ConversionError(`no Lexical form for "${block.type}" after a nested list`, `${at}/content/${j}`);
      } else {
        paragraphs.push(block);
      }
    });
    items.push(element("listitem", joinedInline(paragraphs, at, "a list item"), { indent: depth, value: value++ }));
    for (const sub of nested) {
      items.push(element("listitem", [sub], { indent: depth, value }));
    }
  });
  return element("list", items, {
    listType: ordered ? "number" : "bullet",
    start,
    tag: ordered ? "ol" : "ul",
  });
}

function table(node, path) {
  const rows = (node.content ?? []).map((row, r) => {
    const rowPath = `${path}/content/${r}`;
    if (row.type !== "table_row") {
      throw new ConversionError(`"${row.type}" where a table row belongs`, rowPath);
    }
    const cells = (row.content ?? []).map((cell, c) => {
      const cellPath = `${rowPath}/content/${c}`;
      if (cell.type !== "table_cell" && cell.type !== "table_header") {
        throw new ConversionError(`"${cell.type}" where a table cell belongs`, cellPath);
      }
      return element("tablecell", blocks(cell, cellPath), {
        backgroundColor: null,
        colSpan: cell.attrs?.colspan ?? 1,
        headerState: cell.type === "table_header" ? 1 : 0, // TableCellHeaderStates.ROW
        rowSpan: cell.attrs?.rowspan ?? 1,
      });
    });
    return element("tablerow", cells);
  });
  return element("table", rows);
}

function block(node, path) {
  switch (node.type) {
    case "paragraph":
      return element("paragraph", inline(node, path), { textFormat: 0, textStyle: "" });
    case "heading": {
      const level = Math.min(Math.max(node.attrs?.level ?? 1, 1), 6);
      return element("heading", inline(node, path), { tag: `h${level}` });
    }
    case "blockquote":
      return element("quote", joinedInline(node.content ?? [], path, "a quote"));
    case "code_block": {
      const lines = [];
      pushText(lines, (node.content ?? []).map((t) => t.text ?? "").join(""), 0);
      return element("code", lines);
    }
    case "bullet_list":
    case "ordered_list":
      return list(node, path);
    case "table":
      return table(node, path);
    default:
      throw new ConversionError(`no Lexical form for the block "${node.type}"`, path);
  }
}

function blocks(node, path) {
  return (node.content ?? []).map((child, i) => block(child, `${path}/content/${i}`));
}

export function toLexical(doc) {
  if (!doc || doc.type !== "doc") {
    throw new ConversionError('the top node is not a "doc"', "/");
  }
  return { root: element("root", blocks(doc, "")) };
}

if (process.argv[1] && fileURLToPath(import.meta.url) === process.argv[1]) {
  const [input, output] = process.argv.slice(2);
  if (!input || !output || process.argv.length > 4) {
    process.stderr.write("error: usage: node pm-to-lexical.mjs IN OUT\n");
    process.exit(1);
  }
  try {
    writeFileSync(output, JSON.stringify(toLexical(JSON.parse(readFileSync(input, "utf8")))));
  } catch (err) {
    process.stderr.write(`error: ${input}: ${err && err.message ? err.message : err}\n`);
    process.exit(1);
  }
}

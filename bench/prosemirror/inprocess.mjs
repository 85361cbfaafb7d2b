// In-process timing, so the C++ tool can be compared without Node start-up
// and module loading in the numbers. Times JSON.parse, Node.fromJSON and
// the two together, and prints one JSON line of medians.
import { readFileSync } from "node:fs";
import { Node } from "prosemirror-model";
import { schema } from "./schema.mjs";

function fail(message) {
  process.stderr.write(`error: ${message}\n`);
  process.exit(1);
}

function parseArgs(argv) {
  let file = null;
  let reps = 5;
  for (let i = 0; i < argv.length; i++) {
    if (argv[i] === "--reps") {
      const value = argv[++i];
      // Number("") is 0 and Number("2x") is NaN; both must be refused.
      if (!/^[1-9][0-9]*$/.test(value ?? "")) fail(`--reps needs a positive integer, got ${value}`);
      reps = Number(value);
    } else if (file === null && !argv[i].startsWith("--")) {
      file = argv[i];
    } else {
      fail(`unexpected argument ${argv[i]}`);
    }
  }
  if (file === null) fail("usage: node inprocess.mjs FILE [--reps N]");
  return { file, reps };
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
}

function countNodes(doc) {
  let n = 0;
  doc.descendants(() => {
    n++;
  });
  return n;
}

// With --expose-gc, collect before each timed step so one step's garbage is
// not billed to the next; without it the numbers include GC as it falls.
const collect = typeof globalThis.gc === "function" ? globalThis.gc : () => {};

// Results are kept here so the engine cannot treat the timed calls as dead.
let sink;

function timeOnce(text) {
  collect();
  let t0 = process.hrtime.bigint();
  const parsed = JSON.parse(text);
  const parseNs = process.hrtime.bigint() - t0;

  collect();
  t0 = process.hrtime.bigint();
  sink = Node.fromJSON(schema, parsed);
  const fromJsonNs = process.hrtime.bigint() - t0;

  collect();
  t0 = process.hrtime.bigint();
  sink = Node.fromJSON(schema, JSON.parse(text));
  const endToEndNs = process.hrtime.bigint() - t0;

  return { parseNs, fromJsonNs, endToEndNs };
}

const ms = (ns) => Number(ns) / 1e6;
const round3 = (x) => Math.round(x * 1000) / 1000;

function main() {
  const { file, reps } = parseArgs(process.argv.slice(2));
  let raw;
  try {
    raw = readFileSync(file);
  } catch (err) {
    fail(err.message);
  }
  const text = raw.toString("utf8");

  let nodes;
  try {
    nodes = countNodes(Node.fromJSON(schema, JSON.parse(text)));
    timeOnce(text);
    timeOnce(text);
  } catch (err) {
    fail(err && err.message ? err.message : String(err));
  }

  const parse = [];
  const fromJson = [];
  const endToEnd = [];
  for (let i = 0; i < reps; i++) {
    const r = timeOnce(text);
    parse.push(ms(r.parseNs));
    fromJson.push(ms(r.fromJsonNs));
    endToEnd.push(ms(r.endToEndNs));
  }

  const e2e = median(endToEnd);
  const out = {
    file,
    bytes: raw.length,
    nodes,
    parse_ms: round3(median(parse)),
    from_json_ms: round3(median(fromJson)),
    end_to_end_ms: round3(e2e),
    ns_per_node: nodes > 0 ? Math.round((e2e * 1e6) / nodes * 10) / 10 : null,
  };
  process.stdout.write(JSON.stringify(out) + "\n");
}

main();

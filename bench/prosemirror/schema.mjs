// The one schema both peer scripts build against. It has to accept exactly
// the ProseMirror JSON that the bench generator writes, so node and mark
// names (bullet_list, table_header, ...) follow the upstream packages.
import OrderedMap from "orderedmap";
import { Schema } from "prosemirror-model";
import { nodes as basicNodes, marks } from "prosemirror-schema-basic";
import { addListNodes } from "prosemirror-schema-list";
import { tableNodes } from "prosemirror-tables";

// addListNodes wants an OrderedMap; schema-basic exports a plain object.
const nodes = addListNodes(OrderedMap.from(basicNodes), "paragraph block*", "block").append(
  // tableNodes always adds colspan/rowspan/colwidth; nothing extra is needed.
  tableNodes({ tableGroup: "block", cellContent: "block+", cellAttributes: {} }),
);

export const schema = new Schema({ nodes, marks });

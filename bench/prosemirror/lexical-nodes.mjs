// The node classes the Lexical peer registers, and the editor it loads into.
// Lexical's packages have no image node (every app writes its own), so a
// minimal inline one is defined here, as an app would: it keeps src and alt
// and renders nothing, which is all a headless load needs.
import { DecoratorNode } from "lexical";
import { createHeadlessEditor } from "@lexical/headless";
import { HeadingNode, QuoteNode } from "@lexical/rich-text";
import { ListNode, ListItemNode } from "@lexical/list";
import { LinkNode } from "@lexical/link";
import { TableNode, TableRowNode, TableCellNode } from "@lexical/table";
import { CodeNode, CodeHighlightNode } from "@lexical/code";

export class ImageNode extends DecoratorNode {
  static getType() {
    return "image";
  }

  static clone(node) {
    return new ImageNode(node.__src, node.__altText, node.__key);
  }

  static importJSON(json) {
    return new ImageNode(json.src, json.altText).updateFromJSON(json);
  }

  constructor(src = "", altText = "", key) {
    super(key);
    this.__src = src;
    this.__altText = altText;
  }

  exportJSON() {
    return { ...super.exportJSON(), altText: this.__altText, src: this.__src };
  }

  // Never called headless; present because the base class requires them.
  createDOM() {
    return document.createElement("span");
  }

  updateDOM() {
    return false;
  }
}

export const nodes = [
  HeadingNode,
  QuoteNode,
  ListNode,
  ListItemNode,
  LinkNode,
  TableNode,
  TableRowNode,
  TableCellNode,
  CodeNode,
  CodeHighlightNode,
  ImageNode,
];

// By default Lexical logs errors of parseEditorState and carries on with what
// it has; a peer that silently drops content would time less work.
export function createEditor() {
  return createHeadlessEditor({
    namespace: "richmarkup-bench",
    nodes,
    onError: (err) => {
      throw err;
    },
  });
}

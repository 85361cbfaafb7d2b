#pragma once

// Every node kind of the document model.

#include <document/vxzero/Node.hpp>
#include <document/vxzero/NodeCast.hpp>
#include <document/vxzero/TextNode.hpp>
#include <document/vxzero/RichTextNode.hpp>
#include <document/vxzero/CodeTextNode.hpp>
#include <document/vxzero/HyperlinkNode.hpp>
#include <document/vxzero/ImageNode.hpp>
#include <document/vxzero/EquationNode.hpp>
#include <document/vxzero/RichTextParagraphNode.hpp>
#include <document/vxzero/HeadingNode.hpp>
#include <document/vxzero/ListItem.hpp>
#include <document/vxzero/ListContainer.hpp>
#include <document/vxzero/TableOfContentsContainer.hpp>
#include <document/vxzero/TableOfContentsHeadingNode.hpp>
#include <document/vxzero/CodeExampleBlock.hpp>
#include <document/vxzero/CodeExampleLine.hpp>
#include <document/vxzero/TableNode.hpp>
#include <document/vxzero/TableRowNode.hpp>
#include <document/vxzero/TableCellNode.hpp>

#include "PandocAstWriter.hpp"
#include "PandocJson.hpp"

#include <algorithm>

// Tables: pandoc's are rectangular, with a head, one body and an empty foot.
namespace richmarkup::formats::pandoc {

namespace {

// Justify, which pandoc lacks, and no alignment are the default.
char const* alignmentJson(std::optional<dv::Alignment> alignment) {
    if (alignment == dv::Alignment::Left) {
        return R"({"t":"AlignLeft"})";
    }
    if (alignment == dv::Alignment::Center) {
        return R"({"t":"AlignCenter"})";
    }
    if (alignment == dv::Alignment::Right) {
        return R"({"t":"AlignRight"})";
    }
    return R"({"t":"AlignDefault"})";
}

// The alignment a cell's paragraphs and headings share when pandoc's cell alignment can carry
// it (centre or right); left is every cell's default, and justify has no pandoc form.
std::optional<dv::Alignment> cellAlignment(dv::Node const* cell) {
    if (!*cell || (*cell)->getKind() != dv::NodeKind::TableCellNode) {
        return std::nullopt;
    }
    std::optional<dv::Alignment> shared;
    for (dv::Node const& block : (*cell)->getChildren()) {
        dv::NodeKind const kind = block ? block->getKind() : dv::NodeKind::TableCellNode;
        if (kind != dv::NodeKind::RichTextParagraphNode && kind != dv::NodeKind::HeadingNode) {
            continue;
        }
        dv::Alignment const alignment = alignmentOf(at(block)).value_or(dv::Alignment::Left);
        if (shared && *shared != alignment) {
            return std::nullopt;
        }
        shared = alignment;
    }
    return shared == dv::Alignment::Center || shared == dv::Alignment::Right ? shared : std::nullopt;
}

} // namespace

void AstWriter::table(dv::Node::Impl const& node, Nodes rowNodes, std::size_t depth) {
    std::optional<bool> hasHeader;
    std::optional<std::vector<long long>> widths;
    if (node.getKind() == dv::NodeKind::TableNode) {
        if (auto const& meta = static_cast<dv::TableNode::Impl const&>(node).getTableNodeMetaData()) {
            hasHeader = meta->getHasHeader();
            widths = meta->getColumnWidths();
        }
    }
    std::vector<Row> rows;
    std::size_t columns = 0;
    for (dv::Node const& row : rowNodes) {
        if (!row) {
            continue;
        }
        Row& entry = rows.emplace_back(Row{&row, {}, {}});
        if (row->getKind() == dv::NodeKind::TableRowNode) {
            for (dv::Node const& cell : row->getChildren()) {
                if (cell) {
                    entry.cells.push_back(&cell);
                }
            }
        } else {
            warn(at(row), kindPhrase(row->getKind()) + " directly in a table written as a row of one cell");
            entry.cells.push_back(&row);
        }
        for (dv::Node const* cell : entry.cells) {
            entry.alignments.push_back(cellAlignment(cell));
        }
        columns = std::max(columns, entry.cells.size());
    }
    if (std::any_of(rows.begin(), rows.end(), [&](Row const& row) { return row.cells.size() != columns; })) {
        warn(node, "rows of unequal length padded with empty cells to " + std::to_string(columns) +
                       " columns: pandoc's tables are rectangular");
    }
    bool const headed = hasHeader.value_or(false) && !rows.empty();

    // A column takes the alignment that all its body cells share.
    std::vector<std::optional<dv::Alignment>> columnAlignments(columns);
    for (std::size_t c = 0; c < columns; ++c) {
        bool agree = true;
        bool any = false;
        for (std::size_t r = headed ? 1 : 0; r < rows.size() && agree; ++r) {
            if (c < rows[r].cells.size()) {
                agree = !any || rows[r].alignments[c] == columnAlignments[c];
                columnAlignments[c] = rows[r].alignments[c];
                any = true;
            }
        }
        if (!agree) {
            columnAlignments[c].reset();
        }
    }

    separate(out_);
    out_ += R"({"t":"Table","c":[)";
    tableAttr(node, widths);
    out_ += ",[null,[]],[";
    long long sum = 0;
    for (std::size_t c = 0; widths && c < columns && c < widths->size(); ++c) {
        sum += std::max((*widths)[c], 0LL);
    }
    for (std::size_t c = 0; c < columns; ++c) {
        separate(out_);
        out_ += "[";
        out_ += alignmentJson(columnAlignments[c]);
        if (sum > 0 && c < widths->size() && (*widths)[c] > 0) {
            out_ += R"(,{"t":"ColWidth","c":)";
            pandoc::appendNumber(out_, static_cast<double>((*widths)[c]) / static_cast<double>(sum));
            out_ += "}]";
        } else {
            out_ += R"(,{"t":"ColWidthDefault"}])";
        }
    }
    out_ += R"(],[["",[],[]],[)";
    if (headed) {
        row(rows.front(), columns, columnAlignments, depth);
    }
    out_ += R"(]],[[["",[],[]],0,[],[)";
    for (std::size_t r = headed ? 1 : 0; r < rows.size(); ++r) {
        row(rows[r], columns, columnAlignments, depth);
    }
    out_ += R"(]]],[["",[],[]],[]]]})";
}

// The table's anchor id, and its column widths as the model holds them: the fractions of
// the column specs cannot give back whole numbers, nor widths of no column.
void AstWriter::tableAttr(dv::Node::Impl const& node, std::optional<std::vector<long long>> const& widths) {
    attr(node);
    if (!widths) {
        return;
    }
    out_.resize(out_.size() - 2); // reopen the key-values
    out_ += R"(["column-widths",")";
    for (std::size_t i = 0; i < widths->size(); ++i) {
        if (i > 0) {
            out_.push_back(' ');
        }
        out_ += std::to_string((*widths)[i]);
    }
    out_ += "\"]]]";
}

void AstWriter::row(Row const& row, std::size_t columns,
                    std::vector<std::optional<dv::Alignment>> const& columnAlignments, std::size_t depth) {
    separate(out_);
    out_.push_back('[');
    if ((*row.node)->getKind() == dv::NodeKind::TableRowNode) {
        attr(at(*row.node));
    } else {
        out_ += R"(["",[],[]])";
    }
    out_ += ",[";
    for (std::size_t c = 0; c < columns; ++c) {
        separate(out_);
        out_.push_back('[');
        dv::Node const* cell = c < row.cells.size() ? row.cells[c] : nullptr;
        bool const realCell = cell != nullptr && (*cell)->getKind() == dv::NodeKind::TableCellNode;
        if (realCell) {
            attr(at(*cell));
        } else {
            out_ += R"(["",[],[]])";
        }
        // Written only where it differs from the column's; left where the column has another.
        std::optional<dv::Alignment> const own = cell != nullptr ? row.alignments[c] : std::nullopt;
        dv::Alignment const shown = own.value_or(dv::Alignment::Left);
        bool const differs = shown != columnAlignments[c].value_or(dv::Alignment::Left);
        out_.push_back(',');
        out_ += differs ? alignmentJson(shown) : alignmentJson(std::nullopt);
        out_ += ",1,1,[";
        if (cell != nullptr) {
            cellContent(cell, realCell, own.has_value(), depth);
        }
        out_ += "]]";
    }
    out_ += "]]";
}

// A cell of one paragraph is Plain, as in pandoc's own tables; otherwise its blocks.
void AstWriter::cellContent(dv::Node const* cell, bool realCell, bool aligned, std::size_t depth) {
    if (!realCell) {
        warn(at(*cell), kindPhrase((*cell)->getKind()) + " directly in a table row written as the content of a cell");
        flow(Nodes{cell, cell + 1}, Flow::Cell, depth + 1);
        return;
    }
    dv::Node::Impl const* saved = alignedCell_;
    alignedCell_ = aligned ? cell->getImpl() : nullptr;
    dv::Node const* only = nullptr;
    std::size_t count = 0;
    for (dv::Node const& child : (*cell)->getChildren()) {
        if (child) {
            only = &child;
            ++count;
        }
    }
    if (count == 1 && (*only)->getKind() == dv::NodeKind::RichTextParagraphNode && depth + 1 < maxNesting) {
        paragraph(at(*only), R"({"t":"Plain","c":[)", depth + 1);
    } else {
        flow(childrenOf(at(*cell)), Flow::Cell, depth + 1);
    }
    alignedCell_ = saved;
}

} // namespace richmarkup::formats::pandoc

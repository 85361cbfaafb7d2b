#include "TableRowNodeBuilderImpl.hpp"

#include "RecordWriter.hpp"

#include <document/vxzero/TableRowNode.hpp>
#include <richmarkup/build/json/core/BuildCore.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <string>

namespace richmarkup::build::json::text {

TableRowNodeBuilderImpl::TableRowNodeBuilderImpl(std::shared_ptr<NodeBuilder> const& cellBuilder)
    : tableCellNodeBuilder(cellBuilder) {}

bool TableRowNodeBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build TableRowNode");
    static std::string const kindName("TableRowNode");
    return core::has_className(element, kindName);
}

document::vxzero::Node TableRowNodeBuilderImpl::build(vx::zero::Model const& model,
                                                      foundation::json::Value const& element) {
    RecordWriter::write("Building TableRowNode from JSON");
    document::vxzero::TableRowNode row =
        document::vxzero::TableRowNode::Builder(model).createTableRowNode(boost::uuids::nil_uuid());

    auto& sequence = row->getChildrenMutable();
    foundation::json::Array const& cells = element["children"].asArray();

    RecordWriter::write("Starting to build TableRowNode Children");
    for (foundation::json::Value const& cell : cells) {
        RecordWriter::write("Building Table Cell Node");
        if (!tableCellNodeBuilder->canBuild(cell)) {
            continue;
        }
        sequence.add(tableCellNodeBuilder->build(model, cell));
    }
    return std::move(row);
}

} // namespace richmarkup::build::json::text

#include "TableCellNodeBuilderImpl.hpp"

#include "RecordWriter.hpp"
#include "ServiceLookup.hpp"

#include <document/vxzero/TableCellNode.hpp>
#include <fl/i18n/ustring.hpp>
#include <richmarkup/build/json/core/BuildCore.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <memory>
#include <string>
#include <vector>

namespace richmarkup::build::json::text {

bool TableCellNodeBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build TableCellNode");
    static std::string const kindName("TableCellNode");
    return core::has_className(element, kindName);
}

document::vxzero::Node TableCellNodeBuilderImpl::build(vx::zero::Model const& model,
                                                       foundation::json::Value const& element) {
    RecordWriter::write("Building Table Cell Node");
    document::vxzero::TableCellNode cell =
        document::vxzero::TableCellNode::Builder(model).createTableCellNode(boost::uuids::nil_uuid());

    auto& sequence = cell->getChildrenMutable();
    foundation::json::Array const& children = element["children"].asArray();

    // Not cached: the block builders registered right now decide, including ones that
    // arrived after this builder was created (and this table builder, for nested tables).
    std::vector<std::shared_ptr<NodeBuilder>> const candidates = lookUpServices<NodeBuilder>();

    RecordWriter::write("Building text block into TableCellNode");
    for (foundation::json::Value const& child : children) {
        for (std::shared_ptr<NodeBuilder> const& candidate : candidates) {
            if (!candidate->canBuild(child)) {
                continue;
            }
            RecordWriter::write("Found an applicable node builder");
            document::vxzero::Node node = candidate->build(model, child);
            RecordWriter::write(
                [&](auto& s) { s << "Built a node of type " << fl::i18n::ustring_to_utf8(node->getTypeName()); });
            sequence.add(node);
            break;
        }
    }
    return std::move(cell);
}

} // namespace richmarkup::build::json::text

#include "TableNodeBuilderImpl.hpp"

#include "RecordWriter.hpp"

#include <quillix/contentmodel/vxzero/TableNodeMetaData.hpp>
#include <richmarkup/build/json/core/BuildCore.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <cmath>
#include <limits>
#include <string>
#include <vector>
#include <utility>

namespace richmarkup::build::json::text {

namespace {

// Widths are whole units: the fractional part is dropped toward zero. A width beyond the
// signed 64-bit range saturates rather than overflowing the conversion.
long long toWidth(double width) {
    constexpr double limit = 9223372036854775808.0; // 2^63, exactly representable
    if (std::isnan(width)) {
        return 0;
    }
    if (width >= limit) {
        return std::numeric_limits<long long>::max();
    }
    if (width < -limit) {
        return std::numeric_limits<long long>::min();
    }
    return static_cast<long long>(width);
}

} // namespace

TableNodeBuilderImpl::TableNodeBuilderImpl(std::shared_ptr<NodeBuilder> const& rowBuilder)
    : tableRowNodeBuilder(rowBuilder) {}

bool TableNodeBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build TableNode");
    static std::string const kindName("TableNode");
    return core::has_className(element, kindName);
}

document::vxzero::Node TableNodeBuilderImpl::build(vx::zero::Model const& model,
                                                   foundation::json::Value const& element) {
    RecordWriter::write("Building TableNode from JSON");
    document::vxzero::TableNode table =
        document::vxzero::TableNode::Builder(model).createTableNode(boost::uuids::nil_uuid());

    RecordWriter::write("Setting data for TableNode");
    buildTableNodeMetaData(element, table);

    RecordWriter::write("Starting to build TableNode Children");
    auto& sequence = table->getChildrenMutable();
    // Values are immutable and the element outlives the call: the rows are read in place.
    foundation::json::Array const& rows = element["children"].asArray();
    for (foundation::json::Value const& row : rows) {
        RecordWriter::write("Building Table Row Node");
        if (!tableRowNodeBuilder->canBuild(row)) {
            continue; // not a row (a cell given directly, say): dropped
        }
        sequence.add(tableRowNodeBuilder->build(model, row));
    }

    RecordWriter::write("Setting anchorId on TableNode");
    table->setAnchorId(core::extract_anchor_id(element, std::string("M_")));
    return std::move(table);
}

void TableNodeBuilderImpl::buildTableNodeMetaData(foundation::json::Value const& element,
                                                  document::vxzero::TableNode table) {
    quillix::contentmodel::vxzero::TableNodeMetaData metaData;

    RecordWriter::write("Setting hasHeader Boolean from JSON");
    if (element.hasOwnProperty("hasHeader") && element["hasHeader"].isBool()) {
        metaData.setHasHeader(element["hasHeader"].asBool());
    }

    RecordWriter::write("Setting columnWidths Array from JSON");
    if (element.hasOwnProperty("columnWidths") && element["columnWidths"].isArray()) {
        std::vector<long long>& widths = metaData.getColumnWidthsMutable();
        for (foundation::json::Value const& width : element["columnWidths"].asArray()) {
            widths.push_back(toWidth(width.asDouble()));
        }
    }

    // Stored even when neither key is present, so every table carries a record.
    table->setTableNodeMetaData(std::move(metaData));
}

} // namespace richmarkup::build::json::text

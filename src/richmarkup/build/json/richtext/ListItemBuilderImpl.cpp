#include "ListItemBuilderImpl.hpp"

#include "ObjectCheck.hpp"
#include "RecordWriter.hpp"

#include <document/vxzero/ListItem.hpp>
#include <richmarkup/build/json/core/BuildCore.hpp>

#include <boost/uuid/nil_generator.hpp>

namespace richmarkup::build::json::text {

ListItemBuilderImpl::ListItemBuilderImpl(std::shared_ptr<TextBlockBuilder> const& builder)
    : textBlockBuilder(builder) {}

bool ListItemBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build ListItem");
    return isObjectOfClass(element, "ListItem");
}

document::vxzero::Node ListItemBuilderImpl::build(vx::zero::Model const& model,
                                                  foundation::json::Value const& element) {
    RecordWriter::write("Starting to build a ListItem");
    document::vxzero::ListItem item =
        document::vxzero::ListItem::Builder(model).createListItem(boost::uuids::nil_uuid());
    item->setAlignment(core::getAlignment(element));
    {
        document::vxzero::Node parent(item);
        textBlockBuilder->buildTextBlock(parent, model, element);
    }
    RecordWriter::write("Finished building a ListItem");
    return std::move(item);
}

} // namespace richmarkup::build::json::text

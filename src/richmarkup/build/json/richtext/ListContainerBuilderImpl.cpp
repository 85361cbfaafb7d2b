#include "ListContainerBuilderImpl.hpp"

#include "ChildBuilding.hpp"
#include "RecordWriter.hpp"

#include <document/vxzero/ListContainer.hpp>
#include <richmarkup/build/json/core/BuildCore.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <string>

namespace richmarkup::build::json::text {

ListContainerBuilderImpl::ListContainerBuilderImpl(std::shared_ptr<NodeBuilder> const& builder)
    : listItemBuilder(builder) {}

bool ListContainerBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build ListContainer");
    static std::string const kindName("ListParagraph");
    return core::has_className(element, kindName);
}

document::vxzero::Node ListContainerBuilderImpl::build(vx::zero::Model const& model,
                                                       foundation::json::Value const& element) {
    RecordWriter::write("Starting to build a ListContainer");
    document::vxzero::ListContainer list =
        document::vxzero::ListContainer::Builder(model).createListContainer(boost::uuids::nil_uuid());
    buildChildrenWith(*listItemBuilder, *list.getImpl(), model, element);

    RecordWriter::write("Determining the type of list - ordered or unordered");
    // Without a string "type" the flag keeps the model's default.
    if (element.hasOwnProperty("type") && element["type"].isString()) {
        list->setIsOrdered(element["type"].asString() == "ordered");
    }
    RecordWriter::write("Setting anchorId on ListContainerNode");
    list->setAnchorId(core::extract_anchor_id(element, std::string("M_")));
    RecordWriter::write("Finished building the list container");
    return std::move(list);
}

} // namespace richmarkup::build::json::text

#include "TableOfContentsContainerBuilderImpl.hpp"

#include "ChildBuilding.hpp"
#include "RecordWriter.hpp"

#include <document/vxzero/TableOfContentsContainer.hpp>
#include <richmarkup/build/json/core/BuildCore.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <string>

namespace richmarkup::build::json::text {

TableOfContentsContainerBuilderImpl::TableOfContentsContainerBuilderImpl(std::shared_ptr<NodeBuilder> const& builder)
    : tableOfContentsHeadingNodeBuilder(builder) {}

bool TableOfContentsContainerBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build TableOfContentsContainer");
    static std::string const kindName("TableOfContentsContainer");
    return core::has_className(element, kindName);
}

document::vxzero::Node TableOfContentsContainerBuilderImpl::build(vx::zero::Model const& model,
                                                                  foundation::json::Value const& element) {
    RecordWriter::write("Starting to build a TableOfContentsContainer");
    document::vxzero::TableOfContentsContainer contents =
        document::vxzero::TableOfContentsContainer::Builder(model).createTableOfContentsContainer(
            boost::uuids::nil_uuid());
    buildChildrenWith(*tableOfContentsHeadingNodeBuilder, *contents.getImpl(), model, element);
    RecordWriter::write("Setting anchor id on TableOfContentsContainer");
    contents->setAnchorId(core::extract_anchor_id(element, std::string("M_")));
    return std::move(contents);
}

} // namespace richmarkup::build::json::text

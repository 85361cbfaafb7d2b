#include "TableOfContentsHeadingNodeBuilderImpl.hpp"

#include "RecordWriter.hpp"

#include <document/vxzero/TableOfContentsHeadingNode.hpp>
#include <richmarkup/build/json/core/BuildCore.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <string>

namespace richmarkup::build::json::text {

TableOfContentsHeadingNodeBuilderImpl::TableOfContentsHeadingNodeBuilderImpl(
    std::shared_ptr<TextBlockBuilder> const& builder)
    : textBlockBuilder(builder) {}

bool TableOfContentsHeadingNodeBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build TableOfContentsHeadingNode");
    static std::string const kindName("TableOfContentsHeadingNode");
    return core::has_className(element, kindName);
}

document::vxzero::Node TableOfContentsHeadingNodeBuilderImpl::build(vx::zero::Model const& model,
                                                                    foundation::json::Value const& element) {
    RecordWriter::write("Starting to build a TableOfContentsHeadingNode");
    document::vxzero::TableOfContentsHeadingNode entry =
        document::vxzero::TableOfContentsHeadingNode::Builder(model).createTableOfContentsHeadingNode(
            boost::uuids::nil_uuid());
    {
        document::vxzero::Node parent(entry);
        textBlockBuilder->buildTextBlock(parent, model, element);
    }
    entry->setAlignment(core::getAlignment(element));
    return std::move(entry);
}

} // namespace richmarkup::build::json::text

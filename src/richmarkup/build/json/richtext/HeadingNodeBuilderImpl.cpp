#include "HeadingNodeBuilderImpl.hpp"

#include "RecordWriter.hpp"

#include <document/vxzero/HeadingNode.hpp>
#include <richmarkup/build/json/core/BuildCore.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <string>

namespace richmarkup::build::json::text {

HeadingNodeBuilderImpl::HeadingNodeBuilderImpl(std::shared_ptr<TextBlockBuilder> const& builder)
    : textBlockBuilder(builder) {}

bool HeadingNodeBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build HeadingNode");
    static std::string const kindName("HeadingNode");
    return core::has_className(element, kindName);
}

document::vxzero::Node HeadingNodeBuilderImpl::build(vx::zero::Model const& model,
                                                     foundation::json::Value const& element) {
    RecordWriter::write("Starting to build a HeadingNode");
    document::vxzero::HeadingNode heading =
        document::vxzero::HeadingNode::Builder(model).createHeadingNode(boost::uuids::nil_uuid());
    {
        document::vxzero::Node parent(heading);
        textBlockBuilder->buildTextBlock(parent, model, element);
    }
    heading->setAlignment(core::getAlignment(element));
    unsigned char const level = core::headingLevel(element["level"].asDouble());
    heading->setLevel(level);
    RecordWriter::write("Setting anchorId on HeadingNode");
    // Level-one headings are titles; their anchors are tagged apart from the other levels.
    std::string const tag = heading->getLevel() == static_cast<unsigned char>(1) ? "T_" : "H_";
    heading->setAnchorId(core::extract_anchor_id(element, tag));
    return std::move(heading);
}

} // namespace richmarkup::build::json::text

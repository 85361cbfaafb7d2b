#include "RichTextParagraphNodeBuilderImpl.hpp"

#include "RecordWriter.hpp"

#include <document/vxzero/RichTextParagraphNode.hpp>
#include <richmarkup/build/json/core/BuildCore.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <string>

namespace richmarkup::build::json::text {

RichTextParagraphNodeBuilderImpl::RichTextParagraphNodeBuilderImpl(std::shared_ptr<TextBlockBuilder> const& builder)
    : textBlockBuilder(builder) {}

bool RichTextParagraphNodeBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build RichTextParagraphNode");
    static std::string const kindName("RichTextParagraphNode");
    return core::has_className(element, kindName);
}

document::vxzero::Node RichTextParagraphNodeBuilderImpl::build(vx::zero::Model const& model,
                                                               foundation::json::Value const& element) {
    RecordWriter::write("Starting to build a RichTextParagraphNode");
    document::vxzero::RichTextParagraphNode paragraph =
        document::vxzero::RichTextParagraphNode::Builder(model).createRichTextParagraphNode(boost::uuids::nil_uuid());
    {
        document::vxzero::Node parent(paragraph);
        textBlockBuilder->buildTextBlock(parent, model, element);
    }
    RecordWriter::write("Setting anchor id on RichTextParagraphNode");
    paragraph->setAnchorId(core::extract_anchor_id(element, std::string("M_")));
    paragraph->setAlignment(core::getAlignment(element));
    return std::move(paragraph);
}

} // namespace richmarkup::build::json::text

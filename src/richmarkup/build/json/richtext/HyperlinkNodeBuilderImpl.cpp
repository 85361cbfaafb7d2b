#include "HyperlinkNodeBuilderImpl.hpp"

#include "ObjectCheck.hpp"
#include "RecordWriter.hpp"

#include <document/vxzero/HyperlinkNode.hpp>
#include <foundation/json/Object.hpp>
#include <fl/i18n/ustring.hpp>
#include <foundation/cppmicroservices/FrameworkAccess.hpp>
#include <richmarkup/build/json/text/TextBlockBuilder.hpp>

#include <cppmicroservices/BundleContext.h>
#include <cppmicroservices/Framework.h>
#include <cppmicroservices/LDAPFilter.h>
#include <cppmicroservices/ServiceObjects.h>

#include <boost/uuid/nil_generator.hpp>

#include <stdexcept>
#include <string_view>

namespace richmarkup::build::json::text {

namespace {

// The first text-block builder in the framework's order, asked for at every build so that a
// link always uses the one registered now; empty when no framework runs or none is registered.
std::shared_ptr<TextBlockBuilder> currentTextBlockBuilder() {
    std::shared_ptr<cppmicroservices::Framework> framework = foundation::cppmicroservices::getFramework();
    if (!framework) {
        return nullptr;
    }
    cppmicroservices::BundleContext context = framework->GetBundleContext();
    auto const references = context.GetServiceReferences<TextBlockBuilder>(cppmicroservices::LDAPFilter().ToString());
    if (references.empty()) {
        return nullptr;
    }
    return context.GetServiceObjects(references.front()).GetService();
}

void setIfString(foundation::json::Object const& hyperlink, std::string_view key, char const* record,
                 document::vxzero::HyperlinkNode::Impl& node,
                 void (document::vxzero::HyperlinkNode::Impl::*set)(std::u16string const&)) {
    foundation::json::Value const* value = hyperlink.get(key);
    if (value != nullptr && value->isString()) {
        RecordWriter::write(record);
        (node.*set)(fl::i18n::utf8_to_ustring(value->asString()));
    }
}

} // namespace

bool HyperlinkNodeBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build HyperlinkNode");
    return isObjectOfClass(element, "HyperlinkNode");
}

document::vxzero::Node HyperlinkNodeBuilderImpl::build(vx::zero::Model const& model,
                                                       foundation::json::Value const& element) {
    RecordWriter::write("Starting to build Hyperlink Node");
    document::vxzero::HyperlinkNode link =
        document::vxzero::HyperlinkNode::Builder(model).createHyperlinkNode(boost::uuids::nil_uuid());

    if (element.hasOwnProperty("hyperlink") && element["hyperlink"].isObject()) {
        RecordWriter::write("Extracting hyperlink object");
        foundation::json::Object const& hyperlink = element["hyperlink"].asObject();
        using Impl = document::vxzero::HyperlinkNode::Impl;
        setIfString(hyperlink, "target", "Setting target", *link.getImpl(), &Impl::setTarget);
        setIfString(hyperlink, "anchor", "Setting anchor", *link.getImpl(), &Impl::setAnchor);
        setIfString(hyperlink, "targetType", "Setting targetType", *link.getImpl(), &Impl::setTargetType);
    }

    std::shared_ptr<TextBlockBuilder> textBlockBuilder = currentTextBlockBuilder();
    if (!textBlockBuilder) {
        // Dropping the link's text silently would lose content; a link with nothing to show
        // needs no builder, so only that one is returned as it is.
        foundation::json::Value const& children = element["children"];
        if (children.isArray() && children.asArray().empty()) {
            return std::move(link);
        }
        throw std::runtime_error(
            "cannot build the children of a HyperlinkNode: no richmarkup::build::json::text::TextBlockBuilder "
            "service is registered in the running framework");
    }
    {
        document::vxzero::Node parent(link);
        textBlockBuilder->buildTextBlock(parent, model, element);
    }
    return std::move(link);
}

} // namespace richmarkup::build::json::text

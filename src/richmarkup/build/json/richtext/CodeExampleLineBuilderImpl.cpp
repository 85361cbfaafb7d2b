#include "CodeExampleLineBuilderImpl.hpp"

#include "RecordWriter.hpp"

#include <document/vxzero/CodeExampleLine.hpp>
#include <fl/i18n/ustring.hpp>
#include <richmarkup/build/json/core/BuildCore.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <string>

namespace richmarkup::build::json::text {

CodeExampleLineBuilderImpl::CodeExampleLineBuilderImpl(
    std::shared_ptr<code::CodeElementBuilderServicesProvider> const& provider)
    : codeElementBuilderServicesProvider(provider) {}

bool CodeExampleLineBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build CodeExampleLineNode");
    static std::string const kindName("CodeExampleLineNode");
    return core::has_className(element, kindName);
}

document::vxzero::Node CodeExampleLineBuilderImpl::build(vx::zero::Model const& model,
                                                         foundation::json::Value const& element) {
    RecordWriter::write("Starting to build a CodeExampleLineNode");
    document::vxzero::CodeExampleLine line =
        document::vxzero::CodeExampleLine::Builder(model).createCodeExampleLine(boost::uuids::nil_uuid());

    foundation::json::Array const& children = element["children"].asArray();
    auto& sequence = line->getChildrenMutable();
    for (foundation::json::Value const& child : children) {
        // Held for this child only: the registry may hand out a different builder next time.
        std::shared_ptr<code::CodeElementBuilder> builder =
            codeElementBuilderServicesProvider->findApplicableBuilder(child);
        if (!builder) {
            continue; // no code element kind claims it: dropped
        }
        document::vxzero::Node node = builder->build(model, child);
        if (!node) {
            continue; // a null node has no type to report and would not be appended
        }
        RecordWriter::write([&](auto& s) {
            s << "Successfully built a node of type " << fl::i18n::ustring_to_utf8(node->getTypeName());
        });
        RecordWriter::write("Inserting the built child into the top level CodeExampleLineNode");
        sequence.add(node);
        RecordWriter::write([&](auto& s) {
            s << "The CodeExampleLineNode now has " << static_cast<unsigned long long>(sequence.size()) << " children";
        });
    }
    return std::move(line);
}

} // namespace richmarkup::build::json::text

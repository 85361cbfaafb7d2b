#include "TextBlockBuilderImpl.hpp"

#include "RecordWriter.hpp"

#include <fl/i18n/ustring.hpp>

namespace richmarkup::build::json::text {

TextBlockBuilderImpl::TextBlockBuilderImpl(std::shared_ptr<TextElementBuilderServicesProvider> const& provider)
    : textElementBuilderServicesProvider(provider) {}

void TextBlockBuilderImpl::buildTextBlock(document::vxzero::Node& parent, vx::zero::Model const& model,
                                          foundation::json::Value const& element) {
    // The array is shared storage: read in place, nothing is copied child by child.
    foundation::json::Array const& children = element["children"].asArray();
    auto& sequence = parent->getChildrenMutable();
    for (foundation::json::Value const& child : children) {
        std::shared_ptr<TextElementBuilder> builder = textElementBuilderServicesProvider->findApplicableBuilder(child);
        if (!builder) {
            continue; // the registry has already said that nothing applies
        }
        document::vxzero::Node node = builder->build(model, child);
        RecordWriter::write([&](auto& s) {
            s << "Successfully built a node of type " << fl::i18n::ustring_to_utf8(node->getTypeName());
        });
        RecordWriter::write([&](auto& s) {
            s << "Inserting the built " << node->getTypeName() << " into the top level " << parent->getTypeName();
        });
        sequence.add(node);
        RecordWriter::write([&](auto& s) {
            s << "The " << parent->getTypeName() << " now has " << static_cast<unsigned long long>(sequence.size())
              << " children";
        });
    }
}

} // namespace richmarkup::build::json::text

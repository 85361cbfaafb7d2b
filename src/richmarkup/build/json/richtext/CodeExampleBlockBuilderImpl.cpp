#include "CodeExampleBlockBuilderImpl.hpp"

#include "RecordWriter.hpp"

#include <document/vxzero/CodeExampleBlock.hpp>
#include <fl/i18n/ustring.hpp>
#include <richmarkup/build/json/core/BuildCore.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <string>

namespace richmarkup::build::json::text {

CodeExampleBlockBuilderImpl::CodeExampleBlockBuilderImpl(std::shared_ptr<NodeBuilder> const& lineBuilder)
    : codeExampleLineBuilder(lineBuilder) {}

bool CodeExampleBlockBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build CodeExampleBlockNode");
    static std::string const kindName("CodeExampleBlockNode");
    return core::has_className(element, kindName);
}

document::vxzero::Node CodeExampleBlockBuilderImpl::build(vx::zero::Model const& model,
                                                          foundation::json::Value const& element) {
    RecordWriter::write("Starting to build a CodeExampleBlockNode");
    document::vxzero::CodeExampleBlock block =
        document::vxzero::CodeExampleBlock::Builder(model).createCodeExampleBlock(boost::uuids::nil_uuid());

    RecordWriter::write("Starting to build up children");
    // Values are immutable and the element outlives the call: the lines are read in place.
    foundation::json::Array const& lines = element["children"].asArray();
    auto& sequence = block->getChildrenMutable();
    for (foundation::json::Value const& line : lines) {
        if (!codeExampleLineBuilder->canBuild(line)) {
            continue; // not a line (a nested block, say): dropped
        }
        sequence.add(codeExampleLineBuilder->build(model, line));
    }

    RecordWriter::write("Setting anchorId on CodeExampleBlockNode");
    block->setAnchorId(core::extract_anchor_id(element, std::string("M_")));
    // Stored as written: the set of example types belongs to whoever renders them.
    block->setCodeExampleType(fl::i18n::utf8_to_ustring(element["type"].asString()));
    return std::move(block);
}

} // namespace richmarkup::build::json::text

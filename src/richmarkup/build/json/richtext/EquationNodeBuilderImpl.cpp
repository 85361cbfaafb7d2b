#include "EquationNodeBuilderImpl.hpp"

#include "ObjectCheck.hpp"
#include "RecordWriter.hpp"

#include <document/vxzero/EquationNode.hpp>
#include <fl/i18n/ustring.hpp>
#include <quillix/contentmodel/vxzero/EquationData.hpp>

#include <boost/uuid/nil_generator.hpp>
#include <utility>
#include <string_view>

namespace richmarkup::build::json::text {

namespace {

bool has(foundation::json::Value const& element, std::string_view key,
         bool (foundation::json::Value::*isKind)() const) {
    return element.hasOwnProperty(key) && (element[key].*isKind)();
}

} // namespace

bool EquationNodeBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build EquationNode");
    return isObjectOfClass(element, "EquationNode");
}

document::vxzero::Node EquationNodeBuilderImpl::build(vx::zero::Model const& model,
                                                      foundation::json::Value const& element) {
    using foundation::json::Value;
    RecordWriter::write("Starting to build a EquationNode");
    document::vxzero::EquationNode equation =
        document::vxzero::EquationNode::Builder(model).createEquationNode(boost::uuids::nil_uuid());

    // Every record comes before its test and is written whatever the element holds.
    RecordWriter::write("Setting Node Tex String from JSON");
    if (has(element, "texString", &Value::isString)) {
        equation->setTexString(fl::i18n::utf8_to_ustring(element["texString"].asString()));
    }
    RecordWriter::write("Setting properties on EquationData");
    quillix::contentmodel::vxzero::EquationData data;
    RecordWriter::write("Setting displayStyle on EquationData if exists and right type");
    if (has(element, "displayStyle", &Value::isBool)) {
        data.setDisplayStyle(element["displayStyle"].asBool());
    }
    RecordWriter::write("Setting encoding on EquationData if exists and right type");
    if (has(element, "encoding", &Value::isString)) {
        data.setEncoding(fl::i18n::utf8_to_ustring(element["encoding"].asString()));
    }
    RecordWriter::write("Setting altTextString on EquationData if exists and right type");
    if (has(element, "altTextString", &Value::isString)) {
        data.setAltText(fl::i18n::utf8_to_ustring(element["altTextString"].asString()));
    }
    RecordWriter::write("Setting EquationData on the EquationNode");
    equation->setEquationData(std::move(data));
    return std::move(equation);
}

} // namespace richmarkup::build::json::text

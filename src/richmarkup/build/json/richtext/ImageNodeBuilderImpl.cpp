#include "ImageNodeBuilderImpl.hpp"

#include "ObjectCheck.hpp"
#include "RecordWriter.hpp"

#include <document/vxzero/ImageNode.hpp>
#include <fl/i18n/ustring.hpp>
#include <quillix/contentmodel/vxzero/ImageData.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <string_view>

namespace richmarkup::build::json::text {

namespace {

using quillix::contentmodel::vxzero::ImageData;

bool hasString(foundation::json::Value const& element, std::string_view key) {
    return element.hasOwnProperty(key) && element[key].isString();
}

bool hasDouble(foundation::json::Value const& element, std::string_view key) {
    return element.hasOwnProperty(key) && element[key].isDouble();
}

// Truncates toward zero; a negative size keeps the bits of its signed integer part (-1 gives
// 2^64 - 1). Values no 64-bit integer holds (NaN, infinities, 2^64 and more, below -2^63)
// would be undefined behaviour in a plain cast: they saturate instead.
std::uint64_t toSize(double value) {
    constexpr double twoTo63 = 9223372036854775808.0;
    constexpr double twoTo64 = 18446744073709551616.0;
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 0) {
        return value < twoTo64 ? static_cast<std::uint64_t>(value) : std::numeric_limits<std::uint64_t>::max();
    }
    if (value > -1) {
        return 0;
    }
    if (value < -twoTo63) {
        return static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::min());
    }
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
}

struct StringField {
    std::string_view key;
    char const* record;
    ImageData& (ImageData::*set)(std::u16string const&);
};

struct SizeField {
    std::string_view key;
    char const* record;
    ImageData& (ImageData::*set)(std::uint64_t);
};

} // namespace

bool ImageNodeBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build ImageNode");
    return isObjectOfClass(element, "ImageNode");
}

document::vxzero::Node ImageNodeBuilderImpl::build(vx::zero::Model const& model,
                                                   foundation::json::Value const& element) {
    RecordWriter::write("Starting to build ImageNode");
    document::vxzero::ImageNode image =
        document::vxzero::ImageNode::Builder(model).createImageNode(boost::uuids::nil_uuid());
    if (hasString(element, "imageId")) {
        RecordWriter::write("Setting imageId");
        image->setId(fl::i18n::utf8_to_ustring(element["imageId"].asString()));
    }

    // In the order the fields are logged.
    ImageData data;
    auto const setString = [&](StringField const& f) {
        if (hasString(element, f.key)) {
            RecordWriter::write(f.record);
            (data.*f.set)(fl::i18n::utf8_to_ustring(element[f.key].asString()));
        }
    };
    auto const setSize = [&](SizeField const& f) {
        if (hasDouble(element, f.key)) {
            RecordWriter::write(f.record);
            (data.*f.set)(toSize(element[f.key].asDouble()));
        }
    };
    setString({"imgSrc", "Setting imgSrc", &ImageData::setImgSrc});
    setSize({"height", "Setting height", &ImageData::setHeight});
    setSize({"width", "Setting width", &ImageData::setWidth});
    setString({"altText", "Setting altText", &ImageData::setAltText});
    setString({"verticalAlign", "Setting verticalAlign", &ImageData::setVerticalAlignment});
    image->setData(std::move(data));

    RecordWriter::write("Finished building ImageNode");
    return std::move(image);
}

} // namespace richmarkup::build::json::text

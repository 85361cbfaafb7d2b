#include <richmarkup/build/json/core/BuildCore.hpp>

#include <fl/i18n/ustring.hpp>

#include <cstdint>
#include <string_view>

namespace richmarkup::build::json::core {

namespace {

// The member's string, or null when the element is no object or the member no string.
std::string const* stringMember(foundation::json::Value const& element, std::string_view key) noexcept {
    if (!element.isObject()) {
        return nullptr;
    }
    foundation::json::Value const& member = element[key];
    return member.isString() ? &member.asString() : nullptr;
}

} // namespace

bool has_className(foundation::json::Value const& element, std::string const& className) noexcept {
    std::string const* name = stringMember(element, "className");
    return name != nullptr && *name == className;
}

document::vxzero::Alignment getAlignment(foundation::json::Value const& element) {
    using document::vxzero::Alignment;
    std::string const* word = stringMember(element, "alignment");
    if (word == nullptr) {
        return Alignment::Left;
    }
    std::string_view const w = *word;
    if (w == "center") {
        return Alignment::Center;
    }
    if (w == "right") {
        return Alignment::Right;
    }
    if (w == "justify") {
        return Alignment::Justify;
    }
    return Alignment::Left;
}

std::u16string extract_anchor_id(foundation::json::Value const& element, std::string const& tag) {
    if (std::string const* anchor = stringMember(element, "anchorId")) {
        return fl::i18n::utf8_to_ustring(*anchor);
    }
    if (std::string const* id = stringMember(element, "id")) {
        return fl::i18n::utf8_to_ustring(tag + *id);
    }
    return {};
}

unsigned char headingLevel(double level) noexcept {
    if (!(level > -2147483649.0 && level < 2147483648.0)) {
        return 0;
    }
    return static_cast<unsigned char>(static_cast<std::uint32_t>(static_cast<std::int32_t>(level)) & 0xFFu);
}

} // namespace richmarkup::build::json::core

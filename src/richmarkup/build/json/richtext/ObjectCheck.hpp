#pragma once

#include "RecordWriter.hpp"

#include <foundation/json/Value.hpp>

#include <string_view>

namespace richmarkup::build::json::text {

/// The object-check form of canBuild shared by the inline builders and the list item:
/// a non-object answers false with a record; a non-string "className" throws.
inline bool isObjectOfClass(foundation::json::Value const& element, std::string_view className) {
    foundation::json::Object const* object;
    try {
        object = &element.asObject(); // read in place; the members are not needed as a copy
    } catch (...) {
        RecordWriter::write("Incoming JSON was not an Object");
        return false;
    }
    foundation::json::Value const* name = object->get("className");
    return name != nullptr && name->asString() == className;
}

} // namespace richmarkup::build::json::text

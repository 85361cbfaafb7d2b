#pragma once

#include <foundation/json/Value.hpp>

#include <string>

namespace richmarkup::host::phrases {

/// "a string", "an array", "null": a JSON kind as it reads in a sentence.
std::string kindPhrase(foundation::json::Kind kind);

/// Why no builder took an element, in words that point at the element's className.
std::string skippedMessage(foundation::json::Value const& element);

} // namespace richmarkup::host::phrases

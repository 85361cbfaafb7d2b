#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace foundation::json::detail {

/// Reads the JSON string whose opening quote is at `at` into `out`, its escapes undone; `at`
/// ends after the closing quote. False where the text holds no whole string there.
bool readString(std::string_view text, std::size_t& at, std::string& out);

/// Where the string whose opening quote is at `at` ends (after its closing quote), found
/// without reading its escapes; text.size() where it does not end.
std::size_t skipString(std::string_view text, std::size_t at) noexcept;

} // namespace foundation::json::detail

#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace richmarkup::formats {

/// Decides which link and image addresses a page may carry. A document is untrusted input:
/// an address that would run script (javascript:, vbscript:, data: other than images, ...) is
/// refused. Browsers drop tabs and line breaks from an address and trim blanks and control
/// characters around it before they read the scheme, so the filter does the same first.
class UrlFilter {
public:
    /// The address to write into href, or nothing when it is not safe to follow.
    static std::optional<std::string> forLink(std::string_view url);
    /// The address to write into src, or nothing when it is not safe to load.
    static std::optional<std::string> forImage(std::string_view url);
    /// The address of a script or stylesheet the page loads (a math renderer's), or nothing: http,
    /// https, file (a copy installed on the machine) or relative.
    static std::optional<std::string> forScript(std::string_view url);
    /// Why forLink or forImage refuses `url`, for a message: `scheme "javascript" is not
    /// allowed`, ...; empty when it is kept.
    static std::string linkRefusal(std::string_view url);
    static std::string imageRefusal(std::string_view url);
    static std::string scriptRefusal(std::string_view url);

private:
    static std::string clean(std::string_view url);
    /// The scheme in lower case, or empty for a relative address.
    static std::string schemeOf(std::string_view url);
    static std::string refusal(std::string const& scheme);
};

} // namespace richmarkup::formats

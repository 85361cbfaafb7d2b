#pragma once

#include <richmarkup/pandoc/Pandoc.hpp>

#include <string>
#include <string_view>

namespace richmarkup::tool {

using pandoc::findOnPath;
using pandoc::Pandoc;

/// The message when `what` needs pandoc and there is none.
std::string needsPandoc(std::string_view what, std::string_view direction);

} // namespace richmarkup::tool

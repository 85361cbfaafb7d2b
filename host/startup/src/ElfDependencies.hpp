#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace richmarkup::host {

/// The libraries an ELF shared object names as its dependencies (DT_NEEDED), in order.
/// Empty for a file that is not ELF or whose dynamic section cannot be read: the loader
/// then reports the problem in its own words.
std::vector<std::string> elfDependencies(std::filesystem::path const& file);

} // namespace richmarkup::host

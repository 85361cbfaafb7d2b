#pragma once

#include <string>
#include <utility>
#include <vector>

namespace runtimetest {

/// Builds library files the way a broken build or a damaged install would leave them.
class ArchiveWriter
{
public:
  using Entries = std::vector<std::pair<std::string, std::string>>; // name, content

  /// Copies `library` to `target` and appends a zip archive with `entries` (deflated),
  /// preceded by a directory entry for each top-level directory.
  static void CopyWithArchive(std::string const& library, std::string const& target, Entries const& entries);
};

} // namespace runtimetest

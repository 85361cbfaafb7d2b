#pragma once

#include <list>
#include <memory>
#include <string>

struct zip;
struct zip_source;

namespace richmarkup::tools {

/**
 * Builds a deflated zip archive in memory with libzip. Entries carry a fixed time stamp
 * so that the same inputs always give the same bytes (re-running a build changes nothing).
 */
class ArchiveBuilder
{
public:
  /// level: 0 stores file entries, 1 to 9 deflate them.
  explicit ArchiveBuilder(int level = 9);
  ~ArchiveBuilder();
  ArchiveBuilder(ArchiveBuilder const&) = delete;
  ArchiveBuilder& operator=(ArchiveBuilder const&) = delete;

  /// Adds a directory entry; name must end with '/'.
  void AddDirectory(std::string const& name);

  /// Adds a file entry, deflated unless the level is 0.
  void AddFile(std::string const& name, std::string content);

  /// Closes the archive and returns its bytes; the builder is spent afterwards.
  std::string Finish();

private:
  void SetTime(long long index, std::string const& name);
  [[noreturn]] void Fail(std::string const& what) const;

  int level_;
  zip_source* source_ = nullptr;
  zip* archive_ = nullptr;
  std::list<std::string> contents_; // libzip reads them only when the archive is closed
};

} // namespace richmarkup::tools

#pragma once

#include "cppmicroservices/FrameworkConfig.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cppmicroservices::detail {

/**
 * The zip archive appended to a bundle library: its entry names and contents.
 *
 * Only the archive's own bytes are read into memory, so the rest of the library is never
 * parsed as zip data. The central directory is read and checked against each entry's local
 * header when the archive opens; entries are stored or deflated (zlib), their CRCs checked.
 * Every failure is a std::runtime_error whose text starts with the file's path. Safe to use
 * from several threads: nothing changes after construction.
 */
class US_Framework_EXPORT ResourceArchive
{
public:
  /// Largest entry Read() inflates; protects against zip bombs.
  static constexpr uint64_t kMaxEntrySize = 16u * 1024u * 1024u;
  /// Largest archive accepted at all.
  static constexpr uint64_t kMaxArchiveSize = 256u * 1024u * 1024u;

  /**
   * \throws std::runtime_error "<path>: cannot open file", "<path>: no resource archive found"
   *         or "<path>: corrupt resource archive: <why>".
   */
  explicit ResourceArchive(std::string path);
  ~ResourceArchive();

  ResourceArchive(ResourceArchive const&) = delete;
  ResourceArchive& operator=(ResourceArchive const&) = delete;

  std::string const& GetPath() const noexcept { return path_; }

  /// Offset in the file where the archive starts.
  uint64_t GetArchiveOffset() const noexcept { return offset_; }

  /// Every entry name in archive order; directories end with '/'.
  std::vector<std::string> const& GetEntryNames() const noexcept { return names_; }

  /// The distinct first path components ("name" for "name/" and "name/manifest.json").
  std::vector<std::string> GetTopLevelDirectories() const;

  bool Contains(std::string const& name) const;

  /**
   * The entry's inflated bytes.
   * \throws std::runtime_error "<path>: resource archive has no entry <name>", or
   *         "<path>: corrupt resource archive: ..." (bad data, CRC, larger than kMaxEntrySize).
   */
  std::string Read(std::string const& name) const;

private:
  /// Where one entry's data lies in the archive and what it inflates to.
  struct Entry
  {
    uint16_t method = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    uint64_t dataOffset = 0;
  };

  [[noreturn]] void Corrupt(std::string const& why) const;
  void ReadDirectory(uint64_t centralOffset, uint64_t centralSize, uint64_t expectedEntries);
  std::string_view Bytes(uint64_t offset, uint64_t size, char const* what) const;
  std::string Inflate(Entry const& entry, std::string const& name) const;

  std::string path_;
  uint64_t offset_ = 0;
  std::vector<char> bytes_; // the archive
  std::vector<std::string> names_;
  std::vector<Entry> entries_; // in the order of names_
};

} // namespace cppmicroservices::detail

#pragma once

#include "cppmicroservices/FrameworkConfig.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct zip;

namespace cppmicroservices::detail {

/**
 * The zip archive appended to a bundle library: its entry names and contents.
 *
 * Only the archive's own bytes are read into memory and handed to libzip, so the rest of
 * the library is never parsed as zip data. Every failure is a std::runtime_error whose
 * text starts with the file's path. Safe to use from several threads.
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
  [[noreturn]] void Corrupt(std::string const& why) const;

  std::string path_;
  uint64_t offset_ = 0;
  std::vector<char> bytes_; // the archive; libzip reads from it, so it outlives zip_
  std::vector<std::string> names_;
  std::unique_ptr<struct zip, void (*)(struct zip*)> zip_;
  mutable std::mutex mutex_; // a libzip archive is not safe for concurrent use
};

} // namespace cppmicroservices::detail

#pragma once

#include "cppmicroservices/FrameworkConfig.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cppmicroservices::detail {

/// Where a zip archive appended to a file lies in that file.
struct ZipLocation
{
  uint64_t start = 0;       // offset of the archive's first byte
  uint64_t size = 0;        // bytes from start to the end of the file
  uint64_t entryCount = 0;  // as the end record announces
  uint64_t endRecord = 0;   // offset of the end record from start
  uint64_t centralSize = 0; // bytes of the central directory, which precedes the end record
};

/**
 * Finds a zip archive that ends exactly at the end of a file (a bundle library carries
 * its resources that way). Only the file's tail is examined: the end-of-central-directory
 * record and its comment must fit in the last 65557 bytes.
 */
class US_Framework_EXPORT ZipLocator
{
public:
  /// Bytes of a file's tail that can hold the end record and its longest comment.
  static constexpr uint64_t kMaxTail = 22 + 0xFFFF;

  /**
   * tail: the last bytes of the file (up to kMaxTail); fileSize: the whole file's size.
   * Returns nothing when no end record is present. Throws std::runtime_error with a
   * description (without the path) when an end record is present but inconsistent.
   */
  static std::optional<ZipLocation> Locate(std::string_view tail, uint64_t fileSize);

  /// Reads the tail of path and locates the archive; throws std::runtime_error("<path>: ...")
  /// when the file cannot be read or the archive is inconsistent.
  static std::optional<ZipLocation> LocateInFile(std::string const& path);

  /// Checks the signatures at the archive start and at its central directory once the
  /// archive's bytes are at hand. Throws std::runtime_error with a description.
  static void Verify(std::string_view archive, ZipLocation const& location);
};

} // namespace cppmicroservices::detail

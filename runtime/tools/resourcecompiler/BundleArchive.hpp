#pragma once

#include <string>
#include <vector>

namespace richmarkup::tools {

/// What goes into a bundle's resource archive.
struct BundleArchiveInput
{
  std::string bundleName;             // symbolic name: the archive's top directory
  std::vector<std::string> manifests; // merged into <bundleName>/manifest.json
  std::vector<std::string> resources; // paths relative to the working directory, stored under <bundleName>/
  std::vector<std::string> archives;  // zip archives whose entries are merged in
  int compressionLevel = 6;           // 0 stores entries, 1 to 9 deflates them
};

/**
 * Builds a bundle's resource archive and writes it alone or appended to a library.
 * Errors are std::runtime_error naming the file concerned.
 */
class BundleArchive
{
public:
  /// Checks the input and builds the archive's bytes. A manifest, given or added as the
  /// resource "manifest.json", must be a JSON object whose "bundle.symbolic_name", when
  /// present, is the bundle's name. An entry added twice is an error.
  /// entries, when given, receives the entry names in archive order.
  static std::string Build(BundleArchiveInput const& input, std::vector<std::string>* entries = nullptr);

  /// Appends archive to library; an archive already at the end of it is replaced, so
  /// running the step twice leaves the same file.
  static void AppendTo(std::string const& libraryPath, std::string const& archive);

  static void WriteFile(std::string const& path, std::string const& bytes);
};

} // namespace richmarkup::tools

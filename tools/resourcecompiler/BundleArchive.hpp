#pragma once

#include <string>

namespace richmarkup::tools {

/// What goes into a bundle's resource archive.
struct BundleArchiveInput
{
  std::string bundleName;   // symbolic name: the archive's top directory
  std::string manifestPath; // becomes <bundleName>/manifest.json
  std::string resourceDir;  // optional: its files go under <bundleName>/
};

/**
 * Builds a bundle's resource archive and writes it alone or appended to a library.
 * Errors are std::runtime_error naming the file concerned.
 */
class BundleArchive
{
public:
  /// Checks the name and the manifest (valid JSON object whose "bundle.symbolic_name",
  /// when present, equals the name) and builds the archive's bytes.
  static std::string Build(BundleArchiveInput const& input);

  /// Appends archive to library; an archive already at the end of it is replaced, so
  /// running the step twice leaves the same file.
  static void AppendTo(std::string const& libraryPath, std::string const& archive);

  static void WriteFile(std::string const& path, std::string const& bytes);
};

} // namespace richmarkup::tools

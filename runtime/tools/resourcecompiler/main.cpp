// Builds a bundle's resource archive (its manifest, resource files and merged archives)
// and appends it to the bundle library, writes it as a zip, or both. It takes
// usResourceCompiler's flags, so that one bundle build serves this runtime and a
// CppMicroServices install alike.

#include "BundleArchive.hpp"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
  CLI::App app{"Packs a bundle's manifest and resources into the zip archive appended to the bundle library",
               "richmarkup_resourcecompiler"};
  richmarkup::tools::BundleArchiveInput input;
  std::string bundleFile;
  std::string outFile;
  bool verbose = false;
  app.add_option("-n,--bundle-name", input.bundleName,
                 "symbolic name of the bundle (US_BUNDLE_NAME): the archive's top directory");
  app.add_option("-m,--manifest-add", input.manifests,
                 "the bundle's manifest; several are merged into one <bundle-name>/manifest.json");
  app.add_option("-r,--res-add", input.resources,
                 "a resource file, relative to the working directory; stored under <bundle-name>/");
  app.add_option("-z,--zip-add", input.archives, "a zip archive whose entries are merged in");
  app.add_option("-c,--compression-level", input.compressionLevel, "0 (stored) to 9; default 6")
    ->check(CLI::Range(0, 9));
  app.add_option("-b,--bundle-file", bundleFile, "the bundle library to append the archive to");
  app.add_option("-o,--out-file", outFile, "write the archive to this file");
  app.add_flag("-V,--verbose", verbose, "list the archive's entries");
  CLI11_PARSE(app, argc, argv);

  if (bundleFile.empty() && outFile.empty()) {
    std::cerr << "richmarkup_resourcecompiler: one of --bundle-file or --out-file is required\n";
    return 1;
  }
  if ((!input.manifests.empty() || !input.resources.empty()) && input.bundleName.empty()) {
    std::cerr << "richmarkup_resourcecompiler: --bundle-name is required with --manifest-add and --res-add\n";
    return 1;
  }
  try {
    std::vector<std::string> entries;
    std::string const archive = richmarkup::tools::BundleArchive::Build(input, &entries);
    if (!outFile.empty()) {
      richmarkup::tools::BundleArchive::WriteFile(outFile, archive);
    }
    if (!bundleFile.empty()) {
      richmarkup::tools::BundleArchive::AppendTo(bundleFile, archive);
    }
    if (verbose) {
      for (auto const& entry : entries) {
        std::cout << entry << "\n";
      }
    }
  } catch (std::exception const& e) {
    std::cerr << "richmarkup_resourcecompiler: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

// Builds a bundle's resource archive (the manifest, plus optional resource files) and
// appends it to the bundle library, or writes it as a standalone zip.

#include "BundleArchive.hpp"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
  CLI::App app{ "Packs a bundle's manifest and resources into the zip archive appended to the bundle library",
                "richmarkup_resourcecompiler" };
  richmarkup::tools::BundleArchiveInput input;
  std::string appendTo;
  std::string outZip;
  app.add_option("--bundle-name", input.bundleName, "symbolic name of the bundle (the archive's top directory)")
    ->required();
  app.add_option("--manifest", input.manifestPath, "the bundle's manifest.json")->required();
  app.add_option("--res-dir", input.resourceDir, "directory whose files are added under the bundle's directory");
  auto* append = app.add_option("--append-to", appendTo, "library file to append the archive to");
  auto* zip = app.add_option("--out-zip", outZip, "write the archive to this file instead");
  append->excludes(zip);
  zip->excludes(append);
  CLI11_PARSE(app, argc, argv);

  if (appendTo.empty() && outZip.empty()) {
    std::cerr << "richmarkup_resourcecompiler: one of --append-to or --out-zip is required\n";
    return 1;
  }
  try {
    std::string const archive = richmarkup::tools::BundleArchive::Build(input);
    if (!appendTo.empty()) {
      richmarkup::tools::BundleArchive::AppendTo(appendTo, archive);
    } else {
      richmarkup::tools::BundleArchive::WriteFile(outZip, archive);
    }
  } catch (std::exception const& e) {
    std::cerr << "richmarkup_resourcecompiler: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

// Generates a bundle's component factories from its manifest, so the manifest stays the
// one description of the bundle's components. It takes SCRCodeGen's flags, so that one
// bundle build serves this runtime and a CppMicroServices install alike.

#include "FactoryWriter.hpp"
#include "ManifestReader.hpp"

#include <CLI/CLI.hpp>

#include <exception>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
  CLI::App app{"Writes the NewInstance_/DeleteInstance_ factories of a bundle's components", "richmarkup_factorygen"};
  std::string manifest;
  std::string output;
  std::vector<std::string> headers;
  app.add_option("--manifest", manifest, "the bundle's manifest.json")->required();
  app.add_option("--out-file", output, "the C++ source to write")->required();
  app.add_option("--include-headers", headers,
                 "headers that declare the implementation classes (default: <class name>.hpp for each)");
  CLI11_PARSE(app, argc, argv);

  try {
    auto const components = richmarkup::tools::ManifestReader::ReadFile(manifest);
    std::string const source = richmarkup::tools::FactoryWriter::Write(components, manifest, headers);
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out << source;
    out.close();
    if (!out) {
      std::cerr << "richmarkup_factorygen: " << output << ": cannot write\n";
      return 1;
    }
  } catch (std::exception const& e) {
    std::cerr << "richmarkup_factorygen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

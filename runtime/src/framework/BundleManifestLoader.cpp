#include "BundleManifestLoader.hpp"

#include "ManifestParser.hpp"
#include "archive/ResourceArchive.hpp"

#include "cppmicroservices/Constants.h"

#include <stdexcept>

namespace cppmicroservices {

std::vector<BundleManifest> BundleManifestLoader::Load(std::string const& location)
{
  detail::ResourceArchive const archive(location);
  std::vector<std::string> const directories = archive.GetTopLevelDirectories();

  std::vector<BundleManifest> bundles;
  for (auto const& directory : directories) {
    std::string const entry = directory + "/manifest.json";
    if (!archive.Contains(entry)) {
      continue;
    }
    std::string const where = location + ": " + entry;
    AnyMap headers = ManifestParser::Parse(archive.Read(entry), where);
    std::string name = SymbolicNameOf(location, entry, headers);
    if (name != directory) {
      throw std::runtime_error(where + " names the bundle \"" + name + "\" but lies in the directory \"" + directory +
                               "\"");
    }
    bundles.push_back({std::move(name), std::move(headers)});
  }
  if (bundles.empty()) {
    std::string const expected = directories.size() == 1 ? directories.front() : std::string("<symbolic name>");
    throw std::runtime_error(location + ": resource archive has no " + expected + "/manifest.json");
  }
  return bundles;
}

std::vector<BundleManifest> BundleManifestLoader::FromMap(std::string const& location, AnyMap const& manifests)
{
  std::vector<BundleManifest> bundles;
  for (auto const& entry : manifests) {
    auto const* headers = any_cast<AnyMap>(&entry.second);
    std::string const where = location + ": the given manifest of " + entry.first;
    if (!headers) {
      throw std::runtime_error(where + " is not a map");
    }
    AnyMap copy(AnyMap::UNORDERED_MAP_CASEINSENSITIVE_KEYS);
    for (auto const& header : *headers) {
      copy[header.first] = header.second;
    }
    std::string name = SymbolicNameOf(location, "the given manifest of " + entry.first, copy);
    bundles.push_back({std::move(name), std::move(copy)});
  }
  return bundles;
}

std::string BundleManifestLoader::SymbolicNameOf(std::string const& location, std::string const& where,
                                                 AnyMap const& headers)
{
  auto const it = headers.find(Constants::BUNDLE_SYMBOLICNAME);
  auto const* name = it == headers.end() ? nullptr : any_cast<std::string>(&it->second);
  if (!name || name->empty()) {
    throw std::runtime_error(location + ": " + where + " has no string \"" + Constants::BUNDLE_SYMBOLICNAME + "\"");
  }
  return *name;
}

} // namespace cppmicroservices

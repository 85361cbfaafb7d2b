#include "BundleArchive.hpp"

#include "ArchiveBuilder.hpp"
#include "ZipLocator.hpp"

#include <simdjson.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

namespace richmarkup::tools {

namespace {

std::string ReadWholeFile(std::string const& path)
{
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error(path + ": cannot open file");
  }
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) {
    throw std::runtime_error(path + ": cannot read file");
  }
  return content.str();
}

void CheckBundleName(std::string const& name)
{
  // The name becomes part of C symbol names (_us_set_bundle_context_instance_<name>).
  bool valid = !name.empty() && !(name[0] >= '0' && name[0] <= '9');
  for (char const c : name) {
    valid = valid && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_');
  }
  if (!valid) {
    throw std::runtime_error("invalid bundle name '" + name + "': use letters, digits and '_' only");
  }
}

void CheckManifest(std::string const& path, std::string const& text, std::string const& bundleName)
{
  simdjson::dom::parser parser;
  simdjson::padded_string padded(text);
  simdjson::dom::element root;
  if (auto const error = parser.parse(padded).get(root)) {
    throw std::runtime_error(path + ": invalid JSON: " + simdjson::error_message(error));
  }
  simdjson::dom::object object;
  if (root.get(object)) {
    throw std::runtime_error(path + ": the manifest must be a JSON object");
  }
  simdjson::dom::element name;
  if (object.at_key("bundle.symbolic_name").get(name) == simdjson::SUCCESS) {
    std::string_view value;
    if (name.get(value)) {
      throw std::runtime_error(path + ": \"bundle.symbolic_name\" must be a string");
    }
    if (value != bundleName) {
      throw std::runtime_error(path + ": \"bundle.symbolic_name\" is \"" + std::string(value) +
                               "\" but the bundle is named \"" + bundleName + "\"");
    }
  }
}

void AddResources(ArchiveBuilder& builder, std::string const& bundleName, std::string const& resourceDir)
{
  fs::path const root(resourceDir);
  std::error_code ec;
  if (!fs::is_directory(root, ec)) {
    throw std::runtime_error(resourceDir + ": not a directory");
  }
  std::vector<fs::path> entries;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    entries.push_back(it->path());
  }
  if (ec) {
    throw std::runtime_error(resourceDir + ": cannot list: " + ec.message());
  }
  std::sort(entries.begin(), entries.end()); // same archive whatever the directory order
  for (auto const& entry : entries) {
    std::string const relative = fs::relative(entry, root).generic_string();
    if (relative == "manifest.json") {
      continue; // the manifest given explicitly wins
    }
    std::string const name = bundleName + "/" + relative;
    if (fs::is_directory(entry)) {
      builder.AddDirectory(name + "/");
    } else if (fs::is_regular_file(entry)) {
      builder.AddFile(name, ReadWholeFile(entry.string()));
    }
  }
}

} // namespace

std::string BundleArchive::Build(BundleArchiveInput const& input)
{
  CheckBundleName(input.bundleName);
  std::string manifest = ReadWholeFile(input.manifestPath);
  CheckManifest(input.manifestPath, manifest, input.bundleName);

  ArchiveBuilder builder;
  builder.AddDirectory(input.bundleName + "/");
  builder.AddFile(input.bundleName + "/manifest.json", std::move(manifest));
  if (!input.resourceDir.empty()) {
    AddResources(builder, input.bundleName, input.resourceDir);
  }
  return builder.Finish();
}

void BundleArchive::AppendTo(std::string const& libraryPath, std::string const& archive)
{
  std::string const library = ReadWholeFile(libraryPath);
  uint64_t keep = library.size();
  try {
    std::string_view const whole(library);
    std::size_t const tailSize =
      static_cast<std::size_t>(std::min<uint64_t>(whole.size(), cppmicroservices::detail::ZipLocator::kMaxTail));
    auto const location =
      cppmicroservices::detail::ZipLocator::Locate(whole.substr(whole.size() - tailSize), whole.size());
    if (location) {
      cppmicroservices::detail::ZipLocator::Verify(whole.substr(static_cast<std::size_t>(location->start)),
                                                   *location);
      keep = location->start;
    }
  } catch (std::runtime_error const&) {
    // Trailing bytes that only resemble an archive belong to the library; keep them.
  }

  std::error_code ec;
  fs::resize_file(libraryPath, keep, ec);
  if (ec) {
    throw std::runtime_error(libraryPath + ": cannot truncate: " + ec.message());
  }
  std::ofstream out(libraryPath, std::ios::binary | std::ios::app);
  out.write(archive.data(), static_cast<std::streamsize>(archive.size()));
  out.close();
  if (!out) {
    throw std::runtime_error(libraryPath + ": cannot write");
  }
}

void BundleArchive::WriteFile(std::string const& path, std::string const& bytes)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    throw std::runtime_error(path + ": cannot write");
  }
}

} // namespace richmarkup::tools

#include "BundleArchive.hpp"

#include "ArchiveBuilder.hpp"
#include "ZipLocator.hpp"

#include <simdjson.h>
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
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

simdjson::dom::object ParseManifest(simdjson::dom::parser& parser, std::string const& path, std::string const& text,
                                    std::string const& bundleName)
{
  simdjson::dom::element root;
  if (auto const error = parser.parse(text).get(root)) {
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
  return object;
}

std::string JsonString(std::string const& text)
{
  std::string out = "\"";
  for (char const c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

/// One manifest is stored as written; several are merged into one object, whose members
/// must not repeat.
std::string MergedManifest(std::vector<std::string> const& paths, std::string const& bundleName)
{
  simdjson::dom::parser parser;
  if (paths.size() == 1) {
    std::string text = ReadWholeFile(paths.front());
    ParseManifest(parser, paths.front(), text, bundleName);
    return text;
  }
  std::vector<std::string> seen;
  std::string merged = "{";
  for (auto const& path : paths) {
    for (auto const member : ParseManifest(parser, path, ReadWholeFile(path), bundleName)) {
      std::string const key(member.key);
      if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
        throw std::runtime_error(path + ": \"" + key + "\" is given by an earlier manifest too");
      }
      merged += seen.empty() ? "\n  " : ",\n  ";
      merged += JsonString(key) + ": " + simdjson::to_string(member.value);
      seen.push_back(key);
    }
  }
  return merged + "\n}\n";
}

/// Where a resource given relative to the working directory goes under the bundle's folder.
std::string ResourceEntryName(std::string const& bundleName, std::string const& path)
{
  fs::path const relative = fs::path(path).lexically_normal();
  if (relative.is_absolute() || relative.empty() || *relative.begin() == "..") {
    throw std::runtime_error(path + ": a resource must be given relative to the working directory, inside it");
  }
  return bundleName + "/" + relative.generic_string();
}

struct Entry
{
  std::string name;
  std::string content;
};

/// The entries of a zip archive to merge, directories included.
std::vector<Entry> ReadZipEntries(std::string const& path)
{
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
  if (!archive) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string const text = zip_error_strerror(&error);
    zip_error_fini(&error);
    throw std::runtime_error(path + ": cannot read the zip archive: " + text);
  }
  std::unique_ptr<zip_t, void (*)(zip_t*)> const closer(archive, zip_discard);
  std::vector<Entry> entries;
  zip_int64_t const count = zip_get_num_entries(archive, 0);
  for (zip_int64_t index = 0; index < count; ++index) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0) {
      throw std::runtime_error(path + ": " + zip_strerror(archive));
    }
    Entry entry{stat.name, std::string(static_cast<std::size_t>(stat.size), '\0')};
    if (!entry.name.empty() && entry.name.back() != '/') {
      std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> const file(
        zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0), zip_fclose);
      if (!file || zip_fread(file.get(), entry.content.data(), stat.size) != static_cast<zip_int64_t>(stat.size)) {
        throw std::runtime_error(path + ": cannot read " + entry.name + ": " + zip_strerror(archive));
      }
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

} // namespace

std::string BundleArchive::Build(BundleArchiveInput const& input, std::vector<std::string>* entryNames)
{
  if (!input.manifests.empty() || !input.resources.empty()) {
    CheckBundleName(input.bundleName);
  }
  if (input.compressionLevel < 0 || input.compressionLevel > 9) {
    throw std::runtime_error("the compression level must be 0 to 9, not " + std::to_string(input.compressionLevel));
  }

  std::vector<Entry> entries;
  std::string const manifestName = input.bundleName + "/manifest.json";
  if (!input.manifests.empty()) {
    entries.push_back({manifestName, MergedManifest(input.manifests, input.bundleName)});
  }
  for (auto const& path : input.resources) {
    std::string name = ResourceEntryName(input.bundleName, path);
    std::string content = ReadWholeFile(path);
    if (name == manifestName) {
      simdjson::dom::parser parser;
      ParseManifest(parser, path, content, input.bundleName);
    }
    entries.push_back({std::move(name), std::move(content)});
  }
  for (auto const& path : input.archives) {
    for (auto& entry : ReadZipEntries(path)) {
      entries.push_back(std::move(entry));
    }
  }

  ArchiveBuilder builder(input.compressionLevel);
  std::vector<std::string> names;
  auto add = [&](std::string const& name, std::string content) {
    if (std::find(names.begin(), names.end(), name) != names.end()) {
      if (name.back() == '/') {
        return; // merged archives share their folders
      }
      throw std::runtime_error(name + " is added to the archive twice");
    }
    names.push_back(name);
    if (name.back() == '/') {
      builder.AddDirectory(name);
    } else {
      builder.AddFile(name, std::move(content));
    }
  };
  if (!input.bundleName.empty() && (!input.manifests.empty() || !input.resources.empty())) {
    add(input.bundleName + "/", "");
  }
  for (auto& entry : entries) {
    add(entry.name, std::move(entry.content));
  }
  if (names.empty()) {
    throw std::runtime_error("nothing to put in the archive: give a manifest, a resource or a zip archive");
  }
  if (entryNames) {
    *entryNames = names;
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
      cppmicroservices::detail::ZipLocator::Verify(whole.substr(static_cast<std::size_t>(location->start)), *location);
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

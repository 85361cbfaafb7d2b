#include "ArchiveWriter.hpp"

#include <zip.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

namespace runtimetest {

namespace {

std::string ReadAll(std::string const& path)
{
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error(path + ": cannot open");
  }
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Check(bool ok, zip_t* zip, std::string const& what)
{
  if (!ok) {
    throw std::runtime_error(what + ": " + zip_strerror(zip));
  }
}

} // namespace

void ArchiveWriter::CopyWithArchive(std::string const& library, std::string const& target, Entries const& entries)
{
  std::string const zipPath = target + ".zip";
  int error = 0;
  zip_t* zip = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!zip) {
    throw std::runtime_error(zipPath + ": cannot create zip (error " + std::to_string(error) + ")");
  }
  std::set<std::string> directories;
  for (auto const& entry : entries) {
    std::size_t const slash = entry.first.find('/');
    if (slash != std::string::npos && directories.insert(entry.first.substr(0, slash)).second) {
      Check(zip_dir_add(zip, entry.first.substr(0, slash).c_str(), ZIP_FL_ENC_UTF_8) >= 0, zip, "zip_dir_add");
    }
    // libzip reads the buffer only when the archive is closed, so it must stay alive until then.
    zip_source_t* source = zip_source_buffer(zip, entry.second.data(), entry.second.size(), 0);
    Check(source != nullptr, zip, "zip_source_buffer");
    zip_int64_t const index = zip_file_add(zip, entry.first.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      Check(false, zip, "zip_file_add");
    }
    Check(zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 0) == 0, zip,
          "zip_set_file_compression");
  }
  if (zip_close(zip) != 0) {
    std::string const reason = zip_strerror(zip);
    zip_discard(zip);
    throw std::runtime_error(zipPath + ": " + reason);
  }

  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out << ReadAll(library) << ReadAll(zipPath);
  out.close();
  std::filesystem::remove(zipPath);
  if (!out) {
    throw std::runtime_error(target + ": cannot write");
  }
}

} // namespace runtimetest

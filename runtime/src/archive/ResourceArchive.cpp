#include "ResourceArchive.hpp"

#include "ZipLocator.hpp"

#include <zip.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace cppmicroservices::detail {

namespace {

std::string ErrorText(zip_error_t* error)
{
  std::string text = zip_error_strerror(error);
  zip_error_fini(error);
  return text;
}

} // namespace

ResourceArchive::ResourceArchive(std::string path) : path_(std::move(path)), zip_(nullptr, zip_discard)
{
  std::optional<ZipLocation> const location = ZipLocator::LocateInFile(path_);
  if (!location) {
    throw std::runtime_error(path_ + ": no resource archive found");
  }
  if (location->size > kMaxArchiveSize) {
    Corrupt("archive of " + std::to_string(location->size) + " bytes exceeds the limit of " +
            std::to_string(kMaxArchiveSize));
  }
  offset_ = location->start;

  std::ifstream in(path_, std::ios::binary);
  bytes_.resize(static_cast<std::size_t>(location->size));
  in.seekg(static_cast<std::streamoff>(location->start), std::ios::beg);
  if (!in || !in.read(bytes_.data(), static_cast<std::streamsize>(bytes_.size()))) {
    throw std::runtime_error(path_ + ": cannot read file");
  }
  try {
    ZipLocator::Verify(std::string_view(bytes_.data(), bytes_.size()), *location);
  } catch (std::runtime_error const& e) {
    Corrupt(e.what());
  }

  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes_.data(), bytes_.size(), 0, &error);
  if (!source) {
    Corrupt(ErrorText(&error));
  }
  zip_.reset(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
  if (!zip_) {
    zip_source_free(source);
    Corrupt(ErrorText(&error));
  }
  zip_error_fini(&error);

  zip_int64_t const count = zip_get_num_entries(zip_.get(), 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    char const* name = zip_get_name(zip_.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
    if (!name) {
      Corrupt(std::string("unreadable entry name: ") + zip_strerror(zip_.get()));
    }
    names_.emplace_back(name);
  }
}

ResourceArchive::~ResourceArchive() = default;

std::vector<std::string> ResourceArchive::GetTopLevelDirectories() const
{
  std::vector<std::string> result;
  for (auto const& name : names_) {
    std::size_t const slash = name.find('/');
    if (slash == std::string::npos || slash == 0) {
      continue;
    }
    std::string top = name.substr(0, slash);
    if (std::find(result.begin(), result.end(), top) == result.end()) {
      result.push_back(std::move(top));
    }
  }
  return result;
}

bool ResourceArchive::Contains(std::string const& name) const
{
  return std::find(names_.begin(), names_.end(), name) != names_.end();
}

std::string ResourceArchive::Read(std::string const& name) const
{
  std::lock_guard<std::mutex> lock(mutex_);
  zip_int64_t const index = zip_name_locate(zip_.get(), name.c_str(), ZIP_FL_ENC_RAW);
  if (index < 0) {
    throw std::runtime_error(path_ + ": resource archive has no entry " + name);
  }
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(zip_.get(), static_cast<zip_uint64_t>(index), 0, &stat) != 0) {
    Corrupt("cannot read entry " + name + ": " + zip_strerror(zip_.get()));
  }
  if ((stat.valid & ZIP_STAT_SIZE) && stat.size > kMaxEntrySize) {
    Corrupt("entry " + name + " inflates to " + std::to_string(stat.size) + " bytes, more than the limit of " +
            std::to_string(kMaxEntrySize));
  }
  zip_file_t* file = zip_fopen_index(zip_.get(), static_cast<zip_uint64_t>(index), 0);
  if (!file) {
    Corrupt("cannot open entry " + name + ": " + zip_strerror(zip_.get()));
  }
  std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> guard(file, zip_fclose);

  // Read in chunks and count: the sizes in the headers may lie.
  std::string content;
  char buffer[16384];
  while (true) {
    zip_int64_t const got = zip_fread(file, buffer, sizeof buffer);
    if (got < 0) {
      Corrupt("cannot inflate entry " + name + ": " + zip_file_strerror(file));
    }
    if (got == 0) {
      break;
    }
    if (content.size() + static_cast<std::size_t>(got) > kMaxEntrySize) {
      Corrupt("entry " + name + " inflates to more than the limit of " + std::to_string(kMaxEntrySize) + " bytes");
    }
    content.append(buffer, static_cast<std::size_t>(got));
  }
  return content;
}

void ResourceArchive::Corrupt(std::string const& why) const
{
  throw std::runtime_error(path_ + ": corrupt resource archive: " + why);
}

} // namespace cppmicroservices::detail

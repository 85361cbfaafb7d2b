#include "ArchiveBuilder.hpp"

#include <zip.h>

#include <ctime>
#include <stdexcept>

namespace richmarkup::tools {

namespace {

// 2000-01-01 00:00:00 UTC: any fixed instant representable in DOS time would do.
constexpr time_t kFixedTime = 946684800;

} // namespace

ArchiveBuilder::ArchiveBuilder(int level) : level_(level)
{
  zip_error_t error;
  zip_error_init(&error);
  source_ = zip_source_buffer_create(nullptr, 0, 0, &error);
  if (!source_) {
    std::string const text = zip_error_strerror(&error);
    zip_error_fini(&error);
    throw std::runtime_error("cannot create an archive buffer: " + text);
  }
  // Keep the buffer alive after zip_close, so that its bytes can be read back.
  zip_source_keep(source_);
  archive_ = zip_open_from_source(source_, ZIP_TRUNCATE, &error);
  if (!archive_) {
    std::string const text = zip_error_strerror(&error);
    zip_error_fini(&error);
    zip_source_free(source_);
    zip_source_free(source_);
    throw std::runtime_error("cannot create an archive: " + text);
  }
  zip_error_fini(&error);
}

ArchiveBuilder::~ArchiveBuilder()
{
  if (archive_) {
    zip_discard(archive_);
  }
  if (source_) {
    zip_source_free(source_);
  }
}

void ArchiveBuilder::AddDirectory(std::string const& name)
{
  zip_int64_t const index = zip_dir_add(archive_, name.c_str(), ZIP_FL_ENC_UTF_8);
  if (index < 0) {
    Fail("cannot add directory " + name);
  }
  SetTime(index, name);
}

void ArchiveBuilder::AddFile(std::string const& name, std::string content)
{
  std::string const& stored = contents_.emplace_back(std::move(content));
  zip_source_t* data = zip_source_buffer(archive_, stored.data(), stored.size(), 0);
  if (!data) {
    Fail("cannot add " + name);
  }
  zip_int64_t const index = zip_file_add(archive_, name.c_str(), data, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
  if (index < 0) {
    zip_source_free(data);
    Fail("cannot add " + name);
  }
  zip_int32_t const method = level_ == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
  if (zip_set_file_compression(archive_, static_cast<zip_uint64_t>(index), method, static_cast<zip_uint32_t>(level_)) !=
      0) {
    Fail("cannot deflate " + name);
  }
  SetTime(index, name);
}

std::string ArchiveBuilder::Finish()
{
  if (zip_close(archive_) != 0) {
    Fail("cannot write the archive");
  }
  archive_ = nullptr;

  std::string bytes;
  if (zip_source_open(source_) != 0) {
    throw std::runtime_error("cannot read the archive back");
  }
  char buffer[16384];
  zip_int64_t got = 0;
  while ((got = zip_source_read(source_, buffer, sizeof buffer)) > 0) {
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  zip_source_close(source_);
  if (got < 0) {
    throw std::runtime_error("cannot read the archive back");
  }
  return bytes;
}

void ArchiveBuilder::SetTime(long long index, std::string const& name)
{
  if (zip_file_set_mtime(archive_, static_cast<zip_uint64_t>(index), kFixedTime, 0) != 0) {
    Fail("cannot set the time of " + name);
  }
}

void ArchiveBuilder::Fail(std::string const& what) const
{
  throw std::runtime_error(what + ": " + zip_strerror(archive_));
}

} // namespace richmarkup::tools

#include "ResourceArchive.hpp"

#include "ZipFormat.hpp"
#include "ZipLocator.hpp"

#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace cppmicroservices::detail {

ResourceArchive::ResourceArchive(std::string path) : path_(std::move(path))
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
  ReadDirectory(location->endRecord - location->centralSize, location->centralSize, location->entryCount);
}

ResourceArchive::~ResourceArchive() = default;

std::string_view ResourceArchive::Bytes(uint64_t offset, uint64_t size, char const* what) const
{
  if (offset > bytes_.size() || size > bytes_.size() - offset) {
    Corrupt(std::string(what) + " beyond the end of the archive");
  }
  return std::string_view(bytes_.data() + offset, static_cast<std::size_t>(size));
}

void ResourceArchive::ReadDirectory(uint64_t centralOffset, uint64_t centralSize, uint64_t expectedEntries)
{
  using namespace zip;
  uint64_t const end = centralOffset + centralSize;
  for (uint64_t pos = centralOffset; pos < end;) {
    std::string_view const header = Bytes(pos, kCentralHeaderSize, "a central directory entry");
    if (Read32(header, 0) != kCentralSignature) {
      Corrupt("no central directory entry at offset " + std::to_string(pos));
    }
    uint16_t const flags = Read16(header, 8);
    Entry entry;
    entry.method = Read16(header, 10);
    entry.crc = Read32(header, 16);
    entry.compressedSize = Read32(header, 20);
    entry.size = Read32(header, 24);
    uint16_t const nameLength = Read16(header, 28);
    uint64_t const local = Read32(header, 42);
    std::string name(Bytes(pos + kCentralHeaderSize, nameLength, "an entry name"));
    pos += kCentralHeaderSize + nameLength + Read16(header, 30) + Read16(header, 32);
    if (pos > end) {
      Corrupt("entry " + name + " runs past the central directory");
    }
    if ((flags & 1) != 0) {
      Corrupt("entry " + name + " is encrypted");
    }
    if (entry.method != Z_NO_COMPRESSION && entry.method != Z_DEFLATED) {
      Corrupt("entry " + name + " uses compression method " + std::to_string(entry.method));
    }
    if (entry.method == Z_NO_COMPRESSION && entry.compressedSize != entry.size) {
      Corrupt("stored entry " + name + " has two sizes");
    }
    // The local header must agree on the name; its own sizes may be left out (a data
    // descriptor follows the data then), the directory's count.
    std::string_view const localHeader = Bytes(local, kLocalHeaderSize, "a local header");
    if (Read32(localHeader, 0) != kLocalSignature) {
      Corrupt("no local header for entry " + name);
    }
    uint16_t const localNameLength = Read16(localHeader, 26);
    if (Bytes(local + kLocalHeaderSize, localNameLength, "a local entry name") != name) {
      Corrupt("the local header of entry " + name + " names another");
    }
    entry.dataOffset = local + kLocalHeaderSize + localNameLength + Read16(localHeader, 28);
    (void)Bytes(entry.dataOffset, entry.compressedSize, "the data of an entry");
    names_.push_back(std::move(name));
    entries_.push_back(entry);
  }
  if (names_.size() != expectedEntries) {
    Corrupt("the end record announces " + std::to_string(expectedEntries) + " entries, the directory holds " +
            std::to_string(names_.size()));
  }
}

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
  auto const it = std::find(names_.begin(), names_.end(), name);
  if (it == names_.end()) {
    throw std::runtime_error(path_ + ": resource archive has no entry " + name);
  }
  Entry const& entry = entries_[static_cast<std::size_t>(it - names_.begin())];
  if (entry.size > kMaxEntrySize) {
    Corrupt("entry " + name + " inflates to " + std::to_string(entry.size) + " bytes, more than the limit of " +
            std::to_string(kMaxEntrySize));
  }
  std::string content = Inflate(entry, name);
  if (content.size() != entry.size) {
    Corrupt("entry " + name + " holds " + std::to_string(content.size()) + " bytes where the directory says " +
            std::to_string(entry.size));
  }
  uLong const crc = crc32(0L, reinterpret_cast<Bytef const*>(content.data()), static_cast<uInt>(content.size()));
  if (crc != entry.crc) {
    Corrupt("entry " + name + " fails its CRC check");
  }
  return content;
}

std::string ResourceArchive::Inflate(Entry const& entry, std::string const& name) const
{
  std::string_view const data = Bytes(entry.dataOffset, entry.compressedSize, "the data of an entry");
  if (entry.method == Z_NO_COMPRESSION) {
    return std::string(data);
  }
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) { // raw deflate, as zip stores it
    Corrupt("cannot inflate entry " + name + ": out of memory");
  }
  struct End
  {
    z_stream& stream;
    ~End() { inflateEnd(&stream); }
  } const end{stream};
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size()); // at most kMaxArchiveSize
  // Inflated in chunks and counted: the sizes in the headers may lie.
  std::string content;
  char buffer[16384];
  for (;;) {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    int const status = inflate(&stream, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) {
      Corrupt("cannot inflate entry " + name + ": " +
              (status == Z_BUF_ERROR ? std::string("its data ends early")
                                     : std::string(stream.msg != nullptr ? stream.msg : "bad data")));
    }
    std::size_t const got = sizeof buffer - stream.avail_out;
    if (content.size() + got > kMaxEntrySize) {
      Corrupt("entry " + name + " inflates to more than the limit of " + std::to_string(kMaxEntrySize) + " bytes");
    }
    content.append(buffer, got);
    if (status == Z_STREAM_END) {
      return content;
    }
  }
}

void ResourceArchive::Corrupt(std::string const& why) const
{
  throw std::runtime_error(path_ + ": corrupt resource archive: " + why);
}

} // namespace cppmicroservices::detail

#include "ZipLocator.hpp"

#include "ZipFormat.hpp"

#include <fstream>
#include <stdexcept>
#include <vector>

namespace cppmicroservices::detail {

using zip::kCentralSignature;
using zip::kEndRecordSize;
using zip::kEndSignature;
using zip::kLocalSignature;
using zip::Read16;
using zip::Read32;

std::optional<ZipLocation> ZipLocator::Locate(std::string_view tail, uint64_t fileSize)
{
  if (tail.size() < kEndRecordSize || tail.size() > fileSize) {
    return std::nullopt;
  }
  uint64_t const tailStart = fileSize - tail.size();
  std::string firstProblem;
  // Newest candidate first: the end record closest to the end of the file.
  for (std::size_t pos = tail.size() - kEndRecordSize + 1; pos-- > 0;) {
    if (Read32(tail, pos) != kEndSignature) {
      continue;
    }
    uint16_t const commentLength = Read16(tail, pos + 20);
    if (pos + kEndRecordSize + commentLength != tail.size()) {
      continue; // These bytes only look like an end record: its comment does not end the file.
    }
    uint16_t const disk = Read16(tail, pos + 4);
    uint16_t const cdDisk = Read16(tail, pos + 6);
    uint16_t const entriesOnDisk = Read16(tail, pos + 8);
    uint16_t const entries = Read16(tail, pos + 10);
    uint32_t const cdSize = Read32(tail, pos + 12);
    uint32_t const cdOffset = Read32(tail, pos + 16);
    uint64_t const endPos = tailStart + pos;
    std::string problem;
    if (disk != 0 || cdDisk != 0 || entriesOnDisk != entries) {
      problem = "multi-part archives are not supported";
    } else if (entries == 0xFFFF || cdSize == 0xFFFFFFFFu || cdOffset == 0xFFFFFFFFu) {
      problem = "zip64 archives are not supported";
    } else if (static_cast<uint64_t>(cdSize) + cdOffset > endPos) {
      problem = "central directory lies outside the file";
    } else if (entries > 0 && cdSize < 46ULL * entries) {
      problem = "central directory too small for " + std::to_string(entries) + " entries";
    }
    if (problem.empty()) {
      ZipLocation location;
      location.start = endPos - cdSize - cdOffset;
      location.size = fileSize - location.start;
      location.entryCount = entries;
      location.endRecord = endPos - location.start;
      location.centralSize = cdSize;
      return location;
    }
    if (firstProblem.empty()) {
      firstProblem = problem;
    }
  }
  if (!firstProblem.empty()) {
    throw std::runtime_error(firstProblem);
  }
  return std::nullopt;
}

std::optional<ZipLocation> ZipLocator::LocateInFile(std::string const& path)
{
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error(path + ": cannot open file");
  }
  in.seekg(0, std::ios::end);
  auto const end = in.tellg();
  if (end < 0) {
    throw std::runtime_error(path + ": cannot read file");
  }
  uint64_t const fileSize = static_cast<uint64_t>(end);
  uint64_t const tailSize = fileSize < kMaxTail ? fileSize : kMaxTail;
  std::vector<char> tail(static_cast<std::size_t>(tailSize));
  in.seekg(static_cast<std::streamoff>(fileSize - tailSize), std::ios::beg);
  if (tailSize > 0 && !in.read(tail.data(), static_cast<std::streamsize>(tailSize))) {
    throw std::runtime_error(path + ": cannot read file");
  }
  try {
    return Locate(std::string_view(tail.data(), tail.size()), fileSize);
  } catch (std::runtime_error const& e) {
    throw std::runtime_error(path + ": corrupt resource archive: " + e.what());
  }
}

void ZipLocator::Verify(std::string_view archive, ZipLocation const& location)
{
  if (archive.size() != location.size || archive.size() < kEndRecordSize) {
    throw std::runtime_error("archive size does not match its end record");
  }
  if (location.entryCount == 0) {
    return;
  }
  if (archive.size() < 4 || Read32(archive, 0) != kLocalSignature) {
    throw std::runtime_error("no local file header at the start of the archive");
  }
  if (location.centralSize > location.endRecord ||
      Read32(archive, static_cast<std::size_t>(location.endRecord - location.centralSize)) != kCentralSignature) {
    throw std::runtime_error("no central directory where the end record points");
  }
}

} // namespace cppmicroservices::detail

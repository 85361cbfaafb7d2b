#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace cppmicroservices::detail::zip {

// Record signatures and sizes of the zip format's fixed parts.
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint64_t kEndRecordSize = 22;
constexpr uint64_t kCentralHeaderSize = 46;
constexpr uint64_t kLocalHeaderSize = 30;

/// Little-endian fields; the caller has checked that the bytes are there.
inline uint32_t Read32(std::string_view bytes, std::size_t at) noexcept
{
  auto const b = [&](std::size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])); };
  return b(0) | (b(1) << 8) | (b(2) << 16) | (b(3) << 24);
}

inline uint16_t Read16(std::string_view bytes, std::size_t at) noexcept
{
  auto const b = [&](std::size_t i) { return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at + i])); };
  return static_cast<uint16_t>(b(0) | (b(1) << 8));
}

} // namespace cppmicroservices::detail::zip

#pragma once
// A row's bookmark as the DAO tables keep it. The engine's bookmarks of these
// recordsets are 4-byte arrays; a table reads them as one signed 32-bit
// value, the handle, and 0 stands for "no bookmark". The framework's
// TBookmark carries the same 4 bytes (empty for none).
#include <cstdint>

#include "framework/DbTypes.h"
#include "platform/automation/variant.h"

namespace data {

inline std::int32_t HandleOfBytes(const void* bytes, std::size_t size) noexcept {
  if (size != sizeof(std::int32_t)) return 0;
  const auto* b = static_cast<const unsigned char*>(bytes);
  const std::uint32_t value = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                              static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  return static_cast<std::int32_t>(value);
}

inline std::int32_t HandleOf(const framework::TBookmark& bookmark) noexcept {
  return HandleOfBytes(bookmark.data(), bookmark.size());
}

inline automation::ByteArray BytesOfHandle(std::int32_t handle) {
  const auto value = static_cast<std::uint32_t>(handle);
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

inline framework::TBookmark BookmarkOf(std::int32_t handle) {
  if (handle == 0) return {};
  const automation::ByteArray bytes = BytesOfHandle(handle);
  return framework::TBookmark(bytes.begin(), bytes.end());
}

}  // namespace data

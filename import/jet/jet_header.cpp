#include "import/jet/jet_header.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace jetimport {

void codeJetHeader(char* page, std::size_t length) noexcept {
  static constexpr unsigned char key[4] = {0xC7, 0xDA, 0x39, 0x6B};
  unsigned char state[256];
  for (int i = 0; i < 256; ++i) state[i] = static_cast<unsigned char>(i);
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + state[i] + key[i % 4]) & 0xFF;
    std::swap(state[i], state[j]);
  }
  char* data = page + kJetHeaderEncodedStart;
  for (std::size_t n = 0, i = 0, j = 0; n < length; ++n) {
    i = (i + 1) & 0xFF;
    j = (j + state[i]) & 0xFF;
    std::swap(state[i], state[j]);
    data[n] = static_cast<char>(static_cast<unsigned char>(data[n]) ^ state[(state[i] + state[j]) & 0xFF]);
  }
}

void jet4PasswordMask(double creationDate, unsigned char mask[4]) noexcept {
  std::uint32_t days = 0;
  if (std::isfinite(creationDate) && std::fabs(creationDate) < 2147483648.0)
    days = static_cast<std::uint32_t>(static_cast<std::int32_t>(creationDate));
  for (int b = 0; b < 4; ++b) mask[b] = static_cast<unsigned char>(days >> (8 * b));
}

bool jet4HasPassword(std::string_view firstPage) {
  if (firstPage.size() < kJetHeaderEncodedStart + kJet4HeaderEncodedLength) return false;
  std::string page(firstPage.substr(0, kJetHeaderEncodedStart + kJet4HeaderEncodedLength));
  codeJetHeader(page.data(), kJet4HeaderEncodedLength);
  double date = 0;
  static_assert(sizeof date == 8);
  std::memcpy(&date, page.data() + kJet4CreationDateOffset, sizeof date);  // little-endian, as the machine
  unsigned char mask[4];
  jet4PasswordMask(date, mask);
  bool bare = true, masked = true;
  for (std::size_t i = 0; i < kJet4PasswordLength; ++i) {
    const auto stored = static_cast<unsigned char>(page[kJet4PasswordOffset + i]);
    bare = bare && stored == 0;
    masked = masked && stored == mask[i % 4];
  }
  return !bare && !masked;
}

}  // namespace jetimport

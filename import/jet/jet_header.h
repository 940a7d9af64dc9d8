#pragma once
// What the first page of a Jet 4 file says about its database password,
// read from the page's bytes: libmdb keeps only the first 14 bytes of the
// password field and does not take the Jet 4 mask off, so it cannot tell.
//
// The page's bytes from 0x18 (128 of them in Jet 4) are RC4-encoded with a
// key every Jet file shares. In them, the 40 bytes at 0x42 hold the password
// (up to 20 UCS-2 characters, zero-padded), each group of 4 bytes XORed with
// a mask made of the file's creation date (the 8-byte date at 0x72): its
// whole days as a 32-bit little-endian number. A file without a password
// holds the bare mask there (or, written by other tools, zeros).
#include <cstddef>
#include <string_view>

namespace jetimport {

// The header page's encoded part and where the password and date sit.
inline constexpr std::size_t kJetHeaderEncodedStart = 0x18;
inline constexpr std::size_t kJet4HeaderEncodedLength = 128;
inline constexpr std::size_t kJet4PasswordOffset = 0x42;
inline constexpr std::size_t kJet4PasswordLength = 40;
inline constexpr std::size_t kJet4CreationDateOffset = 0x72;

// Undoes (or applies: RC4 is its own inverse) the header's encoding on
// `length` bytes of `page` from kJetHeaderEncodedStart.
void codeJetHeader(char* page, std::size_t length) noexcept;

// The 4-byte mask of a Jet 4 password for a creation date (an OLE date:
// days since 1899-12-30); zeros for a date that is no number.
void jet4PasswordMask(double creationDate, unsigned char mask[4]) noexcept;

// True when a Jet 4 file's first page (at least 0x98 bytes, as stored)
// holds a database password.
bool jet4HasPassword(std::string_view firstPage);

}  // namespace jetimport

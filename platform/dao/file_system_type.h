#pragma once
// What kind of file system holds a database file: a local disk, or a
// network or user-space (FUSE) file system on which SQLite's write-ahead log
// is not safe (it needs memory shared between the processes writing the
// file, which exists only on one machine) and on which file locks are only
// as good as the server's.
//
// Contract:
//  - networkFileSystemName(path) is the name of the network or FUSE file
//    system the file (or, for a file not yet there, its folder) lives on,
//    e.g. "NFS", "SMB/CIFS", "SMB2", "FUSE"; empty for a local file system
//    and when the type cannot be told.
//  - The type comes from a probe, statfs(2)'s f_type by default. Tests put
//    another in its place with setFileSystemTypeProbe (nullptr restores
//    statfs). Before using statfs, the default probe honours the variable
//    ZENMORA_FILE_SYSTEM_TYPE (a number such as 0x6969), so that the built
//    program can be tried as if its file were on a share.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace dao {

// statfs f_type of the file system holding `path`; nullopt when unknown.
using FileSystemTypeProbe = std::function<std::optional<std::int64_t>(const std::string& path)>;

void setFileSystemTypeProbe(FileSystemTypeProbe probe);

// The name of a network or FUSE file system type; empty for any other.
std::string networkFileSystemTypeName(std::int64_t type);

std::string networkFileSystemName(const std::string& path);

}  // namespace dao

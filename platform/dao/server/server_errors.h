#pragma once
// The engine's errors for failures of the database server, so that the
// layers above see the same numbers on a server database as on a file.
//
// Contract:
//  - serverName() describes a server for messages as "database on host:port"
//    (a Unix socket folder stands for the host), taken from the connection
//    string and libpq's defaults; it never contains a password.
//  - raiseConnectFailure() turns a failed connect into: 3151 unreachable,
//    3029 authentication failed, 3024 database missing, each text naming
//    the server and ending in the server's own reason.
//  - raiseServerFailure() turns a failed statement into: 3022 unique
//    violation (naming `subject`), 3314 NULL in a NOT NULL column, 3163
//    value too long, 3218 lock not available or lock timeout, 3078 missing
//    table, 3043 the connection lost (nothing of the unfinished statement
//    is stored: every write is one transaction), else 3000 with the
//    server's text.
#include <string>
#include <string_view>

#include "platform/postgres/postgres_connection.h"

namespace dao::server {

namespace error {
constexpr int serverUnreachable = 3151;
}  // namespace error

std::string serverName(const std::string& connectionString);

// The text of a lost connection, naming the server.
std::string connectionLostText(std::string_view server);

[[noreturn]] void raiseConnectFailure(const postgres::PostgresError& failure, std::string_view server);
[[noreturn]] void raiseServerFailure(const postgres::PostgresError& failure, std::string_view server,
                                     std::string_view subject = {});

}  // namespace dao::server

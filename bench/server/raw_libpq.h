#pragma once
// The baseline: libpq as a hand-written client would use it, with no engine
// in between. Statements are prepared once per connection (PQprepare) and
// run with text parameters (PQexecPrepared); every run is one round trip.
// Failures throw std::runtime_error with the server's message.
#include <libpq-fe.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace serverbench {

struct ResultDeleter {
  void operator()(PGresult* result) const noexcept { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

class RawConnection {
 public:
  explicit RawConnection(const std::string& connectionString);
  ~RawConnection();
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  // Prepares `sql` as `name` (one round trip).
  void prepare(const std::string& name, const std::string& sql);
  // Runs the prepared statement `name` (one round trip); std::nullopt is NULL.
  Result run(const std::string& name, const std::vector<std::optional<std::string>>& parameters);
  // Runs `sql` without parameters (one round trip).
  Result execute(const std::string& sql);

  std::int64_t roundTrips() const noexcept { return roundTrips_; }

 private:
  Result check(PGresult* result);
  PGconn* connection_ = nullptr;
  std::int64_t roundTrips_ = 0;
};

// "name" with inner double quotes doubled.
std::string quoteIdentifier(const std::string& name);
// Every field of every row copied out as text, as a client keeps them.
std::size_t consumeRows(const PGresult* result);

}  // namespace serverbench

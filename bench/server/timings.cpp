#include "bench/server/timings.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace serverbench {

double Samples::quantile(double q) const {
  if (values_.empty()) return 0;
  std::vector<double> sorted = values_;
  std::sort(sorted.begin(), sorted.end());
  const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(sorted.size())));
  return sorted[std::min(sorted.size() - 1, rank == 0 ? 0 : rank - 1)];
}

std::string formatMicroseconds(double microseconds) {
  if (microseconds >= 10'000) return fmt::format("{:.1f} ms", microseconds / 1000);
  if (microseconds >= 1'000) return fmt::format("{:.2f} ms", microseconds / 1000);
  return fmt::format("{:.0f} µs", microseconds);
}

bool met(const ReportRow& row) {
  if (row.ratioLimit == 0 && row.absoluteLimit == 0) return true;
  bool ok = true;
  if (row.ratioLimit > 0) ok = ok && row.raw > 0 && row.engine / row.raw <= row.ratioLimit;
  if (row.absoluteLimit > 0) ok = ok && row.engine <= row.absoluteLimit;
  return ok;
}

std::string markdownTable(const std::vector<ReportRow>& rows) {
  std::string table =
      "| What | Engine | Raw libpq (baseline) | Ratio | Round trips (engine / raw) | Spread | Target | Met |\n"
      "|---|---|---|---|---|---|---|---|\n";
  for (const ReportRow& row : rows) {
    table += fmt::format("| {} | {} | {} | {} | {:.3g} / {:.3g} | {} | {} | {} |\n", row.what,
                         formatMicroseconds(row.engine), row.raw > 0 ? formatMicroseconds(row.raw) : "–",
                         row.raw > 0 ? fmt::format("{:.2f}×", row.engine / row.raw) : "–", row.roundTrips,
                         row.rawRoundTrips, row.spread, row.target,
                         row.ratioLimit == 0 && row.absoluteLimit == 0 ? "–" : met(row) ? "met" : "**not met**");
  }
  return table;
}

}  // namespace serverbench

#pragma once
// Time samples of one operation and the report line comparing the engine's
// with the baseline's: figures in microseconds (milliseconds above 10 ms),
// the ratio, the target and whether it is met.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace serverbench {

class Samples {
 public:
  void add(double microseconds) { values_.push_back(microseconds); }
  bool empty() const noexcept { return values_.empty(); }
  std::size_t size() const noexcept { return values_.size(); }
  // The q-quantile (0.5 the median, 0.99 the 99th percentile), nearest rank.
  double quantile(double q) const;
  double median() const { return quantile(0.5); }

 private:
  std::vector<double> values_;
};

class StopWatch {
 public:
  StopWatch() : start_(std::chrono::steady_clock::now()) {}
  double microseconds() const {
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

// "412 µs", "1.27 ms", "35.2 ms".
std::string formatMicroseconds(double microseconds);

struct ReportRow {
  std::string what;
  double engine = 0;       // µs
  double raw = 0;          // µs; 0 when there is no baseline
  double roundTrips = 0;   // the engine's statements per operation
  double rawRoundTrips = 0;
  std::string target;      // "≤ 2× raw" or "≤ 1 ms"
  double ratioLimit = 0;   // met when engine / raw <= ratioLimit (0: not a ratio target)
  double absoluteLimit = 0;  // met when engine <= absoluteLimit µs (0: not an absolute target)
  std::string spread;      // the engine's and the baseline's min–max, or p99
};

bool met(const ReportRow& row);
// The report as a Markdown table, one line per row, with its header.
std::string markdownTable(const std::vector<ReportRow>& rows);

}  // namespace serverbench

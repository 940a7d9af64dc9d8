#pragma once
// Writes batches of rows on a thread of its own while the caller reads the
// next batch, so reading the Jet file (libmdb, Big5 decoding) and writing
// the new database (SQLite) each keep a processor busy.
//
// Contract:
//  - batches are written one at a time, in the order given;
//  - submit() waits while a batch is already waiting to be written (at most
//    three batches exist at once: one being filled, one waiting, one being
//    written);
//  - when writing a batch throws, no later batch is written and the error is
//    thrown again by the next submit() or by finish();
//  - finish() returns when every batch is written; the destructor, when
//    finish() was not called (the reading failed), waits for the batch being
//    written and drops the one waiting.
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/dao/database_builder.h"

namespace jetimport {

using RowBatch = std::vector<std::vector<dao::CellValue>>;

class BatchWriter {
 public:
  explicit BatchWriter(std::function<void(const RowBatch&)> write);
  BatchWriter(const BatchWriter&) = delete;
  BatchWriter& operator=(const BatchWriter&) = delete;
  ~BatchWriter();

  void submit(RowBatch batch);
  void finish();

 private:
  void run();
  void stop();

  std::function<void(const RowBatch&)> write_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<RowBatch> waiting_;
  bool closing_ = false;
  std::exception_ptr failure_;
  std::thread thread_;
};

}  // namespace jetimport

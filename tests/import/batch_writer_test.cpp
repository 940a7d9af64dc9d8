// The writer thread of the import: batches written in order, a failure
// stops the writing and reaches the reader, an abandoned writer ends.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include "import/jet/batch_writer.h"

namespace {

using jetimport::BatchWriter;
using jetimport::RowBatch;

RowBatch batchOf(int first, int count) {
  RowBatch batch;
  for (int i = first; i < first + count; ++i) batch.push_back({std::to_string(i)});
  return batch;
}

TEST(BatchWriter, WritesEveryBatchInOrderAndFailuresReachTheReader) {
  {
    std::string written;  // only the writer's thread touches it until finish()
    BatchWriter writer([&](const RowBatch& rows) {
      for (const auto& row : rows) written += *row[0] + " ";
      std::this_thread::sleep_for(std::chrono::milliseconds(1));  // a slow writer: submit() has to wait
    });
    for (int b = 0; b < 20; ++b) writer.submit(batchOf(b * 3, 3));
    writer.finish();
    std::string expected;
    for (int i = 0; i < 60; ++i) expected += std::to_string(i) + " ";
    EXPECT_EQ(written, expected);
  }
  {
    // The second batch fails: nothing after it is written, and the reader
    // hears of it at its next submit() or at finish().
    std::atomic<int> batches = 0;
    BatchWriter writer([&](const RowBatch& rows) {
      if (++batches == 2) throw std::runtime_error("disk full at row " + *rows[0][0]);
    });
    std::string failure;
    try {
      for (int b = 0; b < 50; ++b) writer.submit(batchOf(b, 1));
      writer.finish();
    } catch (const std::runtime_error& e) {
      failure = e.what();
    }
    EXPECT_EQ(failure, "disk full at row 1");
    EXPECT_EQ(batches.load(), 2);
  }
  {
    // The reading fails: the writer is left without finish() and ends
    // without writing the batch still waiting.
    std::atomic<int> batches = 0;
    {
      // Each write takes long enough for the reader to give up while the
      // second batch is being written and the third is waiting.
      BatchWriter writer([&](const RowBatch&) {
        ++batches;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
      });
      writer.submit(batchOf(0, 1));
      writer.submit(batchOf(1, 1));
      writer.submit(batchOf(2, 1));
    }
    EXPECT_EQ(batches.load(), 2);
  }
}

}  // namespace

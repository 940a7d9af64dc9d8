#include "import/jet/batch_writer.h"

namespace jetimport {

BatchWriter::BatchWriter(std::function<void(const RowBatch&)> write)
    : write_(std::move(write)), thread_([this] { run(); }) {}

BatchWriter::~BatchWriter() { stop(); }

void BatchWriter::submit(RowBatch batch) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !waiting_ || failure_; });
  if (failure_) std::rethrow_exception(failure_);
  waiting_ = std::move(batch);
  changed_.notify_all();
}

void BatchWriter::finish() {
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !waiting_ || failure_; });
  }
  stop();
  if (failure_) std::rethrow_exception(failure_);
}

void BatchWriter::stop() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    waiting_.reset();  // empty after finish(); dropped when the reading failed
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void BatchWriter::run() {
  for (;;) {
    RowBatch batch;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return waiting_ || closing_; });
      if (!waiting_) return;
      batch = std::move(*waiting_);
      waiting_.reset();
    }
    changed_.notify_all();
    try {
      write_(batch);
    } catch (...) {
      std::lock_guard lock(mutex_);
      failure_ = std::current_exception();
      waiting_.reset();
      changed_.notify_all();
      return;
    }
  }
}

}  // namespace jetimport

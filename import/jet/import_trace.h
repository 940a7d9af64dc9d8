#pragma once
// A timestamped trace of the import's steps, for finding where its time
// goes. Off unless ZENMORA_IMPORT_TRACE names a file; then each step appends
// one line "<pid> <monotonic clock in µs> <CPU time of the process so far in
// µs> <page faults so far> <step>" to it (both processes of the import write
// to the same file, so the lines interleave in time order).
namespace jetimport {

void traceStep(const char* step) noexcept;

}  // namespace jetimport

#include "tools/dbbuild/text_line_reader.h"

#include <bzlib.h>

#include <cerrno>
#include <cstring>

#include "tools/dbbuild/data_source_error.h"

namespace dbbuild {
namespace {

constexpr std::size_t kChunk = 1 << 16;

}  // namespace

TextLineReader::TextLineReader(const std::filesystem::path& path) : path_(path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    throw DataSourceError(path.string() + ": no such file");
  file_.reset(std::fopen(path.c_str(), "rb"));
  if (!file_) throw DataSourceError(path.string() + ": cannot open: " + std::strerror(errno));

  char magic[3] = {};
  const std::size_t got = std::fread(magic, 1, sizeof magic, file_.get());
  std::rewind(file_.get());
  if (got == sizeof magic && std::memcmp(magic, "BZh", 3) == 0) {
    int error = BZ_OK;
    bzip_ = BZ2_bzReadOpen(&error, file_.get(), 0, 0, nullptr, 0);
    if (error != BZ_OK) {
      if (bzip_) BZ2_bzReadClose(&error, static_cast<BZFILE*>(bzip_));
      bzip_ = nullptr;
      throw DataSourceError(path.string() + ": cannot read the bzip2 data");
    }
  }
}

TextLineReader::~TextLineReader() {
  if (bzip_) {
    int error = BZ_OK;
    BZ2_bzReadClose(&error, static_cast<BZFILE*>(bzip_));
  }
}

bool TextLineReader::fill() {
  if (atEnd_) return false;
  buffer_.erase(0, position_);
  position_ = 0;
  const std::size_t kept = buffer_.size();
  buffer_.resize(kept + kChunk);
  std::size_t got = 0;
  if (bzip_) {
    int error = BZ_OK;
    const int n = BZ2_bzRead(&error, static_cast<BZFILE*>(bzip_), buffer_.data() + kept,
                             static_cast<int>(kChunk));
    if (error != BZ_OK && error != BZ_STREAM_END)
      throw DataSourceError(path_.string() + ": damaged bzip2 data");
    got = n > 0 ? static_cast<std::size_t>(n) : 0;
    // A file holds one stream here; what follows its end is not read.
    if (error == BZ_STREAM_END) atEnd_ = true;
  } else {
    got = std::fread(buffer_.data() + kept, 1, kChunk, file_.get());
    if (std::ferror(file_.get())) throw DataSourceError(path_.string() + ": read error");
    if (got == 0) atEnd_ = true;
  }
  buffer_.resize(kept + got);
  return got > 0 || !atEnd_;
}

bool TextLineReader::next(std::string& line) {
  for (;;) {
    const std::size_t end = buffer_.find('\n', position_);
    if (end != std::string::npos) {
      line.assign(buffer_, position_, end - position_);
      position_ = end + 1;
      break;
    }
    if (!fill()) {
      if (position_ >= buffer_.size()) return false;
      line.assign(buffer_, position_, std::string::npos);  // last line without a line end
      position_ = buffer_.size();
      break;
    }
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace dbbuild

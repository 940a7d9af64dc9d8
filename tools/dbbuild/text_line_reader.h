#pragma once
// Reads a text file line by line, decompressing it on the way when it is
// bzip2-compressed (Debian ships the Unihan files as .txt.bz2). The format is
// recognised by the file's first bytes, not by its name, so an unpacked copy
// works as well.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace dbbuild {

class TextLineReader {
 public:
  // Opens the file. Throws DataSourceError when it cannot be opened.
  explicit TextLineReader(const std::filesystem::path& path);
  TextLineReader(const TextLineReader&) = delete;
  TextLineReader& operator=(const TextLineReader&) = delete;
  ~TextLineReader();

  // The next line without its line end ("\n" or "\r\n"); false at the end of
  // the file. Throws DataSourceError for damaged compressed data.
  bool next(std::string& line);

 private:
  // Refills buffer_ from the file; false at the end.
  bool fill();

  struct CloseFile {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
  };

  std::filesystem::path path_;
  std::unique_ptr<std::FILE, CloseFile> file_;
  void* bzip_ = nullptr;  // BZFILE of libbz2 when the file is compressed
  bool atEnd_ = false;
  std::string buffer_;
  std::size_t position_ = 0;
};

}  // namespace dbbuild

#pragma once
// Large values: the blob stream through which memo and blob fields are read
// and written, and the two field classes.
//
// A dataset hands out a stream for a field (TDataSet::CreateBlobStream). A
// stream holds the whole value as bytes with a position. Every write stores
// the whole value at once (Store, by default into the active record buffer
// with the changed flag); the links hear of the change once, when the stream
// is closed. Close() may throw; the destructor closes too but swallows
// errors, so close explicitly when a failure matters.
#include <memory>
#include <string>
#include <string_view>

#include "framework/TField.h"

namespace framework {

class TBlobStream {
 public:
  TBlobStream(TField& field, TBlobStreamMode mode, std::string initial);
  virtual ~TBlobStream();
  TBlobStream(const TBlobStream&) = delete;
  TBlobStream& operator=(const TBlobStream&) = delete;

  TField& Field() const noexcept { return field_; }
  TBlobStreamMode Mode() const noexcept { return mode_; }
  const std::string& Bytes() const noexcept { return bytes_; }
  std::size_t Size() const noexcept { return bytes_.size(); }
  std::size_t Position() const noexcept { return position_; }
  // Moves the position; beyond the end it stops at the end.
  void Seek(std::size_t position) noexcept { position_ = position < bytes_.size() ? position : bytes_.size(); }

  // Copies up to `count` bytes from the position; returns how many.
  std::size_t Read(char* dest, std::size_t count) noexcept;
  // The bytes from the position to the end; the position moves to the end.
  std::string ReadAll();
  // Puts the bytes at the position (overwriting, then extending) and stores
  // the whole value. Throws EDatabaseError on a stream opened for reading.
  void Write(std::string_view bytes);
  // Drops everything from the position on and stores the value.
  void Truncate();
  // Tells the dataset's links that the field changed if anything was
  // written; later calls do nothing.
  void Close();

 protected:
  // Puts the whole value where the field reads it from. The default writes
  // it into the dataset's active record buffer (nothing for a read-only field).
  virtual void Store(const std::string& whole);

 private:
  void CheckWritable() const;

  TField& field_;
  TBlobStreamMode mode_;
  std::string bytes_;
  std::size_t position_ = 0;
  bool written_ = false;
  bool closed_ = false;
};

class TBlobField : public TField {
 public:
  TBlobField() : TField(ftBlob) {}

  bool IsBlob() const noexcept override { return true; }
  // The whole value, read through a blob stream.
  std::string AsString() const override;
  // Replaces the whole value through a blob stream; "" stores Null.
  void SetAsString(const std::string& value) override;

 protected:
  explicit TBlobField(TFieldType type) : TField(type) {}
};

// A memo: Big5 text of any length.
class TMemoField : public TBlobField {
 public:
  TMemoField() : TBlobField(ftMemo) {}
};

}  // namespace framework

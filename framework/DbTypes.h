#pragma once
// The small vocabulary shared by datasets, fields, data sources and links.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace framework {

// Field types. A dataset maps its columns onto these; each has a field
// class (FieldFactory.h).
enum TFieldType : std::uint8_t {
  ftUnknown,
  ftString,    // text, size in bytes
  ftSmallint,  // 16-bit whole number
  ftInteger,   // 32-bit whole number
  ftWord,      // 16-bit unsigned whole number
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,    // fixed-size bytes
  ftAutoInc,  // 32-bit number the database assigns; read-only
  ftBlob,     // binary large object, read through a blob stream
  ftMemo,     // text large object, read through a blob stream
};

// The name used in messages ("Cannot access field 'X' as type Integer").
const char* FieldTypeName(TFieldType type) noexcept;

// Dataset states. TDataSet::SetState is the one place that changes them;
// dsOpening is internal (links and data sources see it as inactive).
enum TDataSetState : std::uint8_t {
  dsInactive,  // closed: no cursor, no fields, no record buffers
  dsOpening,   // Open is running: InternalOpen and the first fill of the window
  dsBrowse,    // open; the active record buffer shows the current row
  dsEdit,      // the current row's buffer is being changed; nothing stored yet
  dsInsert,    // the active buffer is a new row that the cursor does not hold yet
};

// Direction of GetRecord relative to the cursor.
enum TGetMode : std::uint8_t { gmCurrent, gmNext, gmPrior };

// Outcome of GetRecord: a row was read, or the cursor hit the beginning or
// the end (it then stands on that crack), or the read failed.
enum TGetResult : std::uint8_t { grOK, grBOF, grEOF, grError };

// What a record buffer holds: a row of the cursor, a crack, or a new row.
enum TBookmarkFlag : std::uint8_t { bfCurrent = 0, bfBOF = 1, bfEOF = 2, bfInserted = 3 };

// A bookmark is opaque bytes chosen by the concrete dataset; empty = none.
using TBookmark = std::string;

// Notices and requests a dataset sends to its data sources and links.
enum TDataEvent : std::uint8_t {
  deFieldChange,      // one field of the active record changed (field given)
  deRecordChange,     // the active record changed as a whole (entering edit state)
  deDataSetChange,    // the window was rebuilt: reload everything
  deDataSetScroll,    // the active record moved (window shift given)
  deLayoutChange,     // the fields were rearranged
  deUpdateRecord,     // request: write pending control edits into the fields
  deUpdateState,      // the state changed
  deCheckBrowseMode,  // request: finish whatever editing the link does itself
  deFocusControl,     // request: focus the control of the given field
};

// How Resync rebuilds the window: `exact` requires the cursor to stand on a
// row (else "Record not found"), `center` puts that row in the middle.
struct TResyncMode {
  bool exact = false;
  bool center = false;
};

struct TLocateOptions {
  bool caseInsensitive = false;
  bool partialKey = false;
};

// Key values for Locate, one per key field; nullopt stands for Null.
using TKeyValues = std::vector<std::optional<std::string>>;

enum TBlobStreamMode : std::uint8_t { bmRead, bmWrite, bmReadWrite };

}  // namespace framework

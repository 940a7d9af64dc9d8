#pragma once
// The criteria text with which a table's Locate asks the engine
// (Recordset.FindFirst) for the first matching row. Texts are Big5, as the
// key values are; the caller converts the whole for the engine.
//
// Per key field, joined by " AND ": "(", the name (in brackets with
// useBrackets, "a.b" as "[a].[b]"), a blank, then the comparison:
//   value "NULL"                     IS NULL
//   string, memo, blob               LIKE LCASE("v*") / LIKE "v*" /
//                                    = LCASE("v") / = "v" by the options;
//                                    the value lower-cased when case does
//                                    not matter, ! # * - ? [ ] put in
//                                    brackets for a partial key (so they
//                                    match themselves), quotes doubled
//   numbers, Booleans, auto-inc      = v  (thousands separators removed)
//   date, time, date-time            = #mm/dd/yyyy hh:mm:ss#
//   GUID bytes                       = {guid v}
//   other bytes                      = "v"
//   empty value of a non-text field  IS NULL
// and ")". Every comparison but the first begins with a blank, so the name
// is followed by two. Characters are handled whole: the trail byte of a
// two-byte Big5 character is never folded, bracketed or doubled.
#include <string>
#include <vector>

#include "framework/DbTypes.h"

namespace data {

struct LocateKey {
  std::string fieldName;
  framework::TFieldType type = framework::ftString;
  bool guid = false;  // a byte field that holds a GUID
  std::string value;  // "NULL" for Null
};

// Fails with EDatabaseError "Unable to build Lookup Key SQL!" for a field
// type that has no comparison.
std::string BuildLocateCriteria(const std::vector<LocateKey>& keys, framework::TLocateOptions options,
                                bool useBrackets);

}  // namespace data

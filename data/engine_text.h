#pragma once
// Texts between the database engine and the record buffers.
//
// The engine speaks Unicode (UTF-8 in the automation layer, standing for
// COM's wide strings); the record buffers, field values and Locate criteria
// of this program are Big5 (code page 950). Everything that crosses between
// the two goes through these functions.
//
// Contract:
//  - Big5FromEngine never fails: a character that code page 950 lacks, or a
//    byte that is no UTF-8, becomes "?" so that a row stored by another
//    program can still be shown. Such a substitute is never written back by
//    itself, since a table writes only the fields the user changed.
//  - EngineFromBig5 is strict: bytes that are no Big5 text throw
//    big5::ConversionError rather than reach the file damaged.
//  - BufferTextOf gives a value read from the engine in the text form a
//    record buffer holds: Null and Empty as "", Booleans as "True"/"False",
//    dates as "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss", byte arrays byte for
//    byte, numbers in decimal, text converted as Big5FromEngine does.
#include <string>
#include <string_view>

#include "platform/automation/variant.h"

namespace data {

std::string Big5FromEngine(std::string_view utf8);
std::string EngineFromBig5(std::string_view big5);
std::string BufferTextOf(const automation::Variant& value);

}  // namespace data

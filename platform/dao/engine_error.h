#pragma once
// The engine's errors: a number (DAO's numbering, so that callers can test
// for e.g. 3167) and a description in the engine's own words.
//
// Inside the engine every failure is an EngineError; at the automation
// boundary it becomes EOleException with the same description, the HRESULT
// 0x800A0000 | number, the source "DAO.<object>" and is recorded in
// DBEngine.Errors.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dao {

namespace error {
constexpr int invalidArgument = 3001;
constexpr int updateWithoutEdit = 3020;
constexpr int noCurrentRecord = 3021;
constexpr int duplicateValue = 3022;
constexpr int fileNotFound = 3024;
constexpr int readOnlyObject = 3027;
constexpr int invalidAccount = 3029;
constexpr int diskFailure = 3043;
constexpr int fileInUse = 3045;
constexpr int damagedDatabase = 3049;
constexpr int cannotOpenForWriting = 3051;
constexpr int unknownCriteriaName = 3070;
constexpr int criteriaSyntax = 3077;
constexpr int tableNotFound = 3078;
constexpr int tableExists = 3010;
constexpr int invalidBookmark = 3159;
constexpr int textTooLong = 3163;
constexpr int fieldNotUpdatable = 3164;
constexpr int recordDeleted = 3167;
constexpr int noInstallableFormat = 3170;
constexpr int duplicateFieldName = 3191;
constexpr int writeConflict = 3197;
constexpr int databaseExists = 3204;
constexpr int recordLocked = 3218;
constexpr int unsupportedOperation = 3251;
constexpr int invalidFieldType = 3259;
constexpr int itemNotFound = 3265;
constexpr int propertyNotFound = 3270;
constexpr int valueRequired = 3314;
constexpr int notOurDatabase = 3343;
constexpr int numericOverflow = 3349;
constexpr int duplicateName = 3367;
constexpr int objectClosed = 3420;
constexpr int conversionFailed = 3421;
constexpr int unexpected = 3000;
}  // namespace error

class EngineError : public std::runtime_error {
 public:
  EngineError(int number, const std::string& description) : std::runtime_error(description), number_(number) {}
  int number() const noexcept { return number_; }

 private:
  int number_;
};

// The standard description of an error number, with `subject` (a file, table
// or field name) put where the text names one. Unknown numbers get a
// generic text.
std::string errorDescription(int number, std::string_view subject = {});

// EngineError(number, errorDescription(number, subject)).
[[noreturn]] void raise(int number, std::string_view subject = {});

}  // namespace dao

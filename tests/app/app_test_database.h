#pragma once
// A character database for the form's tests: "Lexora_Concept.mdb" with the
// six tables of the schema, made in a temporary folder that is the
// process's current directory for the object's lifetime, where the form's
// connection looks for the file first. Removed afterwards.
#include <string>
#include <string_view>
#include <vector>

class AppTestDatabase {
 public:
  // `characters`: how many rows "0_Data_Input" gets (B5_Word 一, 乙, 丁, …;
  // B5_Hex their Big5 codes). `leaveOut`: tables not to create.
  explicit AppTestDatabase(int characters = 3, const std::vector<std::string_view>& leaveOut = {});
  ~AppTestDatabase();
  AppTestDatabase(const AppTestDatabase&) = delete;
  AppTestDatabase& operator=(const AppTestDatabase&) = delete;

  const std::string& folder() const noexcept { return folder_; }
  std::string path() const { return folder_ + "/Lexora_Concept.mdb"; }

 private:
  std::string folder_;
  std::string previousDirectory_;
};

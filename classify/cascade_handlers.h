#pragma once
// What choosing in each of the five classification lists does, and what
// saving a character record does to its stance code. Choosing at a level
// empties the lists and fields below it, refills the next list from a lookup
// table and writes the level's code into the current record. The form's list
// and table handlers call these.
//
// Contract:
//  - The main dataset is the character table ("0_Data_Input"); the handlers
//    read and write it by field name as text and do not post it. The record
//    is expected in edit or insert state (the list's data link put it there
//    before the handler runs); in browse state the writes land in the record
//    buffer only, as the dataset's rules say.
//  - The lookup datasets are open on "2_Xian_Xiang", "3_Ren_Zhi", "4_Si_Bei"
//    and "5_GN"; each handler walks one of them from its first row to EOF.
//  - Names are compared byte for byte as Big5 text: no trimming, no case
//    folding. A parent name that matches nothing leaves the child list empty
//    and the level's own code unchanged; an ItemIndex out of range writes no
//    code.
//  - A field or column that the dataset lacks raises the dataset's "Field
//    '%s' not found" error; steps done before it stay done.
#include <string>

namespace framework {
class TDataSet;
}

namespace classify {

// What a handler needs of a drop-down list.
class ListControl {
 public:
  virtual ~ListControl() = default;
  virtual void Clear() = 0;                          // entries and shown text
  virtual void AddItem(const std::string& big5) = 0;
  virtual int ItemIndex() const = 0;                 // -1 when none is selected
};

// What a handler needs of a read-only code box.
class EditControl {
 public:
  virtual ~EditControl() = default;
  virtual void Clear() = 0;
};

struct ClassificationControls {
  ListControl& list1;  // stance
  ListControl& list2;  // family
  ListControl& list3;  // class
  ListControl& list4;  // group
  ListControl& list5;  // concept
  EditControl& familyCode;  // DBEdit3, Xian_Xiang_B
  EditControl& classCode;   // DBEdit4, Ren_Zhi_B
  EditControl& groupCode;   // DBEdit5, Si_Bei_B
};

struct ClassificationData {
  framework::TDataSet& main;        // OrvDaoTable1
  framework::TDataSet& families;    // OrvDaoTable3, "2_Xian_Xiang"
  framework::TDataSet& classes;     // OrvDaoTable4, "3_Ren_Zhi"
  framework::TDataSet& groups;      // OrvDaoTable5, "4_Si_Bei"
  framework::TDataSet& concepts;    // OrvDaoTable6, "5_GN"
};

// A stance (list 1), family (2), class (3), group (4) or concept (5) was chosen.
void stanceChosen(const ClassificationControls& controls, const ClassificationData& data);
void familyChosen(const ClassificationControls& controls, const ClassificationData& data);
void classChosen(const ClassificationControls& controls, const ClassificationData& data);
void groupChosen(const ClassificationControls& controls, const ClassificationData& data);
void conceptChosen(const ClassificationControls& controls, const ClassificationData& data);

// After every post of the character table: a record saved without a stance
// name must not keep a stance code; it is emptied and stored.
void dropStanceCodeWithoutStance(framework::TDataSet& main);

}  // namespace classify

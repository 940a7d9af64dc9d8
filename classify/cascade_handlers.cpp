#include "classify/cascade_handlers.h"

#include <array>
#include <string_view>
#include <vector>

#include "classify/concept_scheme.h"
#include "framework/TDataSet.h"
#include "framework/TField.h"
#include "platform/big5/big5.h"
#include "schema/schema.h"

namespace classify {
namespace {

namespace f = schema::fields;

// The scheme's names in the form the record stores them, converted once.
template <std::size_t N>
std::vector<std::string> toBig5(const std::array<std::string_view, N>& names) {
  std::vector<std::string> out;
  out.reserve(N);
  for (auto name : names) out.push_back(big5::fromUtf8(name));
  return out;
}

const std::vector<std::string>& stanceNames() {
  static const auto names = toBig5(kStanceNames);
  return names;
}
const std::vector<std::string>& familyNames() {
  static const auto names = toBig5(kFamilyNames);
  return names;
}
const std::vector<std::string>& classNames() {
  static const auto names = toBig5(kClassNames);
  return names;
}
const std::vector<std::string>& groupNames() {
  static const auto names = toBig5(kGroupNames);
  return names;
}

std::string text(framework::TDataSet& data, std::string_view field) {
  return data.FieldByName(field).AsString();
}

void setText(framework::TDataSet& data, std::string_view field, const std::string& value) {
  data.FieldByName(field).SetAsString(value);
}

void setEmpty(framework::TDataSet& data, std::initializer_list<std::string_view> fields) {
  for (auto field : fields) setText(data, field, std::string());
}

// The child list lists one lookup column, every row in the engine's order;
// an empty cell still takes its place, so positions stay codes.
void refill(ListControl& child, framework::TDataSet& lookup, const std::string& column) {
  child.Clear();
  while (!lookup.Eof()) {
    child.AddItem(lookup.FieldByName(column).AsString());
    lookup.Next();
  }
}

}  // namespace

void stanceChosen(const ClassificationControls& c, const ClassificationData& d) {
  c.list2.Clear();
  c.list3.Clear();
  c.list4.Clear();
  c.list5.Clear();
  c.familyCode.Clear();
  c.classCode.Clear();
  c.groupCode.Clear();
  setEmpty(d.main, {f::Xian_Xiang, f::Xian_Xiang_B, f::Ren_Zhi, f::Ren_Zhi_B, f::Si_Bei, f::Si_Bei_B,
                    f::Gai_Nian, f::Gai_Nian_Hex, f::XI_B_8});
  d.families.First();
  const int stance = c.list1.ItemIndex();
  if (stance == 0 || stance == 1) {
    refill(c.list2, d.families, familyColumn(stance));
    d.main.FieldByName(f::Li_Chang_B).SetAsInteger(stance);
  }
}

void familyChosen(const ClassificationControls& c, const ClassificationData& d) {
  c.list3.Clear();
  c.list4.Clear();
  c.list5.Clear();
  c.classCode.Clear();
  c.groupCode.Clear();
  setEmpty(d.main, {f::Ren_Zhi, f::Ren_Zhi_B, f::Si_Bei, f::Si_Bei_B, f::Gai_Nian, f::Gai_Nian_Hex,
                    f::XI_B_8});
  for (int stance = 0; stance < kStanceCount; ++stance) {
    if (text(d.main, f::Li_Chang) != stanceNames()[static_cast<std::size_t>(stance)]) continue;
    d.classes.First();
    const int i = c.list2.ItemIndex();
    if (i == 0 || i == 1) {
      refill(c.list3, d.classes, classColumn(2 * stance + i));
      d.main.FieldByName(f::Xian_Xiang_B).SetAsInteger(i);
    }
  }
}

void classChosen(const ClassificationControls& c, const ClassificationData& d) {
  c.list4.Clear();
  c.list5.Clear();
  c.groupCode.Clear();
  setEmpty(d.main, {f::Si_Bei, f::Si_Bei_B, f::Gai_Nian, f::Gai_Nian_Hex, f::XI_B_8});
  for (int family = 0; family < kFamilyCount; ++family) {
    if (text(d.main, f::Xian_Xiang) != familyNames()[static_cast<std::size_t>(family)]) continue;
    d.groups.First();
    const int i = c.list3.ItemIndex();
    if (i == 0 || i == 1) {
      refill(c.list4, d.groups, groupColumn(2 * family + i));
      d.main.FieldByName(f::Ren_Zhi_B).SetAsInteger(i);
    }
  }
}

void groupChosen(const ClassificationControls& c, const ClassificationData& d) {
  c.list5.Clear();
  // The group code is kept: only the concept below the group is undone.
  setEmpty(d.main, {f::Gai_Nian, f::Gai_Nian_Hex, f::XI_B_8});
  for (int klass = 0; klass < kClassCount; ++klass) {
    if (text(d.main, f::Ren_Zhi) != classNames()[static_cast<std::size_t>(klass)]) continue;
    d.concepts.First();
    const int i = c.list4.ItemIndex();
    if (i >= 0 && i <= 3) {
      refill(c.list5, d.concepts, conceptColumn(4 * klass + i));
      setText(d.main, f::Si_Bei_B, IntToBin(i, 2));
    }
  }
}

void conceptChosen(const ClassificationControls& c, const ClassificationData& d) {
  setText(d.main, f::XI_B_8, std::string());
  // The key is the group name alone; stance, family and class are not read.
  for (int group = 0; group < kGroupCount; ++group) {
    if (text(d.main, f::Si_Bei) != groupNames()[static_cast<std::size_t>(group)]) continue;
    const int i = c.list5.ItemIndex();
    if (i < 0 || i > 7) continue;
    const int code = groupFirstCode(group) + i;
    const std::string hex = conceptHexText(code);  // "0" + two digits + "H"
    setText(d.main, f::Gai_Nian_Hex, hex);
    setText(d.main, f::XI_B_8, IntToBin(HexToInt(hex.substr(1, 2)), 3));
  }
}

void dropStanceCodeWithoutStance(framework::TDataSet& main) {
  if (!text(main, f::Li_Chang).empty()) return;
  if (text(main, f::Li_Chang_B).empty()) return;  // also ends the post below
  // A record saved without a stance name must not keep its stance code, and
  // clearing it only on screen would show a save that did not happen: store
  // the emptied code too. The post runs this handler again, which stops above.
  main.Edit();
  setText(main, f::Li_Chang_B, std::string());
  main.Post();
}

}  // namespace classify

#pragma once
// The fixed concept scheme: a binary tree of five levels whose path from the
// root is a concept's 8-bit code, and the text forms in which a record
// stores its classification.
//
//   bit 7     stance  (立場)  Li_Chang_B    "0" / "1"
//   bit 6     family  (現象)  Xian_Xiang_B  "0" / "1"
//   bit 5     class   (認知)  Ren_Zhi_B     "0" / "1"
//   bits 4-3  group   (四別)  Si_Bei_B      "00" .. "11"
//   bits 2-0  concept (細目)  8_XI_B        "000" .. "111"
//   whole code                Gai_Nian_Hex  "000H" .. "0FFH"
//
// Every name is held here once, as UTF-8; the stored texts are their Big5
// forms. Names are compared exactly (no trimming, no case folding).
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace classify {

inline constexpr int kStanceCount = 2;
inline constexpr int kFamilyCount = 4;
inline constexpr int kClassCount = 8;
inline constexpr int kGroupCount = 32;
inline constexpr int kConceptCount = 256;

// Index order is code order: stance s, family index f (= code / 64),
// class index k (= code / 32), group index g (= code / 8).
extern const std::array<std::string_view, kStanceCount> kStanceNames;
extern const std::array<std::string_view, kFamilyCount> kFamilyNames;
extern const std::array<std::string_view, kClassCount> kClassNames;
extern const std::array<std::string_view, kGroupCount> kGroupNames;
extern const std::array<std::string_view, kConceptCount> kConceptNames;

// Captions of the levels as the data-entry tab shows them.
inline constexpr std::string_view kStanceCaption = "立場觀";
inline constexpr std::string_view kFamilyCaption = "現象族";
inline constexpr std::string_view kClassCaption = "認知類";
inline constexpr std::string_view kGroupCaption = "四別屬";
inline constexpr std::string_view kPositionCaption = "八種細目";
inline constexpr std::string_view kConceptCaption = "基本概念";

// Index of a name at its level, or nullopt when the text is none of them.
std::optional<int> findStance(std::string_view name) noexcept;
std::optional<int> findFamily(std::string_view name) noexcept;
std::optional<int> findClass(std::string_view name) noexcept;
std::optional<int> findGroup(std::string_view name) noexcept;

// Code of the first concept of a group: 8 x group index.
constexpr int groupFirstCode(int groupIndex) noexcept { return groupIndex * 8; }

// Code forms of concept code x (0..255); x outside that range is masked to 8 bits.
std::string conceptHexText(int code);       // "0" + two upper-case hex digits + "H"
std::string conceptPositionText(int code);  // x mod 8 as three binary digits
std::string groupCodeText(int code);        // (x / 8) mod 4 as two binary digits
std::string bitText(int code, int bit);     // "0" or "1"

// Reads text as a hexadecimal number: a text without "$" gets one put in
// front, and a leading "$" marks hexadecimal. Text that does not parse
// (empty, "G1", a value beyond 32 bits) yields 0.
int HexToInt(std::string_view text) noexcept;

// The lowest `digits` bits of value as '0'/'1', most significant first.
// More than 32 digits count as 32; 0 or fewer give an empty text.
std::string IntToBin(long long value, int digits);

// The lookup column that lists the children of a parent: for the stance s
// (0..1) "Xian_Xiang01".."Xian_Xiang02", for the family index f (0..3)
// "Ren_Zhi01".."Ren_Zhi04", for the class index k (0..7)
// "Si_Bei01".."Si_Bei08", for the group index g (0..31) "GN_01".."GN_32".
// Precondition: the index is within its level's range.
std::string familyColumn(int stance);
std::string classColumn(int familyIndex);
std::string groupColumn(int classIndex);
std::string conceptColumn(int groupIndex);

}  // namespace classify

#include "classify/concept_scheme.h"

#include <cstdint>
#include <cstdio>

namespace classify {

const std::array<std::string_view, kStanceCount> kStanceNames{"客觀", "主觀"};

const std::array<std::string_view, kFamilyCount> kFamilyNames{"抽象", "具象", "認識", "行為"};

const std::array<std::string_view, kClassCount> kClassNames{
    "定義", "應用", "本存", "人造", "感知", "狀態", "能力", "經驗"};

const std::array<std::string_view, kGroupCount> kGroupNames{
    "符號", "語法", "根源", "現象",  // 定義
    "規範", "人際", "資訊", "意義",  // 應用
    "本體", "肢體", "植物", "動物",  // 本存
    "食衣", "住行", "起居", "工作",  // 人造
    "刺激", "感覺", "心緒", "認知",  // 感知
    "化態", "動態", "界態", "知態",  // 狀態
    "官能", "體能", "技能", "智能",  // 能力
    "生活", "溝通", "行事", "控制",  // 經驗
};

// One line per group, eight concepts in code order; the comment is the
// group's first code.
const std::array<std::string_view, kConceptCount> kConceptNames{
    "類詞", "序詞", "數詞", "時詞", "位詞", "度詞", "幣詞", "量詞",  // 00
    "意詞", "述詞", "代詞", "副詞", "補詞", "聲詞", "連詞", "介詞",  // 08
    "本源", "物源", "理源", "感源", "種源", "政源", "居源", "知源",  // 10
    "景象", "能象", "體象", "表象", "跡象", "形象", "水象", "氣象",  // 18
    "群體", "社會", "組織", "事務", "職業", "職位", "界域", "傳統",  // 20
    "關係", "家族", "稱呼", "名份", "行逕", "角色", "宗教", "封建",  // 28
    "道德", "訊息", "事件", "識別", "文件", "文學", "藝術", "標誌",  // 30
    "物資", "精神", "信念", "感受", "財產", "疾病", "命運", "機遇",  // 38
    "元素", "地形", "水界", "水域", "質體", "形體", "能體", "命體",  // 40
    "部位", "結構", "上肢", "下肢", "感官", "器官", "體液", "體表",  // 48
    "糧食", "菜蔬", "果實", "枝幹", "觀賞", "特作", "建材", "葯物",  // 50
    "養殖", "飛禽", "走獸", "水族", "爬蟲", "飛蟲", "生機", "傳說",  // 58
    "食物", "肉食", "佐食", "食式", "衣料", "衣服", "衣位", "衣物",  // 60
    "環境", "私宅", "公用", "建體", "通道", "行具", "構件", "身後",  // 68
    "食具", "炊具", "容具", "盛具", "用具", "家具", "飾具", "輔具",  // 70
    "文具", "樂器", "工具", "農具", "武器", "機器", "材料", "廢料",  // 78
    "光狀", "色狀", "形狀", "體狀", "質狀", "性狀", "水狀", "山狀",  // 80
    "食覺", "視覺", "聽覺", "膚覺", "體覺", "心覺", "知覺", "意覺",  // 88
    "心感", "好感", "情感", "物感", "煩感", "憂感", "羞感", "惡感",  // 90
    "體性", "本性", "個性", "習性", "膽性", "才性", "良性", "惡性",  // 98
    "宙態", "宇態", "能態", "勁態", "容態", "質態", "識態", "生態",  // A0
    "轉動", "移動", "飄動", "流動", "形動", "引動", "力動", "速動",  // A8
    "通界", "連界", "位界", "觸界", "量界", "掩界", "交界", "糾界",  // B0
    "知時", "知形", "知狀", "知利", "知行", "知情", "知價", "知命",  // B8
    "飲食", "動作", "表情", "發聲", "看視", "生理", "心理", "倫理",  // C0
    "體靜", "體動", "互動", "體態", "動腳", "動向", "動式", "動態",  // C8
    "空手", "觸物", "掌控", "尖劈", "易形", "易體", "易狀", "易位",  // D0
    "觀察", "辨認", "思維", "判斷", "理解", "識見", "意圖", "意志",  // D8
    "炊事", "潔事", "家事", "行棲", "傳承", "藝文", "農牧", "工技",  // E0
    "通知", "互通", "善意", "表達", "交往", "宣洩", "譴責", "惡意",  // E8
    "服從", "對立", "待人", "處事", "輔助", "移轉", "贈送", "交易",  // F0
    "意向", "指揮", "革除", "限制", "武力", "佔有", "傷害", "殺戮",  // F8
};

namespace {

template <std::size_t N>
std::optional<int> indexOf(const std::array<std::string_view, N>& names,
                           std::string_view name) noexcept {
  for (std::size_t i = 0; i < N; ++i)
    if (names[i] == name) return static_cast<int>(i);
  return std::nullopt;
}

std::string twoDigitColumn(std::string_view prefix, int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%02d", number);
  return std::string(prefix) + digits;
}

}  // namespace

std::optional<int> findStance(std::string_view name) noexcept { return indexOf(kStanceNames, name); }
std::optional<int> findFamily(std::string_view name) noexcept { return indexOf(kFamilyNames, name); }
std::optional<int> findClass(std::string_view name) noexcept { return indexOf(kClassNames, name); }
std::optional<int> findGroup(std::string_view name) noexcept { return indexOf(kGroupNames, name); }

std::string conceptHexText(int code) {
  char text[8];
  std::snprintf(text, sizeof text, "0%02XH", static_cast<unsigned>(code) & 0xFFu);
  return text;
}

std::string conceptPositionText(int code) { return IntToBin(code & 7, 3); }

std::string groupCodeText(int code) { return IntToBin((code >> 3) & 3, 2); }

std::string bitText(int code, int bit) { return ((code >> bit) & 1) ? "1" : "0"; }

int HexToInt(std::string_view text) noexcept {
  // A text that already holds a "$" is read as it stands, so "1$2" fails
  // to parse just as it would with the "$" put in front by us.
  std::string_view digits = text;
  if (text.find('$') != std::string_view::npos) {
    if (text.front() != '$') return 0;
    digits = text.substr(1);
  }
  // At most 32 bits: leading zeros are free, a ninth significant digit is not.
  while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 8) return 0;
  std::uint32_t value = 0;
  for (char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return 0;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return static_cast<int>(value);
}

std::string IntToBin(long long value, int digits) {
  if (digits <= 0) return {};
  if (digits > 32) digits = 32;
  std::string bits(static_cast<std::size_t>(digits), '0');
  for (int i = 0; i < digits; ++i)
    if ((static_cast<unsigned long long>(value) >> i) & 1u)
      bits[static_cast<std::size_t>(digits - 1 - i)] = '1';
  return bits;
}

std::string familyColumn(int stance) { return twoDigitColumn("Xian_Xiang", stance + 1); }
std::string classColumn(int familyIndex) { return twoDigitColumn("Ren_Zhi", familyIndex + 1); }
std::string groupColumn(int classIndex) { return twoDigitColumn("Si_Bei", classIndex + 1); }
std::string conceptColumn(int groupIndex) { return twoDigitColumn("GN_", groupIndex + 1); }

}  // namespace classify

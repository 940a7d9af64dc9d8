#include "export/export_line.h"

#include <array>
#include <string_view>

#include "platform/big5/big5.h"
#include "platform/big5/letter_case.h"

namespace exporting {
namespace {

constexpr std::string_view F = "\xA1\x40";  // full-width space, two columns
constexpr std::string_view H = " ";         // half-width space, one column

// Code and fill always take 8 columns: index = length of the code in bytes.
const std::array<std::string, 6> kFill{
    "",
    std::string(F) + std::string(F) + std::string(F) + std::string(H),
    std::string(F) + std::string(F) + std::string(F),
    std::string(F) + std::string(F) + std::string(H),
    std::string(F) + std::string(F),
    std::string(F) + std::string(H),
};

}  // namespace

const std::string& exportTitleLine() {
  static const std::string title = big5::fromUtf8(
      "選字　立場觀　現象族　認知類　四別屬　八種細目　基本概念　倉頡碼　基　因　定　義");
  return title;
}

std::optional<std::string> buildExportText(const ExportRecord& r, bool withTitle) {
  const std::size_t codeLength = r.CJ_Code.size();
  if (codeLength == 0 || codeLength > 5) return std::nullopt;

  std::string line;
  if (withTitle) {
    line += exportTitleLine();
    line += "\r\n";
  }
  line += F;
  line += r.B5_Word;
  line += F;
  line += r.Li_Chang_B + std::string(H) + r.Li_Chang;
  line += F;
  line += r.Xian_Xiang_B + std::string(H) + r.Xian_Xiang;
  line += F;
  line += r.Ren_Zhi_B + std::string(H) + r.Ren_Zhi;
  line += F;
  line += r.Si_Bei_B + r.Si_Bei;
  line += F;
  line += r.XI_B_8 + std::string(H) + r.Gai_Nian;
  line += F;
  line += r.Gai_Nian_Hex + r.Gai_Nian;
  line += F;
  line += big5::lowerAsciiLetters(r.CJ_Code);  // key letters; a Chinese character stays as it is
  line += kFill[codeLength];
  line += r.CJ_Input;
  return line;
}

}  // namespace exporting

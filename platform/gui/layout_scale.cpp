#include "platform/gui/layout_scale.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace gui {

int mulDiv(int a, int b, int c) noexcept {
  const std::int64_t product = std::int64_t(a) * b;
  const std::int64_t half = std::llabs(c) / 2;
  const bool negative = (product < 0) != (c < 0);
  const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(c);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

LayoutScale LayoutScale::forDpi(int dpi) {
  if (dpi < 1) throw std::invalid_argument("LayoutScale: dpi must be positive");
  const int font = mulDiv(kDesignFontHeight, dpi, kDesignDpi);
  const int text = mulDiv(font, kDesignTextHeight, kDesignFontHeight);
  return LayoutScale(font, text);
}

int LayoutScale::length(int designPixels) const noexcept {
  return mulDiv(designPixels, textHeight_, kDesignTextHeight);
}

ScaledRect LayoutScale::rect(int left, int top, int width, int height) const noexcept {
  const int l = length(left);
  const int t = length(top);
  return {l, t, length(left + width) - l, length(top + height) - t};
}

}  // namespace gui

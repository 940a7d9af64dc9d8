#pragma once
// Scaling of a pixel layout designed at 96 dpi to the screen's logical dpi,
// the way the form designer's framework does it:
//  - the form's default font (11 pixels high at 96 dpi) is scaled by
//    dpi / 96 (rounded);
//  - the text height of that font (13 pixels at 96 dpi) follows the font's
//    height in proportion (rounded);
//  - every position, size and control font of the layout is then scaled by
//    textHeight / 13, each rectangle by scaling its left and right edges (and
//    top and bottom edges), so that neighbouring controls stay adjacent.
// At 96 dpi every value stays exactly as designed. Toolkit-free arithmetic.
namespace gui {

struct ScaledRect {
  int left, top, width, height;
  bool operator==(const ScaledRect&) const = default;
};

class LayoutScale {
 public:
  static constexpr int kDesignDpi = 96;
  static constexpr int kDesignFontHeight = 11;
  static constexpr int kDesignTextHeight = 13;

  // Throws std::invalid_argument for a dpi below 1.
  static LayoutScale forDpi(int dpi);

  int fontHeight() const noexcept { return fontHeight_; }  // form font, pixels
  int textHeight() const noexcept { return textHeight_; }
  double factor() const noexcept { return double(textHeight_) / kDesignTextHeight; }

  // A single length (a width, a font height, a client size).
  int length(int designPixels) const noexcept;
  ScaledRect rect(int left, int top, int width, int height) const noexcept;

 private:
  LayoutScale(int fontHeight, int textHeight) : fontHeight_(fontHeight), textHeight_(textHeight) {}
  int fontHeight_;
  int textHeight_;
};

// a * b / c rounded to the nearest integer, halves away from zero.
int mulDiv(int a, int b, int c) noexcept;

}  // namespace gui

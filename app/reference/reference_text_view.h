#pragma once
// A read-only view of a fixed text, laid out on a grid of character cells.
//
// The reference texts are aligned for a fixed-pitch font in which ASCII
// takes one cell and every other character two (see text_cells.h). Fonts do
// not promise that ratio, so the view places every character itself: cell n
// of a line starts at the same x on every line, and a two-cell character is
// centred in its two cells whatever its glyph's advance. The font only
// decides the cell size (the advance of an ASCII character) and the line
// height.
//
// Contract:
//  - The lines are split, the font measured and the scroll bars set when
//    the view is first shown or when a member needs them, not before; the
//    scroll bars of a view never shown are set by setCaret() and
//    setTopLine() (or by showing it).
//  - The text cannot be changed by the user: typing, input-method text,
//    pasting, cutting, deleting, undo and redo do nothing, and the view
//    accepts no drops. It can be replaced only by setText().
//  - A caret, placed with the mouse or moved with the keyboard, may stand
//    anywhere on a line, also beyond its last character (up to kMaxColumn);
//    within a line it stands only between characters, never inside a
//    two-cell character.
//  - Selection with mouse (drag, shift-click, double-click for a word) and
//    keyboard (shift with the movement keys, select-all); copy (the standard
//    copy keys, or dragging the selection out) puts the selected characters
//    on the clipboard, lines joined by "\n". Cells beyond a line's end hold
//    no characters and contribute none.
//  - The vertical scroll bar's value is the index of the top line and the
//    horizontal one's the first visible column, whether or not the bars are
//    shown. With scrollPastEnd() the text scrolls until its last line stands
//    at the top; without it, until the last line is at the bottom.
//  - A silver (192, 192, 192) vertical line is drawn after rightEdge()
//    cells; the text starts kTextMargin pixels right of the text area's left
//    edge; the background is the palette's Base colour (the system's window
//    colour for text views), the text its Text colour.
//  - While the user drags the vertical scroll bar's thumb, a hint window
//    shows "Top Line: %d" with the 1-based number of the top line, its right
//    edge 4 pixels left of the text area's right edge and its top 10 pixels
//    below the text area's top; it disappears when the thumb is released.
#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QColor>
#include <QPoint>
#include <QString>
#include <compare>
#include <string>
#include <vector>

class QLabel;

namespace reference {

// A place in the text: 0-based line and 0-based cell column.
struct TextPosition {
  int line = 0;
  int column = 0;
  auto operator<=>(const TextPosition&) const = default;
};

class ReferenceTextView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // Pixels between the text area's left edge and the first cell.
  static constexpr int kTextMargin = 2;
  // The right-edge line stands after this many cells unless changed.
  static constexpr int kDefaultRightEdge = 100;
  // The caret may go this many cells to the right, past any line's end.
  static constexpr int kMaxColumn = 1024;
  // Colour of the right-edge line.
  static QColor rightEdgeColor() { return QColor(192, 192, 192); }

  explicit ReferenceTextView(QWidget* parent = nullptr);
  ~ReferenceTextView() override;

  // The text: lines separated by "\n" (no line break after the last line).
  // Setting it resets caret, selection and scroll position.
  void setText(const QString& text);
  QString text() const;
  int lineCount() const { return static_cast<int>(lines().size()); }
  // Precondition: 0 <= line < lineCount().
  QString lineText(int line) const;
  int lineCells(int line) const;

  void setScrollPastEnd(bool on);
  bool scrollPastEnd() const noexcept { return scrollPastEnd_; }

  // 0 hides the right-edge line.
  void setRightEdge(int column);
  int rightEdge() const noexcept { return rightEdge_; }
  // Viewport x of the right-edge line at the current horizontal scroll;
  // it may lie outside the viewport.
  int rightEdgeX() const;

  int cellWidth() const {
    ensureMetrics();
    return cellWidth_;
  }
  int lineHeight() const {
    ensureMetrics();
    return lineHeight_;
  }
  // Index of the line at the top of the view, and the first visible column.
  int topLine() const;
  void setTopLine(int line);
  int leftColumn() const;
  // Lines and columns that fit whole into the text area (at least 1).
  int visibleLines() const;
  int visibleColumns() const;
  // Viewport coordinates of the top-left corner of a cell.
  QPoint cellOrigin(TextPosition position) const;
  // The caret position nearest to a viewport point: the boundary between
  // characters closest to x within the text, the nearest cell beyond it.
  TextPosition positionAt(QPoint viewportPoint) const;

  TextPosition caret() const noexcept { return caret_; }
  TextPosition anchor() const noexcept { return anchor_; }
  // Moves the caret (snapped to a character boundary and clamped to the
  // text) and scrolls it into view; keepAnchor extends the selection.
  void setCaret(TextPosition position, bool keepAnchor = false);
  bool hasSelection() const noexcept { return caret_ != anchor_; }
  QString selectedText() const;
  void selectAll();
  // Puts the selection on the clipboard; does nothing without a selection.
  void copy() const;

  // The "Top Line" hint window (hidden unless the thumb is being dragged).
  const QLabel* scrollHint() const noexcept { return hint_; }

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  const std::vector<std::u32string>& lines() const;
  void ensureMetrics() const;
  void layOut();
  void updateMetrics();
  void updateScrollBars();
  void applyScrollBars();
  void ensureCaretVisible();
  void restartBlink();
  TextPosition clamp(TextPosition position) const;
  TextPosition wordLeft(TextPosition from) const;
  TextPosition wordRight(TextPosition from) const;
  bool handleMovementKey(QKeyEvent* event);
  bool isSelected(TextPosition position) const;
  void exportSelection() const;
  void showScrollHint();
  void startDrag();

  // Until the view is first shown, a new text is only kept (split into
  // lines when they are first asked for) and the font's metrics and the
  // scroll bars wait as well: a pane on a page nobody has opened yet costs
  // the window's start nothing.
  mutable std::vector<std::u32string> lines_{std::u32string()};
  mutable QString pendingText_;
  mutable bool textPending_ = false;
  mutable bool metricsPending_ = true;
  bool scrollBarsPending_ = true;
  bool shown_ = false;
  TextPosition caret_;
  TextPosition anchor_;
  int preferredColumn_ = 0;  // kept across vertical moves through short lines
  bool scrollPastEnd_ = true;
  int rightEdge_ = kDefaultRightEdge;
  mutable int cellWidth_ = 1;
  mutable int lineHeight_ = 1;
  mutable int ascent_ = 0;

  QBasicTimer blinkTimer_;
  bool caretShown_ = true;

  bool selecting_ = false;    // left button held after a press in the text
  bool mayDrag_ = false;      // the press landed in the selection
  QPoint pressPoint_;
  TextPosition pressPosition_;

  QLabel* hint_ = nullptr;
};

}  // namespace reference

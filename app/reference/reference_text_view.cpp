#include "app/reference/reference_text_view.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QFontMetricsF>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimerEvent>
#include <QToolTip>
#include <algorithm>
#include <climits>
#include <cmath>

#include "app/reference/text_cells.h"

namespace reference {

namespace {

bool isBlank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\u3000'; }

// Character classes for word-wise movement and double-click: blanks, letters
// and digits (Chinese characters included), everything else.
int wordClass(char32_t c) {
  if (isBlank(c)) return 0;
  if (c <= 0xFFFF && QChar(static_cast<char16_t>(c)).isLetterOrNumber()) return 1;
  return 2;
}

QString toQString(std::u32string_view text) {
  return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

// Keys that would change the text of an editable view. They are taken by the
// view (so that no shortcut of the window acts on them either) and ignored.
bool isEditingKey(const QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
      event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
      event->matches(QKeySequence::Delete) || event->matches(QKeySequence::DeleteStartOfWord) ||
      event->matches(QKeySequence::DeleteEndOfWord) || event->matches(QKeySequence::DeleteEndOfLine) ||
      event->matches(QKeySequence::InsertParagraphSeparator) ||
      event->matches(QKeySequence::InsertLineSeparator))
    return true;
  switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Insert:
      return true;
    default:
      break;
  }
  const auto mods = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
  return mods == Qt::NoModifier && !event->text().isEmpty() && event->text().at(0).isPrint();
}

}  // namespace

ReferenceTextView::ReferenceTextView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  setAcceptDrops(false);
  viewport()->setAcceptDrops(false);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);

  hint_ = new QLabel(this, Qt::ToolTip | Qt::BypassGraphicsProxyWidget);
  hint_->setObjectName(QStringLiteral("scrollHint"));
  hint_->setPalette(QToolTip::palette());
  hint_->setFont(QToolTip::font());
  hint_->setForegroundRole(QPalette::ToolTipText);
  hint_->setBackgroundRole(QPalette::ToolTipBase);
  hint_->setAutoFillBackground(true);
  hint_->setFrameStyle(QFrame::Box | QFrame::Plain);
  hint_->setMargin(2);
  hint_->hide();

  QScrollBar* bar = verticalScrollBar();
  connect(bar, &QScrollBar::sliderPressed, this, &ReferenceTextView::showScrollHint);
  connect(bar, &QScrollBar::valueChanged, this, [this] {
    if (verticalScrollBar()->isSliderDown()) showScrollHint();
  });
  connect(bar, &QScrollBar::sliderReleased, hint_, &QWidget::hide);

  updateMetrics();
}

ReferenceTextView::~ReferenceTextView() = default;

void ReferenceTextView::setText(const QString& text) {
  pendingText_ = text;
  textPending_ = true;
  caret_ = anchor_ = {};
  preferredColumn_ = 0;
  updateScrollBars();
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
  viewport()->update();
}

QString ReferenceTextView::text() const {
  QStringList all;
  for (const auto& line : lines()) all.append(toQString(line));
  return all.join(QLatin1Char('\n'));
}

QString ReferenceTextView::lineText(int line) const { return toQString(lines().at(line)); }

int ReferenceTextView::lineCells(int line) const { return cellsOf(lines().at(line)); }

void ReferenceTextView::setScrollPastEnd(bool on) {
  scrollPastEnd_ = on;
  updateScrollBars();
}

void ReferenceTextView::setRightEdge(int column) {
  rightEdge_ = std::max(0, column);
  viewport()->update();
}

int ReferenceTextView::rightEdgeX() const { return kTextMargin + (rightEdge_ - leftColumn()) * cellWidth(); }

int ReferenceTextView::topLine() const { return verticalScrollBar()->value(); }

void ReferenceTextView::setTopLine(int line) {
  layOut();
  verticalScrollBar()->setValue(line);
}

int ReferenceTextView::leftColumn() const { return horizontalScrollBar()->value(); }

int ReferenceTextView::visibleLines() const { return std::max(1, viewport()->height() / lineHeight()); }

int ReferenceTextView::visibleColumns() const {
  return std::max(1, (viewport()->width() - kTextMargin) / cellWidth());
}

QPoint ReferenceTextView::cellOrigin(TextPosition position) const {
  return {kTextMargin + (position.column - leftColumn()) * cellWidth(), (position.line - topLine()) * lineHeight()};
}

TextPosition ReferenceTextView::positionAt(QPoint point) const {
  TextPosition position;
  position.line = std::clamp(topLine() + static_cast<int>(std::floor(double(point.y()) / lineHeight())), 0,
                             lineCount() - 1);
  const double cells = double(point.x() - kTextMargin) / cellWidth() + leftColumn();
  const std::u32string& line = lines()[position.line];
  const int cell = static_cast<int>(std::floor(cells));
  const std::size_t index = indexAtCell(line, cell);
  if (cell >= 0 && index < line.size()) {
    // Inside a character: the nearer of its two boundaries.
    const int start = cellOfIndex(line, index);
    const int width = cellsOf(line[index]);
    position.column = cells - start < width / 2.0 ? start : start + width;
  } else {
    position.column = static_cast<int>(std::lround(cells));
  }
  return clamp(position);
}

TextPosition ReferenceTextView::clamp(TextPosition position) const {
  position.line = std::clamp(position.line, 0, lineCount() - 1);
  const std::u32string& line = lines()[position.line];
  position.column = std::clamp(position.column, 0, kMaxColumn);
  if (position.column < cellsOf(line)) position.column = cellOfIndex(line, indexAtCell(line, position.column));
  return position;
}

void ReferenceTextView::setCaret(TextPosition position, bool keepAnchor) {
  layOut();
  const TextPosition previous = caret_;
  const bool hadSelection = hasSelection();
  caret_ = clamp(position);
  preferredColumn_ = caret_.column;
  if (!keepAnchor) anchor_ = caret_;
  ensureCaretVisible();
  restartBlink();
  if (caret_ != previous || hadSelection || hasSelection()) viewport()->update();
}

QString ReferenceTextView::selectedText() const {
  const TextPosition from = std::min(anchor_, caret_);
  const TextPosition to = std::max(anchor_, caret_);
  QString out;
  for (int l = from.line; l <= to.line; ++l) {
    const std::u32string& line = lines()[l];
    const int begin = l == from.line ? from.column : 0;
    const int end = l == to.line ? to.column : INT_MAX;
    std::u32string part;
    int cell = 0;
    for (char32_t c : line) {
      if (cell >= begin && cell < end) part.push_back(c);
      cell += cellsOf(c);
    }
    out += toQString(part);
    if (l < to.line) out += QLatin1Char('\n');
  }
  return out;
}

void ReferenceTextView::selectAll() {
  anchor_ = {};
  setCaret({lineCount() - 1, lineCells(lineCount() - 1)}, true);
  exportSelection();
}

void ReferenceTextView::copy() const {
  if (hasSelection()) QApplication::clipboard()->setText(selectedText());
}

void ReferenceTextView::exportSelection() const {
  // X11 keeps the latest selection for middle-click pasting elsewhere.
  QClipboard* clipboard = QApplication::clipboard();
  if (hasSelection() && clipboard->supportsSelection()) clipboard->setText(selectedText(), QClipboard::Selection);
}

bool ReferenceTextView::isSelected(TextPosition position) const {
  return position >= std::min(anchor_, caret_) && position < std::max(anchor_, caret_);
}

// --- layout and scrolling -------------------------------------------------

const std::vector<std::u32string>& ReferenceTextView::lines() const {
  if (textPending_) {
    lines_.clear();
    for (const QString& line : pendingText_.split(QLatin1Char('\n'))) lines_.push_back(line.toStdU32String());
    pendingText_.clear();
    textPending_ = false;
  }
  return lines_;
}

void ReferenceTextView::ensureMetrics() const {
  if (!metricsPending_) return;
  const QFontMetricsF metrics(font());
  cellWidth_ = std::max(1, static_cast<int>(std::lround(metrics.horizontalAdvance(QLatin1Char('0')))));
  lineHeight_ = std::max(1, static_cast<int>(std::ceil(metrics.height())));
  ascent_ = static_cast<int>(std::lround(metrics.ascent()));
  metricsPending_ = false;
}

void ReferenceTextView::layOut() {
  if (scrollBarsPending_) applyScrollBars();
}

void ReferenceTextView::updateMetrics() {
  metricsPending_ = true;
  updateScrollBars();
  viewport()->update();
}

void ReferenceTextView::updateScrollBars() {
  scrollBarsPending_ = true;
  if (shown_) applyScrollBars();
}

void ReferenceTextView::applyScrollBars() {
  scrollBarsPending_ = false;
  const int lines = visibleLines();
  QScrollBar* vertical = verticalScrollBar();
  vertical->setRange(0, scrollPastEnd_ ? lineCount() - 1 : std::max(0, lineCount() - lines));
  vertical->setPageStep(lines);
  vertical->setSingleStep(1);
  const int columns = visibleColumns();
  QScrollBar* horizontal = horizontalScrollBar();
  horizontal->setRange(0, std::max(0, kMaxColumn + 1 - columns));
  horizontal->setPageStep(columns);
  horizontal->setSingleStep(1);
}

void ReferenceTextView::ensureCaretVisible() {
  const int lines = visibleLines();
  if (caret_.line < topLine())
    setTopLine(caret_.line);
  else if (caret_.line >= topLine() + lines)
    setTopLine(caret_.line - lines + 1);
  const int columns = visibleColumns();
  QScrollBar* horizontal = horizontalScrollBar();
  if (caret_.column < leftColumn())
    horizontal->setValue(caret_.column);
  else if (caret_.column >= leftColumn() + columns)
    horizontal->setValue(caret_.column - columns + 1);
}

void ReferenceTextView::scrollContentsBy(int, int) { viewport()->update(); }

void ReferenceTextView::showEvent(QShowEvent* event) {
  shown_ = true;
  layOut();
  QAbstractScrollArea::showEvent(event);
}

void ReferenceTextView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollBars();
}

void ReferenceTextView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) updateMetrics();
}

void ReferenceTextView::showScrollHint() {
  hint_->setText(QStringLiteral("Top Line: %1").arg(verticalScrollBar()->value() + 1));
  hint_->adjustSize();
  const QSize size = hint_->size();
  const QPoint topLeft(viewport()->width() - 4 - size.width(), 10);
  // setGeometry places the window's content; move() would place its frame.
  hint_->setGeometry(QRect(viewport()->mapToGlobal(topLeft), size));
  hint_->show();
}

// --- painting -------------------------------------------------------------

void ReferenceTextView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QPalette& colours = palette();
  painter.fillRect(viewport()->rect(), colours.color(QPalette::Base));
  painter.setFont(font());
  ensureMetrics();
  const QFontMetricsF metrics(font());
  const int width = viewport()->width();
  const int first = topLine();
  const int last = std::min(lineCount() - 1, first + viewport()->height() / lineHeight() + 1);
  const TextPosition from = std::min(anchor_, caret_);
  const TextPosition to = std::max(anchor_, caret_);

  for (int l = first; l <= last; ++l) {
    const std::u32string& line = lines()[l];
    const int y = (l - first) * lineHeight();
    if (hasSelection() && l >= from.line && l <= to.line) {
      // The selection runs to the end of the line, and one cell further when
      // the line break is part of it.
      const int begin = l == from.line ? from.column : 0;
      const int end = l == to.line ? to.column : std::max(begin, cellsOf(line)) + 1;
      const int x0 = cellOrigin({l, begin}).x();
      const int x1 = cellOrigin({l, end}).x();
      painter.fillRect(QRect(x0, y, x1 - x0, lineHeight()), colours.color(QPalette::Highlight));
    }
    int cell = 0;
    for (char32_t c : line) {
      const int cells = cellsOf(c);
      const int x = cellOrigin({l, cell}).x();
      if (x >= width) break;
      if (x + cells * cellWidth() > 0 && !isBlank(c) && c >= 0x20) {
        const QString glyph = toQString(std::u32string_view(&c, 1));
        // Centre the glyph in its cells, whatever advance the font gives it.
        const double offset = (cells * cellWidth() - metrics.horizontalAdvance(glyph)) / 2.0;
        painter.setPen(colours.color(isSelected({l, cell}) ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(QPointF(x + offset, y + ascent_), glyph);
      }
      cell += cells;
    }
  }

  if (rightEdge_ > 0) {
    const int x = rightEdgeX();
    if (x >= 0 && x < width) {
      painter.setPen(rightEdgeColor());
      painter.drawLine(x, 0, x, viewport()->height() - 1);
    }
  }

  if (hasFocus() && caretShown_) {
    const QPoint origin = cellOrigin(caret_);
    painter.fillRect(QRect(origin.x(), origin.y(), 2, lineHeight()), colours.color(QPalette::Text));
  }
}

void ReferenceTextView::restartBlink() {
  caretShown_ = true;
  const int flash = QApplication::cursorFlashTime();
  if (hasFocus() && flash > 0)
    blinkTimer_.start(flash / 2, this);
  else
    blinkTimer_.stop();
}

void ReferenceTextView::timerEvent(QTimerEvent* event) {
  if (event->timerId() != blinkTimer_.timerId()) {
    QAbstractScrollArea::timerEvent(event);
    return;
  }
  caretShown_ = !caretShown_;
  const QPoint origin = cellOrigin(caret_);
  viewport()->update(QRect(origin.x(), origin.y(), 2, lineHeight()));
}

void ReferenceTextView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  restartBlink();
  viewport()->update();
}

void ReferenceTextView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  blinkTimer_.stop();
  viewport()->update();
}

void ReferenceTextView::hideEvent(QHideEvent* event) {
  // A drag of the thumb cut short by hiding the view must not leave the hint.
  hint_->hide();
  QAbstractScrollArea::hideEvent(event);
}

// --- keyboard -------------------------------------------------------------

bool ReferenceTextView::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    // Keys the view handles itself, or swallows, must reach keyPressEvent
    // rather than trigger a shortcut of the window.
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll) || isEditingKey(key)) {
      event->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

void ReferenceTextView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    copy();
  } else if (event->matches(QKeySequence::SelectAll)) {
    selectAll();
  } else if (handleMovementKey(event)) {
    exportSelection();
  } else if (isEditingKey(event)) {
    // The text is read-only: the key is consumed and changes nothing.
  } else {
    event->ignore();
    return;
  }
  event->accept();
}

bool ReferenceTextView::handleMovementKey(QKeyEvent* event) {
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const bool control = event->modifiers() & Qt::ControlModifier;
  if (event->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) return false;
  const std::u32string& line = lines()[caret_.line];
  const int end = cellsOf(line);
  TextPosition target = caret_;
  bool vertical = false;

  switch (event->key()) {
    case Qt::Key_Left:
      if (control) {
        target = wordLeft(caret_);
      } else if (caret_.column > end) {
        target.column = caret_.column - 1;
      } else if (caret_.column > 0) {
        target.column = cellOfIndex(line, indexAtCell(line, caret_.column - 1));
      } else if (caret_.line > 0) {
        target = {caret_.line - 1, lineCells(caret_.line - 1)};
      }
      break;
    case Qt::Key_Right:
      if (control)
        target = wordRight(caret_);
      else if (caret_.column < end)
        target.column = caret_.column + cellsOf(line[indexAtCell(line, caret_.column)]);
      else
        target.column = std::min(caret_.column + 1, kMaxColumn);
      break;
    case Qt::Key_Up:
    case Qt::Key_Down: {
      const int step = event->key() == Qt::Key_Up ? -1 : 1;
      if (control) {
        // Scrolls the view by one line; the caret stays.
        setTopLine(topLine() + step);
        return true;
      }
      target = {caret_.line + step, preferredColumn_};
      vertical = true;
      break;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
      const int step = (event->key() == Qt::Key_PageUp ? -1 : 1) * visibleLines();
      setTopLine(topLine() + step);
      target = {caret_.line + step, preferredColumn_};
      vertical = true;
      break;
    }
    case Qt::Key_Home:
      target = control ? TextPosition{0, 0} : TextPosition{caret_.line, 0};
      break;
    case Qt::Key_End:
      if (control) {
        target = {lineCount() - 1, lineCells(lineCount() - 1)};
      } else {
        // First to the end of the line without its trailing spaces, then,
        // when already there, to the line's real end.
        std::size_t trimmed = line.size();
        while (trimmed > 0 && (line[trimmed - 1] == U' ' || line[trimmed - 1] == U'\t')) --trimmed;
        const int trimmedEnd = cellOfIndex(line, trimmed);
        target.column = caret_.column == trimmedEnd ? end : trimmedEnd;
      }
      break;
    default:
      return false;
  }
  const int preferred = preferredColumn_;
  setCaret(target, shift);
  if (vertical) preferredColumn_ = preferred;
  return true;
}

TextPosition ReferenceTextView::wordLeft(TextPosition from) const {
  const std::u32string& line = lines()[from.line];
  const int end = cellsOf(line);
  if (from.column == 0) return from.line > 0 ? TextPosition{from.line - 1, lineCells(from.line - 1)} : from;
  std::size_t i = from.column > end ? line.size() : indexAtCell(line, from.column);
  while (i > 0 && isBlank(line[i - 1])) --i;
  if (i > 0) {
    const int kind = wordClass(line[i - 1]);
    while (i > 0 && wordClass(line[i - 1]) == kind) --i;
  }
  return {from.line, cellOfIndex(line, i)};
}

TextPosition ReferenceTextView::wordRight(TextPosition from) const {
  const std::u32string& line = lines()[from.line];
  if (from.column >= cellsOf(line)) return from.line + 1 < lineCount() ? TextPosition{from.line + 1, 0} : from;
  std::size_t i = indexAtCell(line, from.column);
  const int kind = wordClass(line[i]);
  while (i < line.size() && wordClass(line[i]) == kind) ++i;
  while (i < line.size() && isBlank(line[i])) ++i;
  return {from.line, cellOfIndex(line, i)};
}

void ReferenceTextView::inputMethodEvent(QInputMethodEvent* event) {
  // Composed text would be an insertion; the view takes none.
  event->accept();
}

// --- mouse ----------------------------------------------------------------

void ReferenceTextView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  const TextPosition position = positionAt(event->position().toPoint());
  pressPoint_ = event->position().toPoint();
  pressPosition_ = position;
  selecting_ = true;
  mayDrag_ = false;
  if (event->modifiers() & Qt::ShiftModifier) {
    setCaret(position, true);
  } else if (isSelected(position)) {
    mayDrag_ = true;  // a drag may start that carries the selection out
  } else {
    setCaret(position);
  }
  event->accept();
}

void ReferenceTextView::mouseMoveEvent(QMouseEvent* event) {
  if (!selecting_ || !(event->buttons() & Qt::LeftButton)) {
    QAbstractScrollArea::mouseMoveEvent(event);
    return;
  }
  const QPoint point = event->position().toPoint();
  if (mayDrag_) {
    if ((point - pressPoint_).manhattanLength() >= QApplication::startDragDistance()) {
      selecting_ = mayDrag_ = false;
      startDrag();
    }
  } else {
    setCaret(positionAt(point), true);
  }
  event->accept();
}

void ReferenceTextView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mouseReleaseEvent(event);
    return;
  }
  if (mayDrag_) setCaret(pressPosition_);  // a click in the selection without a drag
  selecting_ = mayDrag_ = false;
  exportSelection();
  event->accept();
}

void ReferenceTextView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mouseDoubleClickEvent(event);
    return;
  }
  const TextPosition position = positionAt(event->position().toPoint());
  const std::u32string& line = lines()[position.line];
  const int cell = static_cast<int>(std::floor(double(event->position().x() - kTextMargin) / cellWidth())) + leftColumn();
  std::size_t begin = indexAtCell(line, cell);
  if (cell < 0 || begin >= line.size()) {
    setCaret(position);
  } else {
    // Selects the run of characters of the same class as the one clicked.
    std::size_t end = begin;
    const int kind = wordClass(line[begin]);
    while (begin > 0 && wordClass(line[begin - 1]) == kind) --begin;
    while (end < line.size() && wordClass(line[end]) == kind) ++end;
    setCaret({position.line, cellOfIndex(line, begin)});
    setCaret({position.line, cellOfIndex(line, end)}, true);
    exportSelection();
  }
  selecting_ = mayDrag_ = false;
  event->accept();
}

void ReferenceTextView::startDrag() {
  // The selection can be dragged out as a copy; the view itself takes no drop.
  auto* data = new QMimeData;
  data->setText(selectedText());
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  drag->exec(Qt::CopyAction);
}

}  // namespace reference

// The read-only cell-grid view: what the user can and cannot do with it.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "app/reference/reference_text_view.h"
#include "platform/gui/font_map.h"

using reference::ReferenceTextView;
using reference::TextPosition;

namespace {

const QString kSample = QStringLiteral("ab中文，x\nxyz\n　　概 念");

QString numberedLines(int count) {
  QStringList lines;
  for (int i = 1; i <= count; ++i) lines << QStringLiteral("line %1 行").arg(i);
  return lines.join(QLatin1Char('\n'));
}

// Centre of a cell, in viewport coordinates.
QPoint cellCentre(const ReferenceTextView& view, TextPosition position, int cells = 1) {
  return view.cellOrigin(position) + QPoint(cells * view.cellWidth() / 2, view.lineHeight() / 2);
}

}  // namespace

class ReferenceTextViewTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ReferenceTextView> view_;

  void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(view_.get(), static_cast<Qt::Key>(key), modifiers);
  }

 private slots:
  void initTestCase() { gui::installFontSubstitutions(); }

  void init() {
    view_ = std::make_unique<ReferenceTextView>();
    view_->setFont(gui::layoutFont(QString::fromLatin1(gui::kCourierNew), 12, true));
    view_->resize(400, 200);
    view_->setText(kSample);
    view_->show();
    QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    view_->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("on the clipboard"));
  }

  void cleanup() { view_.reset(); }

  // --- read-only -----------------------------------------------------------

  void typingDeletingAndUndoChangeNothing() {
    press(Qt::Key_End);
    QTest::keyClicks(view_.get(), QStringLiteral("typed"));
    press(Qt::Key_Home);
    press(Qt::Key_Right, Qt::ShiftModifier);
    for (int key : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_Tab})
      press(key);
    press(Qt::Key_Z, Qt::ControlModifier);
    press(Qt::Key_Y, Qt::ControlModifier);
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    press(Qt::Key_Backspace, Qt::AltModifier);
    QCOMPARE(view_->text(), kSample);
  }

  void pastingAndCuttingChangeNothing() {
    view_->selectAll();
    press(Qt::Key_V, Qt::ControlModifier);
    press(Qt::Key_Insert, Qt::ShiftModifier);
    press(Qt::Key_X, Qt::ControlModifier);
    press(Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(view_->text(), kSample);
    // A cut that cannot remove the text does not take it either.
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("on the clipboard"));
  }

  void inputMethodTextChangesNothing() {
    QVERIFY(!view_->testAttribute(Qt::WA_InputMethodEnabled));
    QInputMethodEvent event;
    event.setCommitString(QStringLiteral("輸入"));
    QApplication::sendEvent(view_.get(), &event);
    QCOMPARE(view_->text(), kSample);
  }

  void dropsAreRefused() {
    QVERIFY(!view_->acceptDrops());
    QVERIFY(!view_->viewport()->acceptDrops());
    QMimeData data;
    data.setText(QStringLiteral("dropped"));
    const QPoint at = cellCentre(*view_, {0, 1});
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view_->viewport(), &enter);
    QVERIFY(!enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view_->viewport(), &drop);
    QCOMPARE(view_->text(), kSample);
  }

  // Editing keys are taken by the view rather than by a shortcut of the window.
  void windowShortcutsDoNotActOnEditingKeys() {
    QWidget window;
    auto* view = new ReferenceTextView(&window);
    view->setText(kSample);
    QAction paste(QStringLiteral("Paste"), &window);
    paste.setShortcut(QKeySequence::Paste);
    window.addAction(&paste);
    QSignalSpy triggered(&paste, &QAction::triggered);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(triggered.count(), 0);
    QCOMPARE(view->text(), kSample);
  }

  // --- caret, selection and copy --------------------------------------------

  void keyboardSelectionIsCopied() {
    for (int i = 0; i < 3; ++i) press(Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(view_->selectedText(), QStringLiteral("ab中"));
    press(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("ab中"));
    press(Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(view_->selectedText(), QStringLiteral("ab中文，x\nxyz"));
    press(Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("ab中文，x\nxyz"));
  }

  void selectAllCopiesTheWholeText() {
    press(Qt::Key_A, Qt::ControlModifier);
    press(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), kSample);
  }

  void copyWithoutSelectionLeavesTheClipboard() {
    press(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("on the clipboard"));
  }

  void mouseDragSelects() {
    QTest::mousePress(view_->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(*view_, {0, 2}) - QPoint(3, 0));
    QTest::mouseMove(view_->viewport(), cellCentre(*view_, {0, 6}) - QPoint(2, 0));
    QTest::mouseRelease(view_->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(*view_, {0, 6}) - QPoint(2, 0));
    QCOMPARE(view_->selectedText(), QStringLiteral("中文"));
    QCOMPARE(view_->caret(), (TextPosition{0, 6}));
    // Shift-click extends the selection to the next line.
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, Qt::ShiftModifier, cellCentre(*view_, {1, 1}) + QPoint(1, 0));
    QCOMPARE(view_->selectedText(), QStringLiteral("中文，x\nxy"));
  }

  void doubleClickSelectsAWord() {
    QTest::mouseDClick(view_->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(*view_, {0, 4}));
    QCOMPARE(view_->selectedText(), QStringLiteral("ab中文"));
  }

  void clickPlacesTheCaretAtTheNearerBoundary() {
    // Left and right half of the two-cell 中 (cells 2 and 3).
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(*view_, {0, 2}));
    QCOMPARE(view_->caret(), (TextPosition{0, 2}));
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(*view_, {0, 3}));
    QCOMPARE(view_->caret(), (TextPosition{0, 4}));
    QVERIFY(!view_->hasSelection());
  }

  void caretGoesBeyondTheEndOfALine() {
    press(Qt::Key_Down);
    press(Qt::Key_End);
    QCOMPARE(view_->caret(), (TextPosition{1, 3}));
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    QCOMPARE(view_->caret(), (TextPosition{1, 5}));
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(*view_, {1, 20}) - QPoint(2, 0));
    QCOMPARE(view_->caret(), (TextPosition{1, 20}));
    // Selecting from there into text takes only real characters.
    press(Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(view_->caret(), (TextPosition{0, 20}));
    QCOMPARE(view_->selectedText(), QStringLiteral("\nxyz"));
    press(Qt::Key_Left);
    press(Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(view_->selectedText(), QStringLiteral("ab中文，x"));
  }

  void caretStandsOnlyBetweenCharacters() {
    view_->setCaret({0, 3});
    QCOMPARE(view_->caret(), (TextPosition{0, 2}));
    press(Qt::Key_Right);
    QCOMPARE(view_->caret(), (TextPosition{0, 4}));
    press(Qt::Key_Left);
    QCOMPARE(view_->caret(), (TextPosition{0, 2}));
    // Moving down from cell 3 lands at the start of the ideographic space
    // that covers cell 3, and moving back up returns to cell 3.
    view_->setCaret({1, 3});
    press(Qt::Key_Down);
    QCOMPARE(view_->caret(), (TextPosition{2, 2}));
    press(Qt::Key_Up);
    QCOMPARE(view_->caret(), (TextPosition{1, 3}));
  }

  void wordMovesStopAtClassChanges() {
    press(Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(view_->caret(), (TextPosition{0, 6}));  // after "ab中文"
    press(Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(view_->caret(), (TextPosition{0, 8}));  // after "，"
    press(Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(view_->caret(), (TextPosition{0, 6}));
  }

  // --- geometry and scrolling -----------------------------------------------

  void wideCharactersTakeTwoCells() {
    QCOMPARE(view_->lineCells(0), 2 + 2 + 2 + 2 + 1);
    QCOMPARE(view_->lineCells(2), 2 + 2 + 2 + 1 + 2);
    QCOMPARE(view_->cellOrigin({2, 4}).x() - view_->cellOrigin({2, 0}).x(), 4 * view_->cellWidth());
    QCOMPARE(view_->cellOrigin({0, 0}).x(), ReferenceTextView::kTextMargin);
  }

  void scrollsUntilTheLastLineIsAtTheTop() {
    view_->setText(numberedLines(100));
    QVERIFY(view_->visibleLines() < 100);
    QCOMPARE(view_->verticalScrollBar()->maximum(), 99);
    press(Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(view_->caret().line, 99);
    QVERIFY(view_->topLine() <= 99 && view_->topLine() + view_->visibleLines() > 99);
    view_->setTopLine(99);
    QCOMPARE(view_->topLine(), 99);
    view_->setScrollPastEnd(false);
    QCOMPARE(view_->verticalScrollBar()->maximum(), 100 - view_->visibleLines());
  }

  void caretMovesScrollTheView() {
    view_->setText(numberedLines(100));
    for (int i = 0; i < 3; ++i) press(Qt::Key_PageDown);
    QCOMPARE(view_->caret().line, 3 * view_->visibleLines());
    QVERIFY(view_->topLine() <= view_->caret().line &&
            view_->caret().line < view_->topLine() + view_->visibleLines());
    view_->setCaret({0, 500});
    QVERIFY(view_->leftColumn() > 0);
    QVERIFY(500 < view_->leftColumn() + view_->visibleColumns());
    press(Qt::Key_Home);
    QCOMPARE(view_->leftColumn(), 0);
  }

  void rightEdgeLineIsSilverAfterColumn100() {
    view_->resize(800, 200);
    QCOMPARE(view_->rightEdge(), 100);
    const int x = view_->rightEdgeX();
    QCOMPARE(x, ReferenceTextView::kTextMargin + 100 * view_->cellWidth());
    QVERIFY(x < view_->viewport()->width());
    const QImage image = view_->viewport()->grab().toImage();
    const int y = image.height() - 2;  // below the text
    QCOMPARE(QColor(image.pixel(x, y)), QColor(192, 192, 192));
    const QColor base = view_->palette().color(QPalette::Base);
    QCOMPARE(QColor(image.pixel(x - 2, y)), base);
    QCOMPARE(QColor(image.pixel(x + 2, y)), base);
    // It scrolls with the text.
    view_->horizontalScrollBar()->setValue(10);
    QCOMPARE(view_->rightEdgeX(), x - 10 * view_->cellWidth());
    const QImage scrolled = view_->viewport()->grab().toImage();
    QCOMPARE(QColor(scrolled.pixel(x - 10 * view_->cellWidth(), y)), QColor(192, 192, 192));
  }

  void backgroundIsTheWindowColourForText() {
    const QImage image = view_->viewport()->grab().toImage();
    QCOMPARE(QColor(image.pixel(image.width() / 2, image.height() - 2)), view_->palette().color(QPalette::Base));
  }

  // --- the scroll hint ------------------------------------------------------

  void hintShowsTheTopLineWhileTheThumbIsDragged() {
    view_->setText(numberedLines(100));
    const QLabel* hint = view_->scrollHint();
    QScrollBar* bar = view_->verticalScrollBar();
    QVERIFY(!hint->isVisible());
    bar->setSliderDown(true);  // as a press on the thumb does
    QVERIFY(hint->isVisible());
    QCOMPARE(hint->text(), QStringLiteral("Top Line: 1"));
    bar->setValue(40);
    QCOMPARE(view_->topLine(), 40);
    QCOMPARE(hint->text(), QStringLiteral("Top Line: 41"));
    // Right edge 4 pixels left of the text area's right edge, top 10 pixels
    // below its top.
    const QPoint area = view_->viewport()->mapToGlobal(QPoint(0, 0));
    QCOMPARE(hint->geometry().x() + hint->geometry().width(), area.x() + view_->viewport()->width() - 4);
    QCOMPARE(hint->geometry().y(), area.y() + 10);
    bar->setSliderDown(false);
    QVERIFY(!hint->isVisible());
  }

  void scrollingWithoutTheThumbShowsNoHint() {
    view_->setText(numberedLines(100));
    view_->verticalScrollBar()->setValue(30);
    press(Qt::Key_PageDown);
    QVERIFY(!view_->scrollHint()->isVisible());
  }
};

QTEST_MAIN(ReferenceTextViewTest)
#include "reference_text_view_test.moc"

// The two reference panes as the main window gets them.
#include <QFontInfo>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QtTest>
#include <algorithm>

#include "app/reference/reference_panes.h"
#include "app/reference/reference_text_view.h"
#include "app/reference/reference_texts.h"
#include "platform/gui/font_map.h"

using reference::ReferenceTextView;

namespace {

QString toQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Saves a picture of the pane when ZENMORA_SCREENSHOT_DIR names a folder, for
// looking at the layout by eye.
void saveScreenshot(QWidget* pane, const QString& name) {
  const QString folder = qEnvironmentVariable("ZENMORA_SCREENSHOT_DIR");
  if (!folder.isEmpty()) QVERIFY(pane->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
}

}  // namespace

class ReferencePanesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { gui::installFontSubstitutions(); }

  void treePaneShowsTheWholeTreeWithoutScrolling() {
    QWidget page;
    page.resize(600, 400);
    ReferenceTextView* tree = reference::createConceptTreePane(&page);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QCOMPARE(tree->parentWidget(), &page);
    QCOMPARE(tree->objectName(), QStringLiteral("SynMemo1"));
    QCOMPARE(tree->geometry(), QRect(0, 0, 585, 365));
    QCOMPARE(tree->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(tree->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(tree->text(), toQString(reference::conceptTree()));
    QCOMPARE(tree->lineCount(), 14);
    QCOMPARE(tree->lineText(8).right(1), QStringLiteral("\u3000"));
    // Every line fits the text area, so nothing is hidden and nothing scrolls.
    QVERIFY(tree->lineCount() * tree->lineHeight() <= tree->viewport()->height());
    int widest = 0;
    for (int l = 0; l < tree->lineCount(); ++l) widest = std::max(widest, tree->lineCells(l));
    QVERIFY(ReferenceTextView::kTextMargin + widest * tree->cellWidth() <= tree->viewport()->width());
    QCOMPARE(tree->verticalScrollBar()->maximum(), 0);
    QCOMPARE(tree->rightEdge(), 100);
    QCOMPARE(tree->focusPolicy(), Qt::StrongFocus);
    saveScreenshot(tree, QStringLiteral("SynMemo1"));
  }

  void tablePaneScrollsToItsLastLine() {
    QWidget page;
    page.resize(600, 400);
    ReferenceTextView* table = reference::createConceptTablePane(&page);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QCOMPARE(table->objectName(), QStringLiteral("SynMemo2"));
    QCOMPARE(table->geometry(), QRect(0, 0, 585, 365));
    QCOMPARE(table->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(table->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(table->text(), toQString(reference::conceptTable()));
    QCOMPARE(table->lineCount(), 321);
    saveScreenshot(table, QStringLiteral("SynMemo2"));
    QCOMPARE(table->verticalScrollBar()->maximum(), 320);
    table->verticalScrollBar()->setValue(table->verticalScrollBar()->maximum());
    QCOMPARE(table->topLine(), 320);
    QCOMPARE(table->lineText(table->topLine()), toQString(reference::splitLines(reference::conceptTable()).back()));
    saveScreenshot(table, QStringLiteral("SynMemo2-end"));
  }

  // A pane on a page that is not open yet is laid out when the page is first
  // shown; what it answers before and after is the same as for a pane
  // created on a visible page.
  void paneOnAHiddenPageIsLaidOutWhenFirstShown() {
    QWidget page;
    page.resize(600, 400);
    ReferenceTextView* table = reference::createConceptTablePane(&page);
    table->setFont(gui::layoutFont(QStringLiteral("Courier New"), 24, true));
    QCOMPARE(table->lineCount(), 321);
    QCOMPARE(table->lineText(320), toQString(reference::splitLines(reference::conceptTable()).back()));
    QCOMPARE(table->cellWidth(), qRound(QFontMetricsF(table->font()).horizontalAdvance(QLatin1Char('0'))));
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QCOMPARE(table->verticalScrollBar()->maximum(), 320);
    QCOMPARE(table->verticalScrollBar()->pageStep(), table->visibleLines());
    QCOMPARE(table->visibleLines(), table->viewport()->height() / table->lineHeight());
    table->setText(QStringLiteral("one\ntwo"));
    QCOMPARE(table->verticalScrollBar()->maximum(), 1);  // a shown pane takes a new text at once
    QCOMPARE(table->lineCount(), 2);
  }

  // "Courier New" maps to a face in which the texts' characters keep the
  // two-to-one widths the layout was made for, so the grid and the glyphs agree.
  void fontGivesChineseAndBoxDrawingTwoAsciiCells() {
    QWidget page;
    ReferenceTextView* tree = reference::createConceptTreePane(&page);
    QCOMPARE(tree->font().pixelSize(), 12);
    QVERIFY2(QFontInfo(tree->font()).family().contains(QStringLiteral("CJK")), qPrintable(QFontInfo(tree->font()).family()));
    const QFontMetricsF metrics(tree->font());
    const qreal ascii = metrics.horizontalAdvance(QLatin1Char('a'));
    QCOMPARE(ascii, qreal(tree->cellWidth()));
    for (const char* text : {"中", "　", "┌", "─", "┴", "┐", "、", "，"})
      QCOMPARE(metrics.horizontalAdvance(QString::fromUtf8(text)), 2 * ascii);
  }
};

QTEST_MAIN(ReferencePanesTest)
#include "reference_panes_test.moc"

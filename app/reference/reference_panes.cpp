#include "app/reference/reference_panes.h"

#include <QScrollBar>
#include <QString>

#include "app/reference/reference_text_view.h"
#include "app/reference/reference_texts.h"
#include "platform/gui/font_map.h"

namespace reference {

namespace {

ReferenceTextView* createPane(QWidget* page, const char* name, std::string_view text) {
  auto* pane = new ReferenceTextView(page);
  pane->setObjectName(QString::fromLatin1(name));
  pane->setFont(gui::layoutFont(QString::fromLatin1(gui::kCourierNew), kPaneFontPixels, true));
  pane->setGeometry(kPaneLeft, kPaneTop, kPaneWidth, kPaneHeight);
  pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  pane->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  return pane;
}

}  // namespace

ReferenceTextView* createConceptTreePane(QWidget* page) {
  ReferenceTextView* pane = createPane(page, "SynMemo1", conceptTree());
  pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The tree fits the pane; with nothing to scroll to, it stays in place.
  pane->setScrollPastEnd(false);
  return pane;
}

ReferenceTextView* createConceptTablePane(QWidget* page) {
  ReferenceTextView* pane = createPane(page, "SynMemo2", conceptTable());
  pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  pane->setScrollPastEnd(true);
  return pane;
}

}  // namespace reference

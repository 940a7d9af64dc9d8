#include "app/controls/ComCtrls.h"

#include <QApplication>
#include <QKeySequence>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

namespace {

// Places the pages at fixed margins inside the page control instead of where
// the style would put them, so that the pixel layout of the pages fits the
// window as designed.
class PagePlacement : public QProxyStyle {
 public:
  explicit PagePlacement(const TPageControl* owner) : owner_(owner) {}

  QRect subElementRect(SubElement element, const QStyleOption* option,
                       const QWidget* widget) const override {
    if (widget == owner_ && option != nullptr) {
      const QMargins m = owner_->pageMargins();
      if (element == SE_TabWidgetTabContents) return option->rect.marginsRemoved(m);
      if (element == SE_TabWidgetTabPane)
        return option->rect.marginsRemoved(QMargins(0, m.top() - 2, 0, 0));
      if (element == SE_TabWidgetTabBar) {
        QRect bar = QProxyStyle::subElementRect(element, option, widget);
        bar.moveTop(option->rect.top() + 2);
        bar.setHeight(tabHeight());
        return bar;
      }
    }
    return QProxyStyle::subElementRect(element, option, widget);
  }

  // Tabs as high as the band above the pages leaves room for.
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override {
    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_TabBarTab && widget != nullptr && widget->parentWidget() == owner_)
      result.setHeight(tabHeight());
    return result;
  }

  int tabHeight() const { return owner_->pageMargins().top() - 4; }

 private:
  const TPageControl* owner_;
};

}  // namespace

TTabSheet::TTabSheet(QWidget* parent) : QWidget(parent) {}

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent) {
  auto* placement = new PagePlacement(this);
  placement->setParent(this);
  setStyle(placement);
  tabBar()->setStyle(placement);
  setFocusPolicy(Qt::TabFocus);
  tabBar()->setFocusPolicy(Qt::TabFocus);

  const auto addKey = [this](QKeyCombination key, bool forward) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, forward] { selectNextPage(forward); });
  };
  addKey(Qt::CTRL | Qt::Key_Tab, true);
  addKey(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, false);
  addKey(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab, false);
}

void TPageControl::addPage(TTabSheet* page, const QString& caption) { addTab(page, caption); }

void TPageControl::setPageMargins(const QMargins& margins) {
  pageMargins_ = margins;
  // Let the tab widget lay out its parts again with the new margins.
  QEvent relayout(QEvent::StyleChange);
  QApplication::sendEvent(this, &relayout);
}

void TPageControl::selectNextPage(bool forward) {
  const int pages = count();
  if (pages < 2) return;
  QWidget* oldPage = currentWidget();
  QWidget* focused = QApplication::focusWidget();
  const bool focusInPage = focused != nullptr && oldPage != nullptr && oldPage->isAncestorOf(focused);
  if (focusInPage) {
    focused->clearFocus();
    if (QApplication::focusWidget() == focused) return;  // the control refused to be left
  }
  setCurrentIndex((currentIndex() + (forward ? 1 : pages - 1)) % pages);
  if (focusInPage) {
    QWidget* target = firstTabStopOn(currentWidget());
    (target ? target : tabBar())->setFocus(Qt::TabFocusReason);
  }
}

QWidget* TPageControl::firstTabStopOn(QWidget* page) const {
  if (page == nullptr) return nullptr;
  // Walk the window's focus chain from the tab strip: the first widget on the
  // page that Tab would stop at is the page's first control in tab order.
  for (QWidget* w = tabBar()->nextInFocusChain(); w != tabBar(); w = w->nextInFocusChain()) {
    if (page->isAncestorOf(w) && w->isVisible() && w->isEnabled() &&
        (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->focusProxy() == nullptr)
      return w;
  }
  return nullptr;
}

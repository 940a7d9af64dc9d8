#pragma once
// TPageControl and its pages.
//
// Contract of TPageControl:
//  - Ctrl+Tab shows the next page and Ctrl+Shift+Tab the previous one,
//    wrapping around, whenever the focus is on the tab strip or inside one
//    of the pages.
//  - When the focus is inside the page being left, that control loses the
//    focus first; if it takes the focus back (a control that refuses to be
//    left), the page does not change. Otherwise the first control of the new
//    page in tab order receives the focus (the tab strip, when the new page
//    has none).
//  - The tab strip is the control's one tab stop of its own.
//  - setPageMargins() places the pages inside the control: left, top (the
//    tab strip's band), right and bottom margins, in pixels.
#include <QMargins>
#include <QTabWidget>

class TTabSheet : public QWidget {
  Q_OBJECT

 public:
  explicit TTabSheet(QWidget* parent);
};

class TPageControl : public QTabWidget {
  Q_OBJECT

 public:
  explicit TPageControl(QWidget* parent);

  void addPage(TTabSheet* page, const QString& caption);
  // Shows the next (or previous) page as Ctrl+Tab (Ctrl+Shift+Tab) does.
  void selectNextPage(bool forward);

  void setPageMargins(const QMargins& margins);
  QMargins pageMargins() const noexcept { return pageMargins_; }

 private:
  QWidget* firstTabStopOn(QWidget* page) const;

  QMargins pageMargins_;
};

#include "app/controls/TDBNavigator.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

#include <exception>

#include "framework/TDataLink.h"
#include "framework/TDataSet.h"
#include "platform/gui/confirmation.h"
#include "platform/gui/error_display.h"

namespace {

constexpr int kGlyph = 16;

void triangle(QPainter& p, bool pointsLeft, int x) {
  QPainterPath path;
  if (pointsLeft) {
    path.moveTo(x + 5, 3);
    path.lineTo(x, 8);
    path.lineTo(x + 5, 13);
  } else {
    path.moveTo(x, 3);
    path.lineTo(x + 5, 8);
    path.lineTo(x, 13);
  }
  path.closeSubpath();
  p.fillPath(path, p.pen().color());
}

// The picture of one button, black on transparent; Qt derives the greyed
// picture for the disabled state from it.
QIcon glyph(TDBNavigator::NavigateButton which) {
  QPixmap pixmap(kGlyph, kGlyph);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(Qt::black, 1));
  switch (which) {
    case TDBNavigator::nbFirst:
      p.fillRect(4, 3, 2, 11, Qt::black);
      triangle(p, true, 7);
      break;
    case TDBNavigator::nbPrior:
      triangle(p, true, 6);
      break;
    case TDBNavigator::nbNext:
      triangle(p, false, 6);
      break;
    case TDBNavigator::nbLast:
      triangle(p, false, 5);
      p.fillRect(11, 3, 2, 11, Qt::black);
      break;
    case TDBNavigator::nbInsert:
      p.fillRect(7, 3, 2, 10, Qt::black);
      p.fillRect(3, 7, 10, 2, Qt::black);
      break;
    case TDBNavigator::nbDelete:
      p.fillRect(3, 7, 10, 2, Qt::black);
      break;
    case TDBNavigator::nbPost: {
      QPen pen(QColor(0, 128, 0), 2);
      p.setPen(pen);
      p.drawPolyline(QPolygon({QPoint(3, 8), QPoint(6, 11), QPoint(12, 4)}));
      break;
    }
    case TDBNavigator::nbCancel: {
      QPen pen(QColor(128, 0, 0), 2);
      p.setPen(pen);
      p.drawLine(4, 4, 11, 11);
      p.drawLine(11, 4, 4, 11);
      break;
    }
  }
  return QIcon(pixmap);
}

}  // namespace

// The navigator's view of its data source: every notice that can change
// which buttons apply recomputes them.
class TDBNavigator::Link : public framework::TDataLink {
 public:
  explicit Link(TDBNavigator& owner) : owner_(owner) {}

 protected:
  void ActiveChanged() override { owner_.UpdateButtons(); }
  void EditingChanged() override { owner_.UpdateButtons(); }
  void DataSetChanged() override { owner_.UpdateButtons(); }
  void DataSetScrolled(int /*distance*/) override { owner_.UpdateButtons(); }
  void LayoutChanged() override { owner_.UpdateButtons(); }

 private:
  TDBNavigator& owner_;
};

TDBNavigator::TDBNavigator(QWidget* parent) : QWidget(parent), link_(std::make_unique<Link>(*this)) {
  setFocusPolicy(Qt::NoFocus);
  for (int i = 0; i < kButtonCount; ++i) {
    const auto which = static_cast<NavigateButton>(i);
    auto* b = new QToolButton(this);
    b->setFocusPolicy(Qt::NoFocus);
    b->setIcon(glyph(which));
    b->setIconSize(QSize(kGlyph, kGlyph));
    connect(b, &QToolButton::clicked, this, [this, which] { BtnClick(which); });
    if (which == nbPrior || which == nbNext) {
      connect(b, &QToolButton::pressed, this, [this, which] { startRepeat(which); });
      connect(b, &QToolButton::released, this, [this] { stopRepeat(); });
    }
    buttons_[i] = b;
  }
  setRepeatTimer(controls::makeRepeatTimer());
  UpdateButtons();
}

TDBNavigator::~TDBNavigator() = default;

framework::TDataSource* TDBNavigator::DataSource() const noexcept { return link_->DataSource(); }

void TDBNavigator::setDataSource(framework::TDataSource* dataSource) {
  link_->SetDataSource(dataSource);
  UpdateButtons();
}

void TDBNavigator::setButtonEnabled(NavigateButton which, bool enabled) { buttons_[which]->setEnabled(enabled); }

void TDBNavigator::UpdateButtons() {
  const framework::TDataSet* dataSet = link_->Active() ? link_->DataSet() : nullptr;
  const bool active = dataSet != nullptr;
  const bool canModify = active && dataSet->CanModify();
  const bool bof = active && dataSet->Bof();
  const bool eof = active && dataSet->Eof();
  setButtonEnabled(nbFirst, active && !bof);
  setButtonEnabled(nbPrior, active && !bof);
  setButtonEnabled(nbNext, active && !eof);
  setButtonEnabled(nbLast, active && !eof);
  setButtonEnabled(nbInsert, canModify);
  setButtonEnabled(nbDelete, canModify && !(bof && eof));
  setButtonEnabled(nbPost, canModify && link_->Editing());
  setButtonEnabled(nbCancel, canModify && link_->Editing());
}

void TDBNavigator::BtnClick(NavigateButton which) {
  if (link_->Active()) {
    try {
      act(which);
    } catch (...) {
      gui::showException(std::current_exception());
    }
    // A move that found the end sends no notice of its own.
    UpdateButtons();
  }
  emit buttonClicked(which);
}

void TDBNavigator::act(NavigateButton which) {
  framework::TDataSet& dataSet = *link_->DataSet();
  switch (which) {
    case nbFirst: dataSet.First(); break;
    case nbPrior: dataSet.Prior(); break;
    case nbNext: dataSet.Next(); break;
    case nbLast: dataSet.Last(); break;
    case nbInsert: dataSet.Insert(); break;
    case nbDelete:
      if (gui::askConfirmation({QStringLiteral("Confirm"), QStringLiteral("Delete record?")})) dataSet.Delete();
      break;
    case nbPost: dataSet.Post(); break;
    case nbCancel: dataSet.Cancel(); break;
  }
}

void TDBNavigator::setRepeatTimer(std::unique_ptr<controls::RepeatTimer> timer) {
  if (repeatTimer_) repeatTimer_->stop();
  repeatTimer_ = std::move(timer);
  repeatTimer_->onTimeout = [this] { repeatTick(); };
}

void TDBNavigator::startRepeat(NavigateButton which) {
  repeating_ = which;
  repeatTimer_->start(kRepeatDelay);
}

void TDBNavigator::stopRepeat() {
  if (repeating_ < 0) return;
  repeating_ = -1;
  repeatTimer_->stop();
}

void TDBNavigator::repeatTick() {
  if (repeating_ < 0) return;
  const auto which = static_cast<NavigateButton>(repeating_);
  // With the pointer dragged off the held button nothing moves, but the
  // repeat goes on in case it comes back.
  if (buttons_[which]->isDown()) BtnClick(which);
  // The move may have reached the end and disabled the button, which
  // releases it.
  if (repeating_ >= 0) repeatTimer_->start(kRepeatInterval);
}

void TDBNavigator::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Even split; the pixels left over from the division go to the buttons on
  // the left, one each, so the row always fills the navigator exactly.
  const int base = width() / kButtonCount;
  int extra = width() % kButtonCount;
  int x = 0;
  for (QToolButton* b : buttons_) {
    const int w = base + (extra > 0 ? 1 : 0);
    if (extra > 0) --extra;
    b->setGeometry(x, 0, w, height());
    x += w;
  }
}

#include "app/controls/TDBNavigator.h"

#include <QEvent>
#include <QIcon>
#include <QImage>
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

void triangle(QPainter& p, const QColor& colour, bool pointsLeft, int x) {
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
  p.fillPath(path, colour);
}

// Green and red that stand out on the button colour: the classic dark tones
// on a light button, light ones on a dark button.
QColor signalColour(bool green, const QColor& button) {
  const bool dark = button.lightness() < 128;
  if (green) return dark ? QColor(96, 208, 96) : QColor(0, 128, 0);
  return dark ? QColor(240, 112, 112) : QColor(128, 0, 0);
}

// The picture of one button, drawn on a 16 × 16 grid in the button's text
// colour on transparent, at `scale` device pixels per grid pixel: at scale 1
// exactly the classic bitmap; at 2 every pixel becomes a sharp 2 × 2 block,
// so the glyph is exactly twice its 96-dpi size.
QPixmap glyphPixmap(TDBNavigator::NavigateButton which, const QColor& ink, const QColor& button, int scale) {
  QImage image(kGlyph, kGlyph, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  switch (which) {
    case TDBNavigator::nbFirst:
      p.fillRect(4, 3, 2, 11, ink);
      triangle(p, ink, true, 7);
      break;
    case TDBNavigator::nbPrior:
      triangle(p, ink, true, 6);
      break;
    case TDBNavigator::nbNext:
      triangle(p, ink, false, 6);
      break;
    case TDBNavigator::nbLast:
      triangle(p, ink, false, 5);
      p.fillRect(11, 3, 2, 11, ink);
      break;
    case TDBNavigator::nbInsert:
      p.fillRect(7, 3, 2, 10, ink);
      p.fillRect(3, 7, 10, 2, ink);
      break;
    case TDBNavigator::nbDelete:
      p.fillRect(3, 7, 10, 2, ink);
      break;
    case TDBNavigator::nbPost:
      p.setPen(QPen(signalColour(true, button), 2));
      p.drawPolyline(QPolygon({QPoint(3, 8), QPoint(6, 11), QPoint(12, 4)}));
      break;
    case TDBNavigator::nbCancel:
      p.setPen(QPen(signalColour(false, button), 2));
      p.drawLine(4, 4, 11, 11);
      p.drawLine(11, 4, 4, 11);
      break;
  }
  p.end();
  // Each pixel becomes a scale × scale block: a painter scaled up would
  // place the edges of the shapes a device pixel differently.
  QPixmap pixmap = QPixmap::fromImage(
      image.scaled(kGlyph * scale, kGlyph * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation));
  pixmap.setDevicePixelRatio(scale);
  return pixmap;
}

// The glyph at every whole device pixel ratio a screen is likely to have
// (Qt picks the nearest and never has to blur a small picture up), in the
// palette's button text colour; the disabled state gets the palette's
// disabled text colour rather than a greyed copy, which on a dark palette
// would vanish into the button.
QIcon glyph(TDBNavigator::NavigateButton which, const QPalette& palette) {
  QIcon icon;
  const QColor button = palette.color(QPalette::Active, QPalette::Button);
  for (const int scale : {1, 2, 3, 4}) {
    icon.addPixmap(glyphPixmap(which, palette.color(QPalette::Active, QPalette::ButtonText), button, scale),
                   QIcon::Normal);
    const QColor disabledButton = palette.color(QPalette::Disabled, QPalette::Button);
    icon.addPixmap(glyphPixmap(which, palette.color(QPalette::Disabled, QPalette::ButtonText), disabledButton, scale),
                   QIcon::Disabled);
  }
  return icon;
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
    b->setIconSize(QSize(kGlyph, kGlyph));
    connect(b, &QToolButton::clicked, this, [this, which] { BtnClick(which); });
    if (which == nbPrior || which == nbNext) {
      connect(b, &QToolButton::pressed, this, [this, which] { startRepeat(which); });
      connect(b, &QToolButton::released, this, [this] { stopRepeat(); });
    }
    buttons_[i] = b;
  }
  UpdateGlyphs();
  setRepeatTimer(controls::makeRepeatTimer());
  UpdateButtons();
}

void TDBNavigator::UpdateGlyphs() {
  for (int i = 0; i < kButtonCount; ++i) buttons_[i]->setIcon(glyph(static_cast<NavigateButton>(i), palette()));
}

void TDBNavigator::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange) UpdateGlyphs();
  QWidget::changeEvent(event);
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

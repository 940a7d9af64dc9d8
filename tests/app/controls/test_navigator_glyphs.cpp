// The navigator's glyphs on any screen and colour scheme: drawn in the
// palette's button text colours (readable on a dark palette), redrawn when
// the palette changes, and at a device pixel ratio of 2 exactly the 96-dpi
// picture with every pixel doubled (sharp, no blur).
#include <QPalette>
#include <QTest>
#include <QToolButton>

#include "app/controls/TDBNavigator.h"
#include "platform/gui/Application.h"

namespace {

QImage glyphImage(const TDBNavigator& nav, TDBNavigator::NavigateButton which, qreal ratio,
                  QIcon::Mode mode = QIcon::Normal) {
  return nav.button(which)->icon().pixmap(QSize(16, 16), ratio, mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The colours the opaque pixels of a picture use.
QSet<QRgb> inkOf(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(image.pixel(x, y)) == 255) colours.insert(image.pixel(x, y) | 0xff000000u);
    }
  }
  return colours;
}

QPalette darkPalette() {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
  dark.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xe8));
  dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
  dark.setColor(QPalette::ButtonText, QColor(0xf0, 0xf0, 0xf0));
  dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
  dark.setColor(QPalette::Disabled, QPalette::Button, QColor(0x35, 0x35, 0x35));
  return dark;
}

}  // namespace

class TestNavigatorGlyphs : public QObject {
  Q_OBJECT

 private slots:
  void theGlyphsUseTheButtonTextColoursAndFollowAPaletteChange() {
    TDBNavigator nav(nullptr);
    QPalette light;
    light.setColor(QPalette::Button, QColor(0xf0, 0xf0, 0xf0));
    light.setColor(QPalette::ButtonText, Qt::black);
    light.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x9f, 0x9f, 0x9f));
    nav.setPalette(light);
    for (const auto which : {TDBNavigator::nbFirst, TDBNavigator::nbPrior, TDBNavigator::nbNext, TDBNavigator::nbLast,
                             TDBNavigator::nbInsert, TDBNavigator::nbDelete}) {
      QCOMPARE(inkOf(glyphImage(nav, which, 1.0)), QSet<QRgb>({qRgb(0, 0, 0)}));
      QCOMPARE(inkOf(glyphImage(nav, which, 1.0, QIcon::Disabled)), QSet<QRgb>({qRgb(0x9f, 0x9f, 0x9f)}));
    }
    QCOMPARE(inkOf(glyphImage(nav, TDBNavigator::nbPost, 1.0)), QSet<QRgb>({qRgb(0, 128, 0)}));
    QCOMPARE(inkOf(glyphImage(nav, TDBNavigator::nbCancel, 1.0)), QSet<QRgb>({qRgb(128, 0, 0)}));

    nav.setPalette(darkPalette());
    QCOMPARE(inkOf(glyphImage(nav, TDBNavigator::nbNext, 1.0)), QSet<QRgb>({qRgb(0xf0, 0xf0, 0xf0)}));
    QCOMPARE(inkOf(glyphImage(nav, TDBNavigator::nbNext, 1.0, QIcon::Disabled)), QSet<QRgb>({qRgb(0x80, 0x80, 0x80)}));
    // The signal colours turn light enough to read on a dark button.
    for (const auto which : {TDBNavigator::nbPost, TDBNavigator::nbCancel}) {
      const QSet<QRgb> ink = inkOf(glyphImage(nav, which, 1.0));
      QCOMPARE(ink.size(), 1);
      QVERIFY2(QColor(*ink.begin()).lightness() > 128, qPrintable(QColor(*ink.begin()).name()));
    }
  }

  void atTwiceThePixelRatioEveryPixelOfThe96DpiGlyphIsDoubled() {
    TDBNavigator nav(nullptr);
    for (int i = 0; i < TDBNavigator::kButtonCount; ++i) {
      const auto which = static_cast<TDBNavigator::NavigateButton>(i);
      const QImage one = glyphImage(nav, which, 1.0);
      const QImage two = glyphImage(nav, which, 2.0);
      QCOMPARE(one.size(), QSize(16, 16));
      QCOMPARE(two.size(), QSize(32, 32));
      QCOMPARE(two.devicePixelRatio(), 2.0);
      for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
          if (two.pixel(x, y) != one.pixel(x / 2, y / 2)) {
            QFAIL(qPrintable(QStringLiteral("button %1: device pixel (%2, %3) differs").arg(i).arg(x).arg(y)));
          }
        }
      }
    }
  }
};

int main(int argc, char** argv) {
  gui::Application app(argc, argv);
  TestNavigatorGlyphs test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_navigator_glyphs.moc"

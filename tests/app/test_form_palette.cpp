// The form under a light and a dark colour scheme: the radical keeps its
// designed black on a light window only; under a dark scheme every glyph of
// the navigator and the radical take the scheme's light text. With
// ZENMORA_SCREENSHOT_DIR set, the dark form is saved there as a picture for
// a person to look at.
#include <QApplication>
#include <QDir>
#include <QTest>
#include <QToolButton>

#include <memory>

#include "app/Unit1.h"
#include "platform/gui/Application.h"
#include "tests/app/app_test_database.h"

namespace {

QPalette darkPalette() {
  QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x2b, 0x2b, 0x2b));  // button, window
  dark.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xe8));
  dark.setColor(QPalette::ButtonText, QColor(0xf0, 0xf0, 0xf0));
  dark.setColor(QPalette::Text, QColor(0xf0, 0xf0, 0xf0));
  dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
  dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
  dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
  return dark;
}

bool hasPixelOf(const QImage& image, QRgb colour) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if ((image.pixel(x, y) | 0xff000000u) == colour && qAlpha(image.pixel(x, y)) == 255) return true;
    }
  }
  return false;
}

}  // namespace

class TestFormPalette : public QObject {
  Q_OBJECT

  std::unique_ptr<TForm1> form_;
  QPalette original_;

 private slots:
  void initTestCase() { original_ = QApplication::palette(); }
  void cleanup() {
    form_.reset();
    QApplication::setPalette(original_);
  }

  void onALightWindowTheRadicalIsBlack() {
    QPalette light = original_;
    light.setColor(QPalette::Window, QColor(0xf0, 0xf0, 0xf0));
    light.setColor(QPalette::WindowText, QColor(0x30, 0x30, 0x60));
    QApplication::setPalette(light);
    form_ = std::make_unique<TForm1>(nullptr, TForm1Options{96, {}});
    QCOMPARE(form_->DBText1->palette().color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(form_->Label5->palette().color(QPalette::WindowText), QColor(0x30, 0x30, 0x60));
  }

  void underADarkSchemeTheRadicalAndTheGlyphsUseItsLightText() {
    QApplication::setPalette(darkPalette());
    form_ = std::make_unique<TForm1>(nullptr, TForm1Options{96, {}});
    QCOMPARE(form_->DBText1->palette().color(QPalette::WindowText), QColor(0xe8, 0xe8, 0xe8));
    const QImage next = form_->DBNavigator1->button(TDBNavigator::nbNext)
                            ->icon()
                            .pixmap(QSize(16, 16), 1.0)
                            .toImage()
                            .convertToFormat(QImage::Format_ARGB32);
    QVERIFY(hasPixelOf(next, qRgb(0xf0, 0xf0, 0xf0)));
    QVERIFY(!hasPixelOf(next, qRgb(0, 0, 0)));

    if (const QByteArray dir = qgetenv("ZENMORA_SCREENSHOT_DIR"); !dir.isEmpty()) {
      form_->show();
      QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
      QDir().mkpath(QString::fromLocal8Bit(dir));
      QVERIFY(form_->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/form-dark-palette.png")));
    }
  }
};

int main(int argc, char** argv) {
  gui::Application app(argc, argv);
  const AppTestDatabase database(3);
  TestFormPalette test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_form_palette.moc"

// The main form: window, layout of tab 1 control by control, keyboard order,
// page switching, Panel2DblClick and scaling to other screen resolutions.
#include <QLineEdit>
#include <QScreen>
#include <QTabBar>
#include <QTest>

#include <vector>

#include "app/AppIcon.h"
#include "app/Unit1.h"
#include "app/program_start.h"
#include "platform/gui/Application.h"
#include "platform/gui/error_display.h"
#include "tests/app/app_test_database.h"

namespace {

// The name of the layout control that has the keyboard focus: the focused
// widget or the nearest ancestor with a layout name (an editable list's inner
// line edit counts as the list, the tab strip as PageControl1).
QString focusedControl() {
  for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget()) {
    const QString name = w->objectName();
    if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))) return name;
  }
  return QStringLiteral("(none)");
}

void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
}

// The layout table of tab 1 as designed (96 dpi). Focus: "tab" is a tab
// stop, "click" is focusable by mouse only, "ro" is that and read-only,
// "none" never takes the focus.
struct Row {
  const char* name;
  const char* className;
  int left, top, width, height;
  const char* family;  // nullptr: no font of its own in the layout
  int pixels;
  const char* text;
  const char* focus;
};

const Row kLayout[] = {
    {"DBEdit1", "TDBEdit", 8, 8, 41, 24, "Courier New", 13, "", "click"},
    {"Label5", "TLabel", 112, 16, 32, 16, "Courier New", 13, "字首", "none"},
    {"DBText1", "TDBText", 152, 16, 33, 16, "Courier New", 13, "", "none"},
    {"Label12", "TLabel", 192, 16, 64, 16, "Courier New", 13, "五代倉碼", "none"},
    {"DBEdit10", "TDBEdit", 264, 8, 97, 24, "Courier New", 13, "", "ro"},
    {"DBEdit11", "TDBEdit", 368, 8, 65, 24, "Courier New", 13, "", "ro"},
    {"Panel1", "TPanel", -16, 49, 601, 2, nullptr, 0, nullptr, "none"},
    {"Label6", "TLabel", 0, 72, 48, 16, "Courier New", 13, "立場觀", "none"},
    {"Label7", "TLabel", 96, 72, 48, 16, "Courier New", 13, "現象族", "none"},
    {"Label8", "TLabel", 192, 72, 48, 16, "Courier New", 13, "認知類", "none"},
    {"Label9", "TLabel", 296, 72, 48, 16, "Courier New", 13, "四別屬", "none"},
    {"Label10", "TLabel", 392, 72, 64, 16, "Courier New", 13, "八種細目", "none"},
    {"Label11", "TLabel", 496, 72, 64, 16, "Courier New", 13, "基本概念", "none"},
    {"DBEdit2", "TDBEdit", 0, 96, 25, 24, "MS Sans Serif", 13, "", "ro"},
    {"DBComboBox1", "TDBComboBox", 24, 96, 57, 24, "MS Sans Serif", 13, nullptr, "tab"},
    {"DBEdit3", "TDBEdit", 96, 96, 25, 24, "MS Sans Serif", 13, "", "ro"},
    {"DBComboBox2", "TDBComboBox", 120, 96, 57, 24, "MS Sans Serif", 13, nullptr, "tab"},
    {"DBEdit4", "TDBEdit", 192, 96, 25, 24, "MS Sans Serif", 13, "", "ro"},
    {"DBComboBox3", "TDBComboBox", 216, 96, 65, 24, "MS Sans Serif", 13, nullptr, "tab"},
    {"DBEdit5", "TDBEdit", 296, 96, 25, 24, "MS Sans Serif", 13, "", "ro"},
    {"DBComboBox4", "TDBComboBox", 320, 96, 57, 24, "MS Sans Serif", 13, nullptr, "tab"},
    {"DBEdit8", "TDBEdit", 392, 96, 33, 24, "MS Sans Serif", 13, "", "ro"},
    {"DBComboBox5", "TDBComboBox", 424, 96, 57, 24, "MS Sans Serif", 13, nullptr, "tab"},
    {"DBEdit9", "TDBEdit", 496, 96, 49, 24, "MS Sans Serif", 13, "", "ro"},
    {"DBEdit7", "TDBEdit", 544, 96, 41, 24, "MS Sans Serif", 13, "", "ro"},
    {"Label4", "TLabel", 0, 133, 64, 16, "Courier New", 13, "基因定義", "none"},
    {"DBEdit6", "TDBEdit", 0, 152, 585, 23, "System", 13, "", "tab"},
    {"Label13", "TLabel", 0, 181, 32, 16, "Courier New", 13, "筆記", "none"},
    {"DBMemo1", "TDBMemo", 0, 200, 585, 89, "System", 13, nullptr, "tab"},
    {"Panel2", "TPanel", -16, 305, 601, 2, nullptr, 0, nullptr, "none"},
    {"Label2", "TLabel", 0, 312, -1, -1, "MS Sans Serif", 11, nullptr, "none"},
    {"CheckBox1", "TCheckBox", 472, 320, 113, 17, "MS Sans Serif", 13, "標題匯出", "tab"},
    {"Label1", "TLabel", 0, 352, 32, 16, "Courier New", 13, "搜索", "none"},
    {"Edit1", "TEdit", 40, 343, 60, 24, "Courier New", 13, "", "tab"},
    {"Label3", "TLabel", 112, 352, 32, 16, "Courier New", 13, "跳至", "none"},
    {"Edit2", "TEdit", 152, 343, 60, 24, "Courier New", 13, "", "tab"},
    {"DBNavigator1", "TDBNavigator", 232, 343, 232, 24, nullptr, 0, nullptr, "none"},
    {"Button1", "TButton", 472, 343, 113, 24, "MS Sans Serif", 13, "單筆匯出剪貼", "tab"},
};

const char* const kTabStops[] = {"DBComboBox1", "DBComboBox2", "DBComboBox3", "DBComboBox4",
                                 "DBComboBox5", "DBEdit6",     "DBMemo1",     "Edit1",
                                 "Edit2",       "CheckBox1",   "Button1"};

}  // namespace

class TestUnit1 : public QObject {
  Q_OBJECT

  std::unique_ptr<TForm1> form_;
  std::vector<gui::MessageBoxRequest> boxes_;
  std::unique_ptr<gui::ScopedMessageBoxHook> hook_;

  void showForm() {
    form_->show();
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
  }

 private slots:
  void initTestCase() { gui::setApplicationTitle(QString::fromUtf8(kApplicationTitle)); }

  void init() {
    boxes_.clear();
    hook_ = std::make_unique<gui::ScopedMessageBoxHook>(
        [this](const gui::MessageBoxRequest& r) { boxes_.push_back(r); });
    form_ = std::make_unique<TForm1>(nullptr, TForm1Options{96, {}});
  }

  void cleanup() {
    form_.reset();
    hook_.reset();
  }

  // --- window -------------------------------------------------------------

  void windowIsFixedWithMinimiseOnly() {
    QCOMPARE(form_->windowTitle(), QStringLiteral("Zenmora１．０１版"));
    QCOMPARE(form_->size(), QSize(591, 391));
    QCOMPARE(form_->minimumSize(), QSize(591, 391));
    QCOMPARE(form_->maximumSize(), QSize(591, 391));
    const Qt::WindowFlags flags = form_->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!form_->windowIcon().pixmap(32, 32).isNull());
    // Every size, read once for the application and the window alike.
    const QIcon icon = programIcon();
    QCOMPARE(icon.availableSizes().size(), 8);
    QCOMPARE(form_->windowIcon().cacheKey(), icon.cacheKey());
    QCOMPARE(programIcon().cacheKey(), icon.cacheKey());
  }

  void iconHasThePixelsOfItsPngs() {
    // Made from pixels decoded at build time: every size as loading the PNG
    // gives it, pixel for pixel.
    const QIcon icon = programIcon();
    QIcon fromFiles;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
      fromFiles.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    }
    QCOMPARE(icon.availableSizes(), fromFiles.availableSizes());
    for (const QSize& size : fromFiles.availableSizes()) {
      const QImage made = icon.pixmap(size).toImage();
      const QImage loaded = fromFiles.pixmap(size).toImage();
      QCOMPARE(made.format(), loaded.format());
      QVERIFY2(made == loaded, qPrintable(QStringLiteral("size %1").arg(size.width())));
    }
  }

  void windowIsCentredOnTheScreenWhenShown() {
    showForm();
    const QPoint screenCentre = QGuiApplication::primaryScreen()->geometry().center();
    const QPoint windowCentre = form_->frameGeometry().center();
    QVERIFY(std::abs(screenCentre.x() - windowCentre.x()) <= 1);
    QVERIFY(std::abs(screenCentre.y() - windowCentre.y()) <= 1);
  }

  void pageControlAndPages() {
    QCOMPARE(form_->PageControl1->geometry(), QRect(-1, 0, 602, 395));
    QCOMPARE(form_->PageControl1->count(), 3);
    for (int i = 0; i < 3; ++i)
      QCOMPARE(form_->PageControl1->tabText(i), QStringList({"歸納練習", "概念對分", "概念分類"}).at(i));
    QCOMPARE(form_->PageControl1->currentWidget(), form_->TabSheet1);
    QCOMPARE(form_->TabSheet1->font().family(), QStringLiteral("System"));
    QCOMPARE(form_->font().pixelSize(), 11);
    showForm();
    // The page starts below the tab strip and is tall enough for the lowest
    // controls (top 343 + 24) to end exactly at the client area's bottom.
    QCOMPARE(form_->TabSheet1->mapTo(form_.get(), QPoint(0, 0)), QPoint(3, 24));
    QCOMPARE(form_->TabSheet1->size(), QSize(594, 367));
  }

  // --- layout of tab 1 ----------------------------------------------------

  void layoutTable() {
    for (const Row& row : kLayout) {
      const QString name = QString::fromLatin1(row.name);
      auto* w = form_->TabSheet1->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
      QVERIFY2(w != nullptr, row.name);
      QCOMPARE(QString::fromLatin1(w->metaObject()->className()), QString::fromLatin1(row.className));
      if (row.width >= 0)
        QCOMPARE(w->geometry(), QRect(row.left, row.top, row.width, row.height));
      else
        QCOMPARE(w->pos(), QPoint(row.left, row.top));
      if (row.family != nullptr) {
        QCOMPARE(w->font().family(), QString::fromUtf8(row.family));
        QCOMPARE(w->font().pixelSize(), row.pixels);
      }
      if (row.text != nullptr) QCOMPARE(w->property("text").toString(), QString::fromUtf8(row.text));
      const QString focus = QString::fromLatin1(row.focus);
      const Qt::FocusPolicy policy = w->focusPolicy();
      if (focus == QLatin1String("tab")) QVERIFY2((policy & Qt::TabFocus) == Qt::TabFocus, row.name);
      if (focus == QLatin1String("click") || focus == QLatin1String("ro"))
        QVERIFY2(policy == Qt::ClickFocus, row.name);
      if (auto* edit = qobject_cast<QLineEdit*>(w))
        QCOMPARE(edit->isReadOnly(), focus == QLatin1String("ro"));
      if (focus == QLatin1String("none")) QVERIFY2(policy == Qt::NoFocus, row.name);
    }
  }

  void controlsAreCreatedInLayoutOrder() {
    QStringList created;
    for (QObject* child : form_->TabSheet1->children())
      if (child->isWidgetType()) created << child->objectName();
    QStringList layout;
    for (const Row& row : kLayout) layout << QString::fromLatin1(row.name);
    QCOMPARE(created, layout);
  }

  void hintsOnlyWhereTheLayoutHasThem() {
    QCOMPARE(form_->Edit2->toolTip(), QStringLiteral("按回車鍵跳至"));
    QCOMPARE(form_->CheckBox1->toolTip(), QStringLiteral("選擇後，資料將連同標題匯出。"));
    QCOMPARE(form_->Button1->toolTip(), QStringLiteral("匯出後以「CTRL-V」，貼至本書軟件。"));
    for (QWidget* w : form_->findChildren<QWidget*>()) {
      if (w == form_->Edit2 || w == form_->CheckBox1 || w == form_->Button1) continue;
      QVERIFY2(w->toolTip().isEmpty(), qPrintable(w->objectName()));
    }
  }

  void listsStartAsDesigned() {
    QCOMPARE(form_->DBComboBox1->count(), 2);
    QCOMPARE(form_->DBComboBox1->itemText(0), QStringLiteral("客觀"));
    QCOMPARE(form_->DBComboBox1->itemText(1), QStringLiteral("主觀"));
    QVERIFY(form_->DBComboBox1->currentText().isEmpty());
    for (TDBComboBox* box : {form_->DBComboBox2, form_->DBComboBox3, form_->DBComboBox4, form_->DBComboBox5}) {
      QCOMPARE(box->count(), 0);
      QCOMPARE(box->itemHeight(), 16);
    }
  }

  void everyControlFitsTheClientArea_data() {
    QTest::addColumn<int>("dpi");
    QTest::newRow("96") << 96;
    QTest::newRow("120") << 120;
    QTest::newRow("144") << 144;
  }

  void everyControlFitsTheClientArea() {
    QFETCH(int, dpi);
    form_ = std::make_unique<TForm1>(nullptr, TForm1Options{dpi, {}});
    showForm();
    const QRect client = form_->rect();
    for (QWidget* w : form_->TabSheet1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (qobject_cast<TPanel*>(w)) continue;  // the divider lines start left of the page on purpose
      QRect r(w->mapTo(form_.get(), QPoint(0, 0)), w->size());
      // The captions of the two boxes at the bottom (top 352, height 16)
      // reach one row past the client area by design; their glyphs end
      // above that row (see test_controls).
      if (qobject_cast<QLabel*>(w)) r.setBottom(r.bottom() - 1);
      QVERIFY2(client.contains(r), qPrintable(w->objectName()));
    }
  }

  // --- keyboard -----------------------------------------------------------

  void tabStartsOnTheTabStripVisitsTheStopsInOrderAndReturns() {
    showForm();
    QCOMPARE(QApplication::focusWidget(), form_->PageControl1->tabBar());
    QStringList visited;
    for (std::size_t i = 0; i <= std::size(kTabStops); ++i) {
      press(Qt::Key_Tab);
      visited << focusedControl();
    }
    QStringList expected;
    for (const char* name : kTabStops) expected << QString::fromLatin1(name);
    expected << QStringLiteral("PageControl1");
    QCOMPARE(visited, expected);
  }

  void ctrlTabCyclesPagesAndFocusesTheirFirstControl() {
    showForm();
    form_->Edit1->setFocus();
    QCOMPARE(focusedControl(), QStringLiteral("Edit1"));
    press(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(form_->PageControl1->currentIndex(), 1);
    QCOMPARE(focusedControl(), QStringLiteral("SynMemo1"));
    press(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(form_->PageControl1->currentIndex(), 2);
    QCOMPARE(focusedControl(), QStringLiteral("SynMemo2"));
    press(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(form_->PageControl1->currentIndex(), 0);
    QCOMPARE(focusedControl(), QStringLiteral("DBComboBox1"));
    press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(form_->PageControl1->currentIndex(), 2);
    QCOMPARE(focusedControl(), QStringLiteral("SynMemo2"));
  }

  void ctrlTabOnTheTabStripKeepsTheFocusThere() {
    showForm();
    press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(form_->PageControl1->currentIndex(), 2);
    QCOMPARE(QApplication::focusWidget(), form_->PageControl1->tabBar());
  }

  // --- handlers -----------------------------------------------------------

  void formCreateUnchecksTheExportBoxWhateverTheLayoutSays() {
    // As if the stored layout had the box checked.
    const auto checkedInLayout = [](TForm1& f, CreationStep step) {
      if (step == CreationStep::LayoutLoaded) f.CheckBox1->setChecked(true);
    };
    form_ = std::make_unique<TForm1>(nullptr, TForm1Options{96, checkedInLayout});
    QVERIFY(!form_->CheckBox1->isChecked());
  }

  void panel2DoubleClickWithTheWordShowsTheMessage() {
    showForm();
    form_->Edit1->setText(TForm1::panel2Word());
    QTest::mouseDClick(form_->Panel2, Qt::LeftButton);
    QCOMPARE(boxes_.size(), std::size_t(1));
    QCOMPARE(boxes_[0].caption, QStringLiteral("Zenmora１．０版"));
    QCOMPARE(boxes_[0].icon, QMessageBox::NoIcon);
    QVERIFY(!boxes_[0].text.isEmpty());
    QVERIFY(!boxes_[0].text.contains(QLatin1Char('\n')));
  }

  void panel2DoubleClickOtherwiseDoesNothing_data() {
    QTest::addColumn<QString>("search");
    QTest::newRow("empty") << QString();
    QTest::newRow("other character") << QStringLiteral("字");
    QTest::newRow("word twice") << TForm1::panel2Word() + TForm1::panel2Word();
    QTest::newRow("word and more") << TForm1::panel2Word() + QLatin1Char(' ');
  }

  void panel2DoubleClickOtherwiseDoesNothing() {
    QFETCH(QString, search);
    showForm();
    form_->Edit1->setText(search);
    QTest::mouseDClick(form_->Panel2, Qt::LeftButton);
    QVERIFY(boxes_.empty());
  }

  // --- scaling ------------------------------------------------------------

  void scaledLayoutAt120Dpi() {
    form_ = std::make_unique<TForm1>(nullptr, TForm1Options{120, {}});
    QCOMPARE(form_->size(), QSize(773, 511));
    QCOMPARE(form_->font().pixelSize(), 14);
    QCOMPARE(form_->PageControl1->geometry(), QRect(-1, 0, 787, 517));
    QCOMPARE(form_->DBMemo1->geometry(), QRect(0, 262, 765, 116));
    QCOMPARE(form_->Panel2->geometry(), QRect(-21, 399, 786, 2));
    QCOMPARE(form_->DBEdit6->font().pixelSize(), 17);
    QCOMPARE(form_->DBComboBox1->itemHeight(), 21);
  }

  void scaledLayoutAt144Dpi() {
    form_ = std::make_unique<TForm1>(nullptr, TForm1Options{144, {}});
    QCOMPARE(form_->size(), QSize(909, 602));
    QCOMPARE(form_->Button1->geometry(), QRect(726, 528, 174, 37));
    QCOMPARE(form_->Button1->font().pixelSize(), 20);
  }
};

int main(int argc, char** argv) {
  gui::Application app(argc, argv);
  // The form connects to it while it loads; with no records the bound boxes
  // stay as empty as the layout has them.
  const AppTestDatabase database(0);
  TestUnit1 test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_unit1.moc"

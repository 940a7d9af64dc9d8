#include "app/Unit1.h"

#include "app/reference/reference_panes.h"
#include "app/reference/reference_text_view.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

#include <cmath>

#include "app/AppIcon.h"
#include "app/startup_trace.h"
#include "platform/gui/error_display.h"
#include "platform/gui/font_map.h"

namespace {

int primaryScreenDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInchY()))
                : gui::LayoutScale::kDesignDpi;
}

int effectiveDpi(int requested) { return requested > 0 ? requested : primaryScreenDpi(); }

// Where the pages sit inside the page control: below the band of the tab
// strip, 4 pixels in from the other edges (at 96 dpi).
constexpr int kPageInset = 4;
constexpr int kTabBand = 24;

}  // namespace

TForm1::TForm1(QWidget* parent, TForm1Options options)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      options_(std::move(options)),
      scale_(gui::LayoutScale::forDpi(effectiveDpi(options_.screenDpi))) {
  CreateLayout();
  probe(CreationStep::LayoutLoaded);
  CreateDataComponents();
  OpenTables();
  startup_trace::mark("six tables open (first keys and rows of each; tab 1 filled with the first record)");
  probe(CreationStep::TablesOpened);
  ConnectEvents();
  DoCreate();
  startup_trace::mark("FormCreate (status line: record number and count)");
}

TForm1::~TForm1() { CloseDataComponents(); }

QString TForm1::panel2Word() { return QStringLiteral("禪"); }

void TForm1::probe(CreationStep step) {
  if (options_.probe) options_.probe(*this, step);
}

// ---------------------------------------------------------------------------
// Layout

QFont TForm1::layoutFont(FontKey key) const {
  switch (key) {
    case FontKey::F1: return gui::layoutFont(gui::kCourierNew, scale_.length(13), true);
    case FontKey::F2: return gui::layoutFont(gui::kMsSansSerif, scale_.length(13));
    case FontKey::F3: return gui::layoutFont(gui::kSystem, scale_.length(13), true);
    case FontKey::F4: return gui::layoutFont(gui::kMsSansSerif, scale_.length(11));
  }
  return font();
}

void TForm1::place(QWidget* control, int left, int top, int width, int height) const {
  const gui::ScaledRect r = scale_.rect(left, top, width, height);
  control->setGeometry(r.left, r.top, r.width, r.height);
}

template <class Control, class... Args>
Control* TForm1::make(QWidget* parent, const char* name, FontKey font, Args&&... args) {
  auto* control = new Control(std::forward<Args>(args)..., parent);
  control->setObjectName(QString::fromLatin1(name));
  control->setFont(layoutFont(font));
  return control;
}

void TForm1::CreateLayout() {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Zenmora１．０１版"));
  setWindowIcon(programIcon());
  setFont(gui::layoutFont(gui::kMsSansSerif, scale_.fontHeight()));
  setBackgroundRole(QPalette::Button);
  setAutoFillBackground(true);
  setFixedSize(scale_.length(kClientWidth), scale_.length(kClientHeight));

  PageControl1 = new TPageControl(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  place(PageControl1, -1, 0, 602, 395);
  const int inset = scale_.length(kPageInset);
  PageControl1->setPageMargins(QMargins(inset, scale_.length(kTabBand), inset, inset));

  CreateDataEntryPage();
  startup_trace::mark("form construction: tab 1's controls and fonts");
  CreateReferencePages();
  startup_trace::mark("reference texts");
  PageControl1->setCurrentIndex(0);
  SetTabOrder();
}

void TForm1::CreateDataEntryPage() {
  TabSheet1 = new TTabSheet(PageControl1);
  TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
  TabSheet1->setFont(gui::layoutFont(gui::kSystem, scale_.length(11)));
  TabSheet1->setBackgroundRole(QPalette::Button);
  TabSheet1->setAutoFillBackground(true);
  PageControl1->addPage(TabSheet1, QStringLiteral("歸納練習"));
  QWidget* page = TabSheet1;
  using F = FontKey;

  // Controls that Tab skips can still be clicked into; labels take no focus.
  const auto noStop = [](QWidget* w) { w->setFocusPolicy(Qt::ClickFocus); };
  const auto readOnlyBox = [&](TDBEdit* e) {
    e->setReadOnly(true);
    noStop(e);
  };

  DBEdit1 = make<TDBEdit>(page, "DBEdit1", F::F1);
  place(DBEdit1, 8, 8, 41, 24);
  noStop(DBEdit1);
  Label5 = make<TLabel>(page, "Label5", F::F1, QStringLiteral("字首"));
  place(Label5, 112, 16, 32, 16);
  DBText1 = make<TDBText>(page, "DBText1", F::F1);
  place(DBText1, 152, 16, 33, 16);
  {
    QPalette black = DBText1->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    DBText1->setPalette(black);
  }
  Label12 = make<TLabel>(page, "Label12", F::F1, QStringLiteral("五代倉碼"));
  place(Label12, 192, 16, 64, 16);
  DBEdit10 = make<TDBEdit>(page, "DBEdit10", F::F1);
  place(DBEdit10, 264, 8, 97, 24);
  readOnlyBox(DBEdit10);
  DBEdit11 = make<TDBEdit>(page, "DBEdit11", F::F1);
  place(DBEdit11, 368, 8, 65, 24);
  readOnlyBox(DBEdit11);
  Panel1 = new TPanel(page);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  place(Panel1, -16, 49, 601, 2);

  Label6 = make<TLabel>(page, "Label6", F::F1, QStringLiteral("立場觀"));
  place(Label6, 0, 72, 48, 16);
  Label7 = make<TLabel>(page, "Label7", F::F1, QStringLiteral("現象族"));
  place(Label7, 96, 72, 48, 16);
  Label8 = make<TLabel>(page, "Label8", F::F1, QStringLiteral("認知類"));
  place(Label8, 192, 72, 48, 16);
  Label9 = make<TLabel>(page, "Label9", F::F1, QStringLiteral("四別屬"));
  place(Label9, 296, 72, 48, 16);
  Label10 = make<TLabel>(page, "Label10", F::F1, QStringLiteral("八種細目"));
  place(Label10, 392, 72, 64, 16);
  Label11 = make<TLabel>(page, "Label11", F::F1, QStringLiteral("基本概念"));
  place(Label11, 496, 72, 64, 16);

  const auto list = [&](const char* name, int left, int width) {
    auto* box = make<TDBComboBox>(page, name, F::F2);
    place(box, left, 96, width, 24);
    box->setItemHeight(scale_.length(16));
    return box;
  };
  DBEdit2 = make<TDBEdit>(page, "DBEdit2", F::F2);
  place(DBEdit2, 0, 96, 25, 24);
  readOnlyBox(DBEdit2);
  DBComboBox1 = list("DBComboBox1", 24, 57);
  DBComboBox1->addItems({QStringLiteral("客觀"), QStringLiteral("主觀")});
  DBComboBox1->setCurrentIndex(-1);
  DBEdit3 = make<TDBEdit>(page, "DBEdit3", F::F2);
  place(DBEdit3, 96, 96, 25, 24);
  readOnlyBox(DBEdit3);
  DBComboBox2 = list("DBComboBox2", 120, 57);
  DBEdit4 = make<TDBEdit>(page, "DBEdit4", F::F2);
  place(DBEdit4, 192, 96, 25, 24);
  readOnlyBox(DBEdit4);
  DBComboBox3 = list("DBComboBox3", 216, 65);
  DBEdit5 = make<TDBEdit>(page, "DBEdit5", F::F2);
  place(DBEdit5, 296, 96, 25, 24);
  readOnlyBox(DBEdit5);
  DBComboBox4 = list("DBComboBox4", 320, 57);
  DBEdit8 = make<TDBEdit>(page, "DBEdit8", F::F2);
  place(DBEdit8, 392, 96, 33, 24);
  readOnlyBox(DBEdit8);
  DBComboBox5 = list("DBComboBox5", 424, 57);
  DBEdit9 = make<TDBEdit>(page, "DBEdit9", F::F2);
  place(DBEdit9, 496, 96, 49, 24);
  readOnlyBox(DBEdit9);
  DBEdit7 = make<TDBEdit>(page, "DBEdit7", F::F2);
  place(DBEdit7, 544, 96, 41, 24);
  readOnlyBox(DBEdit7);

  Label4 = make<TLabel>(page, "Label4", F::F1, QStringLiteral("基因定義"));
  place(Label4, 0, 133, 64, 16);
  DBEdit6 = make<TDBEdit>(page, "DBEdit6", F::F3);
  place(DBEdit6, 0, 152, 585, 23);
  Label13 = make<TLabel>(page, "Label13", F::F1, QStringLiteral("筆記"));
  place(Label13, 0, 181, 32, 16);
  DBMemo1 = make<TDBMemo>(page, "DBMemo1", F::F3);
  place(DBMemo1, 0, 200, 585, 89);
  Panel2 = new TPanel(page);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  place(Panel2, -16, 305, 601, 2);

  // Design text of the status line; the status line code replaces it before
  // the window is first shown. With no table open it is the truth.
  Label2 = make<TLabel>(page, "Label2", F::F4, QStringLiteral("資料庫全空"));
  place(Label2, 0, 312, 0, 0);
  Label2->adjustSize();

  CheckBox1 = make<TCheckBox>(page, "CheckBox1", F::F2, QStringLiteral("標題匯出"));
  place(CheckBox1, 472, 320, 113, 17);
  CheckBox1->setToolTip(QStringLiteral("選擇後，資料將連同標題匯出。"));
  Label1 = make<TLabel>(page, "Label1", F::F1, QStringLiteral("搜索"));
  place(Label1, 0, 352, 32, 16);
  Edit1 = make<TEdit>(page, "Edit1", F::F1);
  place(Edit1, 40, 343, 60, 24);
  Label3 = make<TLabel>(page, "Label3", F::F1, QStringLiteral("跳至"));
  place(Label3, 112, 352, 32, 16);
  Edit2 = make<TEdit>(page, "Edit2", F::F1);
  place(Edit2, 152, 343, 60, 24);
  Edit2->setToolTip(QStringLiteral("按回車鍵跳至"));
  DBNavigator1 = new TDBNavigator(page);
  DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
  place(DBNavigator1, 232, 343, 232, 24);
  Button1 = make<TButton>(page, "Button1", F::F2, QStringLiteral("單筆匯出剪貼"));
  place(Button1, 472, 343, 113, 24);
  Button1->setToolTip(QStringLiteral("匯出後以「CTRL-V」，貼至本書軟件。"));
}

void TForm1::CreateReferencePages() {
  const auto fitToLayout = [&](reference::ReferenceTextView* pane) {
    pane->setFont(gui::layoutFont(gui::kCourierNew, scale_.length(reference::kPaneFontPixels), true));
    place(pane, reference::kPaneLeft, reference::kPaneTop, reference::kPaneWidth, reference::kPaneHeight);
    return pane;
  };

  TabSheet2 = new TTabSheet(PageControl1);
  TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
  PageControl1->addPage(TabSheet2, QStringLiteral("概念對分"));
  SynMemo1 = fitToLayout(reference::createConceptTreePane(TabSheet2));

  TabSheet3 = new TTabSheet(PageControl1);
  TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
  PageControl1->addPage(TabSheet3, QStringLiteral("概念分類"));
  SynMemo2 = fitToLayout(reference::createConceptTablePane(TabSheet3));
}

void TForm1::SetTabOrder() {
  // The window's tab order: the tab strip (created first, so first in the
  // chain), then tab 1's controls in their layout tab order. Controls that
  // Tab skips follow, so that the whole chain matches the layout even where
  // it is not used.
  QWidget* const chain[] = {
      DBComboBox1, DBComboBox2, DBComboBox3, DBComboBox4, DBComboBox5, DBEdit6,
      DBMemo1,     Edit1,       Edit2,       CheckBox1,   Button1,     DBEdit1,
      DBEdit10,    DBEdit11,    DBEdit2,     DBEdit3,     DBEdit4,     DBEdit5,
      DBEdit7,     DBEdit8,     DBEdit9,
  };
  for (std::size_t i = 1; i < std::size(chain); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

// ---------------------------------------------------------------------------
// Events

void TForm1::ConnectEvents() {
  // Every handler goes through gui::guarded(): its exceptions are shown in
  // the error box without unwinding through Qt.
  connect(Panel2, &TPanel::doubleClicked, this, gui::guarded(this, &TForm1::Panel2DblClick));
  ConnectEntryHandlers();
}

void TForm1::DoCreate() {
  try {
    FormCreate();
  } catch (...) {
    gui::showException(std::current_exception());
  }
}

// ---------------------------------------------------------------------------
// Window

void TForm1::showEvent(QShowEvent* event) {
  if (!centred_) {
    centred_ = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      QRect frame = frameGeometry();
      frame.moveCenter(screen->geometry().center());
      move(frame.topLeft());
    }
  }
  QWidget::showEvent(event);
}

// ---------------------------------------------------------------------------
// Handlers

void TForm1::FormCreate() {
  CheckBox1->setChecked(false);
  probe(CreationStep::FormCreate);
  UpdateStatusLine();
}

void TForm1::Panel2DblClick() {
  if (Edit1->text() != panel2Word()) return;
  gui::showMessageBox({gui::applicationTitle(), QStringLiteral("禪心見性：Zenmora 與你一同歸納概念。"),
                       QMessageBox::NoIcon});
}

#include "app/Unit1.h"

#include "app/reference/reference_panes.h"
#include "app/reference/reference_text_view.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

#include <cmath>
#include <optional>
#include <type_traits>
#include <variant>

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

TForm1::TForm1(QWidget* parent, TForm1Options options, QString database)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      options_(std::move(options)),
      database_(std::move(database)),
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

  // The page's controls in the order they are made (which is also the order
  // they stack in): where each sits in layout units, its font, caption and
  // tip. A control without a font (the lines, the navigator) keeps the page's.
  using Member = std::variant<TDBEdit* TForm1::*, TLabel* TForm1::*, TDBText* TForm1::*, TDBComboBox* TForm1::*,
                              TDBMemo* TForm1::*, TPanel* TForm1::*, TCheckBox* TForm1::*, TEdit* TForm1::*,
                              TDBNavigator* TForm1::*, TButton* TForm1::*>;
  enum class Focus { Tab, ClickOnly, ReadOnly };  // ReadOnly: a code box, clicked into only
  struct Placed {
    Member member;
    const char* name;
    std::optional<FontKey> font;
    int left, top, width, height;
    const char* caption = nullptr;  // UTF-8
    Focus focus = Focus::Tab;
    const char* toolTip = nullptr;
  };
  using F = FontKey;
  constexpr Focus ro = Focus::ReadOnly;
  const Placed controls[] = {
      {&TForm1::DBEdit1, "DBEdit1", F::F1, 8, 8, 41, 24, nullptr, Focus::ClickOnly},
      {&TForm1::Label5, "Label5", F::F1, 112, 16, 32, 16, "字首"},
      {&TForm1::DBText1, "DBText1", F::F1, 152, 16, 33, 16},
      {&TForm1::Label12, "Label12", F::F1, 192, 16, 64, 16, "五代倉碼"},
      {&TForm1::DBEdit10, "DBEdit10", F::F1, 264, 8, 97, 24, nullptr, ro},
      {&TForm1::DBEdit11, "DBEdit11", F::F1, 368, 8, 65, 24, nullptr, ro},
      {&TForm1::Panel1, "Panel1", std::nullopt, -16, 49, 601, 2},
      {&TForm1::Label6, "Label6", F::F1, 0, 72, 48, 16, "立場觀"},
      {&TForm1::Label7, "Label7", F::F1, 96, 72, 48, 16, "現象族"},
      {&TForm1::Label8, "Label8", F::F1, 192, 72, 48, 16, "認知類"},
      {&TForm1::Label9, "Label9", F::F1, 296, 72, 48, 16, "四別屬"},
      {&TForm1::Label10, "Label10", F::F1, 392, 72, 64, 16, "八種細目"},
      {&TForm1::Label11, "Label11", F::F1, 496, 72, 64, 16, "基本概念"},
      {&TForm1::DBEdit2, "DBEdit2", F::F2, 0, 96, 25, 24, nullptr, ro},
      {&TForm1::DBComboBox1, "DBComboBox1", F::F2, 24, 96, 57, 24},
      {&TForm1::DBEdit3, "DBEdit3", F::F2, 96, 96, 25, 24, nullptr, ro},
      {&TForm1::DBComboBox2, "DBComboBox2", F::F2, 120, 96, 57, 24},
      {&TForm1::DBEdit4, "DBEdit4", F::F2, 192, 96, 25, 24, nullptr, ro},
      {&TForm1::DBComboBox3, "DBComboBox3", F::F2, 216, 96, 65, 24},
      {&TForm1::DBEdit5, "DBEdit5", F::F2, 296, 96, 25, 24, nullptr, ro},
      {&TForm1::DBComboBox4, "DBComboBox4", F::F2, 320, 96, 57, 24},
      {&TForm1::DBEdit8, "DBEdit8", F::F2, 392, 96, 33, 24, nullptr, ro},
      {&TForm1::DBComboBox5, "DBComboBox5", F::F2, 424, 96, 57, 24},
      {&TForm1::DBEdit9, "DBEdit9", F::F2, 496, 96, 49, 24, nullptr, ro},
      {&TForm1::DBEdit7, "DBEdit7", F::F2, 544, 96, 41, 24, nullptr, ro},
      {&TForm1::Label4, "Label4", F::F1, 0, 133, 64, 16, "基因定義"},
      {&TForm1::DBEdit6, "DBEdit6", F::F3, 0, 152, 585, 23},
      {&TForm1::Label13, "Label13", F::F1, 0, 181, 32, 16, "筆記"},
      {&TForm1::DBMemo1, "DBMemo1", F::F3, 0, 200, 585, 89},
      {&TForm1::Panel2, "Panel2", std::nullopt, -16, 305, 601, 2},
      // Design text of the status line; the status line code replaces it
      // before the window is first shown. With no table open it is the truth.
      {&TForm1::Label2, "Label2", F::F4, 0, 312, 0, 0, "資料庫全空"},
      {&TForm1::CheckBox1, "CheckBox1", F::F2, 472, 320, 113, 17, "標題匯出", Focus::Tab,
       "選擇後，資料將連同標題匯出。"},
      {&TForm1::Label1, "Label1", F::F1, 0, 352, 32, 16, "搜索"},
      {&TForm1::Edit1, "Edit1", F::F1, 40, 343, 60, 24},
      {&TForm1::Label3, "Label3", F::F1, 112, 352, 32, 16, "跳至"},
      {&TForm1::Edit2, "Edit2", F::F1, 152, 343, 60, 24, nullptr, Focus::Tab, "按回車鍵跳至"},
      {&TForm1::DBNavigator1, "DBNavigator1", std::nullopt, 232, 343, 232, 24},
      {&TForm1::Button1, "Button1", F::F2, 472, 343, 113, 24, "單筆匯出剪貼", Focus::Tab,
       "匯出後以「CTRL-V」，貼至本書軟件。"},
  };
  for (const Placed& c : controls) {
    std::visit(
        [&](auto member) {
          using Control = std::remove_pointer_t<std::remove_reference_t<decltype(this->*member)>>;
          Control* control = nullptr;
          if constexpr (!std::is_constructible_v<Control, QWidget*>) {
            control = make<Control>(page, c.name, *c.font, QString::fromUtf8(c.caption));  // a captioned kind
          } else if (c.font) {
            control = make<Control>(page, c.name, *c.font);
          } else {
            control = new Control(page);
            control->setObjectName(QString::fromLatin1(c.name));
          }
          this->*member = control;
          place(control, c.left, c.top, c.width, c.height);
          if constexpr (std::is_same_v<Control, TDBEdit>) {
            if (c.focus == Focus::ReadOnly) control->setReadOnly(true);
          }
          // Controls that Tab skips can still be clicked into; labels take no focus.
          if (c.focus != Focus::Tab) control->setFocusPolicy(Qt::ClickFocus);
          if (c.toolTip) control->setToolTip(QString::fromUtf8(c.toolTip));
        },
        c.member);
  }

  // The radical is drawn in black as designed, on a light window colour
  // only: under a dark colour scheme it keeps the scheme's light text.
  if (DBText1->palette().color(QPalette::Window).lightness() >= 128) {
    QPalette black = DBText1->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    DBText1->setPalette(black);
  }
  for (TDBComboBox* list : {DBComboBox1, DBComboBox2, DBComboBox3, DBComboBox4, DBComboBox5}) {
    list->setItemHeight(scale_.length(16));
  }
  DBComboBox1->addItems({QStringLiteral("客觀"), QStringLiteral("主觀")});
  DBComboBox1->setCurrentIndex(-1);
  Label2->adjustSize();
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
  ShowNetworkShareNotice();
}

void TForm1::Panel2DblClick() {
  if (Edit1->text() != panel2Word()) return;
  gui::showMessageBox({gui::applicationTitle(), QStringLiteral("禪心見性：Zenmora 與你一同歸納概念。"),
                       QMessageBox::NoIcon});
}

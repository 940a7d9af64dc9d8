#pragma once
// Unit1: the main form TForm1, the program's one window.
//
// Contract:
//  - Creating the form builds, in this order: every control of the layout
//    (in layout order, each with its layout name as objectName, its position,
//    size, font, caption, hint and tab order), then the data components
//    (CreateDataComponents), then opens the tables (OpenTables), then runs
//    FormCreate. An exception from FormCreate is shown in the error box and
//    the form is still created; an exception from the layout or the data
//    components escapes the constructor (the program then cannot start).
//  - Client area 591 × 391 at 96 dpi, fixed size, system menu and minimise
//    box only; centred on the primary screen when first shown. On another
//    logical dpi the whole layout is scaled by gui::LayoutScale.
//  - Components are owned by the form (Qt parent ownership) for its whole
//    life; the pointers below stay valid as long as the form exists.
//  - The data components (OrvDaoDatabase1, OrvDaoTable1..6, DataSource1..6)
//    are created after the layout, each given its stored properties in
//    stored order while it is loading. The connection connects as its stored
//    Connected is read; a failure ends the form's creation with EReadError
//    ("Error reading OrvDaoDatabase1.Connected: " and the connection's
//    message). The tables open once all components exist, OrvDaoTable1
//    first; a table that fails to open is reported in the error box and the
//    form is still created.
//  - Closing the window first finishes an edit of the main table as a move
//    would (post when a field was changed, else cancel); if that fails, the
//    error is shown and the window stays open. Destroying the form closes
//    the tables and disconnects the database.
//  - Event handlers are the methods named after component and event.
#include <QWidget>

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "app/controls/ComCtrls.h"
#include "app/controls/ExtCtrls.h"
#include "app/controls/StdCtrls.h"
#include "app/controls/TDBComboBox.h"
#include "app/controls/TDBEdit.h"
#include "app/controls/TDBMemo.h"
#include "app/controls/TDBNavigator.h"
#include "app/controls/TDBText.h"
#include "framework/TComponent.h"
#include "platform/gui/layout_scale.h"

class QAbstractScrollArea;
class QCloseEvent;
namespace framework {
class TDataSet;
class TDataSource;
}  // namespace framework
namespace data {
class TOrvDaoDatabase;
class TOrvDaoTable;
}  // namespace data

// Points of the form's creation at which a creation probe is called.
enum class CreationStep {
  LayoutLoaded,  // every control exists, nothing else yet
  TablesOpened,  // data components created, tables opened; FormCreate next
  FormCreate,    // inside FormCreate, after CheckBox1 was unchecked
};

class TForm1;

struct TForm1Options {
  // Logical dpi to lay the form out for; 0 takes the primary screen's.
  int screenDpi = 0;
  // Called at each CreationStep with the form being created; may throw to
  // make that step fail. Lets tests reach the failure paths of the creation;
  // empty in the program.
  std::function<void(TForm1&, CreationStep)> probe;
};

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 591;
  static constexpr int kClientHeight = 391;

  // `database`: what the connection opens instead of its stored
  // "Lexora_Concept.mdb" (a path, or a server's address); empty keeps the
  // stored one.
  explicit TForm1(QWidget* parent = nullptr, TForm1Options options = {}, QString database = {});
  ~TForm1() override;

  const gui::LayoutScale& layoutScale() const noexcept { return scale_; }

  // Handlers.
  void FormCreate();
  void Panel2DblClick();

  void OrvDaoTable1AfterScroll(framework::TDataSet& dataSet);
  void OrvDaoTable1AfterPost(framework::TDataSet& dataSet);
  void DBComboBox1Click();
  void DBComboBox2Click();
  void DBComboBox3Click();
  void DBComboBox4Click();
  void DBComboBox5Click();
  void Button1Click();

  // Writes the record status line (Label2) from the main table: "資料庫全空"
  // without a current record, else "<RecNo> ∕ <RecordCount>  筆資料".
  void UpdateStatusLine();
  // When the database file lies on a network or FUSE file system: tells
  // once, in the status line, that several machines writing one file there
  // is not safe and that a server database is the way for a team. The text
  // stays as the status line's tool tip; the first move of the record shows
  // the record status again. Nothing on a local disk.
  void ShowNetworkShareNotice();

  // Shows a note of the start (the first start's database copy) on the
  // status line, until the record status replaces it.
  void ShowStartupNote(const QString& note);

  // Ties every data-bound control of tab 1 (DBEdit1..11, DBComboBox1..5,
  // DBMemo1, DBText1, DBNavigator1) to its field through the data source of
  // the main table. Called once, after the data components exist.
  void BindControls(framework::TDataSource& dataSource);

  // The character that Panel2DblClick looks for in the search box.
  static QString panel2Word();

  // Components, in layout order.
  TPageControl* PageControl1 = nullptr;
  TTabSheet* TabSheet1 = nullptr;
  TDBEdit* DBEdit1 = nullptr;
  TLabel* Label5 = nullptr;
  TDBText* DBText1 = nullptr;
  TLabel* Label12 = nullptr;
  TDBEdit* DBEdit10 = nullptr;
  TDBEdit* DBEdit11 = nullptr;
  TPanel* Panel1 = nullptr;
  TLabel* Label6 = nullptr;
  TLabel* Label7 = nullptr;
  TLabel* Label8 = nullptr;
  TLabel* Label9 = nullptr;
  TLabel* Label10 = nullptr;
  TLabel* Label11 = nullptr;
  TDBEdit* DBEdit2 = nullptr;
  TDBComboBox* DBComboBox1 = nullptr;
  TDBEdit* DBEdit3 = nullptr;
  TDBComboBox* DBComboBox2 = nullptr;
  TDBEdit* DBEdit4 = nullptr;
  TDBComboBox* DBComboBox3 = nullptr;
  TDBEdit* DBEdit5 = nullptr;
  TDBComboBox* DBComboBox4 = nullptr;
  TDBEdit* DBEdit8 = nullptr;
  TDBComboBox* DBComboBox5 = nullptr;
  TDBEdit* DBEdit9 = nullptr;
  TDBEdit* DBEdit7 = nullptr;
  TLabel* Label4 = nullptr;
  TDBEdit* DBEdit6 = nullptr;
  TLabel* Label13 = nullptr;
  TDBMemo* DBMemo1 = nullptr;
  TPanel* Panel2 = nullptr;
  TLabel* Label2 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TLabel* Label1 = nullptr;
  TEdit* Edit1 = nullptr;
  TLabel* Label3 = nullptr;
  TEdit* Edit2 = nullptr;
  TDBNavigator* DBNavigator1 = nullptr;
  TButton* Button1 = nullptr;
  TTabSheet* TabSheet2 = nullptr;
  QAbstractScrollArea* SynMemo1 = nullptr;  // read-only reference pane
  TTabSheet* TabSheet3 = nullptr;
  QAbstractScrollArea* SynMemo2 = nullptr;  // read-only reference pane

  // Data components, in layout order (owned by the form, see below).
  data::TOrvDaoDatabase* OrvDaoDatabase1 = nullptr;
  data::TOrvDaoTable* OrvDaoTable1 = nullptr;
  data::TOrvDaoTable* OrvDaoTable2 = nullptr;
  data::TOrvDaoTable* OrvDaoTable3 = nullptr;
  data::TOrvDaoTable* OrvDaoTable4 = nullptr;
  data::TOrvDaoTable* OrvDaoTable5 = nullptr;
  data::TOrvDaoTable* OrvDaoTable6 = nullptr;
  framework::TDataSource* DataSource1 = nullptr;
  framework::TDataSource* DataSource2 = nullptr;
  framework::TDataSource* DataSource3 = nullptr;
  framework::TDataSource* DataSource4 = nullptr;
  framework::TDataSource* DataSource5 = nullptr;
  framework::TDataSource* DataSource6 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  enum class FontKey { F1, F2, F3, F4 };

  void CreateLayout();
  void CreateDataEntryPage();
  void CreateReferencePages();
  void SetTabOrder();
  void CreateDataComponents();
  data::TOrvDaoTable* CreateTable(int number, std::string_view tableName);
  void OpenTables();
  void CloseDataComponents() noexcept;
  void ConnectEvents();
  void ConnectEntryHandlers();
  void DoCreate();

  void place(QWidget* control, int left, int top, int width, int height) const;
  QFont layoutFont(FontKey key) const;
  template <class Control, class... Args>
  Control* make(QWidget* parent, const char* name, FontKey font, Args&&... args);
  void probe(CreationStep step);

  TForm1Options options_;
  QString database_;
  gui::LayoutScale scale_;
  bool centred_ = false;
  // The form as the owner of its data components (their loading state and
  // free notifications), and their storage in creation order; they are
  // destroyed in reverse order.
  framework::TComponent components_{"Form1"};
  std::vector<std::unique_ptr<framework::TComponent>> dataComponents_;
};

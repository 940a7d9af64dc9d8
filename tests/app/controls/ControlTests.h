#pragma once
// What the control tests share: the main table in memory, a window to put
// controls in, traces of dataset events, and ways to type, compose and
// watch the beep and the error box.
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/controls/InputCommitGuard.h"
#include "framework/TDataSet.h"
#include "framework/TDataSource.h"
#include "framework/TField.h"
#include "platform/big5/big5.h"
#include "platform/gui/beep.h"
#include "platform/gui/error_display.h"
#include "schema/schema.h"
#include "tests/framework/MemoryDataSet.h"

namespace controls_test {

using namespace framework;
using framework::testing::MemoryColumn;
using framework::testing::MemoryDataSet;
using framework::testing::MemoryRow;

// The fields of "0_Data_Input", as the table dataset presents them.
inline std::vector<MemoryColumn> MainTableColumns() {
  std::vector<MemoryColumn> columns;
  for (const schema::FieldDefinition& field : schema::findTable(schema::tables::DataInput)->fields) {
    TFieldType type = ftString;
    switch (field.type) {
      case schema::FieldType::AutoInc: type = ftAutoInc; break;
      case schema::FieldType::String: type = ftString; break;
      case schema::FieldType::Memo: type = ftMemo; break;
      case schema::FieldType::Integer: type = ftInteger; break;
    }
    columns.emplace_back(std::string(field.name), type, field.size);
  }
  return columns;
}

// One row of the main table: the named fields get the (UTF-8) values in
// Big5, the others stay Null.
inline std::vector<std::string> MainRow(std::initializer_list<std::pair<std::string_view, const char*>> values) {
  const auto columns = MainTableColumns();
  std::vector<std::string> row(columns.size());
  for (const auto& [name, value] : values) {
    for (std::size_t i = 0; i < columns.size(); ++i)
      if (schema::sameName(columns[i].name, name)) row[i] = big5::fromUtf8(value);
  }
  return row;
}

// Three characters, the first one classified as objective.
inline std::vector<std::vector<std::string>> ThreeCharacters() {
  return {
      MainRow({{"ID", "1"}, {"B5_Word", "天"}, {"Radical_Word", "大"}, {"Li_Chang", "客觀"}, {"Li_Chang_B", "0"},
               {"CJ_Input", "天空的天"}, {"Note", "第一行\r\n第二行"}}),
      MainRow({{"ID", "2"}, {"B5_Word", "地"}, {"Radical_Word", "土"}, {"Li_Chang", "其他"}, {"CJ_Input", "大地"}}),
      MainRow({{"ID", "3"}, {"B5_Word", "人"}, {"Radical_Word", "人"}, {"CJ_Input", "人們"}}),
  };
}

class Trace {
 public:
  void Add(std::string entry) { entries_.push_back(std::move(entry)); }
  // The entries so far, joined with ";", and forgets them.
  std::string Take() {
    std::string joined;
    for (const auto& entry : entries_) joined += (joined.empty() ? "" : ";") + entry;
    entries_.clear();
    return joined;
  }

 private:
  std::vector<std::string> entries_;
};

inline void RecordEvents(TDataSet& dataSet, Trace& trace) {
  auto hook = [&trace](TDataSet::TDataSetNotifyEvent& event, const char* name) {
    event = [&trace, name](TDataSet&) { trace.Add(name); };
  };
  hook(dataSet.AfterScroll, "AfterScroll");
  hook(dataSet.BeforeEdit, "BeforeEdit");
  hook(dataSet.AfterEdit, "AfterEdit");
  hook(dataSet.AfterInsert, "AfterInsert");
  hook(dataSet.BeforePost, "BeforePost");
  hook(dataSet.AfterPost, "AfterPost");
  hook(dataSet.AfterCancel, "AfterCancel");
  hook(dataSet.AfterDelete, "AfterDelete");
}

// A field's value as Unicode.
inline QString FieldText(const TDataSet& dataSet, std::string_view name) {
  return QString::fromStdString(big5::toUtf8(dataSet.FieldByName(name).AsString()));
}

// A stored value of a row, as Unicode.
inline QString Stored(const MemoryDataSet& table, int row, std::string_view name) {
  const int column = table.FieldByName(name).FieldNo() - 1;
  return QString::fromStdString(
      big5::toUtf8(table.Rows().at(static_cast<std::size_t>(row)).values.at(static_cast<std::size_t>(column))));
}

// The main table in memory behind DataSource1, and a window with one plain
// box to move the focus to.
struct Harness {
  explicit Harness(const std::vector<std::vector<std::string>>& rows = ThreeCharacters())
      : table("OrvDaoTable1", MainTableColumns(), rows) {
    controls::InputCommitGuard::forget();  // no composition of an earlier test is watched
    source.SetDataSet(&table);
    window.resize(600, 200);
    elsewhere = new QLineEdit(&window);
    elsewhere->setObjectName(QStringLiteral("elsewhere"));
    elsewhere->setGeometry(0, 170, 100, 24);
  }

  // Shows and activates the window, so that focus changes happen.
  bool Show() {
    window.show();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
  }

  QWidget window;
  MemoryDataSet table;
  TDataSource source{"DataSource1"};
  QLineEdit* elsewhere = nullptr;
};

// Types the text character by character as key presses.
inline void Type(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    const Qt::Key key = c.isLetterOrNumber() && c.unicode() < 0x80 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
    QTest::sendKeyEvent(QTest::Press, widget, key, QString(c), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, widget, key, QString(c), Qt::NoModifier);
  }
}

// An input method handing over finished text.
inline void Commit(QWidget* widget, const QString& text) {
  QInputMethodEvent event;
  event.setCommitString(text);
  QApplication::sendEvent(widget, &event);
}

// An input method showing text still being composed.
inline void Compose(QWidget* widget, const QString& text) {
  QInputMethodEvent event(text, {});
  QApplication::sendEvent(widget, &event);
}

// Counts beeps instead of sounding them.
struct Beeps {
  int count = 0;
  gui::ScopedBeepHook hook{[this] { ++count; }};
};

// Collects the texts of the error boxes instead of showing them.
struct ErrorBoxes {
  QStringList texts;
  gui::ScopedMessageBoxHook hook{[this](const gui::MessageBoxRequest& box) { texts << box.text; }};
};

}  // namespace controls_test

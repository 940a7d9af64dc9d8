// TForm1::BindControls: every control of tab 1 shows the field the layout
// gives it, the read-only boxes cannot edit, list 1 keeps its two items.
#include <QTest>
#include <QToolButton>

#include <memory>

#include "app/Unit1.h"
#include "platform/gui/Application.h"
#include "tests/app/app_test_database.h"
#include "tests/app/controls/ControlTests.h"

using namespace controls_test;

class TestBindings : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Harness> h;
  std::unique_ptr<TForm1> form;

 private slots:
  void init() {
    // Each field holds its own name's short form, so a control bound to the
    // wrong field shows the wrong text.
    h = std::make_unique<Harness>(std::vector<std::vector<std::string>>{MainRow({
        {"B5_Word", "字"},        {"Radical_Word", "子"},   {"CJ_Code_CN", "碼cn"},   {"CJ_Code", "碼"},
        {"Li_Chang_B", "1"},     {"Li_Chang", "主觀"},     {"Xian_Xiang_B", "0"},   {"Xian_Xiang", "現象x"},
        {"Ren_Zhi_B", "1"},      {"Ren_Zhi", "認知r"},     {"Si_Bei_B", "10"},      {"Si_Bei", "四別s"},
        {"8_XI_B", "011"},       {"Gai_Nian", "概念g"},    {"Gai_Nian_Hex", "0B3H"}, {"CJ_Input", "定義"},
        {"Note", "筆記\r\n二"},
    })});
    form = std::make_unique<TForm1>(nullptr, TForm1Options{96, {}});
    form->BindControls(h->source);
    h->table.Open();
  }

  void cleanup() {
    form.reset();
    h.reset();
  }

  void everyControlShowsItsField() {
    const std::pair<QWidget*, const char*> shown[] = {
        {form->DBEdit1, "字"},       {form->DBText1, "子"},       {form->DBEdit10, "碼cn"},
        {form->DBEdit11, "碼"},      {form->DBEdit2, "1"},        {form->DBComboBox1, "主觀"},
        {form->DBEdit3, "0"},        {form->DBComboBox2, "現象x"}, {form->DBEdit4, "1"},
        {form->DBComboBox3, "認知r"}, {form->DBEdit5, "10"},       {form->DBComboBox4, "四別s"},
        {form->DBEdit8, "011"},      {form->DBComboBox5, "概念g"}, {form->DBEdit9, "概念g"},
        {form->DBEdit7, "0B3H"},     {form->DBEdit6, "定義"},
    };
    for (const auto& [control, text] : shown) {
      const QString actual = control->property(qobject_cast<QComboBox*>(control) ? "currentText" : "text").toString();
      QVERIFY2(actual == QString::fromUtf8(text), qPrintable(control->objectName() + QStringLiteral(": ") + actual));
    }
    QCOMPARE(form->DBMemo1->toPlainText(), QStringLiteral("筆記\n二"));
    QCOMPARE(form->DBNavigator1->DataSource(), &h->source);
    QVERIFY(form->DBNavigator1->button(TDBNavigator::nbInsert)->isEnabled());
  }

  void theReadOnlyBoxesCannotEditAndTheOthersCan() {
    for (TDBEdit* box : {form->DBEdit10, form->DBEdit11, form->DBEdit2, form->DBEdit3, form->DBEdit4, form->DBEdit5,
                         form->DBEdit8, form->DBEdit9, form->DBEdit7}) {
      QVERIFY2(box->isReadOnly() && !box->DataLink().CanModify(), qPrintable(box->objectName()));
    }
    for (TDBEdit* box : {form->DBEdit1, form->DBEdit6}) QVERIFY(box->DataLink().CanModify());
    QVERIFY(form->DBMemo1->DataLink().CanModify());
    for (TDBComboBox* list : {form->DBComboBox1, form->DBComboBox2, form->DBComboBox3, form->DBComboBox4,
                              form->DBComboBox5})
      QVERIFY(list->DataLink().CanModify());
  }

  void listOneKeepsItsTwoItemsAcrossLoads() {
    h->table.Edit();
    h->table.FieldByName("Li_Chang").SetAsString(big5::fromUtf8("其他"));
    QCOMPARE(form->DBComboBox1->currentText(), QStringLiteral("其他"));
    QCOMPARE(form->DBComboBox1->count(), 2);
    QCOMPARE(form->DBComboBox1->itemText(0), QStringLiteral("客觀"));
    QCOMPARE(form->DBComboBox1->itemText(1), QStringLiteral("主觀"));
    QCOMPARE(form->DBComboBox2->count(), 0);
  }
};

int main(int argc, char** argv) {
  gui::Application app(argc, argv);
  // The form connects to its own (empty) database while it loads; the test
  // then binds the controls to the in-memory table instead.
  const AppTestDatabase database(0);
  TestBindings test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_bindings.moc"

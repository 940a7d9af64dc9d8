#include "app/Unit1.h"

// The handlers of the data-entry tab's lists, export button and search and
// jump boxes. The logic lives in classify/, export/ and app/search/; this
// file ties it to the form's controls and tables.

#include <QApplication>

#include "app/search/search_boxes.h"
#include "classify/cascade_handlers.h"
#include "data/TOrvDaoTable.h"
#include "export/record_export.h"
#include "platform/big5/big5.h"
#include "platform/gui/beep.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/error_display.h"

namespace {

// A list as the classification handlers see it: entries arrive as Big5.
class ListAdapter : public classify::ListControl {
 public:
  explicit ListAdapter(TDBComboBox& list) : list_(list) {}
  void Clear() override { list_.Clear(); }
  void AddItem(const std::string& big5Text) override {
    const std::string utf8 = big5::toUtf8Lenient(big5Text);
    list_.AddItem(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
  }
  int ItemIndex() const override { return list_.ItemIndex(); }

 private:
  TDBComboBox& list_;
};

class EditAdapter : public classify::EditControl {
 public:
  explicit EditAdapter(TDBEdit& edit) : edit_(edit) {}
  void Clear() override { edit_.Clear(); }

 private:
  TDBEdit& edit_;
};

template <class Handler>
void runClassification(TForm1& form, Handler handler) {
  ListAdapter l1(*form.DBComboBox1), l2(*form.DBComboBox2), l3(*form.DBComboBox3), l4(*form.DBComboBox4),
      l5(*form.DBComboBox5);
  EditAdapter e3(*form.DBEdit3), e4(*form.DBEdit4), e5(*form.DBEdit5);
  handler(classify::ClassificationControls{l1, l2, l3, l4, l5, e3, e4, e5},
          classify::ClassificationData{*form.OrvDaoTable1, *form.OrvDaoTable3, *form.OrvDaoTable4,
                                       *form.OrvDaoTable5, *form.OrvDaoTable6});
}

}  // namespace

void TForm1::DBComboBox1Click() { runClassification(*this, classify::stanceChosen); }
void TForm1::DBComboBox2Click() { runClassification(*this, classify::familyChosen); }
void TForm1::DBComboBox3Click() { runClassification(*this, classify::classChosen); }
void TForm1::DBComboBox4Click() { runClassification(*this, classify::groupChosen); }
void TForm1::DBComboBox5Click() { runClassification(*this, classify::conceptChosen); }

void TForm1::Button1Click() {
  exporting::exportRecord(*OrvDaoTable1, CheckBox1->isChecked(),
                          exporting::ExportTargets{gui::setClipboardBig5Text, gui::beep});
}

void TForm1::ConnectEntryHandlers() {
  // The lists run their handler inside their own choice steps, which show
  // what a handler throws.
  DBComboBox1->OnClick = [this] { DBComboBox1Click(); };
  DBComboBox2->OnClick = [this] { DBComboBox2Click(); };
  DBComboBox3->OnClick = [this] { DBComboBox3Click(); };
  DBComboBox4->OnClick = [this] { DBComboBox4Click(); };
  DBComboBox5->OnClick = [this] { DBComboBox5Click(); };
  connect(Button1, &QPushButton::clicked, this, gui::guarded(this, &TForm1::Button1Click));
  new search::SearchBoxEvents({*Edit1, *Edit2, *OrvDaoTable1}, [](const std::function<void()>& handler) {
    try {
      handler();
    } catch (...) {
      gui::showException(std::current_exception());
    }
  });
}

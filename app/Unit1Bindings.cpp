#include "app/Unit1.h"

#include <string_view>

#include "schema/schema.h"

// The field bindings of the data-entry tab. Kept apart from the layout so
// the layout reads as the table of places and fonts it is.
void TForm1::BindControls(framework::TDataSource& dataSource) {
  namespace f = schema::fields;
  const auto bind = [&dataSource](auto* control, std::string_view field) {
    control->setDataField(field);
    control->setDataSource(&dataSource);
  };

  bind(DBEdit1, f::B5_Word);
  bind(DBText1, f::Radical_Word);
  bind(DBEdit10, f::CJ_Code_CN);
  bind(DBEdit11, f::CJ_Code);
  bind(DBEdit2, f::Li_Chang_B);
  bind(DBComboBox1, f::Li_Chang);
  bind(DBEdit3, f::Xian_Xiang_B);
  bind(DBComboBox2, f::Xian_Xiang);
  bind(DBEdit4, f::Ren_Zhi_B);
  bind(DBComboBox3, f::Ren_Zhi);
  bind(DBEdit5, f::Si_Bei_B);
  bind(DBComboBox4, f::Si_Bei);
  bind(DBEdit8, f::XI_B_8);
  bind(DBComboBox5, f::Gai_Nian);
  bind(DBEdit9, f::Gai_Nian);
  bind(DBEdit7, f::Gai_Nian_Hex);
  bind(DBEdit6, f::CJ_Input);
  bind(DBMemo1, f::Note);
  DBNavigator1->setDataSource(&dataSource);

  // The code digits and the derived names are written by the list handlers
  // only; the user reads them. Their links must refuse edits too, not just
  // the boxes.
  for (TDBEdit* box : {DBEdit10, DBEdit11, DBEdit2, DBEdit3, DBEdit4, DBEdit5, DBEdit8, DBEdit9, DBEdit7})
    box->setReadOnly(true);
}

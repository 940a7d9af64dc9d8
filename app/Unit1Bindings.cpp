#include "app/Unit1.h"

// The field bindings of the data-entry tab. Kept apart from the layout so
// the layout reads as the table of places and fonts it is.
void TForm1::BindControls(framework::TDataSource& /*dataSource*/) {}

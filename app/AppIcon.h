#pragma once
// The program's icon: the concept tree (a root that splits in two, twice),
// rendered from the one drawing the installed theme icons come from, in
// every size from 16 to 256 pixels. Used for the main window and as the
// application's icon; Qt picks the size that suits the screen.
#include <QIcon>
#include <QPixmap>

// The 32 × 32 picture.
QPixmap programIconPixmap();
// All sizes; read once per application object (later calls return the same
// icon), since reading them decodes every picture.
QIcon programIcon();

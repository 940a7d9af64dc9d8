#pragma once
// The program's icon: a 32 × 32 picture of the concept tree (a root that
// splits in two, twice), drawn by code so that no image file is needed.
// Used for the main window and as the application's icon.
#include <QIcon>
#include <QPixmap>

QPixmap programIconPixmap();
QIcon programIcon();

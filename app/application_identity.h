#pragma once
// Who the program is to the desktop: application name "Zenmora", organisation
// domain "zenmora.org", the project's version, and the desktop file name
// (the application id a Wayland compositor and the desktop match windows
// against; the installed desktop entry carries the same name).
// Call once, before or right after the application object is created.
inline constexpr const char* kApplicationId = "org.zenmora.Zenmora";

void identifyApplication();

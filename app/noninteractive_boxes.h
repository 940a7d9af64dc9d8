#pragma once
// Running without anybody to press OK (scripts, whole-program tests): with
// ZENMORA_NONINTERACTIVE=1 in the environment every message box, error
// boxes included, is written to standard error (its caption, a line break,
// its text, a line break) instead of being shown, and the program goes on as
// if OK had been pressed. Without the variable nothing changes.
void useNonInteractiveBoxesWhenAsked();

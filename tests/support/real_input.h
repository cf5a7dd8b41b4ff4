// Real input through SendInput, in screen coordinates, as a hand gives it.
// After each event the calling thread's messages are let through for a
// moment, so in-process windows see it before the next one.
#pragma once

#include <windows.h>

#include <string>

void MouseTo(int x, int y);
void MouseDown();
void MouseUp();
// Press at `from`, move there in `steps` steps, release at `to`.
void Drag(POINT from, POINT to, int steps = 5);
void ClickAt(int x, int y);

void Key(WORD virtualKey, bool down);
void Press(WORD virtualKey);
// Types `text` as Unicode characters into whatever has the focus.
void TypeText(const std::wstring& text);

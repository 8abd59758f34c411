#pragma once
// The screen the user works on: the one under the pointer, else the primary
// one; null without screens. Windows that appear of their own accord (cards,
// editors, pinned pictures, the program's windows) open there.
class QScreen;

QScreen* pointerScreen();

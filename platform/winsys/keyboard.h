// Keyboard state from real key events.
//
// An application-wide filter follows every key press and release, so the
// editor can ask whether a key is down or has been pressed since it last
// asked (a long loop polls F10 that way). Keys are named by the system's
// virtual key codes, which the editor's procedures use throughout.
#pragma once

#include <Qt>

class QKeyEvent;

namespace winsys {

// Virtual key codes.
namespace vk {
constexpr int Back = 8;
constexpr int Tab = 9;
constexpr int Clear = 12;
constexpr int Return = 13;
constexpr int Shift = 16;
constexpr int Control = 17;
constexpr int Menu = 18;  // Alt
constexpr int Pause = 19;
constexpr int Capital = 20;
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int Prior = 33;  // Page Up
constexpr int Next = 34;   // Page Down
constexpr int End = 35;
constexpr int Home = 36;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Insert = 45;
constexpr int Delete = 46;
constexpr int Numpad0 = 96;  // ..105
constexpr int Multiply = 106;
constexpr int Add = 107;
constexpr int Subtract = 109;
constexpr int Decimal = 110;
constexpr int Divide = 111;
constexpr int F1 = 112;  // F1..F24 are 112..135
constexpr int F10 = 121;
constexpr int NumLock = 144;
constexpr int Scroll = 145;
constexpr int Count = 256;
}  // namespace vk

// Shift argument of key and mouse events: a sum of these.
namespace shiftmask {
constexpr int Shift = 1;
constexpr int Ctrl = 2;
constexpr int Alt = 4;
}  // namespace shiftmask

// The virtual key of a Qt key (with the keypad modifier for keypad keys);
// 0 when it has none. Letters and digits are their upper-case codes, the
// symbols of the main block the code of the key that carries them on a US
// keyboard.
int VirtualKey(int qtKey, Qt::KeyboardModifiers modifiers);
int ShiftState(Qt::KeyboardModifiers modifiers);
// The Latin-1 code of the character a key press types, 0 when none.
int KeyAscii(const QKeyEvent& event);

// Starts following the key events of the application (once; later calls do
// nothing). Needs the application object.
void StartKeyTracking();

// True while the key is down, as the delivered key events left it.
bool KeyIsDown(int virtualKey);

// Takes in the key events waiting in the window system's queue (nothing
// else runs: pointer and key input, window moves, resizes and closes, and
// timers wait until control returns to the event loop), then answers true
// when the key is down or has been pressed since the previous ask for it.
bool KeyPressedSinceLastAsk(int virtualKey);

// Forgets every key state (tests).
void ResetKeyState();

}  // namespace winsys

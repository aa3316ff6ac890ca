#pragma once

#include <SDL.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/Cp437.h"
#include "platform/FrontKeys.h"
#include "platform/Platform.h"

namespace dw {

// The name a front-end's key table knows a key press by: "F1" to "F12",
// "Alt+Enter"; empty for any other.
std::string windowKeyName(SDL_Keycode sym, Uint16 mod);

// Turns the window's keyboard events into the game's key strings.
//
// Characters come from text input, so "+", "~" and "@" arrive whatever the
// keyboard layout. Escape, Enter, Backspace and Tab come from the key itself,
// and the keypad always gives its digits and signs, NumLock or not: the
// keypad is how the hero walks. A key without a character (an arrow, a
// function key) becomes 0 followed by its code byte, so it never equals a
// one-character command. Modifier keys alone give nothing.
class KeyTranslator {
 public:
  // A key went down (or repeats). A key the window takes itself (in its
  // table `own`) gives its action, once and not while it repeats, and no key;
  // any other appends the keys it gives to out.
  std::optional<FrontAction> keyDown(const FrontKeys& own, SDL_Scancode scancode, SDL_Keycode sym,
                                     Uint16 mod, bool repeat, std::vector<std::string>& out);
  void keyUp();
  // Text typed by the player, in UTF-8.
  void textInput(std::string_view utf8, std::vector<std::string>& out);

 private:
  // Set when a keypad key has given its character itself: the text the
  // desktop may send for the same press (with NumLock on) is dropped.
  bool dropNextText_ = false;
};

// Code-page-437 text (a member's name, say) as UTF-8 for the desktop.
std::string utf8FromCp437(std::string_view text);

}  // namespace dw

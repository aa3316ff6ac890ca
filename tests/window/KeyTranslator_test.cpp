#include "platform/sdl/KeyTranslator.h"

#include <gtest/gtest.h>

#include "window/WindowKeys.h"

namespace dw {
namespace {

using Keys = std::vector<std::string>;

struct Typist {
  KeyTranslator translator;
  Keys out;

  std::optional<FrontAction> down(SDL_Scancode sc, SDL_Keycode sym, Uint16 mod = KMOD_NONE,
                                  bool repeat = false) {
    return translator.keyDown(windowKeys(), sc, sym, mod, repeat, out);
  }
  void up() { translator.keyUp(); }
  void text(std::string_view utf8) { translator.textInput(utf8, out); }
  // A printable key as the desktop delivers it: the key, then its text.
  void press(SDL_Scancode sc, SDL_Keycode sym, std::string_view utf8, Uint16 mod = KMOD_NONE) {
    down(sc, sym, mod);
    text(utf8);
    up();
  }
};

TEST(KeyTranslator, CharactersComeFromTextWhateverTheLayout) {
  Typist t;
  // On many layouts these need Shift or AltGr; the key event itself gives
  // nothing, the text gives the character.
  t.press(SDL_SCANCODE_EQUALS, SDLK_EQUALS, "+", KMOD_LSHIFT);
  t.press(SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE, "~", KMOD_LSHIFT);
  t.press(SDL_SCANCODE_Q, SDLK_q, "@", KMOD_RALT);
  t.press(SDL_SCANCODE_W, SDLK_w, "W", KMOD_LSHIFT);
  t.press(SDL_SCANCODE_SPACE, SDLK_SPACE, " ");
  EXPECT_EQ(t.out, (Keys{"+", "~", "@", "W", " "}));
}

TEST(KeyTranslator, TextOfSeveralCharactersGivesOneKeyEach) {
  Typist t;
  t.text("v42");
  EXPECT_EQ(t.out, (Keys{"v", "4", "2"}));
}

TEST(KeyTranslator, ControlKeysComeFromTheKeyItself) {
  Typist t;
  t.down(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
  t.down(SDL_SCANCODE_RETURN, SDLK_RETURN);
  t.down(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER);
  t.down(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE);
  t.down(SDL_SCANCODE_TAB, SDLK_TAB);
  EXPECT_EQ(t.out, (Keys{"\x1b", "\r", "\r", "\b", "\t"}));
}

TEST(KeyTranslator, KeypadGivesDigitsWithNumLockOff) {
  // With NumLock off the desktop sends no text for the keypad at all.
  Typist t;
  const SDL_Scancode pad[] = {SDL_SCANCODE_KP_0, SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_2,
                              SDL_SCANCODE_KP_3, SDL_SCANCODE_KP_4, SDL_SCANCODE_KP_5,
                              SDL_SCANCODE_KP_6, SDL_SCANCODE_KP_7, SDL_SCANCODE_KP_8,
                              SDL_SCANCODE_KP_9};
  for (SDL_Scancode sc : pad) {
    t.down(sc, SDL_GetKeyFromScancode(sc));
    t.up();
  }
  EXPECT_EQ(t.out, (Keys{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
}

TEST(KeyTranslator, KeypadGivesEachDigitOnceWithNumLockOn) {
  Typist t;
  t.press(SDL_SCANCODE_KP_8, SDLK_KP_8, "8", KMOD_NUM);
  t.press(SDL_SCANCODE_KP_6, SDLK_KP_6, "6", KMOD_NUM);
  t.press(SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS, "+", KMOD_NUM);
  EXPECT_EQ(t.out, (Keys{"8", "6", "+"}));
}

TEST(KeyTranslator, HeldKeypadKeyRepeatsOnceARepeat) {
  Typist t;
  t.down(SDL_SCANCODE_KP_2, SDLK_KP_2, KMOD_NUM);
  t.text("2");
  for (int i = 0; i < 3; ++i) {
    t.down(SDL_SCANCODE_KP_2, SDLK_KP_2, KMOD_NUM, true);
    t.text("2");
  }
  t.up();
  EXPECT_EQ(t.out, (Keys{"2", "2", "2", "2"}));
}

TEST(KeyTranslator, TextOfALaterKeyIsNotTakenForTheKeypads) {
  // NumLock off: the keypad sends no text; the main-row 8 that follows must
  // still count, also when the keypad key is still held.
  Typist t;
  t.down(SDL_SCANCODE_KP_8, SDLK_KP_8);
  t.press(SDL_SCANCODE_8, SDLK_8, "8");
  t.up();
  t.down(SDL_SCANCODE_KP_4, SDLK_KP_4);
  t.up();
  t.text("4");
  EXPECT_EQ(t.out, (Keys{"8", "8", "4", "4"}));
}

TEST(KeyTranslator, KeysWithoutACharacterAreTwoBytesAndNeverACommand) {
  Typist t;
  t.down(SDL_SCANCODE_UP, SDLK_UP);
  t.down(SDL_SCANCODE_DOWN, SDLK_DOWN);
  t.down(SDL_SCANCODE_LEFT, SDLK_LEFT);
  t.down(SDL_SCANCODE_RIGHT, SDLK_RIGHT);
  t.down(SDL_SCANCODE_HOME, SDLK_HOME);
  t.down(SDL_SCANCODE_DELETE, SDLK_DELETE);
  t.down(SDL_SCANCODE_F3, SDLK_F3);
  t.down(SDL_SCANCODE_F9, SDLK_F9);
  using std::string;
  EXPECT_EQ(t.out, (Keys{string("\0H", 2), string("\0P", 2), string("\0K", 2), string("\0M", 2),
                         string("\0G", 2), string("\0S", 2), string("\0=", 2), string("\0C", 2)}));
}

TEST(KeyTranslator, ModifiersAloneAndPrintableKeysGiveNothingThemselves) {
  Typist t;
  const SDL_Keycode mods[] = {SDLK_LSHIFT,       SDLK_RSHIFT,  SDLK_LCTRL, SDLK_RCTRL,
                              SDLK_LALT,         SDLK_RALT,    SDLK_LGUI,  SDLK_MODE,
                              SDLK_NUMLOCKCLEAR, SDLK_CAPSLOCK};
  for (SDL_Keycode sym : mods) {
    EXPECT_EQ(t.down(SDL_GetScancodeFromKey(sym), sym), std::nullopt);
    t.up();
  }
  // Ctrl+A: the desktop sends no text, so nothing reaches the game.
  t.down(SDL_SCANCODE_A, SDLK_a, KMOD_LCTRL);
  EXPECT_TRUE(t.out.empty());
}

TEST(KeyTranslator, WindowKeysNeverReachTheGame) {
  Typist t;
  EXPECT_EQ(t.down(SDL_SCANCODE_F10, SDLK_F10), FrontAction::aspect);
  EXPECT_EQ(t.down(SDL_SCANCODE_F11, SDLK_F11), FrontAction::fullscreen);
  EXPECT_EQ(t.down(SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT), FrontAction::fullscreen);
  EXPECT_EQ(t.down(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, KMOD_RALT), FrontAction::fullscreen);
  EXPECT_EQ(t.down(SDL_SCANCODE_F1, SDLK_F1), FrontAction::keyHelp);
  EXPECT_EQ(t.down(SDL_SCANCODE_F2, SDLK_F2), FrontAction::messageLog);
  EXPECT_EQ(t.down(SDL_SCANCODE_F4, SDLK_F4), FrontAction::pastRuns);
  EXPECT_EQ(t.down(SDL_SCANCODE_F12, SDLK_F12), FrontAction::picture);
  // Held down, they act only once.
  EXPECT_EQ(t.down(SDL_SCANCODE_F11, SDLK_F11, KMOD_NONE, true), std::nullopt);
  EXPECT_EQ(t.down(SDL_SCANCODE_F12, SDLK_F12, KMOD_NONE, true), std::nullopt);
  EXPECT_EQ(t.down(SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT, true), std::nullopt);
  EXPECT_TRUE(t.out.empty());
}

TEST(KeyTranslator, EveryKeyOfTheWindowsTableActs) {
  // A name in the table that no key press has would be help for a key that
  // does nothing. F3 reaches the shell's key gate as a game key.
  for (const FrontKey& row : windowKeys()) {
    for (const std::string& name : row.keys) {
      Typist t;
      std::optional<FrontAction> acted;
      for (SDL_Keycode sym = SDLK_F1; sym <= SDLK_F12 && !acted && t.out.empty(); ++sym) {
        if (windowKeyName(sym, KMOD_NONE) == name) acted = t.down(SDL_GetScancodeFromKey(sym), sym);
      }
      if (name == "Alt+Enter") acted = t.down(SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
      if (row.action == FrontAction::continueRun) {
        EXPECT_EQ(t.out.size(), 1u) << name;
      } else {
        EXPECT_EQ(acted, row.action) << name;
      }
    }
  }
}

TEST(KeyTranslator, TextBeyondAsciiBecomesCodePage437OrNothing) {
  Typist t;
  t.text("\xC3\xA9");      // e acute
  t.text("\xC3\x9F");      // sharp s
  t.text("\xE2\x82\xAC");  // euro sign: not in the game's characters
  t.text("\xE6\x97\xA5");  // a CJK character: neither
  t.text(
      "a\xFF"
      "b\xC3");                // broken UTF-8 is skipped, not read past
  t.text("\xF0\x9F\x98\x80");  // four-byte character without a glyph
  EXPECT_EQ(t.out, (Keys{"\x82", "\xE1", "a", "b"}));
}

TEST(KeyTranslator, CodePage437CoversTheGamesGlyphs) {
  EXPECT_EQ(cp437FromUnicode(U'A'), 'A');
  EXPECT_EQ(cp437FromUnicode(0x2591), 176);  // light shade
  EXPECT_EQ(cp437FromUnicode(0x2588), 219);  // full block
  EXPECT_EQ(cp437FromUnicode(0x00B7), 250);  // middle dot
  EXPECT_EQ(cp437FromUnicode(0x00A0), 255);
  EXPECT_EQ(cp437FromUnicode(0x1B), -1);
  EXPECT_EQ(cp437FromUnicode(0x7F), -1);
  EXPECT_EQ(cp437FromUnicode(0x110000), -1);
}

}  // namespace
}  // namespace dw

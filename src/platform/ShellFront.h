#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FrontKeys.h"
#include "platform/PadInput.h"
#include "platform/PanelText.h"
#include "platform/Screen.h"

namespace dw {

class Platform;

// The panels a player opens over the game: the keys (F1), the message log
// (F2), the past runs (F4) and the hero's surroundings in words (F5).
enum class PanelKind { keyHelp, messageLog, pastRuns, surroundings };

// The panel a key of the front-end's own opens, if it opens one.
inline std::optional<PanelKind> panelOf(FrontAction action) {
  if (action == FrontAction::keyHelp) return PanelKind::keyHelp;
  if (action == FrontAction::messageLog) return PanelKind::messageLog;
  if (action == FrontAction::pastRuns) return PanelKind::pastRuns;
  if (action == FrontAction::lookAround) return PanelKind::surroundings;
  return std::nullopt;
}

// Which front-end the game shows in; the help tells each the truth about its
// own keys.
enum class FrontKind { window, terminal, page };

// How the picture is shown, where the front-end has a choice. The shell keeps
// it in the player's settings.
struct ViewOptions {
  bool fullscreen = false;
  bool aspect = false;  // the 4:3 view
  bool operator==(const ViewOptions&) const = default;
};

// What a front-end tells the shell around the game. Nothing of it reaches the
// game: its keys, pages and state stay untouched.
class ShellEvents {
 public:
  virtual ~ShellEvents() = default;
  // What the panel the player opened shows, asked each time it opens.
  virtual OverlayContent panel(PanelKind which) = 0;
  // The player asked for a picture of the screen, enlarged by this whole
  // number where the front-end shows it larger (F12).
  virtual void pictureAsked(const Screen& screen, int scale) = 0;
  // The player changed the view.
  virtual void viewChanged(const ViewOptions& view) = 0;
  // The player picked a choice of a pick list (see OverlayContent::choices)
  // with Enter; the panel has closed.
  virtual void panelPicked(PanelKind /*which*/, int /*choice*/) {}

  // A gamepad was plugged in or taken out (its name as it tells it).
  virtual void padPlugged(const std::string& /*name*/, PadKind /*kind*/) {}
  virtual void padUnplugged(const std::string& /*name*/) {}
  // A pad's button went down or up, or its left stick moved (each axis
  // -1..1). The shell hands the game the keys they give; what comes back is
  // a panel for the front-end to open.
  virtual std::optional<FrontAction> padButton(PadButton /*button*/, bool /*down*/) {
    return std::nullopt;
  }
  virtual void padStick(double /*x*/, double /*y*/) {}
  // Milliseconds until a held direction repeats (-1: nothing held), and the
  // call that repeats it when the time has come.
  virtual int padRepeatIn() { return -1; }
  virtual void padTick() {}
};

// What a front-end offers the shell around the game, beside the Platform the
// game itself runs on: the panels, notices and view of that front-end. The
// shell is the one place that decides what they show.
class ShellFront {
 public:
  virtual ~ShellFront() = default;

  virtual FrontKind frontKind() const = 0;
  // The platform the game runs on in this front-end.
  virtual Platform& gamePlatform() = 0;
  // From now on the front-end tells these events; nullptr: no more.
  virtual void setShellEvents(ShellEvents* events) = 0;

  // A lasting notice about the party (code-page-437 text, empty for none).
  virtual void setNotice(const std::string& notice) = 0;
  // What the front-end shows about a recording being watched (UTF-8, empty
  // for nothing).
  virtual void setWatchStatus(const std::string& status) = 0;
  // Tells the player something for a few seconds (UTF-8).
  virtual void tell(const std::string& message) = 0;
  // Shows a notice over the picture itself (code-page-437 text; empty takes
  // it away). The shell takes it away at the next key.
  virtual void showBanner(const std::string& text) = 0;
  // What the start screen offers and a short hint of its keys
  // (code-page-437 lines; none takes them away), shown over the picture's
  // empty rows where the front-end has no other place for its notices (the
  // window in fullscreen without bars). The shell takes them away at the
  // first key.
  virtual void showStartHint(const std::vector<std::string>& /*lines*/) {}
  // Whether a panel is open now: a recording watched waits behind one.
  virtual bool panelOpen() const = 0;

  // Lines the key help adds for this front-end: how it shows each of these
  // glyph codes, where it draws them otherwise than the tiles (the terminal's
  // characters), with its name.
  struct GlyphName {
    std::uint8_t code;
    std::string name;
  };
  virtual std::vector<OverlayLine> helpLegend(const std::vector<GlyphName>& /*glyphs*/) const {
    return {};
  }

  // The player's own gamepad mappings (SDL's format), where the front-end
  // reads any; why they were refused, or empty.
  virtual std::string addPadMappings(const std::string& /*path*/) { return ""; }

  // The view as the player last left it, and putting it back.
  virtual ViewOptions view() const { return {}; }
  virtual void applyView(const ViewOptions& /*view*/) {}

  // The front-end's own keys, from the table its wiring declares: what its
  // key handling acts on, and what the key help lists. None until set.
  void setFrontKeys(FrontKeys keys) {
    frontKeys_ = std::move(keys);
    frontKeysChanged();
  }
  const FrontKeys& frontKeys() const { return frontKeys_; }
  // The action of a key of the front-end's own table that the front-end
  // takes itself (the name as the table spells it); nothing for any other.
  std::optional<FrontAction> ownAction(std::string_view name) const {
    auto action = actionOfKey(frontKeys_, name);
    if (action && takenByFrontEnd(*action)) return action;
    return std::nullopt;
  }

 protected:
  // The table changed (the page hands it on to its script).
  virtual void frontKeysChanged() {}

 private:
  FrontKeys frontKeys_;
};

}  // namespace dw

// The page side of the game in a browser: the canvas, the keys, the view
// options and the end of a game. The game calls in through Module.duskwarren.

// The page's other scripts (panels, touch controls, kept runs, reading
// aloud) come after this one: the game starts only once the whole page has
// been read, however soon its code is ready.
if (!Module['preRun']) Module['preRun'] = [];
Module['preRun'].push(() => {
  if (document.readyState !== 'loading') return;
  addRunDependency('page-scripts');
  document.addEventListener('DOMContentLoaded', () => removeRunDependency('page-scripts'),
                            { once: true });
});

Module.duskwarren = (function () {
  'use strict';

  const pageWidth = 320;
  const pageHeight = 200;

  const stage = document.getElementById('stage');
  const canvas = document.getElementById('screen');
  const status = document.getElementById('status');
  const ended = document.getElementById('ended');
  const againButton = document.getElementById('again');
  const fullscreenButton = document.getElementById('fullscreen');
  const aspectButton = document.getElementById('aspect');
  const view = document.getElementById('view');
  const context = canvas.getContext('2d', { alpha: false });
  const viewContext = view.getContext('2d', { alpha: false });
  const image = context.createImageData(pageWidth, pageHeight);
  const pixels = new Uint32Array(image.data.buffer);
  const colours = new Uint32Array(256);
  const littleEndian = new Uint8Array(new Uint32Array([1]).buffer)[0] === 1;

  // The arrows among the game's characters below 32 that its texts use.
  const arrowCharacters = { 0x18: '\u2191', 0x19: '\u2193', 0x1A: '\u2192', 0x1B: '\u2190' };

  // Unicode of the game's characters 128..255.
  const highCharacters = [
  0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
  0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
  0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
  0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
  0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
  0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
  0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
  0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
  0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
  0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
  0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
  0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
  0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
  0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
  0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
  0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  ];
  const byteOfCharacter = new Map();
  highCharacters.forEach((unicode, i) => byteOfCharacter.set(unicode, 128 + i));

  // The keypad gives its digits and signs whatever NumLock says: it is how
  // the hero walks. Keyed by the physical key, as NumLock changes event.key.
  const keypad = {
    Numpad0: 48, Numpad1: 49, Numpad2: 50, Numpad3: 51, Numpad4: 52,
    Numpad5: 53, Numpad6: 54, Numpad7: 55, Numpad8: 56, Numpad9: 57,
    NumpadDecimal: 46, NumpadAdd: 43, NumpadSubtract: 45, NumpadMultiply: 42,
    NumpadDivide: 47, NumpadEnter: 13,
  };
  const controlKeys = { Escape: 27, Enter: 13, Backspace: 8 };

  const keys = [];
  let wake = null;      // resolves the game's wait for a key
  let restart = null;   // resolves the wait after a game has ended
  let aspect = false;   // the 4:3 view
  let firstFrame = true;
  let keysThisGame = 0; // none yet: the start screen shows
  let goingOn = false;  // a kept run taken up: no start screen
  let levelBegun = false; // the game has told its first level or turn
  let seedTyping = false; // "@" typed, and no Enter or Escape since
  // The page's own keys, by name, and the number that asks the game for what
  // each action does: both handed over by the game (setFrontKeys).
  let frontKeys = {};
  let requests = {};
  let padNumbers = null;

  // What the game is doing, on the page for styles and for tests:
  // loading, busy, waiting (for a key), ended or stopped.
  function setState(state) {
    document.body.dataset.game = state;
  }

  // The game's byte for a key press, or -1 when the game has no use for it
  // (and the browser keeps its own action).
  function gameByte(event) {
    if (event.isComposing || event.metaKey) return -1;
    // Control shortcuts stay the browser's; AltGr (Control with Alt on some
    // systems) types characters.
    if (event.ctrlKey && !event.getModifierState('AltGraph') && !event.altKey) return -1;
    if (event.code in keypad) return keypad[event.code];
    if (event.key in controlKeys) return controlKeys[event.key];
    const characters = Array.from(event.key);
    if (characters.length !== 1) return -1;  // a key without a character
    const unicode = characters[0].codePointAt(0);
    if (unicode >= 0x20 && unicode < 0x7f) return unicode;
    return byteOfCharacter.has(unicode) ? byteOfCharacter.get(unicode) : -1;
  }

  // A key's name as the page's table of its own keys spells it.
  function keyName(event) {
    if (event.key === 'Enter' && event.altKey) return 'Alt+Enter';
    if (event.ctrlKey && !event.altKey && event.key.length === 1) {
      return 'Ctrl+' + event.key.toUpperCase();
    }
    return event.key;
  }

  function onKeyDown(event) {
    const action = frontKeys[keyName(event)];
    if (action === 'fullscreen' || action === 'aspect') {
      event.preventDefault();
      if (!event.repeat) (action === 'fullscreen' ? toggleFullscreen : toggleAspect)();
      return;
    }
    // The panels and notices around the game take their own keys first.
    const front = Module.duskwarren.front;
    if (front && !restart && front.onKey(event, action)) {
      event.preventDefault();
      return;
    }
    // A button or field with the focus keeps Space and Enter for itself.
    if ((event.key === 'Enter' || event.key === ' ') && event.target.closest &&
        event.target.closest('button, input, a, select, textarea')) {
      return;
    }
    const byte = restart ? (event.key === 'Enter' || event.key === ' ' ? 13 : -1) : gameByte(event);
    if (byte < 0) return;
    event.preventDefault();
    if (!(restart && event.repeat)) sendKey(byte);
  }

  // Hands one key byte to the game, as typed or tapped. While the end of a
  // game shows, Enter and Space start a new one and other keys do nothing.
  function sendKey(byte) {
    // A control tapped while the list of runs shows closes it, and the game
    // never sees it.
    const runlist = Module.duskwarren.runlist;
    if (runlist && runlist.isOpen()) {
      runlist.close();
      return;
    }
    if (restart) {
      if (byte === 13 || byte === 32) startAgain();
      return;
    }
    ++keysThisGame;
    if (byte === 64) seedTyping = true;
    if (byte === 13 || byte === 27) seedTyping = false;
    queue(byte);
  }

  // Queues a key byte, or a request the game's front-end answers (a panel),
  // and wakes the game if it waits.
  function queue(item) {
    keys.push(item);
    setState('busy');
    if (wake) {
      const resolve = wake;
      wake = null;
      resolve();
    }
  }

  // The plain view shows the page at the largest whole-number scale that
  // fits, in device pixels, so every page pixel is an equal square block.
  // The 4:3 view fills the largest 4:3 area that fits, as the window does:
  // the page is first blown up by whole pixels (never beyond the area) on a
  // second canvas, and only the last step to the area is smoothed, so edges
  // stay sharp and no row or column is doubled.
  function layout() {
    const ratio = window.devicePixelRatio || 1;
    const width = Math.max(1, Math.floor(stage.clientWidth * ratio));
    const height = Math.max(1, Math.floor(stage.clientHeight * ratio));
    canvas.hidden = firstFrame || aspect;
    view.hidden = firstFrame || !aspect;
    if (!aspect) {
      const scale = Math.max(1, Math.floor(Math.min(width / pageWidth, height / pageHeight)));
      canvas.style.width = (pageWidth * scale / ratio) + 'px';
      canvas.style.height = (pageHeight * scale / ratio) + 'px';
      canvas.dataset.scale = String(scale);
      return;
    }
    const areaWidth = Math.max(4, Math.min(width, Math.floor(height * 4 / 3)));
    const areaHeight = Math.floor(areaWidth * 3 / 4);
    view.width = pageWidth * Math.max(1, Math.floor(areaWidth / pageWidth));
    view.height = pageHeight * Math.max(1, Math.floor(areaHeight / pageHeight));
    view.style.width = (areaWidth / ratio) + 'px';
    view.style.height = (areaHeight / ratio) + 'px';
    canvas.dataset.scale = '4:3';
    drawView();
  }

  function drawView() {
    if (!aspect) return;
    viewContext.imageSmoothingEnabled = false;
    viewContext.drawImage(canvas, 0, 0, view.width, view.height);
  }

  function toggleAspect() {
    aspect = !aspect;
    aspectButton.setAttribute('aria-pressed', String(aspect));
    layout();
  }

  function toggleFullscreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else if (document.documentElement.requestFullscreen) {
      // The whole page, so the touch controls stay beside the picture.
      document.documentElement.requestFullscreen().catch(() => {});
    }
  }

  function startAgain() {
    const resolve = restart;
    restart = null;
    ended.hidden = true;
    keys.length = 0;
    keysThisGame = 0;
    goingOn = false;
    levelBegun = false;
    seedTyping = false;
    setState('busy');
    resolve();
  }

  // Buttons act on a click. Clicked with the mouse they never keep the
  // keyboard's focus, so Space and Enter reach the game; reached with Tab
  // they keep it, and Enter works them again.
  function button(element, action) {
    element.addEventListener('click', (event) => {
      event.preventDefault();
      if (event.detail !== 0) element.blur();
      action();
    });
    element.addEventListener('mousedown', (event) => event.preventDefault());
  }

  let pointerTimer = 0;
  window.addEventListener('mousemove', () => {
    document.body.classList.add('pointer');
    clearTimeout(pointerTimer);
    pointerTimer = setTimeout(() => document.body.classList.remove('pointer'), 2500);
  });
  window.addEventListener('keydown', onKeyDown);
  window.addEventListener('resize', layout);
  new ResizeObserver(layout).observe(stage);
  document.addEventListener('fullscreenchange', layout);
  button(fullscreenButton, toggleFullscreen);
  button(aspectButton, toggleAspect);
  button(againButton, startAgain);
  button(document.getElementById('ended-new'), () => Module.duskwarren.runs.newGame());
  if (!document.fullscreenEnabled) fullscreenButton.hidden = true;
  layout();

  return {
    sendKey,
    gameByte,
    // The page's own keys ({name: action}) and the numbers that ask the game
    // for each action ({action: number}).
    setFrontKeys(table) {
      frontKeys = table.keys;
      requests = table.requests;
      padNumbers = table.pad;
    },
    // The numbers of a pad's changes in the game's queue (gamepad.js), and
    // handing one to the game.
    padNumbers() {
      return padNumbers;
    },
    padItem(item) {
      if (!restart) queue(item);
    },
    // Asks the game for what an action of the page's own does: a panel
    // ('keyHelp', 'messageLog') or a picture of the screen ('picture').
    ask(action) {
      if (!restart && action in requests) queue(requests[action]);
    },
    // The text of code-page-437 bytes.
    textOf(bytes) {
      let text = '';
      for (const b of bytes) {
        text += b >= 128 ? String.fromCodePoint(highCharacters[b - 128])
                         : b >= 32 && b < 127 ? String.fromCharCode(b)
                         : b in arrowCharacters ? arrowCharacters[b] : ' ';
      }
      return text;
    },
    // True until the game has taken its first key: the start screen.
    onStartScreen() {
      return keysThisGame === 0 && !restart && !firstFrame && !goingOn;
    },
    // The game goes on with a kept run, from where it stopped.
    // True while the screens before the first level show (the start screen
    // and the compass screen, which take any key) and no seed is being
    // typed: a tap on the picture is Space there.
    beforeTheLevel() {
      return !levelBegun && !seedTyping && !restart && !firstFrame && !goingOn;
    },
    // The game told a level begun or a turn.
    turnTold() {
      levelBegun = true;
    },
    goingOn() {
      goingOn = true;
    },
    nextKey() {
      return keys.length > 0 ? keys.shift() : -1;
    },
    // Resolves when a key is queued, or after ms milliseconds when given.
    keyArrived(ms) {
      if (keys.length > 0) return Promise.resolve();
      setState('waiting');
      return new Promise((resolve) => {
        wake = resolve;
        if (ms !== undefined && ms >= 0) {
          setTimeout(() => {
            if (wake === resolve) {
              wake = null;
              resolve();
            }
          }, ms);
        }
      });
    },
    present(page, rgb) {
      for (let i = 0; i < 256; ++i) {
        const r = rgb[3 * i], g = rgb[3 * i + 1], b = rgb[3 * i + 2];
        colours[i] = littleEndian ? (0xff000000 | (b << 16) | (g << 8) | r) >>> 0
                                  : ((r << 24) | (g << 16) | (b << 8) | 0xff) >>> 0;
      }
      for (let i = 0; i < pixels.length; ++i) pixels[i] = colours[page[i]];
      context.putImageData(image, 0, 0);
      if (firstFrame) {
        firstFrame = false;
        status.hidden = true;
        layout();
        performance.mark('duskwarren-first-frame');
      }
      drawView();
    },
    setIcon(indices, width, height, rgb) {
      const icon = document.createElement('canvas');
      icon.width = width;
      icon.height = height;
      const iconContext = icon.getContext('2d');
      const picture = iconContext.createImageData(width, height);
      for (let i = 0; i < width * height; ++i) {
        const c = indices[i];
        picture.data.set([rgb[3 * c], rgb[3 * c + 1], rgb[3 * c + 2], c === 0 ? 0 : 255], 4 * i);
      }
      iconContext.putImageData(picture, 0, 0);
      document.getElementById('icon').href = icon.toDataURL('image/png');
    },
    hideMouse() {
      stage.classList.add('no-pointer');
    },
    // Ends the game being played as Escape does (a seed being typed is let
    // go first); false when no game is being played.
    quit() {
      if (restart || firstFrame) return false;
      if (seedTyping) sendKey(27);
      sendKey(27);
      return true;
    },
    gameEnded(code) {
      // The page goes on with another run once this one has ended.
      const runlist = Module.duskwarren.runlist;
      if (runlist && runlist.leaving()) {
        setState('ended');
        runlist.leave();
        return new Promise(() => {});
      }
      ended.hidden = false;
      setState('ended');
      document.getElementById('ended-code').textContent =
          code === 0 ? '' : ' (exit code ' + code + ')';
      return new Promise((resolve) => { restart = resolve; });
    },
  };
})();

Module.printErr = function (text) {
  console.error(text);
};
Module.onAbort = function (what) {
  const status = document.getElementById('status');
  status.hidden = false;
  document.body.dataset.game = 'stopped';
  status.textContent = 'The game stopped with an error: ' + what + '. Reload the page to start again.';
};

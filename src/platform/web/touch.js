// On-screen controls: every key the game takes, as buttons around the
// picture, for touch screens (shown there at once) and for anyone who asks
// with the Controls button. A button that sends a key carries it in
// data-key; a tap sends it once, and a direction held down repeats.
(function () {
  'use strict';

  const game = Module.duskwarren;
  const touch = document.getElementById('touch');
  const toggle = document.getElementById('show-controls');
  const storageKey = 'duskwarren.controls';

  // [key, text shown, what a screen reader says] by group.
  const groups = {
    pad: [
      [null], ['8', '\u25b2', 'Up, 8'], [null],
      ['4', '\u25c0', 'Left, 4'], [' ', 'Use', 'Space: take, use or go down'], ['6', '\u25b6', 'Right, 6'],
      [null], ['2', '\u25bc', 'Down, 2'], [null],
    ],
    act: [
      ['w', 'Warp', 'Cast Warp, w'], ['v', 'Vision', 'Cast Vision, v'],
      ['t', 'Tinker', 'Cast Tinker, t'], ['p', 'Passage', 'Cast Passage, p'],
      ['h', 'Heal', 'Cast Heal, h'], ['f', 'Flare', 'Cast Flare, f'],
      ['b', 'Bomb', 'Set off a Bomb, b'], ['~', 'Again', 'Start again, tilde'],
      ['-', '\u2212 Prev', 'Previous member, minus'], ['+', '+ Next', 'Next member, plus'],
      ['Escape', 'Esc', 'Escape: quit'],
    ],
    seed: [
      ['@', '@', 'At sign: type a seed'],
      ...'0123456789'.split('').map((d) => [d, d, d]),
      ['Backspace', '\u232b', 'Backspace'], ['Enter', 'Enter', 'Enter'],
    ],
  };
  const namedBytes = { Escape: 27, Enter: 13, Backspace: 8 };
  // The pad repeats a held direction five times a second, after a pause
  // long enough for a single tap.
  const repeatDelay = 400;
  const repeatEvery = 200;
  const repeating = new Set(['8', '6', '2', '4']);

  function byteOf(key) {
    return key in namedBytes ? namedBytes[key] : key.charCodeAt(0);
  }

  function keyButton(key, text, label) {
    const button = document.createElement('button');
    button.type = 'button';
    button.dataset.key = key;
    button.textContent = text;
    button.setAttribute('aria-label', label);
    if (key === 'Enter') button.classList.add('wide');
    return button;
  }

  function build() {
    for (const [name, keys] of Object.entries(groups)) {
      const group = document.createElement('div');
      group.className = 'touch-' + name;
      group.setAttribute('role', 'group');
      for (const [key, text, label] of keys) {
        group.append(key === null ? document.createElement('span') : keyButton(key, text, label));
      }
      touch.append(group);
    }
    touch.setAttribute('role', 'group');
  }

  // A held direction sends its key again whenever the game has taken the
  // last one, at a steady pace.
  let timer = 0;
  let held = null;
  function stopRepeat() {
    clearTimeout(timer);
    clearInterval(timer);
    held = null;
  }
  function startRepeat(button, pointerId) {
    stopRepeat();
    held = button;
    try {
      button.setPointerCapture(pointerId);
    } catch {
      // a pointer already gone: no repeat
    }
    timer = setTimeout(() => {
      timer = setInterval(() => {
        if (held && document.body.dataset.game === 'waiting') game.sendKey(byteOf(held.dataset.key));
      }, repeatEvery);
    }, repeatDelay);
  }

  // Again (~) starts the run over: on the controls it asks once first, a
  // second tap within a few seconds sends it.
  const askFor = 3000;
  let asking = null;
  function confirmed(button) {
    if (button.dataset.key !== '~') return true;
    if (asking === button) {
      clearTimeout(asking.timer);
      button.classList.remove('asking');
      button.textContent = 'Again';
      asking = null;
      return true;
    }
    asking = button;
    button.classList.add('asking');
    button.textContent = 'Sure?';
    button.timer = setTimeout(() => {
      button.classList.remove('asking');
      button.textContent = 'Again';
      asking = null;
    }, askFor);
    return false;
  }

  function onPointerDown(event) {
    const button = event.target.closest('button[data-key]');
    if (!button || event.button > 0) return;
    // Keeps the focus where it is and stops the browser's own handling of
    // the touch (zoom, emulated mouse).
    event.preventDefault();
    if (!confirmed(button)) return;
    game.sendKey(byteOf(button.dataset.key));
    if (repeating.has(button.dataset.key)) startRepeat(button, event.pointerId);
  }

  // Enter or Space on a button reached with Tab clicks it without a pointer
  // (detail 0); pointer clicks were sent at pointerdown already.
  function onClick(event) {
    const button = event.target.closest('button[data-key]');
    if (!button) return;
    event.preventDefault();
    if (event.detail === 0 && confirmed(button)) game.sendKey(byteOf(button.dataset.key));
  }

  function show(on, remember) {
    document.body.classList.toggle('touch', on);
    touch.hidden = !on;
    toggle.setAttribute('aria-pressed', String(on));
    if (remember) {
      try {
        localStorage.setItem(storageKey, on ? 'on' : 'off');
      } catch {
        // storage refused: the choice lasts for this visit
      }
    }
  }

  function initiallyShown() {
    let saved = null;
    try {
      saved = localStorage.getItem(storageKey);
    } catch {
      // storage refused
    }
    if (saved === 'on' || saved === 'off') return saved === 'on';
    return navigator.maxTouchPoints > 0 || matchMedia('(any-pointer: coarse)').matches;
  }

  // Tapping the picture on the start screen or the compass screen is Space:
  // both take any key.
  function onPictureTap(event) {
    if (event.pointerType === 'mouse' || !event.target.closest('canvas')) return;
    if (game.beforeTheLevel()) game.sendKey(32);
  }

  // The key help of a touch screen: the controls shown, by what each does.
  game.touchHelp = function () {
    if (!document.body.classList.contains('touch')) return null;
    const lines = [];
    for (const [name, keys] of [['The pad', groups.pad], ['Spells and the party', groups.act],
                                ['A seed', groups.seed]]) {
      lines.push([name, null]);
      for (const [key, text, label] of keys) {
        if (key === null) continue;
        const does = label.replace(/, \S+$/, '');
        lines.push([text, key === '~' ? does + ': it asks first, a second tap goes' : does]);
      }
    }
    lines.push(['The picture', 'a tap is Space on the start screen and the compass screen']);
    return lines;
  };

  // On a touch screen the screens before the first level say that a tap on
  // the picture goes on.
  const tapHint = document.createElement('p');
  tapHint.id = 'tap-hint';
  tapHint.textContent = 'Tap the picture to go on (Space)';
  tapHint.hidden = true;
  document.getElementById('stage').append(tapHint);
  function showTapHint() {
    const shown = document.body.classList.contains('touch') && game.beforeTheLevel();
    if (shown === !tapHint.hidden) return;
    tapHint.hidden = !shown;
    if (game.front) game.front.placeNotices();
  }
  new MutationObserver(showTapHint).observe(document.body,
    { attributes: true, attributeFilter: ['data-game', 'class'] });

  build();
  touch.addEventListener('pointerdown', onPointerDown);
  touch.addEventListener('click', onClick);
  for (const type of ['pointerup', 'pointercancel', 'lostpointercapture']) {
    touch.addEventListener(type, stopRepeat);
  }
  touch.addEventListener('contextmenu', (event) => event.preventDefault());
  document.getElementById('stage').addEventListener('pointerup', onPictureTap);
  toggle.addEventListener('click', (event) => {
    if (event.detail !== 0) toggle.blur();
    show(!document.body.classList.contains('touch'), true);
  });
  toggle.addEventListener('mousedown', (event) => event.preventDefault());
  show(initiallyShown(), false);
})();

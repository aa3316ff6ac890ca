// The page's gamepads, through the browser's Gamepad API: read in the
// animation frame while a pad is plugged in, and not at all otherwise (no
// frame or timer waits while none is). Each change of a button or of the
// left stick goes to the game as a number of its queue; the game's shell
// turns it into keys, with the same table as the window.
(function () {
  'use strict';

  const game = Module.duskwarren;
  // The standard mapping's buttons in the game's order: south, east, west,
  // north, the shoulders, Back, Start, then the d-pad up, down, left, right.
  const standard = [0, 1, 2, 3, 4, 5, 8, 9, 12, 13, 14, 15];
  const pads = new Map();  // the pad's index: what was last handed on
  let frame = 0;

  // The family of pad the browser's id names: 1 Xbox, 2 PlayStation,
  // 3 Nintendo, 0 any other.
  function kindOf(id) {
    if (/054c|playstation|dualshock|dualsense/i.test(id)) return 2;
    if (/057e|nintendo|switch|joy-con/i.test(id)) return 3;
    if (/045e|xbox|xinput/i.test(id)) return 1;
    return 0;
  }

  // An axis in tenths, -100..100, so that a stick at rest stays quiet.
  function tenths(value) {
    return Math.max(-100, Math.min(100, Math.round((value || 0) * 10) * 10));
  }

  function read(pad, was, numbers) {
    standard.forEach((b, i) => {
      const down = !!(pad.buttons[b] && pad.buttons[b].pressed);
      if (down === was.pressed[i]) return;
      was.pressed[i] = down;
      game.padItem(numbers.button + i * 2 + (down ? 1 : 0));
    });
    const x = tenths(pad.axes[0]), y = tenths(pad.axes[1]);
    if (x === was.x && y === was.y) return;
    was.x = x;
    was.y = y;
    game.padItem(numbers.stick + (x + 100) * 201 + (y + 100));
  }

  function poll() {
    frame = 0;
    const numbers = game.padNumbers();
    const list = navigator.getGamepads ? navigator.getGamepads() : [];
    for (const pad of list) {
      if (pad && numbers && pads.has(pad.index)) read(pad, pads.get(pad.index), numbers);
    }
    schedule();
  }

  function schedule() {
    if (pads.size > 0 && frame === 0) frame = requestAnimationFrame(poll);
  }

  window.addEventListener('gamepadconnected', (event) => {
    const numbers = game.padNumbers();
    if (!numbers || pads.has(event.gamepad.index)) return;
    pads.set(event.gamepad.index, { pressed: standard.map(() => false), x: 0, y: 0 });
    game.padName = event.gamepad.id;
    game.padItem(numbers.plug + kindOf(event.gamepad.id));
    schedule();
  });

  window.addEventListener('gamepaddisconnected', (event) => {
    const numbers = game.padNumbers();
    if (!pads.delete(event.gamepad.index) || !numbers) return;
    game.padName = event.gamepad.id;
    game.padItem(numbers.unplug);
    if (pads.size === 0 && frame !== 0) {
      cancelAnimationFrame(frame);
      frame = 0;
    }
  });
})();

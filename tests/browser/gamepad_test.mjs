// A gamepad in the page, through a stand-in for the browser's Gamepad API
// installed before the page's scripts (no browser automation presses pad
// buttons): the seed typed, south on the compass screen and the d-pad's walk
// give the pixels duskwarren-replay gives for the keys they stand for; the
// spell picker casts Vision and the kept recording holds `v`; F1 names a
// PlayStation pad's buttons; plugged in and out, it is told; and with no pad
// plugged in, nothing is polled while the page waits for a key.
//
//   node gamepad_test.mjs SITE REPLAY OUT_DIR
import { mkdirSync, readFileSync } from 'node:fs';
import {
  check, expectSamePixels, launchBrowser, openGame, parseKeys, replayScreenshot, runTest,
  serveSite, settled, typeKeys,
} from './harness.mjs';

const noon = 12 * 3600;
// The standard mapping's buttons.
const south = 0, west = 2, start = 9, up = 12, down = 13, left = 14, right = 15;

// A standard-mapping PlayStation pad the test presses, plugged in when asked
// (as a browser tells of a pad after its first press), and a count of the
// animation frames and timers the page has pending.
function standIn() {
  const pad = {
    id: 'Stand-in pad (STANDARD GAMEPAD Vendor: 054c Product: 09cc)', index: 0,
    mapping: 'standard', connected: true, timestamp: 0, axes: [0, 0, 0, 0],
    buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })),
  };
  let plugged = false;
  Object.defineProperty(Navigator.prototype, 'getGamepads', {
    configurable: true, value: () => (plugged ? [pad, null, null, null] : [null, null, null, null]),
  });
  const frames = new Set(), timers = new Set();
  const raf = window.requestAnimationFrame.bind(window);
  const caf = window.cancelAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => {
    const id = raf((t) => { frames.delete(id); callback(t); });
    frames.add(id);
    return id;
  };
  window.cancelAnimationFrame = (id) => { frames.delete(id); caf(id); };
  const st = window.setTimeout.bind(window);
  window.setTimeout = (callback, ms, ...args) => {
    const id = st((...a) => { timers.delete(id); if (typeof callback === 'function') callback(...a); }, ms, ...args);
    timers.add(id);
    return id;
  };
  const fire = (type) => {
    const event = new Event(type);
    event.gamepad = pad;
    window.dispatchEvent(event);
  };
  window.standInPad = {
    plug() { plugged = true; fire('gamepadconnected'); },
    unplug() { plugged = false; fire('gamepaddisconnected'); },
    set(button, isDown) { Object.assign(pad.buttons[button], { pressed: isDown, value: isDown ? 1 : 0 }); },
    pending() { return { frames: frames.size, timers: timers.size }; },
  };
}

async function tap(page, button) {
  await page.evaluate(async (b) => {
    const frames = (n) => new Promise((resolve) => {
      const step = () => (--n <= 0 ? resolve() : requestAnimationFrame(step));
      requestAnimationFrame(step);
    });
    window.standInPad.set(b, true);
    await frames(3);
    window.standInPad.set(b, false);
    await frames(3);
  }, button);
  await settled(page);
}

// Nothing is scheduled over a second of waiting with no pad plugged in.
async function expectNothingPolled(page, when) {
  await settled(page);
  const before = await page.evaluate(() => window.standInPad.pending());
  await page.waitForTimeout(1000);
  const after = await page.evaluate(() => window.standInPad.pending());
  check(after.frames === 0, `${when}: ${after.frames} animation frames pending while the page waits`);
  check(after.timers <= before.timers,
        `${when}: timers pending grew from ${before.timers} to ${after.timers} while the page waits`);
}

async function gamepad(site, replay, out) {
  const url = await serveSite(site);
  const { context, page } = await launchBrowser({ acceptDownloads: true });
  await context.addInitScript(standIn);
  await openGame(page, url, 0.5);
  await expectNothingPolled(page, 'no pad yet');

  await typeKeys(page, parseKeys('@42\\r'));
  await settled(page);
  await page.evaluate(() => window.standInPad.plug());
  const notice = page.locator('#notice');
  await page.waitForFunction(() => /Gamepad connected/.test(document.getElementById('notice').textContent));
  for (const b of [south, right, right, down, down, left, up]) await tap(page, b);
  const walk = '@42\\r 662248';
  await expectSamePixels(page, replayScreenshot(replay, walk, noon + 0.5, out, 'pad-walk'), out, 'pad-walk');

  for (const b of [west, right, south]) await tap(page, b);
  await expectSamePixels(page, replayScreenshot(replay, `${walk}v`, noon + 0.5, out, 'pad-vision'), out,
                         'pad-vision');
  check(!(await page.locator('#banner').isVisible()), 'the spell picker stays over the picture');

  await page.keyboard.press('F1');
  await page.locator('#panel').waitFor({ state: 'visible', timeout: 5000 });
  const help = await page.locator('#panel dl').textContent();
  check(/cross.*circle.*square.*triangle/s.test(help), `F1 names no PlayStation buttons: ${help}`);
  await tap(page, start);
  await page.locator('#panel').waitFor({ state: 'hidden', timeout: 5000 });

  const [kept] = await Promise.all([page.waitForEvent('download'), page.locator('#download').click()]);
  const recording = readFileSync(await kept.path(), 'latin1');
  const keys = [...recording.matchAll(/^k ([0-9a-f]+) /gm)].map((m) => m[1]).join(' ');
  check(keys === '40 34 32 0d 20 36 36 32 32 34 38 76', `the kept recording's keys are ${keys}`);

  await page.evaluate(() => window.standInPad.unplug());
  await page.waitForFunction(() => /Gamepad disconnected/.test(document.getElementById('notice').textContent));
  check(await notice.isVisible(), 'the unplugging is not told');
  await expectNothingPolled(page, 'pad unplugged');
  await typeKeys(page, parseKeys('8'));
  await expectSamePixels(page, replayScreenshot(replay, `${walk}v8`, noon + 0.5, out, 'pad-after'), out,
                         'pad-after');
}

const out = process.argv[process.argv.length - 1];
mkdirSync(out, { recursive: true });
runTest('gamepad', 120, () => gamepad(...process.argv.slice(2)));

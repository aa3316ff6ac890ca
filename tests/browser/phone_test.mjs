// The page for everyone: a game played by touch alone on a phone, the page
// kept for offline play by its service worker, and a game played from the
// keyboard with the page's buttons in the Tab order.
//
//   node phone_test.mjs touch KEYS_FILE FRACTION SITE REPLAY OUT_DIR
//   node phone_test.mjs offline SITE REPLAY OUT_DIR
//   node phone_test.mjs reader SITE REPLAY OUT_DIR
//   node phone_test.mjs kept KEYS_FILE SITE REPLAY OUT_DIR
//   node phone_test.mjs said KEYS_FILE SITE REPLAY OUT_DIR
import { spawnSync } from 'node:child_process';
import { cpSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {
  check, expectSamePixels, launchBrowser, openGame, parseKeys, readPngRgb, replayScreenshot, runTest,
  serveSite, settled, stopServing, typeKeys,
} from './harness.mjs';

const noon = 12 * 3600;
const phone = { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true,
                deviceScaleFactor: 3 };

// Every key the game takes has its button; none covers the picture, which
// shows at a whole-number scale, and every button is inside the screen.
async function checkControls(page, what) {
  const found = await page.evaluate(() => {
    const canvas = document.getElementById('screen');
    const r = canvas.getBoundingClientRect();
    const buttons = [...document.querySelectorAll('button')].filter((b) => b.offsetParent !== null);
    const covering = buttons.filter((b) => {
      const o = b.getBoundingClientRect();
      return o.right > r.left && o.left < r.right && o.bottom > r.top && o.top < r.bottom;
    }).map((b) => b.textContent);
    const outside = buttons.filter((b) => {
      const o = b.getBoundingClientRect();
      return o.left < 0 || o.top < 0 || o.right > innerWidth || o.bottom > innerHeight;
    }).map((b) => b.textContent);
    const keys = [...document.querySelectorAll('button[data-key]')];
    return {
      keys: keys.map((b) => b.dataset.key),
      unlabelled: keys.filter((b) => !b.getAttribute('aria-label')).length,
      covering, outside, scale: canvas.dataset.scale,
      cssScale: (r.width * devicePixelRatio) / 320,
      withKeyElsewhere: document.querySelectorAll('[data-key]:not(button)').length,
    };
  });
  const wanted = ['8', '6', '2', '4', ' ', 'w', 'v', 't', 'p', 'h', 'f', 'b', '+', '-', '~', 'Escape',
                  '@', '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'Backspace', 'Enter'];
  const missing = wanted.filter((k) => !found.keys.includes(k));
  check(missing.length === 0, `${what}: no button for ${JSON.stringify(missing)}`);
  check(found.unlabelled === 0 && found.withKeyElsewhere === 0,
        `${what}: ${found.unlabelled} key buttons without a label`);
  check(found.covering.length === 0, `${what}: buttons cover the picture: ${found.covering}`);
  check(found.outside.length === 0, `${what}: buttons off the screen: ${found.outside}`);
  // Layout rounds CSS sizes to 1/64 pixel; the device pixels are whole.
  check(Number(found.scale) >= 1 && Math.abs(found.cssScale - Number(found.scale)) < 0.01,
        `${what}: the picture is not at a whole-number scale: ${JSON.stringify(found)}`);
}

// Taps the button that sends this byte: the pad's directions in play, the
// seed row's digits.
async function tapKey(page, byte, inSeed) {
  const names = { 13: 'Enter', 27: 'Escape', 8: 'Backspace' };
  const key = names[byte] || String.fromCharCode(byte);
  const group = inSeed && /[0-9]/.test(key) ? '.touch-seed ' : /[8624]/.test(key) ? '.touch-pad ' : '';
  const button = page.locator(`${group}button[data-key="${key === '"' ? '\\"' : key}"]`).first();
  await button.tap();
  // Again asks once: the second tap starts the run over.
  if (key === '~') await button.tap();
}

// Holds a pad button down for the given time with the touch screen and
// returns how many keys it sent.
async function holdPad(page, key, milliseconds) {
  await settled(page);
  await page.evaluate(() => {
    window.sent = 0;
    const send = Module.duskwarren.sendKey;
    Module.duskwarren.sendKey = (byte) => { ++window.sent; send(byte); };
  });
  const box = await page.locator(`.touch-pad button[data-key="${key}"]`).boundingBox();
  const point = [{ x: box.x + box.width / 2, y: box.y + box.height / 2 }];
  const session = await page.context().newCDPSession(page);
  await session.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: point });
  await new Promise((resolve) => setTimeout(resolve, milliseconds));
  await session.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await session.detach();
  await settled(page);
  return page.evaluate(() => window.sent);
}

// A whole game by touch on a portrait phone: the seed from the on-screen @,
// digits and Enter, play from the pad and the spell buttons, a held
// direction, then the picture compared with the replay of the same keys.
// Then Escape and Continue go back to the run; Escape, New game and a tap
// on the picture start a game with the clock's seed, and the controls are checked in landscape too.
async function touchGame(keysFile, fraction, site, replay, out) {
  const keysText = readFileSync(keysFile, 'utf8').split(/\r?\n/)[0];
  const timer = noon + Number(fraction);
  const url = await serveSite(site);
  const { page } = await launchBrowser(phone);
  await openGame(page, url, Number(fraction));
  check(await page.evaluate(() => document.body.classList.contains('touch')),
        'a page with touch shows no controls');
  await checkControls(page, 'portrait 390 x 844');

  const bytes = parseKeys(keysText);
  const seedEnd = bytes.indexOf(13);
  for (let i = 0; i < bytes.length; ++i) await tapKey(page, bytes[i], i <= seedEnd);
  const held = await holdPad(page, '6', 1300);
  check(held >= 3 && held <= 1 + 1.3 * 8, `holding a direction for 1.3 s sent ${held} keys`);
  check((await settled(page, 60000)) === 'waiting', 'the touch game ended early');
  const played = keysText + '6'.repeat(held);
  await expectSamePixels(page, replayScreenshot(replay, played, timer, out, 'touch-game'), out,
                         'touch-game');
  await page.screenshot({ path: path.join(out, 'touch-portrait.png') });

  await tapKey(page, 27, false);
  check((await settled(page)) === 'ended', 'the Escape button did not end the game');
  await page.locator('#again').tap();
  await settled(page);
  await expectSamePixels(page, readPngRgb(path.join(out, 'touch-game.replay.png')), out, 'touch-again');
  await tapKey(page, 27, false);
  check((await settled(page)) === 'ended', 'the Escape button did not end the continued game');
  await Promise.all([page.waitForNavigation(), page.locator('#ended-new').tap()]);
  await settled(page);
  await page.locator('#screen').tap();
  await settled(page);
  await expectSamePixels(page, replayScreenshot(replay, ' ', timer, out, 'touch-picture'), out,
                         'touch-picture');

  await page.setViewportSize({ width: 844, height: 390 });
  await page.waitForFunction(() => matchMedia('(orientation: landscape)').matches);
  await checkControls(page, 'landscape 844 x 390');
  await page.screenshot({ path: path.join(out, 'touch-landscape.png') });
}

// Buttons whose text is wider than themselves, and buttons a text of the
// ended screen runs into.
async function overflowing(page) {
  return page.evaluate(() => {
    const shown = (e) => e.offsetParent !== null && getComputedStyle(e).visibility !== 'hidden';
    const buttons = [...document.querySelectorAll('button')].filter(shown);
    const wide = buttons.filter((b) => b.scrollWidth > b.clientWidth + 0.5).map((b) => b.textContent);
    const texts = [...document.querySelectorAll('#ended p')].filter(shown).map((p) => {
      const range = document.createRange();
      range.selectNodeContents(p);
      return [...range.getClientRects()];
    }).flat();
    const meet = (a, b) => a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    const run = buttons.filter((b) => !b.closest('#ended') &&
                                      texts.some((t) => meet(t, b.getBoundingClientRect())))
      .map((b) => b.textContent);
    return { wide, run };
  });
}

// At 360 x 640, 390 x 844 and 844 x 390 no label is wider than its button
// and the ended screen's words run into no button; Again asks once before
// it starts the run over; the Keys button shows the controls, not keys; a
// tap on the picture goes from the start screen through the compass screen
// into the level.
async function fit(site, replay, out) {
  const url = await serveSite(site);
  for (const [width, height] of [[360, 640], [390, 844], [844, 390]]) {
    const what = `${width} x ${height}`;
    const { page } = await launchBrowser({ ...phone, viewport: { width, height } });
    await openGame(page, url, 0.5);
    let found = await overflowing(page);
    check(found.wide.length === 0, `${what}: labels wider than their buttons: ${found.wide}`);
    await page.locator('#help-panel').tap();
    await page.locator('#panel').waitFor({ state: 'visible', timeout: 5000 });
    const help = await page.locator('#panel dl').innerText();
    check(/Passage/.test(help) && /Use/.test(help) && /Again/.test(help) && !/8 2 4 6|Arrows/.test(help),
          `${what}: the Keys button shows no touch controls: ${help}`);
    await page.locator('#help-panel').tap();
    await page.locator('#panel').waitFor({ state: 'hidden', timeout: 5000 });
    if (width === 390) {
      // The start screen, then the compass screen: each a tap on the picture.
      await page.locator('#screen').tap();
      await settled(page);
      check(await page.locator('#tap-hint').isVisible(), 'the compass screen says nothing of a tap');
      await page.locator('#screen').tap();
      await settled(page);
      await expectSamePixels(page, replayScreenshot(replay, '  ', noon + 0.5, out, 'tap-level'), out,
                             'tap-level');
      check(!(await page.locator('#tap-hint').isVisible()), 'the tap hint stays in the level');
      const again = page.locator('#touch button[data-key="~"]');
      await again.tap();
      await settled(page);
      check((await again.textContent()) !== 'Again', 'Again does not ask before it acts');
      await expectSamePixels(page, readPngRgb(path.join(out, 'tap-level.replay.png')), out,
                             'again-asked');
    }
    await page.locator('#touch button[data-key="Escape"]').tap();
    check((await settled(page)) === 'ended', `${what}: the Escape button did not end the game`);
    found = await overflowing(page);
    check(found.run.length === 0, `${what}: the ended screen runs into ${found.run}`);
    check(found.wide.length === 0, `${what}: labels wider than their buttons: ${found.wide}`);
    await page.screenshot({ path: path.join(out, `fit-${width}x${height}.png`) });
    await page.context().close();
  }
}

// Waits until the page is controlled by a service worker whose cache is
// the only one of the site's, and not the one named before; returns the
// cache's name.
async function keptBy(page, before = '') {
  for (const deadline = Date.now() + 20000; Date.now() < deadline;) {
    const kept = await page.evaluate(async () => ({
      controlled: navigator.serviceWorker.controller !== null,
      names: (await caches.keys()).filter((n) => n.startsWith('duskwarren-')),
    }));
    if (kept.controlled && kept.names.length === 1 && kept.names[0] !== before) return kept.names[0];
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  throw new Error(`no service worker took over from ${before || 'the network'}`);
}

// The first visit keeps the site; a new version of it replaces the kept one
// on a later visit; with the server gone, the page still comes from the
// service worker and plays the same pixels as the replay.
async function offline(site, replay, out) {
  const copy = mkdtempSync(path.join(os.tmpdir(), 'duskwarren-site-'));
  try {
    cpSync(site, copy, { recursive: true });
    const url = await serveSite(copy);
    const { page } = await launchBrowser();
    await openGame(page, url, 0.25);
    const first = await keptBy(page);

    // A new build: another page and another worker version.
    const index = path.join(copy, 'index.html');
    writeFileSync(index, readFileSync(index, 'utf8').replace('<head>', '<head>\n<meta name="build" content="next">'));
    const worker = path.join(copy, 'sw.js');
    writeFileSync(worker, readFileSync(worker, 'utf8').replace(first, `${first}-next`));
    await page.reload();
    await settled(page);
    const next = await keptBy(page, first);
    check(next === `${first}-next`, `the new version of the site was not kept: ${first} became ${next}`);
    await page.reload();
    await settled(page);
    check(await page.locator('meta[name="build"]').count() === 1, 'the next visit still shows the old page');

    await stopServing(url);
    await page.reload();
    check((await settled(page)) === 'waiting', 'the page does not start without its server');
    check(await page.evaluate(() => navigator.serviceWorker.controller !== null &&
                                    document.querySelector('meta[name="build"]') !== null),
          'the page without a server was not served by its service worker');
    await typeKeys(page, parseKeys('@42\\r 6622'));
    await settled(page);
    await expectSamePixels(page, replayScreenshot(replay, '@42\\r 6622', noon + 0.25, out, 'offline'), out,
                           'offline');
  } finally {
    rmSync(copy, { recursive: true, force: true });
  }
}

// A keyboard and screen-reader player: the game has the focus when the page
// opens; Tab leaves it for the page's labelled buttons, where Enter works
// the button and the game takes nothing; back on the game, Space and Enter
// are the game's again.
async function reader(site, replay, out) {
  const url = await serveSite(site);
  const { page } = await launchBrowser();
  await openGame(page, url, 0.5);
  const focused = () => page.evaluate(() => document.activeElement.id || document.activeElement.tagName);
  check((await focused()) === 'stage', `the game does not have the focus: ${await focused()}`);
  const order = [];
  for (let i = 0; i < 11; ++i) {
    await page.keyboard.press('Tab');
    order.push(await page.evaluate(() => {
      const e = document.activeElement;
      return e.tagName === 'BUTTON' && (e.getAttribute('aria-label') || e.textContent.trim()) ? e.id : '?';
    }));
  }
  check(order.join() === 'help-panel,log-panel,look-panel,picture,runs-list,new-game,download,watch,aspect,fullscreen,show-controls',
        `Tab goes through ${order}`);
  await page.keyboard.press('Enter');
  check(await page.evaluate(() => document.body.classList.contains('touch')),
        'Enter on the Controls button did not show the controls');
  await page.keyboard.press('Space');
  check(!(await page.evaluate(() => document.body.classList.contains('touch'))),
        'Space on the Controls button did not hide the controls');
  for (let i = 0; i < 11; ++i) await page.keyboard.press('Shift+Tab');
  check((await focused()) === 'stage', `Shift+Tab does not lead back to the game: ${await focused()}`);
  // Had the game taken Space or Enter above, these keys would draw another picture.
  await typeKeys(page, parseKeys('@7\\r 66'));
  await settled(page);
  await expectSamePixels(page, replayScreenshot(replay, '@7\\r 66', noon + 0.5, out, 'reader'), out,
                         'reader');
}

// Runs duskwarren-replay with these arguments (and the game data beside it).
function runReplay(replay, args) {
  const result = spawnSync(replay, ['--data', path.dirname(replay), ...args],
                           { encoding: 'utf8', timeout: 30000, killSignal: 'SIGKILL' });
  check(!result.error && result.status === 0,
        `duskwarren-replay ${args.join(' ')} failed (${result.status}): ${result.error || result.stderr}`);
}

// A run kept as it is played: the page's live region tells the last turn's
// message and the status values of the replay's trace; the downloaded
// recording replays in duskwarren-replay --recording to the page's picture.
// With the browser's storage refused, the page says once that the run is
// not kept and the game plays on.
async function kept(keysFile, site, replay, out) {
  const keysText = readFileSync(keysFile, 'utf8').split(/\r?\n/)[0];
  const url = await serveSite(site);
  const { page } = await launchBrowser({ acceptDownloads: true });
  await openGame(page, url, 0.5);
  await typeKeys(page, parseKeys(keysText));
  await settled(page);

  const trace = path.join(out, 'kept.jsonl');
  replayScreenshot(replay, keysText, noon + 0.5, out, 'kept');
  runReplay(replay, ['--keys', keysText, '--timer', String(noon + 0.5), '--trace', trace]);
  const cycles = readFileSync(trace, 'utf8').trim().split('\n').map((l) => JSON.parse(l))
    .filter((l) => l.event === 'cycle');
  const last = cycles[cycles.length - 1];
  const stats = last.memberStats[last.currentMember - 1];
  const said = await page.locator('#said').innerText();
  for (const part of [`Hp ${stats[0]}, Ap ${stats[1]}, Dp ${stats[2]}, Mp ${stats[3]}.`,
                      `Level ${last.levelNumber}.`, `Gold ${last.gold}, Keys ${last.keys}, Bombs ${last.bombs}.`,
                      last.messageLine.trim()]) {
    check(said.includes(part), `the live region says "${said}", without "${part}"`);
  }

  const [download] = await Promise.all([page.waitForEvent('download'), page.locator('#download').click()]);
  check(/^\d{4}-\d\d-\d\d-\d{6}.*\.dwrec$/.test(download.suggestedFilename()),
        `the download is named ${download.suggestedFilename()}`);
  const recording = path.join(out, 'kept.dwrec');
  await download.saveAs(recording);
  const shot = path.join(out, 'kept.recording.png');
  runReplay(replay, ['--recording', recording, '--screenshot', shot]);
  await expectSamePixels(page, readPngRgb(shot), out, 'kept');

  // A reload goes straight back to the run, on its picture, with no key. A
  // tap on the picture is no Space there. Escape and Continue go back to it
  // again; played on, the run downloads whole: it replays to the page's
  // picture and to the trace of all its keys, without the Escape or the tap.
  await page.reload();
  check((await settled(page, 60000)) === 'waiting', 'the reloaded page did not go back to the run');
  await expectSamePixels(page, readPngRgb(path.join(out, 'kept.replay.png')), out, 'kept-reloaded');
  await page.locator('#screen').dispatchEvent('pointerup', { pointerType: 'touch', isPrimary: true });
  await page.keyboard.press('Escape');
  check((await settled(page)) === 'ended', 'Escape did not end the run gone back to');
  await page.locator('#again').click();
  check((await settled(page, 60000)) === 'waiting', 'Continue did not go back to the run');
  await typeKeys(page, parseKeys('48'));
  await settled(page);
  const longer = `${keysText}48`;
  const [whole] = await Promise.all([page.waitForEvent('download'), page.locator('#download').click()]);
  const wholeRecording = path.join(out, 'kept-whole.dwrec');
  await whole.saveAs(wholeRecording);
  const wholeTrace = path.join(out, 'kept-whole.jsonl');
  const longerTrace = path.join(out, 'kept-longer.jsonl');
  runReplay(replay, ['--recording', wholeRecording, '--screenshot', path.join(out, 'kept-whole.png'),
                     '--trace', wholeTrace]);
  runReplay(replay, ['--keys', longer, '--timer', String(noon + 0.5), '--trace', longerTrace]);
  check(readFileSync(wholeTrace, 'utf8') === readFileSync(longerTrace, 'utf8'),
        'the recording of the run gone back to does not replay as its keys');
  await expectSamePixels(page, readPngRgb(path.join(out, 'kept-whole.png')), out, 'kept-whole');
  await expectSamePixels(page, replayScreenshot(replay, longer, noon + 0.5, out, 'kept-longer'), out,
                         'kept-longer');

  // A recording made by the desktop game, picked in the page, plays there
  // to the same picture; the run played before stays kept.
  const desktop = path.join(out, 'kept-desktop.dwrec');
  rmSync(desktop, { force: true });
  runReplay(replay, ['--keys', '@42\\r 6622+h', '--timer', '1000', '--record', desktop,
                     '--screenshot', path.join(out, 'kept-desktop.png')]);
  await page.locator('#watch-file').setInputFiles(desktop);
  await page.waitForFunction(() => /the end/.test(document.getElementById('watching')?.textContent),
                             null, { timeout: 30000, polling: 50 });
  check(/kept-desktop\.dwrec/.test(await page.locator('#watching').innerText()), 'the watched file is not named');
  await expectSamePixels(page, readPngRgb(path.join(out, 'kept-desktop.png')), out, 'kept-watched');

  // Storage refused: told once, and the game goes on.
  const refused = await page.context().newPage();
  await refused.addInitScript(() => {
    indexedDB.open = () => { throw new DOMException('refused', 'SecurityError'); };
  });
  await openGame(refused, url, 0.5);
  await typeKeys(refused, parseKeys(keysText));
  await settled(refused);
  const notice = await refused.locator('#notice').innerText();
  check(/not being kept/.test(notice), `no word that the run is not kept: "${notice}"`);
  await expectSamePixels(refused, readPngRgb(path.join(out, 'kept.replay.png')), out, 'kept-refused');
}

// A turn that says three things (a gate forced, the monster under the hero
// striking, the member fallen): the live region holds every one of them, as
// the replay's log has them, and the status values of the replay's trace.
async function said(keysFile, site, replay, out) {
  const keysText = readFileSync(keysFile, 'utf8').replace(/\r?\n/g, '');
  const url = await serveSite(site);
  const { page } = await launchBrowser();
  await openGame(page, url, 0.5);
  await typeKeys(page, parseKeys(keysText));
  await settled(page, 60000);

  const log = path.join(out, 'said.log');
  const trace = path.join(out, 'said.jsonl');
  runReplay(replay, ['--keys', keysText, '--timer', String(noon + 0.5), '--log', log, '--trace', trace]);
  const entries = readFileSync(log, 'utf8').trim().split('\n').map((l) => /^L(\d+) T(\d+) (.*)$/.exec(l));
  const lastTurn = entries[entries.length - 1].slice(1, 3).join();
  const messages = entries.filter((e) => e.slice(1, 3).join() === lastTurn).map((e) => e[3]);
  check(messages.length >= 2, `the last turn of ${keysFile} says ${messages.length} things`);
  const cycles = readFileSync(trace, 'utf8').trim().split('\n').map((l) => JSON.parse(l))
    .filter((l) => l.event === 'cycle');
  const last = cycles[cycles.length - 1];
  const stats = last.memberStats[last.currentMember - 1];
  const text = await page.locator('#said').innerText();
  const spoken = (m) => m.replace(/\]\s*\[/g, ', ').replace(/^\[|\]$/g, '');
  for (const part of [...messages.map(spoken), `Hp ${stats[0]}, Ap ${stats[1]}, Dp ${stats[2]}, Mp ${stats[3]}.`,
                      `Level ${last.levelNumber}.`, `Gold ${last.gold}, Keys ${last.keys}, Bombs ${last.bombs}.`]) {
    check(text.includes(part), `the live region says "${text}", without "${part}"`);
  }
  check(await page.locator('#said[aria-live="polite"]').count() === 1 &&
        (await page.locator('#said').boundingBox()).width <= 1, 'the live region is not a hidden polite one');
}

const [kind, ...rest] = process.argv.slice(2);
const out = rest[rest.length - 1];
mkdirSync(out, { recursive: true });
if (kind === 'touch') {
  runTest('touch', 150, () => touchGame(...rest));
} else if (kind === 'said') {
  runTest('said', 150, () => said(...rest));
} else if (kind === 'kept') {
  runTest('kept', 170, () => kept(...rest));
} else if (kind === 'reader') {
  runTest('reader', 90, () => reader(...rest));
} else if (kind === 'fit') {
  runTest('fit', 150, () => fit(...rest));
} else if (kind === 'offline') {
  runTest('offline', 90, () => offline(...rest));
} else {
  console.error('usage: node phone_test.mjs (touch KEYS FRACTION | offline) SITE REPLAY OUT_DIR');
  process.exit(2);
}

// The browser build in Chromium: the same pixels as duskwarren-replay for
// the same keys and clock, the keyboard, the view, the end of a game and an
// idle page.
//
//   node browser_test.mjs game NAME KEYS_FILE FRACTION [keypad] SITE REPLAY OUT_DIR
//   node browser_test.mjs page SITE REPLAY OUT_DIR
//   node browser_test.mjs notices SITE REPLAY OUT_DIR
//   node browser_test.mjs idle SITE REPLAY OUT_DIR
//   node browser_test.mjs keys SITE REPLAY OUT_DIR
//   node browser_test.mjs runs SITE REPLAY OUT_DIR
import { spawnSync } from 'node:child_process';
import { mkdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import {
  canvasRgb, check, expectSamePixels, keepRunInPage, launchBrowser, longRunKeys, openGame, parseKeys,
  readPngRgb, replayScreenshot, runTest, serveSite, settled, typeKeys,
} from './harness.mjs';

// The replay's local time is 12:00:00 on 1 January 1990; its timer is that
// many seconds after midnight.
const noon = 12 * 3600;

const [kind, ...rest] = process.argv.slice(2);

// One recorded game: the start screen the clock gives, then the whole game
// typed into the page.
async function game(name, keysFile, fraction, keypad, site, replay, out) {
  const keysText = readFileSync(keysFile, 'utf8').split(/\r?\n/)[0];
  const timer = noon + Number(fraction);
  const url = await serveSite(site);
  const { page } = await launchBrowser();
  await openGame(page, url, Number(fraction));
  await expectSamePixels(page, replayScreenshot(replay, '', timer, out, `${name}-start`), out,
                         `${name}-start`);
  await typeKeys(page, parseKeys(keysText), { useKeypad: keypad });
  check((await settled(page, 60000)) === 'waiting', `${name}: the game ended early`);
  await expectSamePixels(page, replayScreenshot(replay, keysText, timer, out, name), out, name);
}

// The canvas's box on the page.
async function canvasBox(page) {
  return page.evaluate(() => {
    const r = document.getElementById('screen').getBoundingClientRect();
    return { x: r.x, y: r.y, width: r.width, height: r.height,
             viewWidth: window.innerWidth, viewHeight: window.innerHeight };
  });
}

// Keys the game has no use for keep the browser's action; the game's keys
// do not. Resizing keeps whole-number scaling; Escape ends the game with a
// message and the page starts a new one.
async function pageChecks(site, replay, out) {
  const url = await serveSite(site);
  const { page } = await launchBrowser();
  await openGame(page, url, 0.5);
  const startScreen = replayScreenshot(replay, '', noon + 0.5, out, 'page-start');

  await page.evaluate(() => {
    window.prevented = {};
    window.addEventListener('keydown', (e) => { window.prevented[e.key] = e.defaultPrevented; });
  });
  for (const key of ['Space', 'Backspace', 'Tab', 'ArrowDown', 'F3', 'Shift', 'F1', 'Escape']) {
    await page.keyboard.press(key);
  }
  const prevented = await page.evaluate(() => window.prevented);
  check(prevented[' '] && prevented.Backspace, `Space and Backspace keep their browser action: ${JSON.stringify(prevented)}`);
  check(!prevented.Tab && !prevented.ArrowDown && !prevented.F3 && !prevented.Shift,
        `keys the game does not use lost their browser action: ${JSON.stringify(prevented)}`);
  // F1 opens the game's keys, not the browser's help, and Escape only
  // closes them.
  check(prevented.F1 && prevented.Escape, `F1 kept the browser's action: ${JSON.stringify(prevented)}`);
  // Space started a game; Backspace is the only other key the game took.
  await settled(page);
  const keysShot = replayScreenshot(replay, ' \\b', noon + 0.5, out, 'page-keys');
  await expectSamePixels(page, keysShot, out, 'page-keys');

  const sizes = [[960, 600, 3], [1000, 700, 3], [1400, 1000, 4], [641, 401, 2], [500, 900, 1],
                 [300, 150, 1]];
  for (const [width, height, scale] of sizes) {
    await page.setViewportSize({ width, height });
    await page.waitForFunction((s) => document.getElementById('screen').dataset.scale === String(s),
                               scale, { timeout: 5000 });
    const box = await canvasBox(page);
    check(box.width === 320 * scale && box.height === 200 * scale,
          `at ${width} x ${height} the canvas is ${box.width} x ${box.height}, not ${scale} times the page`);
    if (scale * 320 <= width && scale * 200 <= height) {
      check(Math.abs(box.x * 2 + box.width - width) <= 1 && Math.abs(box.y * 2 + box.height - height) <= 1,
            `at ${width} x ${height} the canvas is not centred: ${JSON.stringify(box)}`);
    }
  }
  // Fullscreen from the keys and from the button.
  const fullscreenIs = (on) => page.waitForFunction(
      (want) => (document.fullscreenElement === document.documentElement) === want, on, { timeout: 5000 });
  await page.keyboard.press('Alt+Enter');
  await fullscreenIs(true);
  await page.keyboard.press('Alt+Enter');
  await fullscreenIs(false);
  await page.mouse.move(100, 100);
  await page.locator('#fullscreen').click();
  await fullscreenIs(true);
  await page.keyboard.press('Alt+Enter');
  await fullscreenIs(false);

  // The 4:3 view: whole page pixels up to the stage, smoothed to the area.
  await page.setViewportSize({ width: 1280, height: 1000 });
  await page.keyboard.press('F10');
  await page.waitForFunction(() => document.getElementById('screen').dataset.scale === '4:3');
  const wide = await page.evaluate(() => {
    const view = document.getElementById('view');
    const r = view.getBoundingClientRect();
    return { width: r.width, height: r.height, y: r.y, stageWidth: view.width, stageHeight: view.height,
             shown: !view.hidden && document.getElementById('screen').hidden };
  });
  check(wide.shown && wide.width === 1280 && wide.height === 960 && wide.y === 20 &&
        wide.stageWidth === 1280 && wide.stageHeight === 800,
        `the 4:3 view at 1280 x 1000 is ${JSON.stringify(wide)}`);
  await page.screenshot({ path: path.join(out, 'page-view-4x3.png') });
  await page.keyboard.press('F10');
  await page.waitForFunction(() => document.getElementById('screen').dataset.scale === '4');
  await page.screenshot({ path: path.join(out, 'page-view.png') });

  await page.keyboard.press('Escape');
  check((await settled(page)) === 'ended', 'Escape did not end the game');
  const message = await page.locator('#ended').innerText();
  check(/The game has ended/.test(message) && (await page.locator('#ended').isVisible()),
        `no end message after Escape: "${message}"`);
  await page.screenshot({ path: path.join(out, 'page-ended.png') });
  // Typing while the message shows does nothing; Continue goes back to the
  // run where it stopped, and New game starts over at the start screen.
  await page.keyboard.press('x');
  check((await page.evaluate(() => document.body.dataset.game)) === 'ended', 'a key restarted the game');
  await page.locator('#again').click();
  check((await settled(page)) === 'waiting', 'Continue did not go back to the run');
  check(!(await page.locator('#ended').isVisible()), 'the end message stays after Continue');
  await page.setViewportSize({ width: 960, height: 600 });
  await expectSamePixels(page, keysShot, out, 'page-again');
  await page.keyboard.press('Escape');
  check((await settled(page)) === 'ended', 'Escape did not end the continued game');
  await Promise.all([page.waitForNavigation(), page.locator('#ended-new').click()]);
  check((await settled(page)) === 'waiting', 'New game did not start over');
  await expectSamePixels(page, startScreen, out, 'page-new-game');
  // The start screen offers the run left (F3) and says its keys, beside the
  // picture, never on it; F3 takes the run up where it stopped, and the
  // offer goes.
  const hint = page.locator('#start-hint');
  const offer = await hint.innerText();
  check(/F3: continue the game on seed \d+/.test(offer) && /@: seed/.test(offer) && /F1: keys/.test(offer),
        `the start screen says: "${offer}"`);
  await expectRowsClear(page, '#start-hint', 'the start screen\'s offer');
  await page.keyboard.press('F3');
  check((await settled(page, 60000)) === 'waiting', 'F3 did not take the run up');
  check(!(await hint.isVisible()), 'the offer stays after F3');
  await expectSamePixels(page, keysShot, out, 'page-offer-taken');
}

// A page waiting for a key uses next to no CPU. Also reports the time to
// the first frame, on the browser's own clock.
async function idle(site, replay, out) {
  const url = await serveSite(site);
  const { page } = await launchBrowser();
  await openGame(page, url);
  const firstFrame = await page.evaluate(() => {
    const mark = performance.getEntriesByName('duskwarren-first-frame')[0];
    return mark ? mark.startTime : -1;
  });
  check(firstFrame > 0, 'the page never drew a frame');
  console.log(`first frame ${firstFrame.toFixed(0)} ms after the page was opened`);
  const icon = await page.evaluate(() => document.getElementById('icon').href);
  check(icon.startsWith('data:image/png;base64,'), `the page has no game icon: ${icon.slice(0, 40)}`);
  const before = await canvasRgb(page);

  const session = await page.context().newCDPSession(page);
  await session.send('Performance.enable', { timeDomain: 'threadTicks' });
  const metric = async () => {
    const { metrics } = await session.send('Performance.getMetrics');
    const get = (name) => metrics.find((m) => m.name === name)?.value ?? 0;
    return { task: get('TaskDuration'), script: get('ScriptDuration') };
  };
  const start = await metric();
  await new Promise((resolve) => setTimeout(resolve, 5000));
  const end = await metric();
  const task = end.task - start.task, script = end.script - start.script;
  console.log(`over 5 s of waiting: main thread busy ${(task * 1000).toFixed(1)} ms, ` +
              `script ${(script * 1000).toFixed(1)} ms`);
  check((await page.evaluate(() => document.body.dataset.game)) === 'waiting', 'the game stopped waiting');
  check(task < 0.1, `the waiting page kept the main thread busy for ${task.toFixed(3)} s of 5 s`);
  check(Buffer.compare(before, await canvasRgb(page)) === 0, 'the waiting page changed its picture');
  await page.screenshot({ path: path.join(out, 'idle.png') });
}

// Where a notice stands against the picture shown (the 4:3 view's canvas
// when it is on): it may cover the map, never the status row (the
// picture's top 8 of 200 lines) nor the message row (its bottom 8).
async function expectRowsClear(page, selector, what) {
  const { picture, notice } = await page.evaluate((sel) => {
    const box = (e) => {
      const r = e.getBoundingClientRect();
      return { left: r.left, right: r.right, top: r.top, bottom: r.bottom, height: r.height };
    };
    const shown = [...document.querySelectorAll('#view, #screen')].find((c) => !c.hidden);
    return { picture: box(shown), notice: box(document.querySelector(sel)) };
  }, selector);
  const row = (picture.height * 8) / 200;
  const across = notice.left < picture.right && picture.left < notice.right;
  const hides = (top, bottom) => across && notice.top < bottom && top < notice.bottom;
  check(notice.height > 0, `${what}: ${selector} is not shown`);
  check(!hides(picture.top, picture.top + row), `${what}: ${selector} hides the status row: ${JSON.stringify({ picture, notice })}`);
  check(!hides(picture.bottom - row, picture.bottom),
        `${what}: ${selector} hides the message row: ${JSON.stringify({ picture, notice })}`);
}

// The panels and the notices show over the canvas, never on it: the canvas
// stays the replay's page, the panels' keys never reach the game, and the
// notice of the whole party fallen goes at the next key, which the game
// takes. At 1280 x 800 the picture fills the page (4x), and the notices
// stand over the map, clear of the status and message rows, in the 4:3
// view too.
async function notices(site, replay, out) {
  const url = await serveSite(site);
  const { page } = await launchBrowser({ viewport: { width: 1280, height: 800 } });
  await openGame(page, url, 0.5);
  const firstFall = '@42\\r 228422424664684648842842462248882824648666628842844846428246466684288668824662422484824668486464';
  await typeKeys(page, parseKeys(firstFall));
  await settled(page, 60000);
  check(/Old Hesk has fallen/.test(await page.locator('#party').textContent()),
        `the fall notice says: ${await page.locator('#party').textContent()}`);
  await expectRowsClear(page, '#party', 'a member fallen at 1280 x 800');
  await page.screenshot({ path: path.join(out, 'notice-band.png') });
  await page.keyboard.press('F10');
  await page.waitForFunction(() => !document.getElementById('view').hidden);
  await expectRowsClear(page, '#party', 'a member fallen in the 4:3 view');
  await page.keyboard.press('F10');
  await page.waitForFunction(() => !document.getElementById('screen').hidden);
  const down = `${firstFall}++6226242888248646466`;
  await typeKeys(page, parseKeys('++6226242888248646466'));
  await settled(page, 60000);
  const banner = page.locator('#banner');
  await expectRowsClear(page, '#banner', 'the whole party fallen');
  await expectRowsClear(page, '#party', 'the whole party fallen');
  check(await banner.isVisible(), 'no notice over the picture when the whole party has fallen');
  check(/The whole party has fallen: ~ starts again, Escape quits/.test(await banner.textContent()),
        `the notice says: ${await banner.textContent()}`);
  await expectSamePixels(page, replayScreenshot(replay, down, noon + 0.5, out, 'party-down'), out,
                         'party-down');
  for (const [open, title] of [['F1', 'Keys'], ['F2', 'Message log']]) {
    await page.keyboard.press(open);
    await page.locator('#panel').waitFor({ state: 'visible', timeout: 5000 });
    check((await page.locator('#panel h2').textContent()) === title, `${open} opened no ${title}`);
    await page.keyboard.press('Escape');
    await page.locator('#panel').waitFor({ state: 'hidden', timeout: 5000 });
  }
  await page.click('#log-panel', { force: true });
  await page.locator('#panel').waitFor({ state: 'visible', timeout: 5000 });
  check(/has fallen/.test(await page.locator('#panel dl').textContent()),
        'the Log button shows no log of the fall');
  await page.keyboard.press('Escape');
  await page.locator('#panel').waitFor({ state: 'hidden', timeout: 5000 });
  await page.keyboard.press('~');
  await settled(page);
  check(!(await banner.isVisible()), 'the notice over the picture stays after a key');
  await expectSamePixels(page, replayScreenshot(replay, `${down}~`, noon + 0.5, out, 'again'), out,
                         'again');
}

// The page's own keys never reach the game: a key that closes the Keys or
// Log panel is not the game's, nor its recording's, also when it comes
// before the panel has shown; F12 saves the canvas as a PNG download, like
// the Picture button, and the key help names it.
async function pageKeys(site, replay, out) {
  const url = await serveSite(site);
  const { page } = await launchBrowser({ acceptDownloads: true });
  await openGame(page, url, 0.5);
  const played = '@42\\r 8642v';
  await typeKeys(page, parseKeys(played));
  await settled(page);
  const panel = page.locator('#panel');
  for (const [open, close] of [['F2', 'q'], ['F1', 'z'], ['F5', 'y']]) {
    await page.keyboard.press(open);
    await panel.waitFor({ state: 'visible', timeout: 5000 });
    if (open === 'F1') {
      const help = await page.locator('#panel dl').textContent();
      check(/F12\s*The screen as a PNG download/.test(help), `the page's keys name no F12: ${help}`);
    }
    if (open === 'F5') {
      // The eight cells around the hero, each in words.
      const cells = await page.locator('#panel dl').evaluate((dl) => [...dl.querySelectorAll('dt')]
        .map((dt) => [dt.textContent, dt.nextElementSibling ? dt.nextElementSibling.textContent : '']));
      const ways = ['Up-left', 'Up', 'Up-right', 'Left', 'Right', 'Down-left', 'Down', 'Down-right'];
      const said = new Map(cells);
      check(ways.every((w) => /^[A-Z][a-z]+( [a-z]+)*$/.test(said.get(w) || '')) &&
            new Set(ways.map((w) => said.get(w))).size > 1,
            `F5 does not read the eight cells in words: ${JSON.stringify(cells)}`);
    }
    await page.keyboard.press(close);
    await panel.waitFor({ state: 'hidden', timeout: 5000 });
  }
  // Typed at once, the closing key is queued behind the request for the log.
  await page.keyboard.press('F2');
  await page.keyboard.press('q');
  await settled(page);
  await panel.waitFor({ state: 'hidden', timeout: 5000 });
  await expectSamePixels(page, replayScreenshot(replay, played, noon + 0.5, out, 'keys-closed'), out,
                         'keys-closed');

  const [kept] = await Promise.all([page.waitForEvent('download'), page.locator('#download').click()]);
  const recording = readFileSync(await kept.path(), 'latin1');
  check(/^k 76 /m.test(recording), `the kept recording lacks the game's keys:\n${recording}`);
  check(!/^k (71|7a|79) /m.test(recording), `a key that closed a panel was recorded:\n${recording}`);
  // Named as the desktop names its runs, with the seed.
  check(/^\d{4}-\d\d-\d\d-\d{6}-seed42\.dwrec$/.test(kept.suggestedFilename()),
        `the download is named ${kept.suggestedFilename()}`);

  const [picture] = await Promise.all([page.waitForEvent('download'), page.keyboard.press('F12')]);
  check(/^duskwarren-.*\.png$/.test(picture.suggestedFilename()),
        `F12 saved ${picture.suggestedFilename()}`);
  const png = readFileSync(await picture.path());
  check(png.readUInt32BE(16) === 320 && png.readUInt32BE(20) === 200,
        `F12 saved a picture of ${png.readUInt32BE(16)} x ${png.readUInt32BE(20)}`);
  await carriedRuns(page, played, replay, out);
}

// Runs duskwarren-replay with these arguments (and the game data beside it).
function runReplay(replay, args) {
  const result = spawnSync(replay, ['--data', path.dirname(replay), ...args],
                           { encoding: 'utf8', timeout: 60000, killSignal: 'SIGKILL' });
  check(!result.error && result.status === 0,
        `duskwarren-replay ${args.join(' ')} failed (${result.status}): ${result.error || result.stderr}`);
}

// The rows of the list of runs (F4): its cells, and which row is chosen.
async function runRows(page) {
  await page.keyboard.press('F4');
  await page.locator('#runs').waitFor({ state: 'visible', timeout: 10000 });
  await page.waitForFunction(() => document.querySelector('#runs tr[aria-selected="true"]'),
                             null, { timeout: 10000 });
  return page.locator('#runs tbody tr').evaluateAll((trs) => trs.map((tr) => ({
    cells: [...tr.cells].map((c) => c.textContent), chosen: tr.getAttribute('aria-selected') === 'true',
  })));
}

// A run goes from the desktop to the page and back: a recording made by
// duskwarren-replay, continued from a file, is caught up to the desktop's
// picture, plays on, and downloads under its seed as one whole run that
// replays to the page's picture. The list of runs then continues the run
// played before, the one being played ending as a quit ends it, and lists
// the runs last played first; its keys never reach a game. Watching a recording, + speeds it up and says so.
async function carriedRuns(page, played, replay, out) {
  const desktop = path.join(out, 'carried-desktop.dwrec');
  rmSync(desktop, { force: true });
  runReplay(replay, ['--keys', '@7\\r 662288', '--timer', '1000', '--record', desktop,
                     '--screenshot', path.join(out, 'carried-desktop.png')]);
  await runRows(page);
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.locator('#continue-file').click()]);
  await Promise.all([page.waitForNavigation(), chooser.setFiles(desktop)]);
  check((await settled(page, 60000)) === 'waiting', 'the desktop\'s run did not go on in the page');
  await expectSamePixels(page, readPngRgb(path.join(out, 'carried-desktop.png')), out, 'carried-caught-up');
  await typeKeys(page, parseKeys('44'));
  await settled(page);
  const [back] = await Promise.all([page.waitForEvent('download'), page.locator('#download').click()]);
  check(/^\d{4}-\d\d-\d\d-\d{6}-seed7\.dwrec$/.test(back.suggestedFilename()),
        `the continued run downloads as ${back.suggestedFilename()}`);
  const carried = path.join(out, 'carried.dwrec');
  await back.saveAs(carried);
  runReplay(replay, ['--recording', carried, '--screenshot', path.join(out, 'carried.png')]);
  await expectSamePixels(page, readPngRgb(path.join(out, 'carried.png')), out, 'carried-played-on');

  const rows = await runRows(page);
  check(rows.length === 2 && rows[0].cells[0] === 'Now' && rows[0].cells[1] === '7' &&
        rows[1].cells[1] === '42' && rows[1].chosen && rows[1].cells[2] === '1' && Number(rows[1].cells[3]) > 0,
        `the list of runs is ${JSON.stringify(rows)}`);
  await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
  check((await settled(page, 60000)) === 'waiting', 'the list did not continue the older run');
  await expectSamePixels(page, replayScreenshot(replay, played, noon + 0.5, out, 'carried-older'), out,
                         'carried-older');
  const again = await runRows(page);
  check(again[0].cells[1] === '42' && again[1].cells[1] === '7' && again[1].cells[6] === 'quit' && again[1].chosen,
        `after continuing the older run the list is ${JSON.stringify(again)}`);
  await page.keyboard.press('ArrowUp');
  await page.keyboard.press('Escape');
  await page.locator('#runs').waitFor({ state: 'hidden', timeout: 5000 });
  await expectSamePixels(page, readPngRgb(path.join(out, 'carried-older.replay.png')), out, 'carried-list-keys');

  // A watch long enough not to end before + is pressed, on a loaded machine too.
  const watched = path.join(out, 'carried-watched.dwrec');
  rmSync(watched, { force: true });
  runReplay(replay, ['--keys', `@7\\r ${'46'.repeat(200)}`, '--timer', '1000', '--record', watched]);
  await Promise.all([page.waitForNavigation(), page.locator('#watch-file').setInputFiles(watched)]);
  await page.waitForFunction(() => /keys a second/.test(document.getElementById('watching').textContent),
                             null, { timeout: 30000, polling: 50 });
  const speed = Number(/\((\d+) keys a second/.exec(await page.locator('#watching').innerText())[1]);
  await page.keyboard.press('+');
  await page.waitForFunction((want) => document.getElementById('watching').textContent.includes(want),
                             `(${speed * 2} keys a second)`, { timeout: 5000, polling: 20 });
  check(await page.locator('#watching').isVisible(), '+ took the watching notice away');
}

// What the page's storage holds of its current run: its text and whether a
// checkpoint is kept beside it; with damage, one byte of that checkpoint is
// changed first.
async function storedRun(page, damage = false) {
  return page.evaluate(async (flip) => {
    await Module.duskwarren.runs.settle();
    const request = (r) => new Promise((resolve, reject) => {
      r.onsuccess = () => resolve(r.result);
      r.onerror = () => reject(r.error);
    });
    const db = await request(indexedDB.open('duskwarren'));
    const t = db.transaction(['state', 'chunks', 'checkpoints'], 'readwrite');
    const id = await request(t.objectStore('state').get('current'));
    const chunks = await request(t.objectStore('chunks').getAll(IDBKeyRange.bound([id, 0], [id, Infinity])));
    const bytes = await request(t.objectStore('checkpoints').get(id));
    if (flip && bytes) {
      bytes[bytes.length >> 1] ^= 0x20;
      t.objectStore('checkpoints').put(bytes, id);
    }
    await new Promise((resolve) => { t.oncomplete = resolve; });
    db.close();
    return { id, text: chunks.join(''), chunks: chunks.length, checkpoint: bytes ? bytes.length : 0 };
  }, damage);
}

async function caughtUpFrom(page) {
  return page.evaluate(() => document.body.dataset.caughtUp);
}

// The page's kept runs: a long run recorded by the desktop replay, laid
// into the page's storage, is gone back to on a reload from its start, and
// from then on from the checkpoint kept beside it; a damaged checkpoint is
// passed over, and the run is the same. Two tabs on one run: the later one
// asks before it takes the run over, the earlier one says so and keeps no
// more; every key the earlier tab took is in the kept recording, which plays
// to the later tab's picture. A damaged kept run is named with why and
// offered for download as it is.
async function keptRuns(site, replay, out) {
  const url = await serveSite(site);
  const { context, page } = await launchBrowser({ acceptDownloads: true });
  await openGame(page, url, 0.5);
  const played = longRunKeys(2500);
  const keysFile = path.join(out, 'runs.keys');
  writeFileSync(keysFile, `${played}\x1b`, 'latin1');
  const recording = path.join(out, 'runs.dwrec');
  rmSync(recording, { force: true });
  runReplay(replay, ['--keys-file', keysFile, '--timer', String(noon + 0.5), '--record', recording]);
  const recorded = readFileSync(recording, 'latin1');
  await keepRunInPage(page, recorded);
  writeFileSync(keysFile, played, 'latin1');
  const shot = path.join(out, 'runs.png');
  runReplay(replay, ['--keys-file', keysFile, '--timer', String(noon + 0.5), '--screenshot', shot]);

  for (const [from, damage] of [['start', false], ['checkpoint', true], ['start', false],
                                ['checkpoint', false]]) {
    await page.reload();
    check((await settled(page, 60000)) === 'waiting', 'the reload did not go back to the run');
    check((await caughtUpFrom(page)) === from, `the run was caught up from its ${await caughtUpFrom(page)}, not its ${from}`);
    await expectSamePixels(page, readPngRgb(shot), out, `runs-from-${from}`);
    const stored = await storedRun(page, damage);
    check(stored.checkpoint > 0, 'no checkpoint is kept beside the run');
  }
  const notice = await page.locator('#notice').innerText();
  check(!/not being kept/.test(notice), `a false word about storage: "${notice}"`);

  // The first tab plays on; a second opens the same run.
  const before = '66';
  await typeKeys(page, parseKeys(before));
  await settled(page);
  const second = await context.newPage();
  await second.clock.setFixedTime(new Date(Date.UTC(1990, 0, 1, 12, 0, 0, 500)));
  await second.goto(url);
  await second.locator('#run-elsewhere').waitFor({ state: 'visible', timeout: 20000 });
  check(/another tab/.test(await second.locator('#run-elsewhere').innerText()), 'the second tab does not say why it asks');
  await second.locator('#take-over').click();
  check((await settled(second, 60000)) === 'waiting', 'the second tab did not take the run over');
  await page.waitForFunction(() => /another tab/.test(document.getElementById('notice').textContent),
                             null, { timeout: 10000 });
  const told = await page.locator('#notice').innerText();
  check(!/storage/.test(told), `the first tab says: "${told}"`);
  // What the first tab plays now is not kept; the second goes on with the run.
  await typeKeys(page, parseKeys('4444'));
  await settled(page);
  await typeKeys(second, parseKeys('88'));
  await settled(second);
  const all = `${played}${before}88`;
  writeFileSync(keysFile, all, 'latin1');
  const both = path.join(out, 'runs-both.png');
  runReplay(replay, ['--keys-file', keysFile, '--timer', String(noon + 0.5), '--screenshot', both]);
  await expectSamePixels(second, readPngRgb(both), out, 'runs-taken-over');
  const [kept] = await Promise.all([second.waitForEvent('download'), second.locator('#download').click()]);
  const keptRecording = path.join(out, 'runs-kept.dwrec');
  await kept.saveAs(keptRecording);
  const keptShot = path.join(out, 'runs-kept.png');
  runReplay(replay, ['--recording', keptRecording, '--screenshot', keptShot]);
  await expectSamePixels(second, readPngRgb(keptShot), out, 'runs-kept');
  const keyEntries = (text) => (text.match(/^k /gm) || []).length;
  check(keyEntries(readFileSync(keptRecording, 'latin1')) === keyEntries(recorded) - 1 + 4,
        'the kept recording does not hold every key of the run');

  // A damaged run: named with why, and downloaded as it is.
  const lines = recorded.split(/(?<=\n)/);
  lines[100] = lines[100].replace(/.\n$/, (c) => (c[0] === '0' ? '1' : '0') + '\n');
  const damaged = lines.join('');
  await second.close();
  await keepRunInPage(page, damaged);
  await page.reload();
  check((await settled(page, 60000)) === 'waiting', 'the page with a damaged run does not start');
  const refusal = await page.locator('#run-refused').innerText();
  check(/cannot be taken up: damaged at entry 101 of/.test(refusal), `the damaged run is named so: "${refusal}"`);
  const [offered] = await Promise.all([page.waitForEvent('download'), page.locator('#refused-download').click()]);
  check(readFileSync(await offered.path(), 'latin1') === damaged, 'the damaged run is not offered as it is');
}

const out = rest[rest.length - 1];
mkdirSync(out, { recursive: true });
if (kind === 'game') {
  const [name, keysFile, fraction, ...others] = rest;
  const keypad = others[0] === 'keypad';
  const [site, replay] = keypad ? others.slice(1) : others;
  runTest(`game ${name}`, 120, () => game(name, keysFile, fraction, keypad, site, replay, out));
} else if (kind === 'page') {
  runTest('page', 90, () => pageChecks(...rest));
} else if (kind === 'notices') {
  runTest('notices', 120, () => notices(...rest));
} else if (kind === 'keys') {
  runTest('keys', 170, () => pageKeys(...rest));
} else if (kind === 'runs') {
  runTest('runs', 170, () => keptRuns(...rest));
} else if (kind === 'idle') {
  runTest('idle', 60, () => idle(...rest));
} else {
  console.error('usage: node browser_test.mjs (game NAME KEYS FRACTION [keypad] | page | notices | keys | runs | idle) SITE REPLAY OUT_DIR');
  process.exit(2);
}

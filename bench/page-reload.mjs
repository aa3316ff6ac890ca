// Times the page's reload of a long kept run in headless Chromium: a run of
// N keys is recorded by duskwarren-replay, laid into the page's storage as
// the page keeps a run it plays, and the page is reloaded until it is back
// on the run's picture.
//
//   node bench/page-reload.mjs SITE REPLAY [KEYS...]   (default 100000 1000000)
//
// SITE is the web build's site folder (build/web/site), REPLAY a native
// duskwarren-replay with the game data beside it. For each run it prints
// the first reload (the run as the page found it: no checkpoint of it kept
// yet) and the median of three more (each from the checkpoint the one
// before kept), as the time from the reload to the game's first frame and
// to the game waiting for a key. It checks that the picture is the
// replay's. Needs playwright-core in tests/browser (npm ci --prefix
// tests/browser).
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {
  check, expectSamePixels, keepRunInPage, launchBrowser, longRunKeys, openGame, readPngRgb, runTest,
  serveSite, settled,
} from '../tests/browser/harness.mjs';

const [site, replay, ...counts] = process.argv.slice(2);
if (!site || !replay) {
  console.error('usage: node bench/page-reload.mjs SITE REPLAY [KEYS...]');
  process.exit(2);
}

function runReplay(args) {
  const result = spawnSync(replay, ['--data', path.dirname(replay), ...args],
                           { encoding: 'utf8', timeout: 600000, killSignal: 'SIGKILL' });
  check(result.status === 0, `duskwarren-replay ${args.join(' ')} failed: ${result.stderr}`);
}

// One reload: the times to the first frame and to the wait for a key.
async function reload(page) {
  const start = Date.now();
  await page.reload();
  check((await settled(page, 120000)) === 'waiting', 'the reloaded page is not back on the run');
  const waiting = Date.now() - start;
  const frame = await page.evaluate(() => {
    const mark = performance.getEntriesByName('duskwarren-first-frame')[0];
    return mark ? mark.startTime : -1;
  });
  return { frame, waiting };
}

const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];

async function bench() {
  const scratch = mkdtempSync(path.join(os.tmpdir(), 'duskwarren-page-reload-'));
  try {
    const url = await serveSite(site);
    for (const count of (counts.length ? counts : ['100000', '1000000']).map(Number)) {
      const keys = longRunKeys(count);
      const keysFile = path.join(scratch, `run-${count}.keys`);
      writeFileSync(keysFile, `${keys}\x1b`, 'latin1');
      const recording = path.join(scratch, `run-${count}.dwrec`);
      runReplay(['--keys-file', keysFile, '--timer', '43200.5', '--record', recording]);
      const shot = path.join(scratch, `run-${count}.png`);
      writeFileSync(keysFile, keys, 'latin1');
      runReplay(['--keys-file', keysFile, '--timer', '43200.5', '--screenshot', shot]);

      const { context, page } = await launchBrowser();
      await openGame(page, url);
      await keepRunInPage(page, readFileSync(recording, 'latin1'));
      const first = await reload(page);
      await expectSamePixels(page, readPngRgb(shot), scratch, `reload-${count}`);
      const later = [];
      for (let i = 0; i < 3; ++i) later.push(await reload(page));
      await expectSamePixels(page, readPngRgb(shot), scratch, `reload-${count}-later`);
      console.log(`${count} keys (${(readFileSync(recording).length / 1e6).toFixed(1)} MB): ` +
                  `first reload: frame ${first.frame.toFixed(0)} ms, waiting ${first.waiting} ms; ` +
                  `later reloads (median of 3): frame ${median(later.map((r) => r.frame)).toFixed(0)} ms, ` +
                  `waiting ${median(later.map((r) => r.waiting))} ms`);
      await context.close();
    }
  } finally {
    rmSync(scratch, { recursive: true, force: true });
  }
}

runTest('page reload', 1800, bench);

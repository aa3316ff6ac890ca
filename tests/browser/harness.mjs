// What every browser test needs: a deadline, a small web server for the site,
// the system's Chromium driven by playwright-core, typing key scripts, and
// reading the replay's screenshots.
import { spawnSync } from 'node:child_process';
import { createReadStream, mkdtempSync, readFileSync, rmSync, statSync } from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { chromium } from 'playwright-core';

export const chromiumPath = process.env.DUSKWARREN_CHROMIUM || '/usr/bin/chromium';

// Everything a test started, stopped in reverse order on success, failure or
// deadline. Chromium is killed by playwright-core when this process exits.
const cleanups = [];
async function cleanUp() {
  while (cleanups.length > 0) {
    const step = cleanups.pop();
    try {
      await step();
    } catch {
      // keep stopping the rest
    }
  }
}

// Runs one test body with its own deadline; exits 0 on success.
export function runTest(name, seconds, body) {
  const deadline = setTimeout(() => {
    console.error(`${name}: no result within ${seconds} s`);
    // Exiting kills the browser (playwright-core's exit hook sends SIGKILL
    // to its process group) and drops the server.
    process.exit(3);
  }, seconds * 1000);
  body()
    .then(async () => {
      clearTimeout(deadline);
      await cleanUp();
      console.log(`${name}: passed`);
      process.exit(0);
    })
    .catch(async (error) => {
      clearTimeout(deadline);
      console.error(`${name}: FAILED: ${error && error.stack ? error.stack : error}`);
      await cleanUp();
      process.exit(1);
    });
}

export function check(condition, message) {
  if (!condition) throw new Error(message);
}

const mimeTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.css': 'text/css; charset=utf-8',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
  '.dwrec': 'application/octet-stream',
};

// What each site served answers: its address, and a stop that closes it
// (the server is closed at the end of the test anyway).
const servers = new Map();
export async function stopServing(url) {
  const stop = servers.get(url);
  if (stop) await stop();
}

// Serves the site folder on 127.0.0.1 at a free port; returns its address.
export async function serveSite(siteDir) {
  const root = path.resolve(siteDir);
  const server = http.createServer((request, response) => {
    let file;
    try {
      const urlPath = decodeURIComponent(new URL(request.url, 'http://x').pathname);
      file = path.resolve(root, '.' + (urlPath.endsWith('/') ? urlPath + 'index.html' : urlPath));
    } catch {
      file = null;
    }
    if (!file || !file.startsWith(root + path.sep) || !statSync(file, { throwIfNoEntry: false })?.isFile()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, {
      'Content-Type': mimeTypes[path.extname(file)] || 'application/octet-stream',
      'Cache-Control': 'no-store',
    });
    createReadStream(file).pipe(response);
  });
  await new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', resolve);
  });
  let stopped = null;
  const stop = () => {
    stopped ||= new Promise((resolve) => {
      server.closeAllConnections();
      server.close(resolve);
    });
    return stopped;
  };
  cleanups.push(stop);
  const url = `http://127.0.0.1:${server.address().port}/`;
  servers.set(url, stop);
  return url;
}

// The system's Chromium, headless, with a fresh profile and no traffic of its
// own; nothing is downloaded.
// Options change the page, e.g. a phone's screen with touch:
// { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true,
//   deviceScaleFactor: 3 }.
export async function launchBrowser(options = {}) {
  const profile = mkdtempSync(path.join(os.tmpdir(), 'duskwarren-chromium-'));
  cleanups.push(() => rmSync(profile, { recursive: true, force: true }));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    args: [
      '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
    ],
    viewport: { width: 960, height: 600 },
    deviceScaleFactor: 1,
    timezoneId: 'UTC',
    timeout: 30000,
    ...options,
  });
  cleanups.push(() => context.close());
  const page = context.pages()[0] || (await context.newPage());
  page.on('pageerror', (error) => console.error(`page error: ${error.message}`));
  page.on('console', (message) => {
    if (message.type() === 'error') console.error(`page console: ${message.text()}`);
  });
  return { context, page };
}

// Opens the game with the clock held at 12:00:00 on 1 January 1990 (the
// replay's local time) plus the given fraction of a second; with no
// fraction, on the browser's own clock.
export async function openGame(page, url, fraction = null) {
  if (fraction !== null) {
    await page.clock.setFixedTime(new Date(Date.UTC(1990, 0, 1, 12, 0, 0, Math.round(fraction * 1000))));
  }
  await page.goto(url);
  await settled(page);
}

// Waits until the game has taken every key and waits for the next, or has
// ended.
export async function settled(page, timeout = 20000) {
  await page.waitForFunction(() => ['waiting', 'ended', 'stopped'].includes(document.body.dataset.game),
                             null, { timeout, polling: 10 });
  const state = await page.evaluate(() => document.body.dataset.game);
  check(state !== 'stopped', 'the game stopped with an error');
  return state;
}

// The replay's key script escapes: \r Enter, \e Escape, \b Backspace, \\ and
// \xNN.
export function parseKeys(text) {
  const bytes = [];
  for (let i = 0; i < text.length; ++i) {
    if (text[i] !== '\\') {
      bytes.push(text.charCodeAt(i));
      continue;
    }
    const next = text[++i];
    if (next === 'r') bytes.push(13);
    else if (next === 'e') bytes.push(27);
    else if (next === 'b') bytes.push(8);
    else if (next === '\\') bytes.push(92);
    else if (next === 'x') {
      bytes.push(parseInt(text.substr(i + 1, 2), 16));
      i += 2;
    } else throw new Error(`bad escape \\${next} in key script`);
  }
  return bytes;
}

const namedKeys = { 13: 'Enter', 27: 'Escape', 8: 'Backspace', 32: 'Space' };

// Keypad keys as they arrive with NumLock off: the physical key is the
// keypad digit, the key value is the movement key.
const keypadNumLockOff = {
  '1': ['End', 35], '2': ['ArrowDown', 40], '3': ['PageDown', 34], '4': ['ArrowLeft', 37],
  '5': ['Clear', 12], '6': ['ArrowRight', 39], '7': ['Home', 36], '8': ['ArrowUp', 38],
  '9': ['PageUp', 33], '0': ['Insert', 45],
};

export async function pressKeypadNumLockOff(session, digit) {
  const [key, keyCode] = keypadNumLockOff[digit];
  const event = { key, code: `Numpad${digit}`, windowsVirtualKeyCode: keyCode,
                  nativeVirtualKeyCode: keyCode, location: 3 };
  await session.send('Input.dispatchKeyEvent', { type: 'rawKeyDown', ...event });
  await session.send('Input.dispatchKeyEvent', { type: 'keyUp', ...event });
}

// Types key bytes into the page as a player would. With useKeypad, digits
// come from the keypad with NumLock off.
export async function typeKeys(page, bytes, { useKeypad = false } = {}) {
  const session = useKeypad ? await page.context().newCDPSession(page) : null;
  for (const byte of bytes) {
    const text = String.fromCharCode(byte);
    if (useKeypad && text >= '0' && text <= '9') {
      await pressKeypadNumLockOff(session, text);
    } else if (namedKeys[byte]) {
      await page.keyboard.press(namedKeys[byte]);
    } else if (byte > 32 && byte < 127) {
      await page.keyboard.press(text);
    } else {
      throw new Error(`no key types byte ${byte}`);
    }
  }
  if (session) await session.detach();
}

// The canvas as r, g, b bytes, row by row.
export async function canvasRgb(page) {
  const base64 = await page.evaluate(() => {
    const canvas = document.getElementById('screen');
    const rgba = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let binary = '';
    for (let i = 0; i < rgba.length; i += 4) {
      binary += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
    }
    return btoa(binary);
  });
  return Buffer.from(base64, 'base64');
}

// Decodes an 8-bit palette or truecolour PNG into r, g, b bytes.
export function readPngRgb(file) {
  const data = readFileSync(file);
  check(data.subarray(0, 8).equals(Buffer.from([137, 80, 78, 71, 13, 10, 26, 10])), `${file} is no PNG`);
  let width = 0, height = 0, depth = 0, colourType = 0, palette = null;
  const idat = [];
  for (let at = 8; at + 8 <= data.length;) {
    const length = data.readUInt32BE(at);
    const kind = data.toString('latin1', at + 4, at + 8);
    const body = data.subarray(at + 8, at + 8 + length);
    if (kind === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      depth = body[8];
      colourType = body[9];
      check(body[12] === 0, `${file}: interlaced PNGs are not read here`);
    } else if (kind === 'PLTE') palette = body;
    else if (kind === 'IDAT') idat.push(body);
    else if (kind === 'IEND') break;
    at += 12 + length;
  }
  check(depth === 8 && (colourType === 3 || colourType === 2), `${file}: unexpected PNG type`);
  const channels = colourType === 2 ? 3 : 1;
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? pixels[y * stride + x - channels] : 0;
      const b = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
      let value = line[x];
      if (filter === 1) value += a;
      else if (filter === 2) value += b;
      else if (filter === 3) value += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        value += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      pixels[y * stride + x] = value & 0xff;
    }
  }
  if (channels === 3) return { width, height, rgb: pixels };
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0; i < width * height; ++i) palette.copy(rgb, i * 3, pixels[i] * 3, pixels[i] * 3 + 3);
  return { width, height, rgb };
}

// Runs duskwarren-replay on the same keys and clock and returns its
// screenshot as r, g, b bytes.
export function replayScreenshot(replay, keysText, timer, outDir, name) {
  const shot = path.join(outDir, `${name}.replay.png`);
  const result = spawnSync(replay, ['--data', path.dirname(replay), '--keys', keysText,
                                    '--timer', String(timer), '--screenshot', shot],
                           { encoding: 'utf8', timeout: 30000, killSignal: 'SIGKILL' });
  check(!result.error, `cannot run ${replay}: ${result.error}`);
  check(result.status === 0, `duskwarren-replay failed (${result.status}): ${result.stderr}`);
  return readPngRgb(shot);
}

// Compares the canvas with the replay's screenshot pixel for pixel; on a
// difference saves the page's picture beside the replay's and fails.
export async function expectSamePixels(page, replayImage, outDir, name) {
  const actual = await canvasRgb(page);
  check(replayImage.width === 320 && replayImage.height === 200, 'the replay screenshot is not 320 x 200');
  let differing = 0, first = -1;
  for (let i = 0; i < actual.length; i += 3) {
    if (actual[i] !== replayImage.rgb[i] || actual[i + 1] !== replayImage.rgb[i + 1] ||
        actual[i + 2] !== replayImage.rgb[i + 2]) {
      if (first < 0) first = i / 3;
      ++differing;
    }
  }
  await page.locator('#screen').screenshot({ path: path.join(outDir, `${name}.browser.png`) });
  check(differing === 0, `${name}: ${differing} pixels differ from the replay, the first at ` +
                         `(${first % 320}, ${Math.floor(first / 320)}); see ${outDir}/${name}.*.png`);
}

// The keys of a long run on seed 42, as bytes in a string: bits of real
// play, a walk and a fresh start after each, about a level for every 300
// keys (as the desktop's continue bench plays).
export function longRunKeys(count) {
  const realPlay = [
    '86622266888888888888888888888866 4488844 666tttt',
    '2282864666888888888888888888888886h+-+66~ 2222',
    '8666888828266888844886 446222222622224 2222222222666222 444888888888886 ' +
      '22444222222666262224444444444 b66b',
    'hvv+wv6666~ tpttpp-fwfff+h',
    '24 44444 84444444224 8886666688888666666668866 222444444 66626666666886 ',
  ];
  let keys = '@42\r ';
  let seed = 16;
  const walk = '2468246824682468 hv+';
  for (let script = 0; keys.length < count; ++script) {
    keys += realPlay[script % 5];
    for (let i = 0; i < 220; ++i) {
      seed = (Math.imul(seed, 1103515245) + 12345) >>> 0;
      keys += walk[(seed >>> 16) % walk.length];
    }
    keys += '~ ';
  }
  return keys.slice(0, count);
}

// Lays a recording's text into the page's storage as its current run, in
// chunks of a thousand lines, as the page leaves a run it keeps; returns the
// run's id there.
export async function keepRunInPage(page, text) {
  return page.evaluate(async (recording) => {
    const request = (r) => new Promise((resolve, reject) => {
      r.onsuccess = () => resolve(r.result);
      r.onerror = () => reject(r.error);
    });
    const db = await request(indexedDB.open('duskwarren'));
    const t = db.transaction(['runs', 'chunks', 'state'], 'readwrite');
    const id = await request(t.objectStore('runs').add({ started: Date.now(), chunks: 0 }));
    const lines = recording.split(/(?<=\n)/);
    for (let n = 0, at = 0; at < lines.length; ++n, at += 1000) {
      t.objectStore('chunks').add(lines.slice(at, at + 1000).join(''), [id, n]);
    }
    t.objectStore('state').put(id, 'current');
    await new Promise((resolve, reject) => {
      t.oncomplete = resolve;
      t.onerror = () => reject(t.error);
    });
    db.close();
    return id;
  }, text);
}

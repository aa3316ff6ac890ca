// The runs kept between visits: each run's recording (the lines of a .dwrec)
// in the browser's IndexedDB, appended in small chunks of its bytes as the
// game takes its keys, so a key costs one small write however long the run;
// beside it the run's newest checkpoint, as the game takes them, so going
// back to a long run replays only the keys after it (the small chunks before
// a checkpoint are then joined into one, so a long run reads back in few);
// the current run, to go back to; a new game; the recording downloaded as a
// .dwrec; and a .dwrec from the desktop game picked or dropped on the page to
// watch. Storage that is full or refused never stops the game: the page says once
// that the run is not being kept.
//
// A kept run is played in one tab at a time: the tab that keeps it holds
// its lock (Web Locks). A later tab asks the player before it takes the run
// over; the tab it was taken from says so and writes no more to it.
Module.duskwarren.runs = (function () {
  'use strict';

  const game = Module.duskwarren;
  const databaseName = 'duskwarren';
  const runsKept = 20;              // the newest runs; older ones are removed
  const largestRecording = 256 * 1024 * 1024;

  let database = null;              // a promise of the open database, or of null
  let currentRun = null;            // the id of the run being kept
  let nextChunk = 0;
  let pending = [];                 // entries not yet handed to the store (bytes)
  let flushing = null;
  let kept = true;
  let checkpoint = null;            // the newest checkpoint's bytes, not yet stored
  let joinFrom = 0;                 // the first chunk written since the last join
  let written = [];                 // the chunks from joinFrom on
  let heldRun = null;               // the run whose lock this tab holds
  let letGo = null;                 // lets go of that lock
  let resuming = null;              // a run being made ready to go on with

  function request(r) {
    return new Promise((resolve, reject) => {
      r.onsuccess = () => resolve(r.result);
      r.onerror = () => reject(r.error);
    });
  }

  function finished(transaction) {
    return new Promise((resolve, reject) => {
      transaction.oncomplete = () => resolve();
      transaction.onerror = () => reject(transaction.error);
      transaction.onabort = () => reject(transaction.error || new Error('aborted'));
    });
  }

  function say(text) {
    game.front.tell(text);
  }

  // Said once: the game goes on, unrecorded.
  function notKept(error) {
    if (!kept) return;
    kept = false;
    pending = [];
    console.warn('Duskwarren: the run is not being kept:', error);
    say('This run is not being kept: the browser\u2019s storage is full or refused. ' +
        'The game goes on.');
  }

  function openDatabase() {
    if (!database) {
      database = (async () => {
        if (!window.indexedDB) throw new Error('no IndexedDB');
        const opening = indexedDB.open(databaseName, 2);
        opening.onupgradeneeded = (event) => {
          const db = opening.result;
          if (event.oldVersion < 1) {
            db.createObjectStore('runs', { keyPath: 'id', autoIncrement: true });
            // Key [run, chunk number]; value the bytes (a Uint8Array; text in
            // runs kept before).
            db.createObjectStore('chunks');
            db.createObjectStore('state');   // 'current': the run to go back to
          }
          // Key: the run; value: its newest checkpoint's bytes (a Uint8Array).
          db.createObjectStore('checkpoints');
        };
        return request(opening);
      })().catch((error) => {
        notKept(error);
        return null;
      });
    }
    return database;
  }

  // Begins a new run as the current one; entries appended before it is
  // ready are kept and written first. Removes runs beyond the newest kept.
  async function begin() {
    const db = await openDatabase();
    if (!db || !kept) return null;
    try {
      const t = db.transaction(['runs', 'state'], 'readwrite');
      const id = await request(t.objectStore('runs').add({ started: Date.now(), chunks: 0 }));
      t.objectStore('state').put(id, 'current');
      await finished(t);
      currentRun = id;
      nextChunk = 0;
      checkpoint = null;  // none of this run yet
      startJoining();
      await hold(id, false);
      await removeOldRuns(db);
      schedule();
      return id;
    } catch (error) {
      notKept(error);
      return null;
    }
  }

  async function removeOldRuns(db) {
    const ids = await request(db.transaction('runs').objectStore('runs').getAllKeys());
    const old = ids.slice(0, Math.max(0, ids.length - runsKept));
    if (old.length === 0) return;
    const t = db.transaction(['runs', 'chunks', 'checkpoints'], 'readwrite');
    for (const id of old) {
      t.objectStore('runs').delete(id);
      t.objectStore('chunks').delete(IDBKeyRange.bound([id, 0], [id, Infinity]));
      t.objectStore('checkpoints').delete(id);
    }
    await finished(t);
  }

  // Adds whole lines (their bytes, or text) to the current run. The entries
  // of one turn go into the store together, as one new chunk.
  function append(lines) {
    if (!kept) return;
    pending.push(typeof lines === 'string' ? new TextEncoder().encode(lines) : lines);
    schedule();
  }

  function joined(parts) {
    if (parts.length === 1) return parts[0];
    const all = new Uint8Array(parts.reduce((n, p) => n + p.length, 0));
    let at = 0;
    for (const p of parts) {
      all.set(p, at);
      at += p.length;
    }
    return all;
  }

  function schedule() {
    if (!flushing && (pending.length || checkpoint) && currentRun !== null) {
      flushing = setTimeout(flush, 0);
    }
  }

  // The chunks written from here on are joined into one when a checkpoint
  // is stored.
  function startJoining() {
    joinFrom = nextChunk;
    written = [];
  }

  // Hands the store what was appended as one new chunk, and with it the
  // newest checkpoint, after the lines it stands on: the chunks since the
  // last checkpoint then become one.
  async function flush() {
    const db = await openDatabase();
    const text = pending.length ? joined(pending) : null, bytes = checkpoint;
    pending = [];
    checkpoint = null;
    try {
      if (db && kept && currentRun !== null && (text || bytes)) {
        const t = db.transaction(['chunks', 'checkpoints'], 'readwrite');
        const chunks = t.objectStore('chunks');
        if (text) written.push(text);
        if (bytes && written.length > 1) {
          chunks.delete(IDBKeyRange.bound([currentRun, joinFrom], [currentRun, Infinity]));
          chunks.add(joined(written), [currentRun, joinFrom]);
          nextChunk = joinFrom + 1;
        } else if (text) {
          chunks.add(text, [currentRun, nextChunk++]);
        }
        if (bytes) {
          t.objectStore('checkpoints').put(bytes, currentRun);
          startJoining();
        }
        await finished(t);
      }
    } catch (error) {
      notKept(error);
    }
    flushing = null;
    schedule();
  }

  // The game took a checkpoint of the current run: it is stored with the
  // lines written before it (once the run is ready in the store).
  function keepCheckpoint(bytes) {
    if (!kept) return;
    checkpoint = bytes;
    schedule();
  }

  // Resolves when every entry appended so far is in the store.
  async function settle() {
    if (resuming) await resuming;
    while (flushing || ((pending.length || checkpoint) && kept && currentRun !== null)) {
      if (flushing) {
        await new Promise((resolve) => setTimeout(resolve, 5));
      } else {
        schedule();
      }
    }
  }

  // The run to go back to: { id, started, text, bytes, checkpoint, chunks,
  // keys }, or null when there is none (a new game was chosen, nothing was
  // kept, storage refused). bytes: its length; checkpoint: the bytes of its
  // newest, or null; chunks and keys: its bytes as stored, and their keys.
  async function current() {
    const db = await openDatabase();
    if (!db) return null;
    try {
      const t = db.transaction(['runs', 'chunks', 'state', 'checkpoints']);
      const id = await request(t.objectStore('state').get('current'));
      if (id === undefined || id === null) return null;
      return await readRun(t, id);
    } catch (error) {
      console.warn('Duskwarren: cannot read the kept run:', error);
      return null;
    }
  }

  async function readRun(t, id) {
    const range = IDBKeyRange.bound([id, 0], [id, Infinity]);
    const run = await request(t.objectStore('runs').get(id));
    if (!run) return null;
    const [chunks, keys, bytes] = await Promise.all([
      request(t.objectStore('chunks').getAll(range)),
      request(t.objectStore('chunks').getAllKeys(range)),
      request(t.objectStore('checkpoints').get(id)),
    ]);
    const encoder = new TextEncoder();
    const parts = chunks.map((c) => (typeof c === 'string' ? encoder.encode(c) : c));
    let text = null;
    return {
      id, started: run.started, chunks: parts, keys, checkpoint: bytes || null,
      bytes: parts.reduce((n, p) => n + p.length, 0),
      // The first line, for the file's name.
      head: new TextDecoder().decode(parts.length ? parts[0].subarray(0, 200) : new Uint8Array(0)),
      get text() {
        text ??= new TextDecoder().decode(joined(parts.length ? parts : [new Uint8Array(0)]));
        return text;
      },
    };
  }

  // Carries on appending to a run found by current(), from its first
  // keptBytes bytes when given: what follows them is dropped from the store
  // (only the chunks at the end that hold it are written again). What is
  // appended meanwhile is written once the run is ready.
  function resume(run, keptBytes) {
    resuming = goOnWith(run, keptBytes).finally(() => { resuming = null; });
    return resuming;
  }

  async function goOnWith(run, keptBytes) {
    const db = await openDatabase();
    if (!db || !run) return;
    try {
      const t = db.transaction(['chunks', 'state'], 'readwrite');
      if (keptBytes !== undefined) cutAfter(t.objectStore('chunks'), run, keptBytes);
      t.objectStore('state').put(run.id, 'current');
      await finished(t);
      const keys = await request(db.transaction('chunks').objectStore('chunks')
        .getAllKeys(IDBKeyRange.bound([run.id, 0], [run.id, Infinity])));
      currentRun = run.id;
      nextChunk = keys.length === 0 ? 0 : keys[keys.length - 1][1] + 1;
      startJoining();
      schedule();
    } catch (error) {
      notKept(error);
    }
  }

  // Drops what the run's chunks hold after its first keptBytes bytes,
  // walking back from the last chunk.
  function cutAfter(chunks, run, keptBytes) {
    let end = run.bytes;
    for (let i = run.chunks.length - 1; i >= 0 && end > keptBytes; --i) {
      const start = end - run.chunks[i].length;
      chunks.delete(run.keys[i]);
      if (start < keptBytes) chunks.add(run.chunks[i].slice(0, keptBytes - start), run.keys[i]);
      end = start;
    }
  }

  // No run to go back to: the next visit starts at the start screen.
  async function forget() {
    await settle();
    currentRun = null;
    release();
    const db = await openDatabase();
    if (!db) return;
    try {
      const t = db.transaction(['state'], 'readwrite');
      t.objectStore('state').delete('current');
      await finished(t);
    } catch (error) {
      console.warn('Duskwarren: cannot forget the run:', error);
    }
  }

  // --- one tab at a time ---------------------------------------------------

  const lockName = (id) => `duskwarren-run-${id}`;

  // Holds the run's lock for this tab: taken from another tab when `take`,
  // else only when no tab holds it. True when this tab holds it (or the
  // browser has no locks to hold).
  function hold(id, take) {
    if (heldRun === id) return Promise.resolve(true);
    release();
    if (!navigator.locks) return Promise.resolve(true);
    return new Promise((resolve) => {
      const options = take ? { steal: true } : { ifAvailable: true };
      navigator.locks.request(lockName(id), options, (lock) => {
        if (!lock) {
          resolve(false);
          return undefined;
        }
        heldRun = id;
        resolve(true);
        return new Promise((done) => { letGo = done; });
      }).catch((error) => {
        if (error && error.name === 'AbortError' && heldRun === id) takenElsewhere(id);
      });
    });
  }

  function release() {
    if (letGo) letGo();
    letGo = null;
    heldRun = null;
  }

  // Another tab took the run over: this one writes no more to it and says
  // so; its game goes on unkept.
  function takenElsewhere(id) {
    heldRun = null;
    letGo = null;
    if (currentRun !== id) return;
    currentRun = null;
    pending = [];
    checkpoint = null;
    kept = false;
    say('This run goes on in another tab, which keeps it from now on. ' +
        'What is played here is no longer kept.');
  }

  // Asks the player what to do about a run another tab plays: true to take
  // it over here, false for a new game.
  function askTakeOver() {
    return new Promise((resolve) => {
      const box = document.createElement('div');
      box.id = 'run-elsewhere';
      box.setAttribute('role', 'alertdialog');
      box.setAttribute('aria-labelledby', 'run-elsewhere-text');
      box.style.cssText = 'position:fixed;inset:0;display:flex;flex-direction:column;gap:1em;' +
          'align-items:center;justify-content:center;background:rgba(0,0,0,0.85);color:#fff;' +
          'text-align:center;padding:1em;z-index:10';
      const text = document.createElement('p');
      text.id = 'run-elsewhere-text';
      text.textContent = 'This run is being played in another tab. Take it over here ' +
                         '(the other tab stops keeping it), or start a new game?';
      const buttons = document.createElement('p');
      const choice = (label, id, answer) => {
        const b = document.createElement('button');
        b.type = 'button';
        b.id = id;
        b.textContent = label;
        b.addEventListener('click', () => {
          box.remove();
          document.getElementById('stage').focus();
          resolve(answer);
        });
        buttons.append(b, ' ');
        return b;
      };
      const take = choice('Take it over', 'take-over', true);
      choice('New game', 'new-here', false);
      box.append(text, buttons);
      document.body.append(box);
      take.focus();
    });
  }

  // The run to go back to, read while the game's code loads when this tab
  // can hold it at once (held, no other tab writes to it meanwhile).
  let early = (async () => {
    try {
      const db = await openDatabase();
      if (!db) return null;
      const id = await request(db.transaction('state').objectStore('state').get('current'));
      if (id === undefined || id === null || !(await hold(id, false))) return null;
      return await readRun(db.transaction(['runs', 'chunks', 'checkpoints']), id);
    } catch (error) {
      return null;
    }
  })();

  // The run to go back to, once this tab holds it: current(), or null for a
  // new game when another tab plays it and the player chose not to take it
  // over.
  async function takeUp() {
    const read = early ? await early : null;
    early = null;
    if (read && heldRun === read.id) return read;
    await settle();
    const found = await current();
    if (!found) return null;
    if (await hold(found.id, false)) return found;
    if (!(await askTakeOver())) return null;
    await hold(found.id, true);
    // Read again: the other tab may have written to it meanwhile.
    return current();
  }

  // "2026-12-07-141503-seed117.dwrec", after the run's start and its seed.
  function fileName(run) {
    const d = new Date(run.started);
    const two = (n) => String(n).padStart(2, '0');
    const seed = /^dwrec [^\n]*? seed=(-?\d+) /.exec(run.head ?? run.text);
    return `${d.getFullYear()}-${two(d.getMonth() + 1)}-${two(d.getDate())}-` +
           `${two(d.getHours())}${two(d.getMinutes())}${two(d.getSeconds())}` +
           (seed ? `-seed${seed[1]}` : '') + '.dwrec';
  }

  async function download() {
    await settle();
    const run = await current();
    if (!run || !run.bytes) {
      say('There is no kept run to download yet.');
      return;
    }
    save(run);
  }

  function save(run) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob(run.chunks, { type: 'application/octet-stream' }));
    link.download = fileName(run);
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }

  // A kept run the game cannot take up (made with other rules or data, or
  // damaged): named, with why, and offered for download; it stays kept,
  // and a new game begins.
  function refused(run, reason) {
    if (!run) return;
    document.getElementById('run-refused')?.remove();
    const box = document.createElement('div');
    box.id = 'run-refused';
    box.setAttribute('role', 'alert');
    box.style.cssText = 'position:fixed;left:50%;bottom:3em;transform:translateX(-50%);' +
        'max-width:40em;background:#222;color:#ddd;border:1px solid #555;padding:0.5em 1em;' +
        'text-align:center;z-index:5';
    const text = document.createElement('p');
    text.textContent = `The kept run ${fileName(run)} cannot be taken up: ${reason}. ` +
                       'It stays kept; a new game begins.';
    const buttons = document.createElement('p');
    const button = (label, action) => {
      const b = document.createElement('button');
      b.type = 'button';
      b.textContent = label;
      b.addEventListener('click', (event) => {
        if (event.detail !== 0) b.blur();
        action();
      });
      b.addEventListener('mousedown', (event) => event.preventDefault());
      buttons.append(b, ' ');
      return b;
    };
    button('Download it', () => save(run)).id = 'refused-download';
    button('Close', () => box.remove());
    box.append(text, buttons);
    document.body.append(box);
  }

  async function newGame() {
    await forget();
    location.reload();
  }

  // A recording picked or dropped: checked to be one, then handed to the
  // game to play.
  async function watch(file) {
    if (!file) return;
    if (file.size > largestRecording) {
      say(`${file.name} is too large to be a recording.`);
      return;
    }
    const bytes = new Uint8Array(await file.arrayBuffer());
    if (new TextDecoder('latin1').decode(bytes.subarray(0, 6)) !== 'dwrec ') {
      say(`${file.name} is not a Duskwarren recording (.dwrec).`);
      return;
    }
    // The page starts again to watch it; the run being played stays kept.
    const db = await openDatabase();
    try {
      if (!db) throw new Error('no storage');
      await settle();
      const t = db.transaction(['state'], 'readwrite');
      t.objectStore('state').put({ name: file.name, bytes }, 'watch');
      await finished(t);
    } catch (error) {
      say(`${file.name} cannot be watched: the browser\u2019s storage is full or refused.`);
      return;
    }
    location.reload();
  }

  // The recording chosen to watch, once: { name, bytes } or null.
  async function takeRecordingToWatch() {
    const db = await openDatabase();
    if (early) await early;
    if (!db) return null;
    try {
      const t = db.transaction(['state'], 'readwrite');
      const chosen = await request(t.objectStore('state').get('watch'));
      t.objectStore('state').delete('watch');
      await finished(t);
      // Watching, this tab plays no kept run.
      if (chosen) {
        early = null;
        release();
      }
      return chosen || null;
    } catch (error) {
      console.warn('Duskwarren: cannot read the recording to watch:', error);
      return null;
    }
  }

  function wireButtons() {
    const picker = document.getElementById('watch-file');
    const click = (id, action) => {
      const b = document.getElementById(id);
      b.addEventListener('click', (event) => {
        if (event.detail !== 0) b.blur();
        action();
      });
      b.addEventListener('mousedown', (event) => event.preventDefault());
    };
    click('new-game', newGame);
    click('download', download);
    click('watch', () => picker.click());
    picker.addEventListener('change', () => {
      watch(picker.files[0]);
      picker.value = '';
    });
    const hasFile = (event) => Array.from(event.dataTransfer?.types || []).includes('Files');
    window.addEventListener('dragover', (event) => {
      if (!hasFile(event)) return;
      event.preventDefault();
      document.body.classList.add('dropping');
    });
    window.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
    window.addEventListener('drop', (event) => {
      document.body.classList.remove('dropping');
      if (!hasFile(event)) return;
      event.preventDefault();
      // The list of runs asks whether to watch it or continue it.
      const file = event.dataTransfer.files[0];
      if (game.runlist) game.runlist.dropped(file);
      else watch(file);
    });
  }

  wireButtons();
  return { begin, append, settle, current, resume, forget, download, newGame, watch,
           takeRecordingToWatch, notKept, fileName, keepCheckpoint, takeUp, refused,
           get kept() { return kept; },
           // For the list of runs (runlist.js): the store, its requests as
           // promises, and the run kept now.
           database: openDatabase, request, finished, get currentId() { return currentRun; } };
})();

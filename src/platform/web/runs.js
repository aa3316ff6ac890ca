// The runs kept between visits: each run's recording (the lines of a .dwrec)
// in the browser's IndexedDB, appended in small chunks as the game takes its
// keys, so a key costs one small write however long the run; the current
// run, to go back to; a new game; the recording downloaded as a .dwrec; and
// a .dwrec from the desktop game picked or dropped on the page to watch.
// Storage that is full or refused never stops the game: the page says once
// that the run is not being kept.
Module.duskwarren.runs = (function () {
  'use strict';

  const game = Module.duskwarren;
  const databaseName = 'duskwarren';
  const runsKept = 20;              // the newest runs; older ones are removed
  const largestRecording = 256 * 1024 * 1024;

  let database = null;              // a promise of the open database, or of null
  let currentRun = null;            // the id of the run being kept
  let nextChunk = 0;
  let pending = '';                 // entries not yet handed to the store
  let flushing = null;
  let kept = true;

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
    pending = '';
    console.warn('Duskwarren: the run is not being kept:', error);
    say('This run is not being kept: the browser\u2019s storage is full or refused. ' +
        'The game goes on.');
  }

  function openDatabase() {
    if (!database) {
      database = (async () => {
        if (!window.indexedDB) throw new Error('no IndexedDB');
        const opening = indexedDB.open(databaseName, 1);
        opening.onupgradeneeded = () => {
          const db = opening.result;
          db.createObjectStore('runs', { keyPath: 'id', autoIncrement: true });
          db.createObjectStore('chunks');  // key [run, chunk number], value text
          db.createObjectStore('state');   // 'current': the run to go back to
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
    const t = db.transaction(['runs', 'chunks'], 'readwrite');
    for (const id of old) {
      t.objectStore('runs').delete(id);
      t.objectStore('chunks').delete(IDBKeyRange.bound([id, 0], [id, Infinity]));
    }
    await finished(t);
  }

  // Adds text (whole lines) to the current run. The entries of one turn go
  // into the store together, as one new chunk.
  function append(text) {
    if (!kept) return;
    pending += text;
    schedule();
  }

  function schedule() {
    if (!flushing && pending && currentRun !== null) flushing = setTimeout(flush, 0);
  }

  async function flush() {
    const db = await openDatabase();
    const text = pending;
    pending = '';
    try {
      if (db && kept && text) {
        const t = db.transaction(['chunks'], 'readwrite');
        t.objectStore('chunks').add(text, [currentRun, nextChunk++]);
        await finished(t);
      }
    } catch (error) {
      notKept(error);
    }
    flushing = null;
    schedule();
  }

  // Resolves when every entry appended so far is in the store.
  async function settle() {
    while (flushing || (pending && kept && currentRun !== null)) {
      if (flushing) {
        await new Promise((resolve) => setTimeout(resolve, 5));
      } else {
        schedule();
      }
    }
  }

  // The run to go back to: { id, started, text }, or null when there is
  // none (a new game was chosen, nothing was kept, storage refused).
  async function current() {
    const db = await openDatabase();
    if (!db) return null;
    try {
      const t = db.transaction(['runs', 'chunks', 'state']);
      const id = await request(t.objectStore('state').get('current'));
      if (id === undefined || id === null) return null;
      const run = await request(t.objectStore('runs').get(id));
      const chunks = await request(t.objectStore('chunks').getAll(IDBKeyRange.bound([id, 0], [id, Infinity])));
      return run ? { id, started: run.started, text: chunks.join('') } : null;
    } catch (error) {
      console.warn('Duskwarren: cannot read the kept run:', error);
      return null;
    }
  }

  // Carries on appending to a run found by current(), from its first
  // keptBytes bytes when given: what follows them is dropped from the store
  // (one rewrite as the run goes on, not one per key).
  async function resume(run, keptBytes) {
    const db = await openDatabase();
    if (!db || !run) return;
    try {
      const bytes = new TextEncoder().encode(run.text);
      if (keptBytes !== undefined && keptBytes < bytes.length) {
        const text = new TextDecoder().decode(bytes.subarray(0, keptBytes));
        const range = IDBKeyRange.bound([run.id, 0], [run.id, Infinity]);
        const t = db.transaction(['chunks', 'state'], 'readwrite');
        t.objectStore('chunks').delete(range);
        if (text) t.objectStore('chunks').add(text, [run.id, 0]);
        t.objectStore('state').put(run.id, 'current');
        await finished(t);
      }
      const keys = await request(db.transaction('chunks').objectStore('chunks')
        .getAllKeys(IDBKeyRange.bound([run.id, 0], [run.id, Infinity])));
      currentRun = run.id;
      nextChunk = keys.length === 0 ? 0 : keys[keys.length - 1][1] + 1;
      schedule();
    } catch (error) {
      notKept(error);
    }
  }

  // No run to go back to: the next visit starts at the start screen.
  async function forget() {
    await settle();
    currentRun = null;
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

  // "2026-12-07-141503-seed117.dwrec", after the run's start and its seed.
  function fileName(run) {
    const d = new Date(run.started);
    const two = (n) => String(n).padStart(2, '0');
    const seed = /^dwrec [^\n]*? seed=(-?\d+) /.exec(run.text);
    return `${d.getFullYear()}-${two(d.getMonth() + 1)}-${two(d.getDate())}-` +
           `${two(d.getHours())}${two(d.getMinutes())}${two(d.getSeconds())}` +
           (seed ? `-seed${seed[1]}` : '') + '.dwrec';
  }

  async function download() {
    await settle();
    const run = await current();
    if (!run || !run.text) {
      say('There is no kept run to download yet.');
      return;
    }
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([run.text], { type: 'application/octet-stream' }));
    link.download = fileName(run);
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
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
    if (!db) return null;
    try {
      const t = db.transaction(['state'], 'readwrite');
      const chosen = await request(t.objectStore('state').get('watch'));
      t.objectStore('state').delete('watch');
      await finished(t);
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
           takeRecordingToWatch, notKept, fileName, get kept() { return kept; },
           // For the list of runs (runlist.js): the store, and the run kept now.
           database: openDatabase, get currentId() { return currentRun; } };
})();

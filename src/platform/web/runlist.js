// The runs the page keeps, as the desktop lists them (F4): when each was
// last played, its seed, the deepest level, turns, Gold, who stands and how
// it ended, the run last played first. Any row continues: the page starts
// again on that run, the run being played stays kept as it stands. Also a
// recording from elsewhere (the desktop, another browser) continued here:
// caught up in front of the player, then kept as a run of the page. And the
// summary the game hands over after each turn, kept beside its run.
Module.duskwarren.runlist = (function () {
  'use strict';

  const game = Module.duskwarren;
  const runs = game.runs;
  const largestRecording = 256 * 1024 * 1024;

  let latestSummary = null;   // handed over, not stored yet
  let storing = null;         // the summary being stored, a promise
  let offered = null;         // the run the start screen offers, as stored
  let rows = [];              // the list shown: { id, now }
  let chosen = 0;

  // The store's requests and transactions as promises, as runs.js has them.
  const { request, finished } = runs;

  // --- the summary beside each run ----------------------------------------

  // A summary file's text (key=value lines) as its fields.
  function parseSummary(text) {
    const fields = {};
    for (const line of String(text || '').split('\n')) {
      const at = line.indexOf('=');
      if (at > 0) fields[line.slice(0, at)] = line.slice(at + 1);
    }
    return fields;
  }

  // The summary of the run being kept, stored with it (the newest wins; one
  // write at a time), with the time it was last played.
  function keepSummary(text) {
    latestSummary = text;
    stored();
  }

  // Resolves once the summary handed over last is stored (or could not be).
  function stored() {
    if (!storing && latestSummary !== null) storing = storeSummary();
    return storing || Promise.resolve();
  }

  async function storeSummary() {
    try {
      await runs.settle();
      const db = await runs.database();
      while (db && latestSummary !== null && runs.currentId !== null) {
        const text = latestSummary;
        latestSummary = null;
        const t = db.transaction(['runs'], 'readwrite');
        const store = t.objectStore('runs');
        const run = await request(store.get(runs.currentId));
        if (run) store.put(Object.assign(run, { summary: text, played: Date.now() }));
        await finished(t);
      }
    } catch (error) {
      console.warn('Duskwarren: cannot keep the run\u2019s summary:', error);
    }
    storing = null;
  }

  // The summary kept with a run, or ''.
  async function summaryOf(id) {
    try {
      const db = await runs.database();
      const run = db ? await request(db.transaction('runs').objectStore('runs').get(id)) : null;
      return run && typeof run.summary === 'string' ? run.summary : '';
    } catch (error) {
      return '';
    }
  }

  // --- the runs ------------------------------------------------------------

  // Every kept run that began a game, last played first: { id, started,
  // played, summary (fields), ended, now }.
  async function list() {
    await runs.settle();
    const db = await runs.database();
    if (!db) return [];
    const t = db.transaction(['runs', 'chunks', 'state']);
    const current = await request(t.objectStore('state').get('current'));
    const all = await request(t.objectStore('runs').getAll());
    const found = [];
    for (const run of all) {
      // How it ended: the recording's closing entry, else it was cut off.
      const range = IDBKeyRange.bound([run.id, 0], [run.id, Infinity]);
      const cursor = await request(t.objectStore('chunks').openCursor(range, 'prev'));
      if (!cursor) continue;
      const closing = /(?:^|\n)e ([^\n]*)\n?$/.exec(chunkText(cursor.value));
      const summary = parseSummary(run.summary);
      found.push({ id: run.id, started: run.started, played: run.played || run.started, summary,
                   ended: closing ? closing[1] : 'cut off', now: run.id === current });
    }
    // The run being played first, as the desktop shows it.
    found.sort((a, b) => b.now - a.now || b.played - a.played || b.id - a.id);
    return found;
  }

  // A stored chunk as text: the store keeps bytes (text in runs kept by
  // older versions of the page).
  function chunkText(chunk) {
    return typeof chunk === 'string' ? chunk : new TextDecoder().decode(chunk);
  }

  // A kept run as the store holds it: its chunks (as bytes) and their keys,
  // its size and its whole recording as text.
  async function storedRun(db, id) {
    const range = IDBKeyRange.bound([id, 0], [id, Infinity]);
    const t = db.transaction('chunks');
    const [chunks, keys] = await Promise.all([
      request(t.objectStore('chunks').getAll(range)),
      request(t.objectStore('chunks').getAllKeys(range)),
    ]);
    const encoder = new TextEncoder();
    const parts = chunks.map((c) => (typeof c === 'string' ? encoder.encode(c) : c));
    return { id, chunks: parts, keys, bytes: parts.reduce((n, p) => n + p.length, 0),
             text: chunks.map(chunkText).join('') };
  }

  // The run last played, when none is being played: what the start screen
  // offers. { file, text } with the file named as the game names its runs.
  async function lastRun() {
    try {
      const db = await runs.database();
      for (const run of await list()) {
        if (run.now) continue;
        const stored = await storedRun(db, run.id);
        const text = stored.text;
        const file = runs.fileName({ started: run.started, text });
        if (!/-seed-?\d+\.dwrec$/.test(file)) continue;
        offered = stored;
        return { file, text, summary: await summaryOf(run.id) };
      }
    } catch (error) {
      console.warn('Duskwarren: cannot read the kept runs:', error);
    }
    return null;
  }

  // The shell took a run up (the one offered, or a file from elsewhere): it
  // is kept from now on as this whole recording.
  // Its text goes first, ahead of the turns that follow, once the run is
  // the one kept.
  function adopt(text, wasOffered) {
    game.goingOn();
    const going = wasOffered && offered ? runs.resume(offered, 0) : runs.begin();
    runs.append(text);
    // A summary handed over before the run was the one kept is kept now.
    going.then(stored);
  }

  // The page starts again on the kept run `id`. The game being played ends
  // first, as Escape ends it, its run kept; the page starts again once the
  // game has ended and what it wrote is stored (or after a while, should
  // the game not end: Escape only went back to the start screen).
  let leavingFor = false;
  async function leave() {
    await runs.settle();
    await stored();
    location.reload();
  }

  async function continueKept(id) {
    await runs.settle();
    await stored();
    const db = await runs.database();
    if (!db) return;
    try {
      const t = db.transaction(['runs', 'state'], 'readwrite');
      const run = await request(t.objectStore('runs').get(id));
      if (run) t.objectStore('runs').put(Object.assign(run, { played: Date.now() }));
      t.objectStore('state').put(id, 'current');
      await finished(t);
    } catch (error) {
      game.front.tell('That run cannot be continued: the browser\u2019s storage refused.');
      return;
    }
    close();
    if (!game.quit()) {
      location.reload();
      return;
    }
    leavingFor = true;
    setTimeout(leave, 3000);
  }

  // A recording picked or dropped to continue here: checked to be one,
  // then the page starts again to catch it up.
  async function continueFile(file) {
    if (!file) return;
    if (file.size > largestRecording) {
      game.front.tell(`${file.name} is too large to be a recording.`);
      return;
    }
    const bytes = new Uint8Array(await file.arrayBuffer());
    if (new TextDecoder('latin1').decode(bytes.subarray(0, 6)) !== 'dwrec ') {
      game.front.tell(`${file.name} is not a Duskwarren recording (.dwrec).`);
      return;
    }
    try {
      const db = await runs.database();
      if (!db) throw new Error('no storage');
      await runs.settle();
      await stored();
      const t = db.transaction(['state'], 'readwrite');
      t.objectStore('state').put({ name: file.name, bytes }, 'continue');
      await finished(t);
    } catch (error) {
      game.front.tell(`${file.name} cannot be continued: the browser\u2019s storage is full or refused.`);
      return;
    }
    location.reload();
  }

  // The recording chosen to continue, once: { name, bytes } or null.
  async function takeRecordingToContinue() {
    const db = await runs.database();
    if (!db) return null;
    try {
      const t = db.transaction(['state'], 'readwrite');
      const file = await request(t.objectStore('state').get('continue'));
      t.objectStore('state').delete('continue');
      await finished(t);
      if (file) game.goingOn();
      return file || null;
    } catch (error) {
      console.warn('Duskwarren: cannot read the recording to continue:', error);
      return null;
    }
  }

  // --- the list on the page ------------------------------------------------

  const box = document.createElement('section');
  box.id = 'runs';
  box.setAttribute('role', 'dialog');
  box.setAttribute('aria-label', 'Your runs');
  box.tabIndex = -1;
  box.hidden = true;
  const title = document.createElement('h2');
  title.textContent = 'Your runs';
  const table = document.createElement('table');
  const footer = document.createElement('p');
  footer.className = 'footer';
  footer.textContent = '\u2191\u2193: choose, Enter: continue, Escape: close';
  const fromFile = document.createElement('button');
  fromFile.type = 'button';
  fromFile.id = 'continue-file';
  fromFile.textContent = 'Continue from a file';
  const closeButton = document.createElement('button');
  closeButton.type = 'button';
  closeButton.textContent = 'Close';
  closeButton.addEventListener('click', () => close());
  box.append(title, table, fromFile, closeButton, footer);
  document.getElementById('stage').append(box);
  const picker = document.createElement('input');
  picker.type = 'file';
  picker.accept = '.dwrec';
  picker.hidden = true;
  document.body.append(picker);

  function cell(row, tag, text) {
    const c = document.createElement(tag);
    c.textContent = text;
    row.append(c);
  }

  function count(text) {
    return text === undefined || text === '' ? '?' : Number(text).toLocaleString('en-US');
  }

  function dateOf(time) {
    const d = new Date(time);
    const two = (n) => String(n).padStart(2, '0');
    return `${d.getFullYear()}-${two(d.getMonth() + 1)}-${two(d.getDate())} ` +
           `${two(d.getHours())}:${two(d.getMinutes())}`;
  }

  function choose(index) {
    if (rows.length === 0) return;
    chosen = Math.max(0, Math.min(rows.length - 1, index));
    table.querySelectorAll('tbody tr').forEach((tr, i) => {
      tr.setAttribute('aria-selected', String(i === chosen));
      if (i === chosen) tr.scrollIntoView({ block: 'nearest' });
    });
  }

  function act(index) {
    const row = rows[index];
    if (!row) return;
    if (row.now) close();
    else continueKept(row.id);
  }

  async function open() {
    game.front.closePanel();
    const found = await list().catch(() => []);
    rows = found;
    const head = document.createElement('tr');
    for (const name of ['Date', 'Seed', 'Level', 'Turns', 'Gold', 'Standing', 'Ended']) cell(head, 'th', name);
    const body = document.createElement('tbody');
    found.forEach((run, i) => {
      const s = run.summary;
      const tr = document.createElement('tr');
      cell(tr, 'td', run.now ? 'Now' : dateOf(run.played));
      cell(tr, 'td', s.seed && s.seed !== '-' ? s.seed : '?');
      cell(tr, 'td', count(s.level));
      cell(tr, 'td', count(s.turns));
      cell(tr, 'td', count(s.gold));
      cell(tr, 'td', s.standing !== undefined ? `${s.standing} of 7` : '?');
      cell(tr, 'td', run.now ? 'playing' : (s.ended || run.ended));
      tr.addEventListener('click', () => act(i));
      body.append(tr);
    });
    const thead = document.createElement('thead');
    thead.append(head);
    table.replaceChildren(thead, body);
    if (found.length === 0) {
      const none = document.createElement('caption');
      none.textContent = 'No runs kept yet.';
      table.append(none);
    }
    box.hidden = false;
    box.focus({ preventScroll: true });
    choose(found.findIndex((r) => !r.now) >= 0 ? found.findIndex((r) => !r.now) : 0);
  }

  function close() {
    box.hidden = true;
    document.getElementById('stage').focus({ preventScroll: true });
  }

  // While the list (or the choice for a dropped file) shows, every key is
  // its own: none reaches the game. Tab, and Enter or Space on a button,
  // stay the browser's.
  function onKey(event) {
    const pressing = (event.key === 'Enter' || event.key === ' ') &&
                     event.target.closest && event.target.closest('button');
    if (!choice.hidden) {
      if (event.key === 'Escape') settleChoice(null);
      return !(pressing || event.key === 'Tab');
    }
    if (box.hidden) return false;
    if (pressing || event.key === 'Tab') return false;
    if (event.key === 'ArrowDown') choose(chosen + 1);
    else if (event.key === 'ArrowUp') choose(chosen - 1);
    else if (event.key === 'Enter' && !event.repeat) act(chosen);
    else if (event.key === 'Escape' || event.key === 'F4') close();
    return true;
  }

  function toggle() {
    if (box.hidden) open();
    else close();
  }

  // A file dropped on the page: to watch, or to continue.
  const choice = document.createElement('section');
  choice.id = 'dropped';
  choice.setAttribute('role', 'dialog');
  choice.hidden = true;
  const choiceText = document.createElement('p');
  const watchButton = document.createElement('button');
  watchButton.type = 'button';
  watchButton.textContent = 'Watch';
  const continueButton = document.createElement('button');
  continueButton.type = 'button';
  continueButton.textContent = 'Continue';
  const cancelButton = document.createElement('button');
  cancelButton.type = 'button';
  cancelButton.textContent = 'Cancel';
  choice.append(choiceText, watchButton, continueButton, cancelButton);
  document.getElementById('stage').append(choice);
  let droppedFile = null;

  function dropped(file) {
    if (!file) return;
    droppedFile = file;
    choiceText.textContent = `${file.name}: watch it, or continue the run it holds?`;
    choice.hidden = false;
    continueButton.focus();
  }

  function settleChoice(action) {
    const file = droppedFile;
    droppedFile = null;
    choice.hidden = true;
    document.getElementById('stage').focus({ preventScroll: true });
    if (file && action) action(file);
  }
  watchButton.addEventListener('click', () => settleChoice(runs.watch));
  continueButton.addEventListener('click', () => settleChoice(continueFile));
  cancelButton.addEventListener('click', () => settleChoice(null));

  fromFile.addEventListener('click', () => picker.click());
  picker.addEventListener('change', () => {
    continueFile(picker.files[0]);
    picker.value = '';
  });
  const listButton = document.getElementById('runs-list');
  if (listButton) {
    listButton.addEventListener('click', (event) => {
      if (event.detail !== 0) listButton.blur();
      toggle();
    });
    listButton.addEventListener('mousedown', (event) => event.preventDefault());
  }
  // The summary and the time last played are kept when the page goes.
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') stored();
  });

  return { keepSummary, summaryOf, list, lastRun, adopt, continueKept, continueFile, takeRecordingToContinue,
           open, close, toggle, onKey, dropped, leave, leaving: () => leavingFor,
           isOpen: () => !box.hidden };
})();

// What the shell around the game shows in the page: the key help and the
// message log as panels of text, the notice about the party, a
// notice over the picture, what a recording watched is doing, and short
// messages. All of it is text in the page, so a screen reader reads it too.
Module.duskwarren.front = (function () {
  'use strict';

  const stage = document.getElementById('stage');
  const notice = document.getElementById('notice');

  function element(tag, id, className) {
    const e = document.createElement(tag);
    if (id) e.id = id;
    if (className) e.className = className;
    return e;
  }

  const panel = element('section', 'panel');
  panel.setAttribute('role', 'dialog');
  panel.tabIndex = -1;
  panel.hidden = true;
  const panelTitle = element('h2');
  const panelLines = element('dl');
  const panelFooter = element('p', null, 'footer');
  panel.append(panelTitle, panelLines, panelFooter);
  const banner = element('p', 'banner');
  banner.setAttribute('role', 'alert');
  banner.hidden = true;
  const partyNotice = element('p', 'party');
  partyNotice.setAttribute('role', 'status');
  partyNotice.hidden = true;
  // What the start screen offers (F3) and its keys, over the picture's empty
  // rows; it goes with the first key.
  const startHint = element('p', 'start-hint');
  startHint.hidden = true;
  let offering = false;
  let hintLines = [];
  const watching = element('p', 'watching');
  watching.setAttribute('role', 'status');
  watching.hidden = true;
  stage.append(panel, banner, partyNotice, watching, notice, startHint);

  // The notices never hide the picture's status row (its top 8 lines) or
  // its message row (its bottom 8): they stand above and below the picture
  // where the page has room, else over the map's rows between the two. The
  // watching status and the short messages stack at the top, the party's
  // notice at the bottom, the notice over the picture in the middle. In the
  // 4:3 view the picture is the second canvas.
  const gap = 4;
  const pictureRows = 200, statusRows = 8;

  function shownPicture() {
    const view = document.getElementById('view');
    const screen = document.getElementById('screen');
    if (view && !view.hidden) return view;
    return screen && !screen.hidden ? screen : null;
  }

  function stack(elements, from, down) {
    let at = from;
    for (const e of elements) {
      const height = e.offsetHeight;
      e.style.top = (down ? at : at - height) + 'px';
      e.style.bottom = 'auto';
      at += down ? height + gap : -(height + gap);
    }
  }

  function placeNotices() {
    const picture = shownPicture();
    const tops = [watching, notice, startHint].filter((e) => e && !e.hidden);
    const bottoms = [partyNotice, document.getElementById('tap-hint')].filter((e) => e && !e.hidden);
    if (!picture) return;
    const box = stage.getBoundingClientRect();
    const rect = picture.getBoundingClientRect();
    const top = rect.top - box.top, bottom = rect.bottom - box.top;
    const row = rect.height * statusRows / pictureRows;
    const height = (list) => list.reduce((sum, e) => sum + e.offsetHeight + gap, 0) + gap;
    const topHeight = height(tops), bottomHeight = height(bottoms);
    stack(tops, top >= topHeight ? top - topHeight + gap : top + row + gap, true);
    stack(bottoms.reverse(), box.height - bottom >= bottomHeight ? bottom + bottomHeight - gap
                                                               : bottom - row - gap, false);
    if (!banner.hidden) {
      const middle = (top + row + bottom - row) / 2;
      banner.style.top = Math.max(top + row + gap, middle - banner.offsetHeight / 2) + 'px';
    }
  }

  new ResizeObserver(placeNotices).observe(stage);
  for (const id of ['screen', 'view']) {
    const canvas = document.getElementById(id);
    if (canvas) new ResizeObserver(placeNotices).observe(canvas);
  }
  document.addEventListener('fullscreenchange', placeNotices);

  let openPanel = null;  // 'keyHelp', 'messageLog', 'lookAround' or null
  let asked = null;      // the panel asked for and not shown yet
  let told = 0;

  function closePanel() {
    openPanel = null;
    panel.hidden = true;
    stage.focus({ preventScroll: true });
  }

  function show(which) {
    if (openPanel === which) {
      closePanel();
      return;
    }
    asked = which;
    Module.duskwarren.ask(which);
  }

  // The page's own keys (action: what the page's table says the key does):
  // its panel keys open and close the panels, its picture key asks for a
  // picture. While a panel is open the keys that move through it stay with
  // it, and any other key the game would take closes it instead of reaching
  // the game.
  function onKey(event, action) {
    const runlist = Module.duskwarren.runlist;
    if (runlist && runlist.onKey(event)) return true;
    if (action === 'pastRuns') {
      if (!event.repeat && runlist) runlist.open();
      return true;
    }
    // F3 takes up the run the start screen offers; elsewhere it stays the
    // browser's.
    if (action === 'continueRun') {
      if (!Module.duskwarren.onStartScreen() || !offering) return false;
      if (!event.repeat) takeUpOffer();
      return true;
    }
    if (action === 'keyHelp' || action === 'messageLog' || action === 'lookAround') {
      if (!event.repeat) show(action);
      return true;
    }
    if (action === 'picture') {
      if (!event.repeat) Module.duskwarren.ask(action);
      return true;
    }
    if (!openPanel) return false;
    const steps = { PageDown: 0.9, PageUp: -0.9, ArrowDown: 0.1, ArrowUp: -0.1 };
    if (event.key in steps) {
      panel.scrollTop += steps[event.key] * panel.clientHeight;
      return true;
    }
    if (Module.duskwarren.gameByte(event) >= 0) {
      closePanel();
      return true;
    }
    return false;
  }

  function takeUpOffer() {
    if (!Module.duskwarren.onStartScreen() || !offering) return;
    Module.duskwarren.goingOn();
    Module.duskwarren.ask('continueRun');
  }
  // A tap (or a click) on the offer takes the run up too: a touch screen
  // has no F3.
  startHint.addEventListener('click', (event) => {
    if (event.target.classList.contains('offer')) takeUpOffer();
  });

  const pictureButton = document.getElementById('picture');
  if (pictureButton) {
    pictureButton.addEventListener('click', (event) => {
      if (event.detail !== 0) pictureButton.blur();
      Module.duskwarren.ask('picture');
    });
    pictureButton.addEventListener('mousedown', (event) => event.preventDefault());
  }

  for (const [id, which] of [['help-panel', 'keyHelp'], ['log-panel', 'messageLog'],
                             ['look-panel', 'lookAround']]) {
    const button = document.getElementById(id);
    if (!button) continue;
    button.addEventListener('click', (event) => {
      if (event.detail !== 0) button.blur();
      show(which);
    });
    button.addEventListener('mousedown', (event) => event.preventDefault());
  }

  return {
    onKey,
    placeNotices,
    closePanel() {
      if (openPanel) closePanel();
    },
    panelOpen() {
      return openPanel !== null;
    },
    panelBegin(title) {
      panelTitle.textContent = title.trim();
      panel.setAttribute('aria-label', title.trim());
      panelLines.replaceChildren();
    },
    // A heading is one line of its own; other lines are a label (a key, or
    // where a message was written) and its text.
    panelLine(label, text, heading) {
      if (heading) {
        const line = element('dt', null, 'heading');
        line.textContent = (label.trim() + ' ' + text.trim()).trim();
        panelLines.append(line);
        return;
      }
      const term = element('dt');
      term.textContent = label.trim();
      const description = element('dd');
      description.textContent = text.trim();
      panelLines.append(term, description);
    },
    panelShow(footer, atTop) {
      panelFooter.textContent = footer.trim();
      openPanel = asked || 'keyHelp';
      // A touch screen's keys are its controls.
      const touchLines = openPanel === 'keyHelp' && Module.duskwarren.touchHelp
        ? Module.duskwarren.touchHelp() : null;
      if (touchLines) {
        panelTitle.textContent = 'Controls';
        panelLines.replaceChildren();
        for (const [label, text] of touchLines) {
          if (text === null) this.panelLine(label, '', true);
          else this.panelLine(label, text, false);
        }
        panelFooter.textContent = 'Any control closes this';
      }
      asked = null;
      panel.hidden = false;
      panel.scrollTop = atTop ? 0 : panel.scrollHeight;
      panel.focus({ preventScroll: true });
    },
    notice(text) {
      partyNotice.textContent = text.trim();
      partyNotice.hidden = text.trim() === '' || hintLines.includes(text.trim());
      placeNotices();
    },
    banner(text) {
      banner.textContent = text.trim();
      banner.hidden = text.trim() === '';
      placeNotices();
    },
    // The start screen's lines (one a line, none to take them away); the
    // offer shows here, not twice as the party's notice too.
    startHint(lines) {
      const shown = lines.map((l) => l.trim()).filter((l) => l !== '');
      offering = shown.some((l) => /: continue the game /.test(l));
      hintLines = shown;
      if (shown.includes(partyNotice.textContent)) partyNotice.hidden = true;
      startHint.replaceChildren(...shown.map((l) => {
        const line = element('span', null, /: continue the game /.test(l) ? 'offer' : null);
        line.textContent = l;
        return line;
      }));
      startHint.hidden = shown.length === 0;
      placeNotices();
    },
    watchStatus(text) {
      watching.textContent = text;
      watching.hidden = text === '';
      placeNotices();
    },
    // A short message, shown for a few seconds.
    tell(text) {
      notice.textContent = text;
      notice.hidden = false;
      placeNotices();
      const mine = ++told;
      setTimeout(() => {
        if (mine === told) notice.hidden = true;
      }, 8000);
    },
  };
})();

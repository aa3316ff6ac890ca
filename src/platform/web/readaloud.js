// What a screen reader reads after each turn: every message of the turn
// (also those the next one replaced on the message line) and the status,
// the current member with Hp, Ap, Dp and Mp, the level, Gold, Keys and
// Bombs. The game hands them over from its own state; the text goes into a
// polite live region that nobody sees.
Module.duskwarren.tellTurn = (function () {
  'use strict';

  const region = document.getElementById('said');

  function spoken(message) {
    return message.trim().replace(/\]\s*\[/g, ', ').replace(/^\[|\]$/g, '').trim();
  }

  function statusText(s) {
    return `${s.member}: Hp ${s.hp}, Ap ${s.ap}, Dp ${s.dp}, Mp ${s.mp}. Level ${s.level}. ` +
           `Gold ${s.gold}, Keys ${s.keys}, Bombs ${s.bombs}.`;
  }

  // turn: { messages: [text, ...], status: { member, hp, ap, dp, mp, level,
  // gold, keys, bombs } or null }. Each turn replaces the last one's text
  // with a new paragraph, so the same words said twice are read twice.
  return function tellTurn(turn) {
    Module.duskwarren.turnTold();
    const paragraph = document.createElement('p');
    // "[Forced gate][Hp -1]" reads as "Forced gate, Hp -1."
    const parts = (turn.messages || []).map(spoken).filter((m) => m.length > 0)
      .map((m) => (/[.!?]$/.test(m) ? m : m + '.'));
    if (turn.status) parts.push(statusText(turn.status));
    paragraph.textContent = parts.join(' ');
    region.replaceChildren(paragraph);
  };
})();

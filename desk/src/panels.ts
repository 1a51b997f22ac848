// What the desk says around the editor: the plan's figures (always on screen), the notice when the
// shot list does not read or its film does not record, and the desk's own notices.
import type { Answer } from './answer';
import type { Desk, Notice } from './desk';
import { esc } from './editor';

const $ = (id: string) => document.getElementById(id)!;

function seconds(ms: number): string {
  return (ms / 1000).toFixed(1) + ' s';
}

function verdict(a: Answer): string {
  if (!a.shots) return 'unreadable';
  if (a.ok) return 'verified';
  return a.problems.length && !a.plan ? 'unrecordable' : 'not recorded';
}

// The key count and the time in the game of the film shown, and how the current text fares.
export function showStatus(desk: Desk): void {
  const s = $('status'), plan = desk.good?.plan, shown = desk.answer ? desk.shown : null;
  const a = desk.answer;
  const state = !a ? 'busy' : verdict(a);
  s.dataset.state = state;
  s.dataset.keys = plan ? String(plan.keys) : '';
  s.dataset.recordMs = plan ? String(plan.recordMs) : '';
  s.dataset.showMs = plan ? String(plan.showMs) : '';
  const figures = plan
    ? '<b>' + plan.keys + ' keys</b> (at least ' + plan.bound + ') &middot; <b>' + seconds(plan.recordMs) +
      '</b> in the game to record &middot; the show lasts <b>' + seconds(plan.showMs) + '</b>'
    : 'no film has recorded yet';
  const words: Record<string, string> = {
    busy: 'rehearsing&hellip;', verified: '&#10003; verified', unreadable: 'the text does not read',
    unrecordable: 'cannot be recorded', 'not recorded': 'did not record',
  };
  const old = a && !a.ok && plan ? ' <i>(the last film that recorded)</i>' : '';
  s.innerHTML = figures + old + ' &middot; <span class="verdict ' + state.replace(' ', '-') + '">' + words[state] + '</span>' +
    (shown ? ' <span class="took">in ' + Math.round(shown.ms) + ' ms</span>' : '');
}

// Problems with their lines (each a link to the line in the text), differences, and an undo.
export function showNotice(desk: Desk): void {
  const n = $('notice'), a = desk.answer;
  if (!a || a.ok) {
    n.hidden = true;
    n.innerHTML = '';
    return;
  }
  const head = !a.shots ? 'The shot list does not read.' : a.problems.length && !a.plan
    ? 'This film cannot be recorded.' : 'The rehearsal did not record this film.';
  let html = '<b>' + head + '</b> The film shown is the last one that recorded; your text is kept as it is.' +
    ' <button id="notice-undo" data-act="undo">Undo (Ctrl+Z)</button><ul>';
  for (const p of a.problems) {
    html += '<li>' + (p.line > 0 ? '<a href="#" data-act="show-line" data-line="' + p.line + '">' + esc(desk.file) + ':' + p.line + '</a>: ' : '') +
      esc(p.text) + '</li>';
  }
  for (const d of (a.differences ?? []).slice(0, 20)) html += '<li>' + esc(d) + '</li>';
  n.innerHTML = html + '</ul>';
  n.hidden = false;
}

// The desk's own notices (the storage, the library, another tab, a file that does not open), each
// with its close button first, so that it floats beside the first line, then its buttons and its
// list of problems.
function noteHtml(note: Notice): string {
  const actions = (note.actions ?? []).map((a) => ' <button data-act="' + esc(a.act) + '"' + Object.entries(a.args ?? {})
    .map(([k, v]) => ' data-' + k + '="' + esc(v) + '"').join('') + '>' + esc(a.label) + '</button>').join('');
  const items = note.items ? '<ul>' + note.items.map((i) => '<li>' + esc(i) + '</li>').join('') + '</ul>' : '';
  return '<div class="note" data-note="' + esc(note.id) + '"><button class="x" data-act="dismiss" data-id="' + esc(note.id) +
    '" title="close">&times;</button>' + esc(note.text) + actions + items + '</div>';
}

export function showNotices(desk: Desk): void {
  const n = $('notices');
  n.innerHTML = desk.notices.map(noteHtml).join('');
  n.hidden = !desk.notices.length;
}

// Why the last thing asked for was refused, for a few seconds.
export function showRefused(desk: Desk): void {
  const n = $('refused');
  n.textContent = desk.refused ?? '';
  n.hidden = desk.refused === null;
}

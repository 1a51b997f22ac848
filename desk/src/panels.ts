// What the desk says around the editor: the plan's figures (always on screen), the notice when the
// shot list does not read or its film does not record, and the text with its problems.
import type { Answer } from './answer';
import type { Desk, Shown } from './desk';

const $ = (id: string) => document.getElementById(id)!;

function esc(s: string | number): string {
  return String(s).replace(/&/g, '&amp;').replace(/</g, '&lt;');
}

function seconds(ms: number): string {
  return (ms / 1000).toFixed(1) + ' s';
}

function verdict(a: Answer): string {
  if (!a.shots) return 'unreadable';
  if (a.ok) return 'verified';
  return a.problems.length && !a.plan ? 'unrecordable' : 'not recorded';
}

// The key count and the time in the game of the film shown, and how the current text fares.
export function showStatus(desk: Desk, shown: Shown | null): void {
  const s = $('status'), plan = desk.good?.plan;
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
export function showNotice(desk: Desk, undo: () => void, toLine: (line: number) => void): void {
  const n = $('notice'), a = desk.answer;
  if (!a || a.ok) {
    n.hidden = true;
    n.innerHTML = '';
    return;
  }
  const head = !a.shots ? 'The shot list does not read.' : a.problems.length && !a.plan
    ? 'This film cannot be recorded.' : 'The rehearsal did not record this film.';
  let html = '<b>' + head + '</b> The film shown is the last one that recorded; your text is kept as it is.' +
    ' <button id="notice-undo">Undo (Ctrl+Z)</button><ul>';
  for (const p of a.problems) {
    html += '<li>' + (p.line > 0 ? '<a href="#" data-line="' + p.line + '">' + esc(desk.file) + ':' + p.line + '</a>: ' : '') + esc(p.text) + '</li>';
  }
  for (const d of (a.differences ?? []).slice(0, 20)) html += '<li>' + esc(d) + '</li>';
  n.innerHTML = html + '</ul>';
  n.hidden = false;
  $('notice-undo').onclick = undo;
  n.querySelectorAll<HTMLElement>('[data-line]').forEach((el) => {
    el.onclick = (e) => { e.preventDefault(); toLine(Number(el.dataset.line)); };
  });
}

// The text tab: the whole shot list (unless what was typed there is not applied yet), its
// problems by line, and `line` (when given) picked out.
export function showText(desk: Desk, line: number): void {
  const area = $('text') as HTMLTextAreaElement;
  const typed = area.dataset.filled !== undefined && area.value !== area.dataset.filled;
  if (!typed) {
    area.value = desk.text;
    area.dataset.filled = desk.text;
  }
  const problems = desk.answer?.problems ?? [];
  $('text-problems').innerHTML = problems.map((p) => '<li>' + (p.line ? 'line ' + p.line + ': ' : '') + esc(p.text) + '</li>').join('');
  if (line <= 0) return;
  (document.querySelector('[data-tab="text"]') as HTMLElement).click();
  const lines = area.value.split('\n');
  const from = lines.slice(0, line - 1).reduce((n, l) => n + l.length + 1, 0);
  area.focus();
  area.setSelectionRange(from, from + (lines[line - 1] ?? '').length);
  area.scrollTop = Math.max(0, (line - 4) * parseFloat(getComputedStyle(area).lineHeight || '16'));
}

// The page drawn from the desk's state, after each change: the bar, the tabs, the film's editor,
// its text, the Films tab, the notices and the show player. It remembers only what it drew last,
// so that what did not change is not drawn again; it never reads the desk's state from the page.
import type { Answer, PlayerData } from './answer';
import type { Desk } from './desk';
import { timingOf } from './desk';
import { esc, renderEditor } from './editor';
import { renderFilms } from './films';
import { momentAt, timeOf } from './moment';
import { showNotice, showNotices, showRefused, showStatus } from './panels';
import type { KeyTableEntry, ShowPlayer } from '../../src/views/player.js';

const $ = (id: string) => document.getElementById(id)!;

export interface View {
  render(): void;
  wrote(text: string): void; // the text tab holds this, as typed
}

function bar(desk: Desk): void {
  $('film-name').textContent = desk.file;
  const from = $('from');
  from.textContent = desk.from ? 'This film is ' + desk.from + '.' : '';
  from.hidden = !desk.from;
  const undo = $('undo') as HTMLButtonElement, redo = $('redo') as HTMLButtonElement;
  undo.textContent = desk.undoLabel === null ? 'Undo' : 'Undo: ' + desk.undoLabel;
  undo.disabled = desk.undoLabel === null;
  redo.textContent = desk.redoLabel === null ? 'Redo' : 'Redo: ' + desk.redoLabel;
  redo.disabled = desk.redoLabel === null;
  for (const tab of document.querySelectorAll<HTMLElement>('[data-tab]')) tab.classList.toggle('on', tab.dataset.tab === desk.tab);
  $('editor-films').hidden = desk.tab !== 'films';
  $('editor-film').hidden = desk.tab !== 'film';
  $('editor-text').hidden = desk.tab !== 'text';
  const body = document.body;
  body.dataset.revision = String(desk.revision);
  body.dataset.undos = String(desk.undos);
  body.dataset.redos = String(desk.redos);
  body.dataset.film = desk.filmId;
  body.classList.toggle('stale', !desk.shots);
  body.classList.toggle('unplayed', !desk.good);
}

// The line `line` of the text picked out, in sight, with the focus.
export function pickLine(desk: Desk, line: number): void {
  const area = $('text') as HTMLTextAreaElement;
  const lines = (desk.draft ?? desk.text).split('\n');
  const from = lines.slice(0, line - 1).reduce((n, l) => n + l.length + 1, 0);
  area.focus();
  area.setSelectionRange(from, from + (lines[line - 1] ?? '').length);
  area.scrollTop = Math.max(0, (line - 4) * parseFloat(getComputedStyle(area).lineHeight || '16'));
}

// Each part is drawn again only when what it shows changed.
class PageView implements View {
  private editorDrawn = '';
  private shotsDrawn: unknown = null;
  private filmsDrawn = '';
  private renamingDrawn: string | null = null;
  private textDrawn: string | null = null;
  private loaded: Answer | null = null;
  private loadedFilm = '';
  private shownDrawn = '';

  constructor(private desk: Desk, private player: ShowPlayer, private keys: KeyTableEntry[]) {}

  render(): void {
    bar(this.desk);
    this.editor();
    this.films();
    this.text();
    showStatus(this.desk);
    showNotice(this.desk);
    showNotices(this.desk);
    showRefused(this.desk);
    this.play();
    this.player.redraw();
    this.answered();
  }

  wrote(typed: string): void {
    this.textDrawn = typed;
  }

  private editor(): void {
    const desk = this.desk, shots = desk.shots;
    if (!shots) return;
    const warnings = desk.answer?.warnings ?? [];
    const drawn = JSON.stringify([desk.screen, desk.selected, warnings, desk.cueSlot]);
    if (drawn === this.editorDrawn && shots === this.shotsDrawn) return;
    this.editorDrawn = drawn;
    this.shotsDrawn = shots;
    renderEditor($('editor-film'), { shots, screen: desk.screen, selected: desk.selected, warnings, keys: this.keys, cueSlot: desk.cueSlot });
  }

  private films(): void {
    const desk = this.desk;
    const drawn = JSON.stringify([desk.films(), desk.bin().map((f) => f.name), desk.renaming, desk.filmId]);
    if (drawn === this.filmsDrawn) return;
    this.filmsDrawn = drawn;
    renderFilms($('editor-films'), desk, desk.renaming !== null && desk.renaming !== this.renamingDrawn);
    this.renamingDrawn = desk.renaming;
  }

  // The text tab shows the text, or what was typed there and not applied yet.
  private text(): void {
    const want = this.desk.draft ?? this.desk.text;
    if (want !== this.textDrawn) ($('text') as HTMLTextAreaElement).value = want;
    this.textDrawn = want;
    const problems = this.desk.answer?.problems ?? [];
    $('text-problems').innerHTML = problems.map((p) => '<li>' + (p.line ? 'line ' + p.line + ': ' : '') + esc(p.text) + '</li>').join('');
  }

  // A new film that recorded is shown at the moment watched, when it is the same film.
  private play(): void {
    const good = this.desk.good, player = this.player;
    if (!good || good === this.loaded) return;
    const data = good.player as PlayerData;
    const same = this.loaded !== null && this.loadedFilm === this.desk.filmId;
    const t = same ? timeOf(timingOf(data), momentAt({ steps: player.steps(), end: player.end() }, player.now())) : 0;
    this.loaded = good;
    this.loadedFilm = this.desk.filmId;
    player.load(data, t);
  }

  // The revision shown and the time it took, once it is drawn.
  private answered(): void {
    const s = this.desk.shown;
    const key = s && this.desk.answer ? s.revision + ':' + s.ms : '';
    if (!s || key === this.shownDrawn) return;
    this.shownDrawn = key;
    requestAnimationFrame(() => {
      document.body.dataset.shown = String(s.revision);
      document.body.dataset.editMs = String(Math.round(s.ms));
    });
  }
}

export function createView(desk: Desk, player: ShowPlayer, keys: KeyTableEntry[]): View {
  return new PageView(desk, player, keys);
}

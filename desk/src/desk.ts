// The desk's state and the one place it changes: the open film (its text, the film as it last
// read, the screen being edited, what is selected and its history), the engine's answers, the
// library of films, and what the page says around them. Every change goes through a method here,
// and each method ends in one call of the page's redraw; nothing is read back from the page.
// Undo and redo bring back the text, the film's name, the screen and the selection; the tab, what
// is typed in the text tab, the notices and the library are left as they are.
import type { Answer, Shots } from './answer';
import { Edit, screenOf } from './edits';
import type { Engine } from './engine';
import { kindOf } from './files';
import { History, type Change } from './history';
import { BIN, dropNote, Library, type FilmEntry, type Kept, type Written } from './library';
import { applySplices, joinLines, splitLines, type Splice } from './lines';
import type { Step } from './moment';
import { names, NOWHERE, type Context, type Selected } from './selection';
import { FORMAT, type FilmRecord } from './storage';

export const NEW_FILM = `# A new film. Drag the spots on the map, pick each cue's action, add screens; or edit the text.
player at 0 0 0
ped extra model 2001 at 3 0 0

cast 0 like extra at 0 0 0

screen 0 lasts 2
  0 hands up
`;

export type Tab = 'films' | 'film' | 'text';

// A notice stays until it is dismissed or replaced by one with the same id; its buttons run
// commands.
export interface Notice {
  id: string;
  text: string;
  items?: string[]; // a list under the text: a file's problems, each with its file and line
  actions?: Array<{ label: string; act: string; args?: Record<string, string> }>;
}

export interface Shown {
  revision: number;
  ms: number; // from the change to the answer
}

// The show's steps and the run's end, as the player's data holds them.
export function timingOf(data: Record<string, unknown>): { steps: Step[]; end: number } {
  const show = data.show as { steps: number[] } | null;
  const steps: Step[] = [];
  for (let i = 0; show && i < show.steps.length; i += 3) {
    steps.push({ screen: show.steps[i], start: show.steps[i + 1], ms: show.steps[i + 2] });
  }
  return { steps, end: data.end as number };
}

// The smallest splice that turns one text into another, for a change typed as text.
export function textSplice(before: string[], after: string[]): Splice[] {
  let head = 0;
  while (head < before.length && head < after.length && before[head] === after[head]) ++head;
  let tail = 0;
  while (tail < before.length - head && tail < after.length - head &&
         before[before.length - 1 - tail] === after[after.length - 1 - tail]) ++tail;
  if (head === before.length && head === after.length) return [];
  return [{ at: head, removed: before.slice(head, before.length - tail), inserted: after.slice(head, after.length - tail) }];
}

// Two readings of a film alike in every field: the engine's reading of an edit the desk made
// itself is then the desk's own, and the editor need not be drawn again.
function alike(a: unknown, b: unknown): boolean {
  if (a === b) return true;
  if (typeof a !== 'object' || typeof b !== 'object' || a === null || b === null || Array.isArray(a) !== Array.isArray(b)) return false;
  const ka = Object.keys(a), kb = Object.keys(b);
  return ka.length === kb.length && ka.every((k) => alike((a as Record<string, unknown>)[k], (b as Record<string, unknown>)[k]));
}

// A file name for a film: a name without an extension is a shot list's.
export function filmName(typed: string): string | RangeError {
  const name = typed.trim();
  if (!name) return new RangeError('a film needs a name');
  if (/[/\\\u0000-\u001f]/.test(name)) return new RangeError('a film\'s name is a file name: no / or \\');
  if (name.length > 120) return new RangeError('a film\'s name is at most 120 characters');
  return /\.[^.\s]+$/.test(name) ? name : name + '.shots';
}

const LEVELS: Kept[] = ['all', 'recent', 'text', 'nothing'];

export class Desk {
  private id = '';
  private name = '';
  private created = 0;
  private origin: string | undefined;
  private fromLine: string | undefined;
  private lines: string[] = [];
  private history = new History();
  private film: Shots | null = null; // the list as the current text reads, while it is known
  private screenNo = -1;
  private picked: Selected = null;
  private rev = 0;
  private reply: Answer | null = null; // the engine's answer to the current text, once given
  private lastGood: Answer | null = null; // the last answer of this film whose film recorded
  private lastShown: Shown | null = null;
  private tabNow: Tab = 'film';
  private typed: string | null = null; // the text tab's text, while it differs and is not applied
  private refusal: string | null = null;
  private refusalTimer: ReturnType<typeof setTimeout> | undefined;
  private notes: Notice[] = [];
  private renamingId: string | null = null;
  private cueSlotNow: number | null = null;
  private deletions: Array<{ id: string; wasOpen: boolean }> = [];
  private storageSaid: Kept = 'all';
  private asking = false;
  private changedAt = 0;
  private depth = 0;
  private listeners: Array<() => void> = [];

  constructor(readonly library: Library, private engine: Engine, private now: () => number = () => performance.now()) {}

  // ---- What the page reads ----

  get filmId(): string { return this.id; }
  get file(): string { return this.name; }
  get from(): string | undefined { return this.fromLine; }
  get text(): string { return joinLines(this.lines); }
  get shots(): Shots | null { return this.film; }
  get screen(): number { return this.screenNo; }
  get selected(): Selected { return this.picked; }
  get revision(): number { return this.rev; }
  get answer(): Answer | null { return this.reply; }
  get good(): Answer | null { return this.lastGood; }
  get shown(): Shown | null { return this.lastShown; }
  get tab(): Tab { return this.tabNow; }
  get draft(): string | null { return this.typed; }
  get refused(): string | null { return this.refusal; }
  get notices(): readonly Notice[] { return this.notes; }
  get renaming(): string | null { return this.renamingId; }
  get cueSlot(): number | null { return this.cueSlotNow; }
  get undos(): number { return this.history.undos.length; }
  get redos(): number { return this.history.redos.length; }
  get undoLabel(): string | null { return this.history.undoLabel(); }
  get redoLabel(): string | null { return this.history.redoLabel(); }
  films(): FilmEntry[] { return this.library.list().filter((e) => !e.deleted); }
  bin(): FilmEntry[] { return this.library.bin(); }
  context(): Context { return { screen: this.screenNo, selected: this.picked }; }

  // Why there is no film to edit just now.
  noFilm(): string {
    return this.reply && !this.reply.shots ? 'the shot list does not read: undo, or mend it as text' : 'a moment: the film is being read';
  }

  // The page's redraw, called once after each change.
  onChange(listener: () => void): void {
    this.listeners.push(listener);
  }

  // Runs `change` and redraws once, however many of the desk's methods it goes through.
  private update(change: () => void): void {
    ++this.depth;
    try {
      change();
    } finally {
      if (--this.depth === 0) this.listeners.forEach((l) => l());
    }
  }

  // Opens the film a desk was written with, else the one this tab (or the last tab) had open,
  // else the library's first, else a new film.
  start(preset: { file: string; text: string; origin: string } | null): void {
    this.update(() => {
      for (const p of this.library.problems.splice(0)) this.notice('kept:' + p, p);
      const own = preset && this.films().find((e) => e.origin === preset.origin);
      if (preset && !own) return this.opened(this.library.create(preset.file, preset.text, { origin: preset.origin }));
      const id = own?.id ?? this.library.openId() ?? this.films()[0]?.id;
      if (id && this.openFilm(id)) return;
      this.opened(this.library.create('film.shots', NEW_FILM));
    });
  }

  // ---- Edits of the open film ----

  // An edit of the film as it last read; refused (and said why) while the text does not read, or
  // when the edit goes past what a film can hold or names what is not there. `make` gives the
  // screen and selection after it; `merge` names the element, for nudges and typing that merge.
  edit(label: string, make: (edit: Edit) => Partial<Context> | void, merge?: string): void {
    this.update(() => {
      if (!this.film) return this.refuse(this.noFilm());
      const edit = new Edit(this.lines, this.film, label);
      let after: Partial<Context> | void;
      try {
        after = make(edit);
      } catch (e) {
        if (!(e instanceof RangeError)) throw e;
        return this.refuse(e.message);
      }
      if (!edit.splices.length) return;
      const before = this.context();
      const next = { ...before, ...after };
      this.history.record({ label, splices: edit.splices, before, after: next }, merge ? { key: merge, at: this.now() } : undefined);
      this.lines = edit.lines;
      this.film = edit.shots;
      this.place(next);
      this.changed();
    });
  }

  // The text as typed: one change of the lines that differ.
  replaceText(label: string, text: string): void {
    this.update(() => {
      const splices = textSplice(this.lines, splitLines(text));
      if (!splices.length) return;
      const here = this.context();
      const change: Change = { label, splices, before: here, after: here };
      this.history.record(change);
      this.apply(change);
    });
  }

  undo(): void {
    this.update(() => {
      const change = this.history.undo();
      if (change) this.apply(change);
    });
  }

  redo(): void {
    this.update(() => {
      const change = this.history.redo();
      if (change) this.apply(change);
    });
  }

  // A change that comes as splices: undo, redo, the text typed, a rename. A history that no
  // longer fits its text (it never should) goes, with a notice, and the text stays.
  private apply(change: Change): void {
    try {
      this.lines = applySplices(this.lines, change.splices);
    } catch (e) {
      this.history = new History();
      this.notice('history', 'The history of ' + this.name + ' no longer matched its text and was dropped (' + (e as Error).message +
                  '); the text is kept.');
      return this.changed();
    }
    if (change.file) this.name = change.file.after;
    if (change.splices.length) this.film = null;
    this.place(change.after);
    this.changed();
  }

  // ---- Where the person is ----

  select(selected: Selected): void {
    this.update(() => this.place({ screen: this.screenNo, selected }));
  }

  selectScreen(screen: number): void {
    this.update(() => {
      if (this.film && !screenOf(this.film, screen)) return this.refuse('there is no screen ' + screen);
      this.place({ screen, selected: null });
    });
  }

  // The screen and the selection, kept only as far as the film as it reads has them: the first
  // screen for one that is gone, nothing selected for what is gone. While the text is being read
  // they wait, and nothing can use them.
  private place(at: Context): void {
    this.screenNo = at.screen;
    this.picked = at.selected;
    const film = this.film;
    if (!film) return;
    if (!screenOf(film, this.screenNo)) this.screenNo = film.screens[0]?.number ?? -1;
    if (!names(film, this.screenNo, this.picked)) this.picked = null;
  }

  // ---- The engine ----

  private changed(): void {
    ++this.rev;
    this.reply = null;
    this.changedAt = this.now();
    this.save();
    this.ask();
  }

  // One request at a time; the newest text goes next, whatever came between.
  private ask(): void {
    if (this.asking) return;
    this.asking = true;
    const revision = this.rev;
    this.engine.ask({ op: 'shots', file: this.name, text: this.text }).then((answer) => {
      this.asking = false;
      if (revision === this.rev) this.answered(answer);
      else this.ask();
    });
  }

  private answered(answer: Answer): void {
    this.update(() => {
      this.reply = answer;
      if (answer.shots && !alike(answer.shots, this.film)) this.film = structuredClone(answer.shots);
      if (answer.ok && answer.player) this.lastGood = answer;
      this.place(this.context());
      this.lastShown = { revision: this.rev, ms: this.now() - this.changedAt };
    });
  }

  // ---- What the page says ----

  refuse(why: string): void {
    this.update(() => {
      this.refusal = why;
      clearTimeout(this.refusalTimer);
      this.refusalTimer = setTimeout(() => this.update(() => { this.refusal = null; }), 4000);
    });
  }

  notice(id: string, text: string, actions?: Notice['actions'], items?: string[]): void {
    this.update(() => {
      const note: Notice = { id, text, actions };
      if (items) note.items = items;
      this.notes = this.notes.filter((n) => n.id !== id).concat(note);
    });
  }

  dismiss(id: string): void {
    this.update(() => { this.notes = this.notes.filter((n) => n.id !== id); });
  }

  setTab(tab: Tab): void {
    this.update(() => { this.tabNow = tab; });
  }

  // What is typed in the text tab, kept until it is applied (or is the text again).
  setDraft(text: string): void {
    this.update(() => { this.typed = text === this.text ? null : text; });
  }

  applyDraft(): void {
    this.update(() => {
      const text = this.typed;
      this.typed = null;
      if (text !== null) this.replaceText('edit the text', text);
    });
  }

  chooseCueSlot(slot: number): void {
    this.update(() => { this.cueSlotNow = slot; });
  }

  startRename(id: string | null): void {
    this.update(() => { this.renamingId = id; });
  }

  // ---- The library ----

  private record(): FilmRecord {
    const f: FilmRecord = { format: FORMAT, written: 0, id: this.id, name: this.name, created: this.created, text: this.text,
                            undos: this.history.undos.slice(), redos: this.history.redos.slice() };
    if (this.origin) f.origin = this.origin;
    if (this.fromLine) f.from = this.fromLine;
    return f;
  }

  // Writes the open film, and says what the storage could not take.
  private save(): void {
    this.heard(this.library.write(this.record()));
  }

  private heard(w: Written): void {
    if (w.conflict !== undefined) {
      this.id = w.film.id;
      this.name = w.film.name;
      this.created = w.film.created;
      this.origin = undefined;
      this.notice('conflict:' + w.film.id, w.conflict + ' was changed in another tab of the desk since this tab opened it. ' +
                  'This tab\'s version is kept as ' + w.film.name + '; the other tab\'s stays ' + w.conflict + '.');
    }
    if (w.emptiedBin) this.notice('bin', 'The browser\'s storage is full: the bin was emptied to make room.');
    this.storageFull(w.kept, w.film.name);
  }

  // Said once for each way it gets worse, and forgotten once a film fits whole again.
  private storageFull(kept: Kept, name: string): void {
    if (kept === 'all') {
      this.storageSaid = 'all';
      return this.dismiss('storage');
    }
    if (LEVELS.indexOf(kept) <= LEVELS.indexOf(this.storageSaid)) return;
    this.storageSaid = kept;
    const what = kept === 'nothing' ? name + ' is not kept across a reload now: its changes stay in this tab only, so export it'
      : kept === 'text' ? name + ' is kept without its history' : name + ' is kept with its recent history only';
    this.notice('storage', 'The browser\'s storage is full: ' + what + '. Deleting films (and emptying the bin) makes room.');
  }

  // Opens a film of the library; false when it is no longer there.
  openFilm(id: string): boolean {
    const found = this.library.read(id);
    if (!found) {
      this.refuse('that film is no longer kept');
      return false;
    }
    this.update(() => {
      this.load(found.film, NOWHERE);
      if (found.dropped) this.notice('history:' + id, dropNote(found.film.name, found.dropped));
    });
    return true;
  }

  private opened(w: Written): void {
    this.heard(w);
    this.load(w.film, NOWHERE);
  }

  private load(f: FilmRecord, at: Context): void {
    this.id = f.id;
    this.name = f.name;
    this.created = f.created;
    this.origin = f.origin;
    this.fromLine = f.from;
    this.lines = splitLines(f.text);
    this.history = new History(f.undos.slice(), f.redos.slice());
    this.film = null;
    this.lastGood = null;
    this.typed = null;
    this.place(at);
    this.library.setOpen(f.id);
    ++this.rev;
    this.reply = null;
    this.changedAt = this.now();
    this.ask();
  }

  newFilm(): void {
    this.update(() => this.opened(this.library.create('film.shots', NEW_FILM)));
  }

  // A shot list opened or dropped on the page: a film of its own. `from` says where a shot list
  // the engine wrote from a take or a scenario came from.
  addFilm(name: string, text: string, from?: string): void {
    this.update(() => this.opened(this.library.create(name, text, { from })));
  }

  // Any file opened or dropped on the page. A take or a scenario is rehearsed by the engine, and
  // the shot list of its film becomes a film of the library; a file that does not read adds none,
  // and leaves everything as it was.
  openFile(name: string, text: string): Promise<void> {
    const kind = kindOf(name, text);
    this.dismiss('open');
    if (!kind.rehearsed) {
      this.addFilm(name, text);
      return Promise.resolve();
    }
    this.update(() => {
      this.notice('opening:' + name, 'Opening ' + name + ': the ' + kind.name + ' is being rehearsed, to write down its film.');
    });
    return this.engine.ask({ op: 'open', file: name, text }).then((a) => this.update(() => {
      this.dismiss('opening:' + name);
      if (!a.ok || a.file === undefined || a.text === undefined) return this.failed('open', name + ' does not open; nothing in the desk was changed.', name, a);
      this.addFilm(a.file, a.text, a.from);
      const torn = a.source?.torn;
      if (torn) {
        this.notice('torn:' + this.id, name + ' ends in a line cut off as it was written (a crash, or the game closed): line ' +
                    torn.line + ' is left out, and the rest of its film is here.');
      }
    }));
  }

  // One of the files the native tools write of the open film, made by the engine: the show
  // player's page, the storyboard or the film sheet. `what` names it for a notice.
  exportFile(as: 'player' | 'storyboard' | 'sheet', what: string, download: (name: string, text: string) => void): Promise<void> {
    const name = this.name;
    return this.engine.ask({ op: 'export', as, file: name, text: this.text }).then((a) => this.update(() => {
      if (!a.ok || a.file === undefined || a.text === undefined) return this.failed('export', 'The ' + what + ' of ' + name + ' was not made.', name, a);
      this.dismiss('export');
      download(a.file, a.text);
    }));
  }

  // A notice of what the engine refused, each problem with the file and its line.
  private failed(id: string, head: string, name: string, a: Answer): void {
    const items = a.problems.map((p) => (p.line > 0 ? name + ':' + p.line + ': ' + p.text : p.text));
    if (!items.length) items.push(a.error ?? 'the engine gave no reason');
    this.notice(id, head, undefined, items);
  }

  duplicateFilm(id: string): void {
    this.update(() => {
      const found = id === this.id ? { film: this.record() } : this.library.read(id);
      if (!found) return this.refuse('that film is no longer kept');
      const f = found.film;
      this.heard(this.library.create(f.name, f.text, { from: f.from, undos: f.undos.slice(), redos: f.redos.slice() }));
    });
  }

  // A rename is a change of the film's history, so Undo gives the old name back.
  renameFilm(id: string, typed: string): void {
    this.update(() => {
      this.renamingId = null;
      const name = filmName(typed);
      if (name instanceof RangeError) return this.refuse(name.message);
      if (id === this.id) {
        if (name === this.name) return;
        const here = this.context();
        const change: Change = { label: 'rename to ' + name, splices: [], file: { before: this.name, after: name }, before: here, after: here };
        this.history.record(change);
        return this.apply(change);
      }
      this.renameKept(id, name);
    });
  }

  private renameKept(id: string, name: string): void {
    const found = this.library.read(id);
    if (!found) return this.refuse('that film is no longer kept');
    const f = found.film;
    const history = new History(f.undos.slice(), f.redos.slice());
    const last = f.undos[f.undos.length - 1]?.after ?? NOWHERE;
    history.record({ label: 'rename to ' + name, splices: [], file: { before: f.name, after: name }, before: last, after: last });
    this.heard(this.library.write({ ...f, name, undos: history.undos, redos: history.redos }));
  }

  // Into the bin, from where Undo takes it back. The desk goes on with another film.
  deleteFilm(id: string): void {
    this.update(() => {
      const name = this.films().find((e) => e.id === id)?.name;
      if (name === undefined || !this.library.setDeleted(id, true)) return this.refuse('that film is no longer kept');
      this.deletions = this.deletions.filter((d) => d.id !== id).concat({ id, wasOpen: id === this.id }).slice(-BIN);
      this.notice('deleted', 'Deleted ' + name + '.', [{ label: 'Undo', act: 'undo-delete' }]);
      if (id !== this.id) return;
      const next = this.films()[0];
      if (!next || !this.openFilm(next.id)) this.opened(this.library.create('film.shots', NEW_FILM));
    });
  }

  // The film deleted last comes back; opened, when it was open.
  undoDelete(): void {
    this.update(() => {
      const bin = this.bin();
      const last = this.deletions.pop() ?? (bin.length ? { id: bin[bin.length - 1].id, wasOpen: false } : null);
      this.dismiss('deleted');
      if (!last || !this.library.setDeleted(last.id, false)) return this.refuse('no deleted film is kept');
      if (last.wasOpen) this.openFilm(last.id);
    });
  }

  // Another tab of the desk wrote the storage. The list follows it; the open film, when the
  // other tab changed it, is shown as it is now, with its history, where this tab is.
  storageChanged(key: string | null): void {
    this.update(() => {
      if (this.library.changedElsewhere(key) !== this.id) return;
      if (this.library.holds(this.id)) {
        return this.notice('elsewhere', this.name + ' was changed in another tab of the desk; this tab\'s version, which the ' +
                           'storage could not take, becomes a film of its own at its next change.');
      }
      const found = this.library.read(this.id);
      if (!found || found.film.deleted !== undefined) {
        return this.notice('elsewhere', this.name + ' was deleted in another tab of the desk; a change here keeps it in the library.');
      }
      const draft = this.typed;
      this.load(found.film, this.context());
      this.typed = draft;
      this.notice('elsewhere', this.name + ' was changed in another tab of the desk; this tab shows it as it is now.');
    });
  }
}

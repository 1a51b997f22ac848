// The desk's commands, in one table: every button, every control of the editor, the map's
// gestures and every key the page takes go through it. A command has its name (the data-act of
// the controls that run it), what it does in words (their titles), its keys with what each
// passes, and what it does; the arguments are the control's data-* values, and a field's value.
import type { Cue, Explosion, Shots, Spot, Vec3 } from './answer';
import type { Desk, Tab } from './desk';
import * as E from './edits';
import { handleKey, handlesOf, isSelected, type Handle } from './overlay';
import type { Selected } from './selection';
import { parseSpot } from './words';

export type Args = Readonly<Record<string, string | undefined>>;

// What the commands reach beyond the desk: the page around it.
export interface Page {
  middle(): Vec3; // the middle of the map, where a new spot goes
  seekScreen(screen: number): void; // the show player to the start of a screen
  pickFile(): void;
  download(name: string, text: string): void;
  showLine(line: number): void; // the line picked out in the text
  cancelDrag(): boolean; // a drag on the map let go of where it began; false when none
}

// Where a command's keys act: outside the fields (the default), anywhere but the text, or in the
// text alone.
export type Where = 'page' | 'fields' | 'text';

export interface Command {
  name: string;
  title: string;
  keys?: Record<string, Args>;
  where?: Where;
  perform(desk: Desk, page: Page, args: Args): void | false; // false: the key was not for it
}

// An argument as a whole number; a RangeError (which the desk says) when it is none.
function int(args: Args, key: string): number {
  const n = Number(args[key]);
  if (args[key] === undefined || args[key] === '' || !Number.isInteger(n)) throw new RangeError('a ' + key + ' is a whole number');
  return n;
}

function text(args: Args, key: string): string {
  const v = args[key];
  if (v === undefined) throw new RangeError('no ' + key + ' was given');
  return v;
}

const SPOT_WORDS = 'a spot is X Y Z or the name of a place';

// The film as it reads, or a RangeError that says why there is none to edit.
function filmOf(desk: Desk): Shots {
  if (!desk.shots) throw new RangeError(desk.noFilm());
  return desk.shots;
}

// A spot as the editor gives it: a place's name, X Y Z, or empty for coordinates where it is.
function spotFrom(desk: Desk, value: string, now: Spot): Spot {
  if (value === '') return { pos: now.pos, place: '' };
  const pos = parseSpot(value);
  if (pos) return { pos, place: '' };
  const place = filmOf(desk).places.find((p) => p.name === value);
  if (!place) throw new RangeError(SPOT_WORDS);
  return { pos: place.pos, place: place.name };
}

function cueOf(desk: Desk, slot: number): Cue {
  const cue = E.screenOf(filmOf(desk), desk.screen)?.cues.find((c) => c.slot === slot);
  if (!cue) throw new RangeError('slot ' + slot + ' has no cue on screen ' + desk.screen);
  return cue;
}

function blastOf(desk: Desk, index: number): Explosion {
  const blast = E.screenOf(filmOf(desk), desk.screen)?.explosions[index];
  if (!blast) throw new RangeError('screen ' + desk.screen + ' has no explosion ' + (index + 1));
  return blast;
}

// A field of a cue set from its control.
function setCue(field: 'code' | 'car' | 'target' | 'seat' | 'weapon'): Command['perform'] {
  return (desk, _, args) => {
    const slot = int(args, 'slot'), cue = cueOf(desk, slot), value = text(args, 'value');
    const change: Partial<Cue> = field === 'code' ? E.cueFor(desk.shots!, cue, int(args, 'value'))
      : field === 'car' ? { car: value } : { [field]: int(args, 'value') };
    const words = field === 'code' ? 'action' : field;
    const merge = field === 'weapon' ? 'weapon:' + desk.screen + ':' + slot : undefined;
    desk.edit('slot ' + slot + "'s " + words, (e) => E.setCue(e, desk.screen, slot, change), merge);
  };
}

const setCueSpot: Command['perform'] = (desk, _, args) => {
  const slot = int(args, 'id'), spot = spotFrom(desk, text(args, 'value'), cueOf(desk, slot).spot);
  desk.edit('slot ' + slot + "'s spot", (e) => E.setCue(e, desk.screen, slot, { spot }));
};

const setBlastSpot: Command['perform'] = (desk, _, args) => {
  const index = int(args, 'id'), spot = spotFrom(desk, text(args, 'value'), blastOf(desk, index).spot);
  desk.edit("an explosion's spot", (e) => E.setExplosion(e, desk.screen, index, { spot }));
};

const setCastSpot: Command['perform'] = (desk, _, args) => {
  const slot = int(args, 'id');
  const member = E.castIn(filmOf(desk), slot);
  if (!member) throw new RangeError('slot ' + slot + ' is not cast');
  const spot = spotFrom(desk, text(args, 'value'), member.spot);
  desk.edit('slot ' + slot + ' starts elsewhere', (e) => E.setCastSpot(e, slot, spot));
};

function setLength(desk: Desk, seconds: number): void {
  const n = desk.screen;
  desk.edit('screen ' + n + "'s length", (e) => E.setScreenLength(e, n, seconds), 'length:' + n);
}

function lengthBy(by: number): Command['perform'] {
  return (desk) => {
    const screen = E.screenOf(filmOf(desk), desk.screen);
    if (!screen) return false;
    return setLength(desk, screen.duration + by);
  };
}

// A handle put down at `pos`: a place moves as a whole, and so does a spot that names one.
function moveHandle(desk: Desk, h: Pick<Handle, 'kind'> & { key: string }, pos: Vec3, merge?: string): void {
  const n = Number(h.key), s = desk.screen;
  if (h.kind === 'place') desk.edit('move ' + h.key, (e) => E.movePlace(e, h.key, pos), merge);
  else if (h.kind === 'cast') desk.edit('move slot ' + n, (e) => E.moveCast(e, n, pos), merge);
  else if (h.kind === 'cue') desk.edit('move slot ' + n + "'s spot", (e) => E.moveCueSpot(e, s, n, pos), merge);
  else desk.edit('move explosion ' + (n + 1), (e) => E.moveExplosion(e, s, n, pos), merge);
}

function selectedFrom(args: Args): Selected {
  const kind = args.kind;
  if (kind === 'cast' || kind === 'cue') return { kind, slot: int(args, 'slot') };
  if (kind === 'explosion') return { kind, index: int(args, 'id') };
  if (kind === 'place') return { kind, name: text(args, 'name') };
  return null;
}

// A selected spot a unit (or a tenth) along an arrow; nudges of one spot close together merge.
const nudge: Command['perform'] = (desk, _, args) => {
  const h = desk.shots && handlesOf(desk.shots, desk.screen).find((x) => isSelected(x, desk.selected));
  if (!h) return false;
  const by = Number(args.by), round = (v: number) => Math.round(v * 10) / 10;
  const pos: Vec3 = [round(h.pos[0] + Number(args.dx) * by), round(h.pos[1] + Number(args.dy) * by), h.pos[2]];
  const key = handleKey(h);
  return moveHandle(desk, { kind: h.kind, key: key.slice(key.indexOf(':') + 1) }, pos, 'nudge:' + key);
};

function screenBy(step: -1 | 1): Command['perform'] {
  return (desk, page) => {
    const screens = (desk.shots?.screens ?? []).map((s) => s.number).sort((a, b) => a - b);
    const next = screens[screens.indexOf(desk.screen) + step];
    if (next === undefined) return;
    desk.selectScreen(next);
    page.seekScreen(next);
  };
}

// The cue the add-cue control adds: for the slot picked in its list, while that is free.
function addCue(desk: Desk): void {
  const shots = filmOf(desk), screen = E.screenOf(shots, desk.screen);
  if (!screen) throw new RangeError('there is no screen to add a cue to');
  const free = E.freeCueSlots(shots, screen);
  const slot = desk.cueSlot !== null && free.includes(desk.cueSlot) ? desk.cueSlot : free[0];
  if (slot === undefined) throw new RangeError('every slot has a cue on this screen');
  desk.edit('add a cue for slot ' + slot, (e) => {
    E.addCue(e, desk.screen, slot);
    return { selected: { kind: 'cue', slot } };
  });
}

function exportAnswer(desk: Desk, page: Page, what: 'take' | 'script'): void {
  const a = desk.answer;
  if (!a || !a.ok || !a[what]) {
    throw new RangeError('the ' + (what === 'take' ? 'take' : 'shooting script') + ' comes from a film that records: ' +
                         (a ? 'this one does not' : 'a moment, it is being rehearsed'));
  }
  const base = desk.file.replace(/\.[^.]*$/, '');
  page.download(what === 'take' ? 'zenthar.take' : base + '.script.md', a[what]!);
}

// The files the engine makes of the film's shot list, a request each: they are large, and made
// whether or not the film records, as zenthar-plan writes its scenario either way.
function exportMade(as: 'player' | 'storyboard' | 'sheet', what: string): Command['perform'] {
  return (desk, page) => { void desk.exportFile(as, what, (name, text) => page.download(name, text)); };
}

const removals: Record<string, Command['perform']> = {
  cast: (desk, _, args) => {
    const slot = int(args, 'slot');
    desk.edit('remove slot ' + slot, (e) => { E.removeCast(e, slot); return { selected: null }; });
  },
  cue: (desk, _, args) => {
    const slot = int(args, 'slot');
    desk.edit("remove slot " + slot + "'s cue", (e) => { E.removeCue(e, desk.screen, slot); return { selected: null }; });
  },
  explosion: (desk, _, args) => {
    const index = int(args, 'id');
    desk.edit('remove explosion ' + (index + 1), (e) => { E.removeExplosion(e, desk.screen, index); return { selected: null }; });
  },
};

const ARROWS: Record<string, [number, number]> = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, 1], ArrowDown: [0, -1] };
const NUDGE_KEYS: Record<string, Args> = {};
for (const [arrow, [dx, dy]] of Object.entries(ARROWS)) {
  NUDGE_KEYS['Shift+' + arrow] = { dx: String(dx), dy: String(dy), by: '1' };
  NUDGE_KEYS['Alt+Shift+' + arrow] = { dx: String(dx), dy: String(dy), by: '0.1' };
}

export const COMMANDS: readonly Command[] = [
  // The film's history.
  { name: 'undo', title: 'undo the last change', keys: { 'Mod+z': {} }, where: 'fields', perform: (d) => d.undo() },
  { name: 'redo', title: 'redo the change undone', keys: { 'Mod+Shift+z': {}, 'Mod+y': {} }, where: 'fields', perform: (d) => d.redo() },
  // The cast, the screens, the cues and the explosions.
  { name: 'add-cast', title: 'a new cast member in the first free slot', perform: (d, p) => d.edit('add a cast member', (e) => {
    const slot = E.addCast(e, p.middle());
    return { selected: { kind: 'cast', slot } };
  }) },
  { name: 'remove-cast', title: 'remove this cast member and its cues', perform: removals.cast },
  { name: 'add-screen', title: 'a new screen after the one being edited', perform: (d) => d.edit('add a screen', (e) => {
    const last = e.shots.screens.reduce((n, s) => Math.max(n, s.number), -1);
    return { screen: E.addScreen(e, d.screen >= 0 ? d.screen : last), selected: null };
  }) },
  { name: 'remove-screen', title: 'remove this screen; the ones after it move up', perform: (d) => {
    const gone = d.screen;
    d.edit('remove screen ' + gone, (e) => {
      E.removeScreen(e, gone);
      return { screen: E.screenOf(e.shots, gone) ? gone : Math.max(-1, gone - 1), selected: null };
    });
  } },
  { name: 'screen', title: 'edit this screen', perform: (d, p, a) => { d.selectScreen(int(a, 'id')); p.seekScreen(int(a, 'id')); } },
  { name: 'previous-screen', title: 'the screen before', keys: { PageUp: {} }, perform: screenBy(-1) },
  { name: 'next-screen', title: 'the screen after', keys: { PageDown: {} }, perform: screenBy(1) },
  { name: 'longer', title: 'a second longer', keys: { '+': {}, '=': {} }, perform: lengthBy(1) },
  { name: 'shorter', title: 'a second shorter', keys: { '-': {} }, perform: lengthBy(-1) },
  { name: 'length', title: "the screen's length in seconds", perform: (d, _, a) => setLength(d, int(a, 'value')) },
  { name: 'cue-slot', title: 'the slot the next cue is for', perform: (d, _, a) => d.chooseCueSlot(int(a, 'value')) },
  { name: 'add-cue', title: 'a cue for the slot picked', perform: (d) => addCue(d) },
  { name: 'remove-cue', title: 'remove this cue (Delete)', perform: removals.cue },
  { name: 'add-explosion', title: 'a rocket in the middle of the map', perform: (d, p) => d.edit('add an explosion', (e) => {
    E.addExplosion(e, d.screen, p.middle());
    return { selected: { kind: 'explosion', index: E.screenOf(e.shots, d.screen)!.explosions.length - 1 } };
  }) },
  { name: 'remove-explosion', title: 'remove this explosion (Delete)', perform: removals.explosion },
  { name: 'code', title: 'the action', perform: setCue('code') },
  { name: 'car', title: 'the car', perform: setCue('car') },
  { name: 'target', title: 'the target', perform: setCue('target') },
  { name: 'seat', title: 'the passenger seat', perform: setCue('seat') },
  { name: 'weapon', title: 'the weapon', perform: setCue('weapon') },
  { name: 'cue-spot', title: 'X Y Z, then Enter', perform: setCueSpot },
  { name: 'cue-spot-place', title: 'at a place, or at coordinates', perform: setCueSpot },
  { name: 'kind', title: 'the explosion', perform: (d, _, a) => {
    const index = int(a, 'id'), kind = int(a, 'value');
    blastOf(d, index);
    d.edit("an explosion's kind", (e) => E.setExplosion(e, d.screen, index, { kind }));
  } },
  { name: 'blast-spot', title: 'X Y Z, then Enter', perform: setBlastSpot },
  { name: 'blast-spot-place', title: 'at a place, or at coordinates', perform: setBlastSpot },
  { name: 'cast-spot', title: 'X Y Z, then Enter', perform: setCastSpot },
  { name: 'cast-spot-place', title: 'at a place, or at coordinates', perform: setCastSpot },
  { name: 'place', title: 'X Y Z, then Enter', perform: (d, _, a) => {
    const pos = parseSpot(text(a, 'value'));
    if (!pos) throw new RangeError('a place is at X Y Z');
    moveHandle(d, { kind: 'place', key: text(a, 'name') }, pos);
  } },
  // What is selected, on the map and in the lists.
  { name: 'select', title: 'select this', perform: (d, _, a) => d.select(selectedFrom(a)) },
  { name: 'move', title: 'drag a spot on the map to move it', perform: (d, _, a) => {
    const kind = text(a, 'kind');
    if (kind !== 'place' && kind !== 'cast' && kind !== 'cue' && kind !== 'explosion') throw new RangeError('no spot is a ' + kind);
    const pos: Vec3 = [Number(a.x), Number(a.y), Number(a.z)];
    if (!pos.every(Number.isFinite)) throw new RangeError(SPOT_WORDS);
    moveHandle(d, { kind, key: text(a, 'key') }, pos);
  } },
  { name: 'nudge', title: 'move the selected spot a unit (Alt: a tenth)', keys: NUDGE_KEYS, perform: nudge },
  { name: 'remove-selected', title: 'remove what is selected', keys: { Delete: {}, Backspace: {} }, perform: (d, p) => {
    const sel = d.selected;
    if (!sel || sel.kind === 'place') return false;
    const args = sel.kind === 'explosion' ? { id: String(sel.index) } : { slot: String(sel.slot) };
    return removals[sel.kind](d, p, args);
  } },
  { name: 'escape', title: 'let go of a drag, else of the selection', keys: { Escape: {} }, where: 'fields', perform: (d, p) => {
    if (p.cancelDrag()) return;
    if (d.renaming !== null) d.startRename(null);
    else d.select(null);
  } },
  // The text.
  { name: 'tab', title: 'the films, the film, or its text', perform: (d, _, a) => {
    const tab = text(a, 'tab');
    if (tab !== 'films' && tab !== 'film' && tab !== 'text') throw new RangeError('no tab is ' + tab);
    d.setTab(tab as Tab);
  } },
  { name: 'type-text', title: 'the shot list, to edit by hand', perform: (d, _, a) => d.setDraft(text(a, 'value')) },
  { name: 'apply-text', title: 'apply the text', keys: { 'Mod+Enter': {} }, where: 'text', perform: (d) => d.applyDraft() },
  { name: 'show-line', title: 'this line in the text', perform: (d, p, a) => { d.setTab('text'); p.showLine(int(a, 'line')); } },
  // The library.
  { name: 'new-film', title: 'a new film in the library, from a small one', perform: (d) => d.newFilm() },
  { name: 'open', title: 'open a shot list, a take (from takes/) or a film as a new film (or drop one on the page)',
    perform: (_, p) => p.pickFile() },
  { name: 'open-film', title: 'edit this film', perform: (d, _, a) => { d.openFilm(text(a, 'id')); } },
  { name: 'rename-film', title: 'rename this film', perform: (d, _, a) => d.startRename(text(a, 'id')) },
  { name: 'name-film', title: "the film's name, then Enter", perform: (d, _, a) => d.renameFilm(text(a, 'id'), text(a, 'value')) },
  { name: 'duplicate-film', title: 'a copy of this film, with its history', perform: (d, _, a) => d.duplicateFilm(text(a, 'id')) },
  { name: 'delete-film', title: 'delete this film (it can be undone)', perform: (d, _, a) => d.deleteFilm(text(a, 'id')) },
  { name: 'undo-delete', title: 'bring back the film deleted last', perform: (d) => d.undoDelete() },
  { name: 'dismiss', title: 'close this notice', perform: (d, _, a) => d.dismiss(text(a, 'id')) },
  // The files the film makes.
  { name: 'export-shots', title: 'the shot list, as zenthar-plan reads it', perform: (d, p) => p.download(d.file, d.text) },
  { name: 'export-take', title: 'zenthar.take, for the take runner in the game', perform: (d, p) => exportAnswer(d, p, 'take') },
  { name: 'export-script', title: 'the steps for a person at the game', perform: (d, p) => exportAnswer(d, p, 'script') },
  { name: 'export-player', title: "the show player's page, as zenthar-sim --player writes it", perform: exportMade('player', "show player's page") },
  { name: 'export-storyboard', title: 'the storyboard, as zenthar-sim --storyboard writes it', perform: exportMade('storyboard', 'storyboard') },
  { name: 'export-sheet', title: 'the film sheet, as zenthar-sim --film writes it', perform: exportMade('sheet', 'film sheet') },
];

const BY_NAME = new Map(COMMANDS.map((c) => [c.name, c]));

export function command(name: string): Command | undefined {
  return BY_NAME.get(name);
}

// Runs a command; what it refuses (a RangeError) the desk says. False when there is no such
// command, or it had nothing to act on.
export function run(desk: Desk, page: Page, name: string, args: Args = {}): boolean {
  const c = BY_NAME.get(name);
  if (!c) return false;
  try {
    return c.perform(desk, page, args) !== false;
  } catch (e) {
    if (!(e instanceof RangeError)) throw e;
    desk.refuse(e.message);
    return true;
  }
}

// A key as the table writes it: "Mod+Shift+z", "Alt+Shift+ArrowLeft", "+". A printable key that
// is not a letter is its character, whatever Shift it took to type it.
export function keyName(e: Pick<KeyboardEvent, 'key' | 'ctrlKey' | 'metaKey' | 'altKey' | 'shiftKey'>): string {
  const printable = e.key.length === 1, letter = printable && e.key.toLowerCase() !== e.key.toUpperCase();
  const parts: string[] = [];
  if (e.ctrlKey || e.metaKey) parts.push('Mod');
  if (e.altKey) parts.push('Alt');
  if (e.shiftKey && (!printable || letter)) parts.push('Shift');
  parts.push(letter ? e.key.toLowerCase() : e.key);
  return parts.join('+');
}

// The command a key runs where it was pressed, with its arguments.
export function forKey(key: string, inText: boolean, inField: boolean): { command: Command; args: Args } | null {
  for (const c of COMMANDS) {
    const args = c.keys?.[key];
    if (!args) continue;
    const where = c.where ?? 'page';
    if (where === 'text' ? inText : where === 'fields' ? !inText : !inField) return { command: c, args };
  }
  return null;
}

// A control's title: what the command does, and its first key.
export function titleOf(c: Command): string {
  const key = Object.keys(c.keys ?? {})[0];
  return c.title + (key ? ' (' + key.replace('Mod', 'Ctrl').replace(/\+([a-z])$/, (_, l: string) => '+' + l.toUpperCase()) + ')' : '');
}

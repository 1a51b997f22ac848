// The edits a person makes with the mouse, each as splices of the shot list's lines, with the
// shot list as the engine last read it kept up to date, so that the next edit can follow at once
// while the engine reads and rehearses this one.
import type { CastMember, Cue, Explosion, Screen, Shots, Spot, Vec3 } from './answer';
import { endIndex, lineLike, lineParts, rewriteLine, type Splice } from './lines';
import * as W from './words';

export const SLOTS = 255;
export const SCREENS = 256;
export const EXPLOSION_IDS = 32;
export const LONGEST_SCREEN = 3600;

// A change in the making: the lines as they become, the splices made, and the shot list moved
// along with them. The edit works on a copy of the shot list it is given, so that an edit that
// stops half-way leaves the caller's as it was.
export class Edit {
  readonly splices: Splice[] = [];
  shots: Shots;
  constructor(public lines: string[], shots: Shots, readonly label: string) {
    this.shots = copyShots(shots);
  }

  line(n: number): string {
    return this.lines[n - 1];
  }

  private splice(at: number, removed: number, inserted: string[]): void {
    const s = { at, removed: this.lines.slice(at, at + removed), inserted };
    this.lines = this.lines.slice();
    this.lines.splice(at, removed, ...inserted);
    this.splices.push(s);
    shiftLines(this.shots, at, removed, inserted.length);
  }

  // A line that reads as it did is left alone: an edit that changes no line is no change.
  replace(n: number, statement: string): void {
    const line = rewriteLine(this.line(n), statement);
    if (line !== this.line(n)) this.splice(n - 1, 1, [line]);
  }

  // Inserts `texts` after line n (0: at the top); the lines they become start at n + 1.
  insertAfter(n: number, texts: string[]): void {
    this.splice(n, 0, texts);
  }

  remove(n: number): void {
    this.splice(n - 1, 1, []);
  }
}

// Every element on a line after `at` moves with lines taken out or put in there. Elements on
// lines taken out are gone from the shot list before this runs.
function shiftLines(shots: Shots, at: number, removed: number, inserted: number): void {
  const delta = inserted - removed;
  if (delta === 0) return;
  const move = (o: { line: number }) => { if (o.line > at) o.line += delta; };
  shots.places.forEach(move);
  shots.cast.forEach(move);
  shots.peds.forEach(move);
  shots.cars.forEach(move);
  for (const screen of shots.screens) {
    move(screen);
    screen.cues.forEach(move);
    screen.explosions.forEach(move);
  }
}

const copyPos = (p: Vec3): Vec3 => [p[0], p[1], p[2]];
const copySpot = (s: Spot): Spot => ({ pos: copyPos(s.pos), place: s.place });

// A deep copy of what the edits change; anything else the engine says is shared, never changed.
function copyShots(s: Shots): Shots {
  return {
    ...s,
    player: { pos: copyPos(s.player.pos), weapon: s.player.weapon },
    peds: s.peds.map((p) => ({ ...p, pos: copyPos(p.pos) })),
    cars: s.cars.map((c) => ({ ...c, pos: copyPos(c.pos) })),
    places: s.places.map((p) => ({ ...p, pos: copyPos(p.pos) })),
    cast: s.cast.map((c) => ({ ...c, spot: copySpot(c.spot) })),
    screens: s.screens.map((screen) => ({
      ...screen,
      cues: screen.cues.map((c) => ({ ...c, spot: copySpot(c.spot) })),
      explosions: screen.explosions.map((e) => ({ ...e, spot: copySpot(e.spot) })),
    })),
  };
}

// What an edit is about, or a RangeError that says it is not there: a control drawn before the
// list changed can ask for an element that has gone.
function need<T>(thing: T | undefined, what: string): T {
  if (thing === undefined) throw new RangeError(what);
  return thing;
}

function screenIn(shots: Shots, number: number): Screen {
  return need(screenOf(shots, number), 'there is no screen ' + number);
}

function cueIn(screen: Screen, slot: number): Cue {
  return need(screen.cues.find((c) => c.slot === slot), 'slot ' + slot + ' has no cue on screen ' + screen.number);
}

function memberIn(shots: Shots, slot: number): CastMember {
  return need(castIn(shots, slot), 'slot ' + slot + ' is not cast');
}

function blastIn(screen: Screen, index: number): Explosion {
  return need(screen.explosions[index], 'screen ' + screen.number + ' has no explosion ' + (index + 1));
}

export function screenOf(shots: Shots, number: number): Screen | undefined {
  return shots.screens.find((s) => s.number === number);
}

export function castIn(shots: Shots, slot: number): CastMember | undefined {
  return shots.cast.find((c) => c.slot === slot);
}

// The last line that belongs to a screen: its own or its last cue's or explosion's.
function lastLineOf(screen: Screen): number {
  let last = screen.line;
  for (const e of [...screen.cues, ...screen.explosions]) last = Math.max(last, e.line);
  return last;
}

function cueIndent(edit: Edit, screen: Screen): string {
  const first = screen.cues[0] ?? screen.explosions[0];
  return first ? /^[ \t]*/.exec(edit.line(first.line).replace('\uFEFF', ''))![0] : '  ';
}

// A place moved: every spot named after it moves too.
export function movePlace(edit: Edit, name: string, pos: Vec3): void {
  const place = need(edit.shots.places.find((p) => p.name === name), 'there is no place ' + name);
  edit.replace(place.line, W.placeStatement(name, pos));
  place.pos = pos;
  const follow = (spot: Spot) => { if (spot.place === name) spot.pos = pos; };
  edit.shots.cast.forEach((c) => follow(c.spot));
  for (const screen of edit.shots.screens) {
    screen.cues.forEach((c) => follow(c.spot));
    screen.explosions.forEach((e) => follow(e.spot));
  }
}

// A spot moved on the map: a named place moves as a whole, bare coordinates change on this line.
export function moveCast(edit: Edit, slot: number, pos: Vec3): void {
  const member = memberIn(edit.shots, slot);
  if (member.spot.place) return movePlace(edit, member.spot.place, pos);
  setCastSpot(edit, slot, { pos, place: '' });
}

export function setCastSpot(edit: Edit, slot: number, spot: Spot): void {
  const member = memberIn(edit.shots, slot);
  member.spot = spot;
  edit.replace(member.line, W.castStatement(member.slot, member.like, spot));
}

export function setCue(edit: Edit, screenNumber: number, slot: number, change: Partial<Cue>): void {
  const cue = cueIn(screenIn(edit.shots, screenNumber), slot);
  Object.assign(cue, change);
  cue.words = W.cueStatement(cue).replace(/^\d+ /, '');
  edit.replace(cue.line, W.cueStatement(cue));
}

export function moveCueSpot(edit: Edit, screenNumber: number, slot: number, pos: Vec3): void {
  const cue = cueIn(screenIn(edit.shots, screenNumber), slot);
  if (cue.spot.place) return movePlace(edit, cue.spot.place, pos);
  setCue(edit, screenNumber, slot, { spot: { pos, place: '' } });
}

// An explosion's line keeps an id it was given; one without lets the reader pick the next free.
function explicitId(line: string): number | null {
  const m = /\bid[ \t]+(\d+)$/.exec(lineParts(line).statement);
  return m ? Number(m[1]) : null;
}

export function setExplosion(edit: Edit, screenNumber: number, index: number, change: Partial<Explosion>): void {
  const blast = blastIn(screenIn(edit.shots, screenNumber), index);
  const id = explicitId(edit.line(blast.line));
  Object.assign(blast, change);
  edit.replace(blast.line, W.explosionStatement(blast.kind, blast.spot, id));
}

export function moveExplosion(edit: Edit, screenNumber: number, index: number, pos: Vec3): void {
  const blast = blastIn(screenIn(edit.shots, screenNumber), index);
  if (blast.spot.place) return movePlace(edit, blast.spot.place, pos);
  setExplosion(edit, screenNumber, index, { spot: { pos, place: '' } });
}

// What a cue says when its action changes: what it said before where the new action needs the
// same, else the slot's own spot, the first car on the set, the player, the player's weapon.
export function cueFor(shots: Shots, cue: Cue, code: number): Partial<Cue> {
  const kind = need(W.cueKind(code), 'no action has code ' + code);
  const before = need(W.cueKind(cue.code), 'no action has code ' + cue.code);
  const change: Partial<Cue> = { code };
  if (kind.field === 'spot' && before.field !== 'spot') {
    const member = castIn(shots, cue.slot);
    change.spot = member ? { pos: member.spot.pos, place: member.spot.place } : { pos: shots.player.pos, place: '' };
  }
  if (kind.field === 'car' && !cue.car) change.car = shots.cars[0]?.name ?? '';
  if (code !== 6) change.seat = 0;
  if (kind.field === 'target' && before.field !== 'target') change.target = -1;
  if (kind.field === 'weapon' && before.field !== 'weapon') change.weapon = shots.player.weapon;
  return change;
}

// Why an action cannot be chosen for a slot, or '' when it can.
export function actionRefused(shots: Shots, slot: number, code: number): string {
  const kind = W.cueKind(code)!;
  if (kind.needsPed && !castIn(shots, slot)) return 'only for a slot with a cast member';
  if (kind.field === 'car' && shots.cars.length === 0) return 'needs a car on the set';
  return '';
}

// The slots a new cue on `screen` can be for: each cast member without a cue there, and the first
// slot nobody is cast in, for the cues that need no ped.
export function freeCueSlots(shots: Shots, screen: Screen): number[] {
  const taken = new Set(screen.cues.map((q) => q.slot));
  const free = shots.cast.map((c) => c.slot).filter((n) => !taken.has(n));
  let spare = 0;
  while (spare < SLOTS && (taken.has(spare) || castIn(shots, spare))) ++spare;
  if (spare < SLOTS) free.push(spare);
  return free;
}

export function addCue(edit: Edit, screenNumber: number, slot: number): void {
  const screen = screenIn(edit.shots, screenNumber);
  if (!Number.isInteger(slot) || slot < 0 || slot >= SLOTS) throw new RangeError('a slot is 0 to ' + (SLOTS - 1));
  if (screen.cues.some((c) => c.slot === slot)) throw new RangeError('slot ' + slot + ' has a cue on screen ' + screenNumber + ' already');
  const cue: Cue = { slot, code: 1, words: 'phone', spot: { pos: [0, 0, 0], place: '' }, car: '', target: 0, seat: 0,
                     weapon: 0, line: 0 };
  const after = screen.cues.length ? Math.max(...screen.cues.map((c) => c.line)) : screen.line;
  edit.insertAfter(after, [lineLike(edit.line(after), W.cueStatement(cue), cueIndent(edit, screen))]);
  cue.line = after + 1;
  screen.cues.push(cue);
}

export function removeCue(edit: Edit, screenNumber: number, slot: number): void {
  const screen = screenIn(edit.shots, screenNumber);
  const cue = cueIn(screen, slot);
  screen.cues = screen.cues.filter((c) => c !== cue);
  edit.remove(cue.line);
}

// The id the reader gives an explosion written without one: the lowest not taken on its screen.
function nextFreeId(screen: Screen): number {
  for (let id = 0; id < EXPLOSION_IDS; ++id) if (!screen.explosions.some((e) => e.id === id)) return id;
  return -1;
}

export function addExplosion(edit: Edit, screenNumber: number, pos: Vec3): void {
  const screen = screenIn(edit.shots, screenNumber);
  const blast: Explosion = { kind: 4, id: nextFreeId(screen), spot: { pos, place: '' }, line: 0 };
  const after = lastLineOf(screen);
  edit.insertAfter(after, [lineLike(edit.line(after), W.explosionStatement(blast.kind, blast.spot, null),
                                    cueIndent(edit, screen))]);
  blast.line = after + 1;
  screen.explosions.push(blast);
}

export function removeExplosion(edit: Edit, screenNumber: number, index: number): void {
  const screen = screenIn(edit.shots, screenNumber);
  const blast = blastIn(screen, index);
  screen.explosions = screen.explosions.filter((e) => e !== blast);
  edit.remove(blast.line);
}

export function setScreenLength(edit: Edit, screenNumber: number, seconds: number): void {
  const screen = screenIn(edit.shots, screenNumber);
  screen.duration = Math.max(0, Math.min(LONGEST_SCREEN, Math.round(seconds)));
  edit.replace(screen.line, W.screenStatement(screen.number, screen.duration));
}

// Screens after `from` move up or down by one, so that the film keeps playing them in order.
function renumber(edit: Edit, from: number, by: 1 | -1): void {
  for (const screen of edit.shots.screens) {
    if (screen.number <= from) continue;
    screen.number += by;
    edit.replace(screen.line, W.screenStatement(screen.number, screen.duration));
  }
}

// A screen after screen `after` (-1: the first), two seconds long; the ones after it move down.
export function addScreen(edit: Edit, after: number): number {
  const shots = edit.shots;
  if (shots.screens.length >= SCREENS || shots.screens.some((s) => s.number === SCREENS - 1)) {
    throw new RangeError('a film has at most 256 screens, 0 to 255');
  }
  const previous = screenOf(shots, after);
  renumber(edit, after, 1);
  const at = previous ? lastLineOf(previous) : endIndex(edit.lines);
  const screen: Screen = { number: after + 1, duration: 2, line: 0, cues: [], explosions: [] };
  const like = previous ? edit.line(previous.line) : edit.lines[0];
  edit.insertAfter(at, [lineLike(like, ''), lineLike(like, W.screenStatement(screen.number, 2))]);
  screen.line = at + 2;
  shots.screens.push(screen);
  shots.screens.sort((a, b) => a.line - b.line);
  return screen.number;
}

// A screen with its cues and explosions (and the blank line before it); the later ones move up.
export function removeScreen(edit: Edit, number: number): void {
  const shots = edit.shots;
  const screen = screenIn(shots, number);
  shots.screens = shots.screens.filter((s) => s !== screen);
  const gone = [screen.line, ...screen.cues.map((c) => c.line), ...screen.explosions.map((e) => e.line)];
  if (screen.line > 1 && edit.line(screen.line - 1).trim() === '') gone.push(screen.line - 1);
  for (const n of gone.sort((a, b) => b - a)) edit.remove(n);
  renumber(edit, number, -1);
}

// Where a new cast line goes: after the last one, else after the set and the places, before the
// first screen and the blank lines above it.
function castLine(edit: Edit): number {
  const shots = edit.shots;
  if (shots.cast.length) return Math.max(...shots.cast.map((c) => c.line));
  const firstScreen = shots.screens.length ? Math.min(...shots.screens.map((s) => s.line)) : endIndex(edit.lines) + 1;
  const set = [...shots.places, ...shots.cars, ...shots.peds].map((o) => o.line).filter((n) => n > 0 && n < firstScreen);
  let after = set.length ? Math.max(...set) : firstScreen - 1;
  while (after > 0 && !set.length && edit.line(after).trim() === '') --after;
  return after;
}

// A cast member in the lowest free slot, of the first bystander's model, standing at `pos`.
export function addCast(edit: Edit, pos: Vec3): number {
  const shots = edit.shots;
  const like = shots.peds[0]?.name;
  if (!like) throw new RangeError('the set has no ped to take a model from: add one with "ped NAME model M at X Y Z"');
  let slot = 0;
  while (slot < SLOTS && castIn(shots, slot)) ++slot;
  if (slot === SLOTS) throw new RangeError('every slot, 0 to 254, is cast');
  const member: CastMember = { slot, like, model: shots.peds[0].model, spot: { pos, place: '' }, line: 0 };
  const after = castLine(edit);
  edit.insertAfter(after, [lineLike(after ? edit.line(after) : undefined, W.castStatement(slot, like, member.spot), '')]);
  member.line = after + 1;
  shots.cast.push(member);
  return slot;
}

// A cast member and every cue of its slot.
export function removeCast(edit: Edit, slot: number): void {
  const shots = edit.shots;
  const member = memberIn(shots, slot);
  const gone = [member.line];
  for (const screen of shots.screens) {
    for (const cue of screen.cues) if (cue.slot === slot) gone.push(cue.line);
    screen.cues = screen.cues.filter((c) => c.slot !== slot);
  }
  shots.cast = shots.cast.filter((c) => c !== member);
  for (const n of gone.sort((a, b) => b - a)) edit.remove(n);
}

import { describe, expect, it } from 'vitest';
import { example } from '../test/fixtures';
import type { Shots } from './answer';
import * as E from './edits';
import { History } from './history';
import { applySplices, joinLines, lineParts, splitLines } from './lines';
import { NOWHERE } from './selection';
import * as W from './words';

function start(name = 'demo') {
  const { text, shots } = example(name);
  return { lines: splitLines(text), shots };
}

function run(lines: string[], shots: Shots, make: (e: E.Edit) => void): E.Edit {
  const e = new E.Edit(lines, shots, 'test');
  make(e);
  return e;
}

// Two statements say the same when their words do, numbers compared as the reader keeps them.
function sameWords(line: string, statement: string): boolean {
  const a = lineParts(line).statement.split(/[ \t]+/), b = statement.split(' ');
  return a.length === b.length && a.every((w, i) => w === b[i] || (w !== '' && Math.fround(Number(w)) === Math.fround(Number(b[i]))));
}

// Every element of the shot list stands on the line that says it.
function misplaced(lines: string[], shots: Shots): string[] {
  const bad: string[] = [];
  const check = (line: number, statement: string) => {
    if (!sameWords(lines[line - 1] ?? '', statement)) bad.push('line ' + line + ' is ' + JSON.stringify(lines[line - 1]) + ', not ' + statement);
  };
  shots.places.forEach((p) => check(p.line, W.placeStatement(p.name, p.pos)));
  shots.cast.forEach((c) => check(c.line, W.castStatement(c.slot, c.like, c.spot)));
  for (const s of shots.screens) {
    check(s.line, W.screenStatement(s.number, s.duration));
    s.cues.forEach((c) => check(c.line, W.cueStatement(c)));
    s.explosions.forEach((x) => check(x.line, W.explosionStatement(x.kind, x.spot, null).replace(/ id \d+$/, '')));
  }
  // An explosion's id stays on its line where it was written.
  return bad.filter((b) => !/ id \d+"/.test(b));
}

describe('an edit changes the lines it is about and keeps the shot list in step', () => {
  it('moves a cast member given as coordinates on its own line', () => {
    const { lines, shots } = start();
    const e = run(lines, shots, (ed) => E.moveCast(ed, 1, [5.5, -2, 0]));
    expect(e.lines[12]).toBe('cast 1 like bob at 5.5 -2 0');
    expect(e.splices).toHaveLength(1);
    expect(misplaced(e.lines, e.shots)).toEqual([]);
  });

  it('moves a named place, and every spot that names it, keeping the name on the cue', () => {
    const { lines, shots } = start();
    const e = run(lines, shots, (ed) => E.moveCueSpot(ed, 0, 1, [25, 1, 0]));
    expect(e.lines[7]).toBe('place corner at 25 1 0');
    expect(e.lines[17]).toBe('  1 go corner');
    expect(E.screenOf(e.shots, 0)!.cues[1].spot).toEqual({ pos: [25, 1, 0], place: 'corner' });
  });

  it('gives a new action what it needs: the slot\'s spot, the first car, the player', () => {
    const { lines, shots } = start();
    const cue = E.screenOf(shots, 0)!.cues[0]; // 0 phone
    expect(E.cueFor(shots, cue, 3)).toMatchObject({ code: 3, spot: { pos: [0, 0, 0], place: '' } });
    expect(E.cueFor(shots, cue, 9)).toMatchObject({ code: 9, car: 'taxi' });
    expect(E.cueFor(shots, cue, 8)).toMatchObject({ code: 8, target: -1 });
    expect(E.cueFor(shots, cue, 4)).toMatchObject({ code: 4, weapon: 7 });
    const e = run(lines, shots, (ed) => E.setCue(ed, 0, 0, E.cueFor(ed.shots, cue, 6)));
    expect(e.lines[16]).toBe('  0 ride taxi');
  });

  it('refuses ped-only actions for a slot nobody is cast in, and car actions on a set without cars', () => {
    const { shots } = start();
    expect(E.actionRefused(shots, 7, 5)).toMatch(/cast member/);
    expect(E.actionRefused(shots, 7, 1)).toBe('');
    expect(E.actionRefused({ ...shots, cars: [] }, 0, 9)).toMatch(/car/);
  });

  it('adds a cue after the screen\'s last, indented like them, and moves the lines after it', () => {
    const { lines, shots } = start();
    const e = run(lines, shots, (ed) => E.addCue(ed, 1, 5));
    expect(e.lines.slice(20, 24)).toEqual(['screen 1 lasts 3', '  0 go north', '  1 hands up', '  5 phone']);
    expect(E.screenOf(e.shots, 2)!.line).toBe(27);
    expect(misplaced(e.lines, e.shots)).toEqual([]);
  });

  it('keeps an explosion\'s written id and lets a new one take the next free id', () => {
    const { lines, shots } = start();
    let e = run(lines, shots, (ed) => E.addExplosion(ed, 2, [1, 2, 0]));
    expect(e.lines[28]).toBe('  rocket at 1 2 0');
    expect(E.screenOf(e.shots, 2)!.explosions[1].id).toBe(1);
    const withId = e.lines.slice();
    withId[28] = '  rocket at 1 2 0 id 9 # kept';
    e = run(withId, e.shots, (ed) => E.setExplosion(ed, 2, 1, { kind: 1 }));
    expect(e.lines[28]).toBe('  fire at 1 2 0 id 9 # kept');
  });

  it('adds a screen after the one asked for, and numbers the later ones on', () => {
    const { lines, shots } = start();
    const e = run(lines, shots, (ed) => E.addScreen(ed, 0));
    expect(e.shots.screens.map((s) => s.number)).toEqual([0, 1, 2, 3]);
    expect(e.lines.slice(17, 21)).toEqual(['  1 go corner', '', 'screen 1 lasts 2', '']);
    expect(e.lines).toContain('screen 3 lasts 1');
    expect(misplaced(e.lines, e.shots)).toEqual([]);
  });

  it('removes a screen with its cues, explosions and the blank line above, and numbers the later ones back', () => {
    const { lines, shots } = start();
    const e = run(lines, shots, (ed) => E.removeScreen(ed, 1));
    expect(joinLines(e.lines)).not.toMatch(/go north|hands up/);
    expect(e.lines).toContain('# Slot 0 walks north; slot 1 raises its hands.');
    expect(e.lines).toContain('screen 1 lasts 1');
    expect(e.lines.length).toBe(lines.length - 3);
    expect(misplaced(e.lines, e.shots)).toEqual([]);
  });

  it('removes a cast member with every cue of its slot', () => {
    const { lines, shots } = start();
    const e = run(lines, shots, (ed) => E.removeCast(ed, 1));
    expect(joinLines(e.lines)).not.toMatch(/^ *1 /m);
    expect(e.shots.screens.flatMap((s) => s.cues).every((c) => c.slot === 0)).toBe(true);
    expect(misplaced(e.lines, e.shots)).toEqual([]);
  });

  it('adds a cast member in the lowest free slot after the last cast line', () => {
    const { lines, shots } = start();
    const e = run(lines, shots, (ed) => E.addCast(ed, [1, 1, 0]));
    expect(e.lines[13]).toBe('cast 2 like bob at 1 1 0');
    const none = run(lines, { ...structuredClone(shots), cast: [] }, (ed) => E.addCast(ed, [0, 0, 0]));
    expect(none.lines[10]).toBe('cast 0 like bob at 0 0 0');
  });

  it('stops at what a film can hold', () => {
    const { lines, shots } = start();
    shots.screens = Array.from({ length: 256 }, (_, n) => ({ number: n, duration: 1, line: 16, cues: [], explosions: [] }));
    expect(() => run(lines, shots, (ed) => E.addScreen(ed, 3))).toThrow(RangeError);
    const noPeds = start();
    noPeds.shots.peds = [];
    expect(() => run(noPeds.lines, noPeds.shots, (ed) => E.addCast(ed, [0, 0, 0]))).toThrow(/no ped/);
  });
});

// A seeded run of random edits: the shot list stays on its lines after each, and undoing them all
// gives back the text byte for byte. ZENTHAR_SEED=N replays a run.
describe('random edits', () => {
  const seed = Number(process.env.ZENTHAR_SEED ?? Math.floor(Math.random() * 2 ** 31));
  let state = seed;
  const rand = (n: number) => {
    state = (Math.imul(state, 1103515245) + 12345) >>> 0;
    return (state >>> 8) % n;
  };
  const pick = <T>(items: T[]): T | undefined => (items.length ? items[rand(items.length)] : undefined);

  function randomEdit(ed: E.Edit): void {
    const s = ed.shots, screen = pick(s.screens), pos: [number, number, number] = [rand(40) - 20, rand(40) - 20, 0];
    const cue = screen && pick(screen.cues);
    const ops: Array<() => void> = [
      () => { if (s.cast.length) E.moveCast(ed, pick(s.cast)!.slot, pos); },
      () => { if (s.places.length) E.movePlace(ed, pick(s.places)!.name, pos); },
      () => { if (cue) E.setCue(ed, screen!.number, cue.slot, E.cueFor(s, cue, pick(W.CUE_KINDS.filter((k) => !E.actionRefused(s, cue.slot, k.code)))!.code)); },
      () => { if (cue) E.removeCue(ed, screen!.number, cue.slot); },
      () => { if (screen && !screen.cues.some((c) => c.slot === 9)) E.addCue(ed, screen.number, 9); },
      () => { if (screen && screen.explosions.length < 32) E.addExplosion(ed, screen.number, pos); },
      () => { if (screen?.explosions.length) E.removeExplosion(ed, screen.number, rand(screen.explosions.length)); },
      () => { if (screen) E.setScreenLength(ed, screen.number, rand(5)); },
      () => { if (s.screens.length < 20) E.addScreen(ed, screen ? screen.number : -1); },
      () => { if (screen) E.removeScreen(ed, screen.number); },
      () => { if (s.cast.length < 10) E.addCast(ed, pos); },
      () => { if (s.cast.length) E.removeCast(ed, pick(s.cast)!.slot); },
    ];
    ops[rand(ops.length)]();
  }

  it.each(['demo', 'every-action'])('%s', (name) => {
    console.log('random edits of ' + name + ': ZENTHAR_SEED=' + seed);
    const { lines: original, shots } = start(name);
    let lines = original, model = shots;
    const history = new History();
    const texts = [joinLines(lines)];
    for (let i = 0; i < 200; ++i) {
      const e = run(lines, model, randomEdit);
      expect(misplaced(e.lines, e.shots), 'edit ' + i + ', seed ' + seed).toEqual([]);
      if (!e.splices.length) continue;
      history.record({ label: 'edit ' + i, splices: e.splices, before: NOWHERE, after: NOWHERE });
      lines = e.lines;
      model = e.shots;
      texts.push(joinLines(lines));
    }
    for (let i = texts.length - 2; i >= 0; --i) {
      lines = applySplices(lines, history.undo()!.splices);
      expect(joinLines(lines), 'undo to ' + i + ', seed ' + seed).toBe(texts[i]);
    }
    for (let i = 1; i < texts.length; ++i) lines = applySplices(lines, history.redo()!.splices);
    expect(joinLines(lines)).toBe(texts[texts.length - 1]);
  });
});

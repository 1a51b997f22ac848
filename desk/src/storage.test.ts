import { describe, expect, it } from 'vitest';
import { quotaStore } from '../test/fake';
import type { Change } from './history';
import { Library } from './library';
import { decodeFilm, encodeFilm, filmKey, FORMAT, keptHistory, workKey, writtenOf, type FilmRecord } from './storage';

const at = { screen: 1, selected: { kind: 'cue' as const, slot: 2 } };
// Line 1 of the text went from `from` to `to`.
const step = (from: string, to: string): Change => ({ label: from + ' to ' + to, splices: [{ at: 0, removed: [from], inserted: [to] }],
                                                       before: at, after: { screen: 0, selected: null } });
const film = (change: Partial<FilmRecord> = {}): FilmRecord => ({
  format: FORMAT, written: 3, id: 'f1', name: 'demo.shots', created: 5, text: 'c\nrest', undos: [step('a', 'b'), step('b', 'c')],
  redos: [step('c', 'd')], ...change,
});

describe('a film as kept', () => {
  it('comes back as it was written, with its history and where each step left the person', () => {
    const f = film({ origin: 'zenthar-desk:0123abcd', from: 'the film of 2026-01-01_20-15-00.take, an autosave of 47 keys', deleted: 9 });
    expect(decodeFilm('f1', encodeFilm(f))).toEqual({ film: f, dropped: 0 });
    expect(encodeFilm(f).startsWith('{"format":2,"written":3,')).toBe(true);
    expect(writtenOf(encodeFilm(f))).toBe(3);
  });

  it.each([
    ['it is not JSON', '{"format":2,'],
    ['it is a list', '[1]'],
    ['it is nothing', 'null'],
    ['it is a number', '5'],
    ['it has no format', JSON.stringify({ ...film(), format: undefined })],
    ['its id is another film\'s', encodeFilm(film({ id: 'f2' }))],
    ['its text is not text', JSON.stringify({ ...film(), text: 7 })],
    ['its name is missing', JSON.stringify({ ...film(), name: undefined })],
    ['its count of writes is no whole number', JSON.stringify({ ...film(), written: 1.5 })],
    ['its time is not a number', JSON.stringify({ ...film(), created: 'now' })],
    ['where it came from is not text', JSON.stringify({ ...film(), from: 47 })],
  ])('is not read when %s', (_, raw) => {
    expect(decodeFilm('f1', raw)).toHaveProperty('problem');
  });

  it('of a store written before films came from takes has no line of where it came from', () => {
    const { from: _, ...old } = film({ from: 'x' });
    const d = decodeFilm('f1', JSON.stringify(old));
    expect(d).toEqual({ film: film(), dropped: 0 });
    expect('film' in d && 'from' in d.film).toBe(false);
  });

  it('is left as it is when a newer desk wrote it', () => {
    expect(decodeFilm('f1', JSON.stringify({ ...film(), format: FORMAT + 1 }))).toMatchObject({ newer: true });
  });
});

describe('a kept history is kept as far as it applies to its text', () => {
  it('drops the undos from the first that does not apply, oldest first, and says how many went', () => {
    const h = keptHistory('c', [step('x', 'y'), step('a', 'b'), step('b', 'c')], []);
    expect(h.undos.map((c) => c.label)).toEqual(['a to b', 'b to c']);
    expect(h.dropped).toBe(1);
  });

  it('drops the redos from the first that does not apply, the next to redo first', () => {
    const h = keptHistory('c', [], [step('y', 'z'), step('d', 'y'), step('c', 'd')]);
    expect(h.redos.map((c) => c.label)).toEqual(['y to z', 'd to y', 'c to d']);
    const broken = keptHistory('c', [], [step('y', 'z'), step('q', 'y'), step('c', 'd')]);
    expect(broken.redos.map((c) => c.label)).toEqual(['c to d']);
    expect(broken.dropped).toBe(2);
  });

  it.each([
    ['a step that is not one', [{ label: 'x' }, step('b', 'c')]],
    ['a splice past the end', [{ ...step('b', 'c'), splices: [{ at: 5, removed: [], inserted: ['x'] }] }, step('b', 'c')]],
    ['a splice at a negative line', [{ ...step('b', 'c'), splices: [{ at: -1, removed: [], inserted: [] }] }, step('b', 'c')]],
    ['a selection of no kind', [{ ...step('a', 'b'), before: { screen: 0, selected: { kind: 'ped' } } }, step('b', 'c')]],
    ['a screen below -1', [{ ...step('a', 'b'), after: { screen: -2, selected: null } }, step('b', 'c')]],
    ['a file that is not names', [{ ...step('a', 'b'), file: { before: 1 } }, step('b', 'c')]],
    ['a file without its new name', [{ ...step('a', 'b'), file: { before: 'a.shots', after: 2 } }, step('b', 'c')]],
    ['lines that are not text', [{ ...step('a', 'b'), splices: [{ at: 0, removed: [1], inserted: ['a'] }] }, step('b', 'c')]],
    ['a step with no label', [{ ...step('a', 'b'), label: undefined }, step('b', 'c')]],
  ])('keeps the newer steps after %s', (_, undos) => {
    const h = keptHistory('c', undos, 'not a list');
    expect(h.undos.map((c) => c.label)).toEqual(['b to c']);
    expect(h.dropped).toBe(1);
  });

  it('reads a film\'s history the same way, and keeps its text whatever its history is', () => {
    const raw = encodeFilm(film({ undos: [step('q', 'z'), step('b', 'c')] }));
    expect(decodeFilm('f1', raw)).toMatchObject({ film: { text: 'c\nrest', undos: [step('b', 'c')] }, dropped: 1 });
  });

  it('takes a step the earlier desk kept, without where it left the person, as going nowhere', () => {
    const h = keptHistory('c', [{ label: 'old', splices: [{ at: 0, removed: ['b'], inserted: ['c'] }] }], []);
    expect(h.undos).toEqual([{ label: 'old', splices: [{ at: 0, removed: ['b'], inserted: ['c'] }],
                               before: { screen: -1, selected: null }, after: { screen: -1, selected: null } }]);
  });
});

describe('the work the earlier desk kept becomes films of the library', () => {
  const old = (text: string, undos: unknown[] = []) => JSON.stringify({ file: 'mine.shots', text, undos, redos: [] });

  it('moves the plain desk\'s work and a written desk\'s, with their history, and the old items go', () => {
    const store = quotaStore();
    store.setItem('zenthar-desk:plain', old('c', [{ label: 'b to c', splices: [{ at: 0, removed: ['b'], inserted: ['c'] }] }]));
    store.setItem(workKey('demo.shots\nx'), old('x'));
    const lib = new Library(store, null, () => 'new', () => 1);
    const listed = lib.list().map((e) => [e.id, e.name, e.origin]);
    expect(listed).toHaveLength(2);
    expect(listed).toContainEqual(['kept-plain', 'mine.shots', undefined]);
    expect(listed).toContainEqual(['kept-' + workKey('demo.shots\nx').slice(13), 'mine.shots', workKey('demo.shots\nx')]);
    expect(store.getItem('zenthar-desk:plain')).toBeNull();
    expect(lib.read('kept-plain')!.film.undos[0].label).toBe('b to c');
    expect(lib.problems).toEqual([]);
  });

  it('leaves what it cannot read where it is, and says so; a history that does not apply goes, the text stays', () => {
    const store = quotaStore();
    store.setItem('zenthar-desk:plain', '{"file": 3}');
    store.setItem('zenthar-desk:0000cafe', '{"file": "no text.shots"}');
    store.setItem('zenthar-desk:0000dead', 'null');
    store.setItem('zenthar-desk:0000beef', old('c', [{ label: 'x', splices: [{ at: 0, removed: ['b'], inserted: ['zz'] }] }]));
    const lib = new Library(store, null, () => 'new', () => 1);
    expect(store.getItem('zenthar-desk:plain')).toBe('{"file": 3}');
    expect(lib.problems[0]).toMatch(/zenthar-desk:plain .*cannot be read/);
    expect(lib.problems[1]).toMatch(/zenthar-desk:0000cafe .*cannot be read/);
    expect(lib.problems[2]).toMatch(/zenthar-desk:0000dead .*cannot be read/);
    expect(lib.problems[3]).toMatch(/mine.shots: 1 step of its history no longer matched its text and was dropped; the text is kept/);
    expect(lib.read('kept-0000beef')!.film.text).toBe('c');
  });

  it('keeps the old item when the storage has no room for its film, and holds the film for the session', () => {
    const store = quotaStore();
    store.setItem('zenthar-desk:plain', old('c'));
    store.room = store.items.get('zenthar-desk:plain')!.length + 30;
    const lib = new Library(store, null, () => 'new', () => 1);
    expect(store.getItem('zenthar-desk:plain')).toBe(old('c'));
    expect(lib.read('kept-plain')!.film.text).toBe('c');
    expect(store.getItem(filmKey('kept-plain'))).toBeNull();
  });
});

it('keeps the films of desks written for different shot lists apart, under the names the earlier desk gave them', () => {
  expect(workKey('')).toBe('zenthar-desk:plain');
  expect(workKey('a')).toBe('zenthar-desk:e40c292c');
  expect(workKey('demo.shots\nplayer at 0 0 0\n')).toBe('zenthar-desk:99674559');
  expect(workKey('a.shots\nx')).not.toBe(workKey('a.shots\ny'));
  expect(workKey('a.shots\nx')).toBe(workKey('a.shots\nx'));
});

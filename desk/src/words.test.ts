import { describe, expect, it } from 'vitest';
import type { Cue } from './answer';
import { CUE_KINDS, cueStatement, explosionStatement, num } from './words';

describe('numbers are written as the shortest text that reads back to the same float', () => {
  it.each([
    [0, '0'], [-0, '0'], [12, '12'], [12.3, '12.3'], [-0.1, '-0.1'], [Math.fround(12.3), '12.3'],
    [1e30, '1e+30'], [123456.7, '123456.7'], [0.1 + 0.2, '0.3'],
  ])('%s', (value, text) => {
    expect(num(value)).toBe(text);
    expect(Math.fround(Number(text)) === Math.fround(value)).toBe(true);
  });
});

describe('cues are written in the words the shot list reads', () => {
  const cue = (change: Partial<Cue>): Cue => ({ slot: 3, code: 1, words: '', spot: { pos: [1, 2.5, 0], place: '' }, car: 'taxi',
                                                target: -1, seat: 0, weapon: 7, line: 0, ...change });
  it.each([
    [{ code: 1 }, '3 phone'],
    [{ code: 3 }, '3 go 1 2.5 0'],
    [{ code: 3, spot: { pos: [0, 0, 0], place: 'corner' } }, '3 go corner'],
    [{ code: 4 }, '3 gun 7'],
    [{ code: 6 }, '3 ride taxi'],
    [{ code: 6, seat: 2 }, '3 ride taxi seat 2'],
    [{ code: 9, seat: 2 }, '3 drive taxi'],
    [{ code: 8 }, '3 fight player'],
    [{ code: 22, target: 4 }, '3 aim at slot 4'],
    [{ code: 25 }, '3 look at 1 2.5 0'],
    [{ code: 26 }, '3 look at car taxi'],
  ] as Array<[Partial<Cue>, string]>)('%j', (change, line) => {
    expect(cueStatement(cue(change))).toBe(line);
  });

  it('has nineteen actions, each recorded by its own key in its mode', () => {
    expect(CUE_KINDS).toHaveLength(19);
    expect(new Set(CUE_KINDS.map((k) => k.mode * 1000 + k.key)).size).toBe(19);
  });

  it('writes an explosion\'s id only where the line gave one', () => {
    expect(explosionStatement(4, { pos: [1, 2, 3], place: '' }, null)).toBe('rocket at 1 2 3');
    expect(explosionStatement(0, { pos: [1, 2, 3], place: 'stand' }, 5)).toBe('grenade at stand id 5');
  });
});

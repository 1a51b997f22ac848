import { describe, expect, it } from 'vitest';
import { textSplice, timingOf } from './desk';
import { applySplices, splitLines } from './lines';

describe('text typed into the text view becomes one splice of the lines it changed', () => {
  it.each([
    ['a\nb\nc', 'a\nB\nc', [{ at: 1, removed: ['b'], inserted: ['B'] }]],
    ['a\nb\nc', 'a\nc', [{ at: 1, removed: ['b'], inserted: [] }]],
    ['a\nb', 'a\nb\nc', [{ at: 2, removed: [], inserted: ['c'] }]],
    ['a\na\na', 'a\na', [{ at: 2, removed: ['a'], inserted: [] }]],
    ['same', 'same', []],
  ])('%j to %j', (before, after, want) => {
    const splices = textSplice(splitLines(before), splitLines(after));
    expect(splices).toEqual(want);
    expect(applySplices(splitLines(before), splices)).toEqual(splitLines(after));
  });
});

it('reads the show\'s steps from the player\'s data', () => {
  expect(timingOf({ show: { steps: [0, 100, 2000, 1, 2100, 3000] }, end: 9000 })).toEqual({
    steps: [{ screen: 0, start: 100, ms: 2000 }, { screen: 1, start: 2100, ms: 3000 }], end: 9000 });
  expect(timingOf({ show: null, end: 500 })).toEqual({ steps: [], end: 500 });
});

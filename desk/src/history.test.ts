import { describe, expect, it } from 'vitest';
import { composeSplices, History, invertChange, KEPT_CHANGES, MERGE_MS, type Change } from './history';
import { applySplices, splitLines } from './lines';
import { NOWHERE, type Context } from './selection';

const at = (screen: number, slot: number): Context => ({ screen, selected: { kind: 'cast', slot } });
const line = (n: number, from: string, to: string): Change =>
  ({ label: 'move slot 1', splices: [{ at: n, removed: [from], inserted: [to] }], before: at(0, 1), after: at(0, 1) });

describe('a change and its undo', () => {
  it('swaps where the person was before and after, and the file\'s names', () => {
    const change: Change = { label: 'rename', splices: [], file: { before: 'a.shots', after: 'b.shots' }, before: at(0, 1), after: at(2, 3) };
    expect(invertChange(change)).toEqual({ label: 'rename', splices: [], file: { before: 'b.shots', after: 'a.shots' },
                                           before: at(2, 3), after: at(0, 1) });
  });
});

describe('changes of one line one after the other are one change of it', () => {
  it.each([
    ['a run of moves', [['x0', 'x1'], ['x1', 'x2'], ['x2', 'x3']], [{ at: 4, removed: ['x0'], inserted: ['x3'] }]],
    ['moves back to where it was', [['x0', 'x1'], ['x1', 'x0']], []],
    ['a line the one before did not write', [['x0', 'x1'], ['y', 'z']], [{ at: 4, removed: ['x0'], inserted: ['x1'] }, { at: 4, removed: ['y'], inserted: ['z'] }]],
  ])('%s', (_, moves, want) => {
    let splices = [] as ReturnType<typeof composeSplices>;
    for (const [from, to] of moves) splices = composeSplices(splices, [{ at: 4, removed: [from], inserted: [to] }]);
    expect(splices).toEqual(want);
  });

  it('applies as the changes did, and undoes as they did', () => {
    const text = splitLines('a\nb\nc');
    const first = [{ at: 1, removed: ['b'], inserted: ['B', 'B2'] }], then = [{ at: 1, removed: ['B'], inserted: [] }, { at: 0, removed: ['a'], inserted: ['A'] }];
    const both = composeSplices(first, then);
    expect(applySplices(text, both)).toEqual(applySplices(applySplices(text, first), then));
    expect(applySplices(applySplices(text, both), invertChange({ label: '', splices: both, before: NOWHERE, after: NOWHERE }).splices)).toEqual(text);
  });
});

describe('nudges close together on one element are one step', () => {
  const run = (steps: Array<[string, number]>) => {
    const h = new History();
    steps.forEach(([key, t], i) => h.record(line(3, 'x' + i, 'x' + (i + 1)), { key, at: t }));
    return h;
  };

  it('merges within the interval, keeps the first before and the last after', () => {
    const h = new History();
    h.record(line(3, 'x0', 'x1'), { key: 'nudge:cast:1', at: 0 });
    h.record({ ...line(3, 'x1', 'x2'), after: at(0, 2) }, { key: 'nudge:cast:1', at: MERGE_MS - 1 });
    h.record(line(3, 'x2', 'x3'), { key: 'nudge:cast:1', at: 2 * MERGE_MS - 1 }); // the interval itself, from the last
    expect(h.undos).toHaveLength(1);
    expect(h.undos[0].splices).toEqual([{ at: 3, removed: ['x0'], inserted: ['x3'] }]);
    expect(h.undoLabel()).toBe('move slot 1');
  });

  it.each([
    ['further apart than the interval', [['k', 0], ['k', MERGE_MS + 1]] as Array<[string, number]>, 2],
    ['on another element', [['k', 0], ['j', 10]] as Array<[string, number]>, 2],
    ['without a key (a drag)', [['k', 0], ['', 10]] as Array<[string, number]>, 2],
  ])('keeps steps apart %s', (_, steps, n) => {
    const h = new History();
    steps.forEach(([key, t], i) => h.record(line(3, 'x' + i, 'x' + (i + 1)), key ? { key, at: t } : undefined));
    expect(h.undos).toHaveLength(n);
  });

  it('starts a new step after an undo, and leaves no step for nudges that come back', () => {
    const h = run([['k', 0], ['k', 10]]);
    h.undo();
    h.record(line(3, 'x0', 'x9'), { key: 'k', at: 20 });
    expect(h.undos.map((c) => c.splices[0].inserted[0])).toEqual(['x9']);
    const back = new History([line(0, 'a', 'b')]);
    back.record(line(3, 'x0', 'x1'), { key: 'k', at: 0 });
    back.record(line(3, 'x1', 'x0'), { key: 'k', at: 10 });
    expect(back.undos).toHaveLength(1);
    back.record(line(3, 'x0', 'x1'), { key: 'k', at: 20 });
    expect(back.undos).toHaveLength(2); // not merged into the step that was there before
  });
});

it('keeps the newest changes, and a new change clears what could be redone', () => {
  const h = new History();
  for (let i = 0; i <= KEPT_CHANGES; ++i) h.record(line(i, 'a', 'b'));
  expect(h.undos).toHaveLength(KEPT_CHANGES);
  expect(h.undos[0].splices[0].at).toBe(1);
  h.undo();
  expect(h.redoLabel()).toBe('move slot 1');
  h.record(line(0, 'a', 'c'));
  expect(h.redos).toEqual([]);
});

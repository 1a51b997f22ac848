import { describe, expect, it } from 'vitest';
import { example } from '../test/fixtures';
import { names, selectedFrom, type Selected } from './selection';

const { shots } = example('demo'); // slots 0 and 1 cast; screen 2 has one explosion; places corner, north, taxi-stand

describe('a selection names an element of the film on the screen being edited, or nothing', () => {
  it.each([
    [null, 0, true],
    [{ kind: 'cast', slot: 1 }, 0, true], [{ kind: 'cast', slot: 2 }, 0, false],
    [{ kind: 'place', name: 'north' }, 0, true], [{ kind: 'place', name: 'south' }, 0, false],
    [{ kind: 'cue', slot: 1 }, 0, true], [{ kind: 'cue', slot: 0 }, 2, false], [{ kind: 'cue', slot: 1 }, 7, false],
    [{ kind: 'explosion', index: 0 }, 2, true], [{ kind: 'explosion', index: 1 }, 2, false],
    [{ kind: 'explosion', index: -1 }, 2, false], [{ kind: 'explosion', index: 0.5 }, 2, false], [{ kind: 'explosion', index: 0 }, 0, false],
  ] as Array<[Selected, number, boolean]>)('%j on screen %i: %s', (selected, screen, want) => {
    expect(names(shots, screen, selected)).toBe(want);
  });
});

describe('a selection as kept is read back only when it is one', () => {
  it.each([
    [null, null],
    [{ kind: 'cast', slot: 3 }, { kind: 'cast', slot: 3 }],
    [{ kind: 'cue', slot: 0, extra: 1 }, { kind: 'cue', slot: 0 }],
    [{ kind: 'explosion', index: 2 }, { kind: 'explosion', index: 2 }],
    [{ kind: 'place', name: 'corner' }, { kind: 'place', name: 'corner' }],
    [{ kind: 'cast', slot: -1 }, undefined], [{ kind: 'cast', slot: 1.5 }, undefined], [{ kind: 'cue', slot: '2' }, undefined],
    [{ kind: 'cast' }, undefined], [{ kind: 'explosion', slot: 1 }, undefined], [{ kind: 'place', name: 4 }, undefined],
    [{ kind: 'ped', slot: 1 }, undefined], [{ slot: 1 }, undefined], ['cast', undefined], [3, undefined],
  ])('%j', (kept, want) => {
    expect(selectedFrom(kept)).toEqual(want);
  });
});

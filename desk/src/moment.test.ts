import { describe, expect, it } from 'vitest';
import { momentAt, timeOf } from './moment';

const before = { steps: [{ screen: 0, start: 10000, ms: 2000 }, { screen: 1, start: 12000, ms: 3000 }, { screen: 2, start: 15000, ms: 1000 }],
                 end: 30000 };
// The same film after an edit: recorded faster, screen 1 a second longer, screen 2 gone.
const after = { steps: [{ screen: 0, start: 8000, ms: 2000 }, { screen: 1, start: 10000, ms: 4000 }, { screen: 3, start: 14000, ms: 1000 }],
                end: 25000 };

describe('the moment watched is the same moment of the next rehearsal', () => {
  it.each([
    ['the same time into the same screen', 13500, 11500],
    ['a screen\'s start', 12000, 10000],
    ['the same share of the recording', 5000, 4000],
    ['the same time after the show', 20000, 19000],
    ['the next screen that plays, for one that no longer does', 15500, 14000],
  ])('%s', (_, t, want) => {
    expect(timeOf(after, momentAt(before, t))).toBe(want);
  });

  it('stays inside a screen that got shorter', () => {
    const shorter = { steps: [{ screen: 1, start: 5000, ms: 500 }], end: 9000 };
    expect(timeOf(shorter, momentAt(before, 14900))).toBe(5499);
  });

  it('goes to the end when no show plays any more, and keeps the share when none played before', () => {
    const none = { steps: [], end: 6000 };
    expect(timeOf(none, momentAt(before, 13000))).toBe(6000);
    expect(timeOf(after, momentAt(none, 3000))).toBe(4000);
  });
});

import { describe, expect, it } from 'vitest';
import { applySplices, commentStart, endIndex, invertSplices, lineLike, lineParts, rewriteLine, splitLines } from './lines';

describe('a line rewritten keeps what is not its statement', () => {
  it.each([
    ['  1 go corner', '  1 hands up'],
    ['  1 go corner   # walks off', '  1 hands up   # walks off'],
    ['  1 go corner#tight', '  1 hands up #tight'],
    ['\t1 go corner\r', '\t1 hands up\r'],
    ['\uFEFF1 go corner # first line', '\uFEFF1 hands up # first line'],
  ])('%j', (line, want) => {
    expect(rewriteLine(line, '1 hands up')).toBe(want);
  });

  it('finds a comment only outside quoted text', () => {
    expect(commentStart('ini "a#b" # c')).toBe(10);
    expect(commentStart('ini "a\\"#b" x')).toBe(13);
    expect(commentStart('no comment')).toBe(10);
  });

  it('takes a line of nothing but a comment as a comment', () => {
    expect(lineParts('  # just words')).toMatchObject({ lead: '  ', statement: '', comment: '# just words' });
  });

  it('writes new lines with the indent asked for and the neighbour\'s line end', () => {
    expect(lineLike('  0 phone\r', '1 horn')).toBe('  1 horn\r');
    expect(lineLike('\uFEFFplayer at 0 0 0', 'cast 0 like bob at 0 0 0')).toBe('cast 0 like bob at 0 0 0');
    expect(lineLike(undefined, 'screen 0', '')).toBe('screen 0');
  });
});

describe('splices', () => {
  const before = splitLines('a\nb\nc\nd\n');

  it('undo puts back exactly the lines that were there', () => {
    const splices = [{ at: 1, removed: ['b'], inserted: ['B', 'B2'] }, { at: 4, removed: ['d'], inserted: [] }];
    const after = applySplices(before, splices);
    expect(after).toEqual(['a', 'B', 'B2', 'c', '']);
    expect(applySplices(after, invertSplices(splices))).toEqual(before);
  });

  it('refuse lines that are not the ones they remove, and change nothing', () => {
    const lines = before.slice();
    expect(() => applySplices(lines, [{ at: 0, removed: ['x'], inserted: [] }])).toThrow(/line 1/);
    expect(lines).toEqual(before);
  });

  it('add at the end before the final newline, or after a last line without one', () => {
    expect(endIndex(splitLines('a\nb\n'))).toBe(2);
    expect(endIndex(splitLines('a\nb'))).toBe(2);
    expect(endIndex(splitLines(''))).toBe(0);
  });
});

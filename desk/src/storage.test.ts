import { describe, expect, it } from 'vitest';
import type { Change } from './history';
import { loadWork, saveWork, workKey, type Store } from './storage';

// A store that holds at most `room` characters in all, as a browser's quota does.
function store(room = Infinity): Store & { items: Map<string, string> } {
  const items = new Map<string, string>();
  return {
    items,
    getItem: (k) => items.get(k) ?? null,
    setItem(k, v) {
      const used = [...items].reduce((n, [key, val]) => n + (key === k ? 0 : val.length), 0);
      if (used + v.length > room) throw new DOMException('full', 'QuotaExceededError');
      items.set(k, v);
    },
    removeItem: (k) => { items.delete(k); },
  };
}

const change = (n: number): Change => ({ label: 'edit ' + n, splices: [{ at: n, removed: ['x'.repeat(100)], inserted: ['y'] }] });

describe('the work kept in the browser', () => {
  it('comes back as it was saved, history and all', () => {
    const s = store();
    const work = { file: 'demo.shots', text: 'player at 0 0 0\n', undos: [change(1), change(2)], redos: [change(3)] };
    expect(saveWork(s, 'k', work)).toBe('all');
    expect(loadWork(s, 'k')).toEqual(work);
  });

  it('drops the oldest history first when it does not fit, then all of it, and says so', () => {
    const text = 'a'.repeat(2000);
    const undos = Array.from({ length: 40 }, (_, i) => change(i));
    const s = store(4000);
    expect(saveWork(s, 'k', { file: 'f', text, undos, redos: [] })).toBe('text');
    const kept = loadWork(s, 'k')!;
    expect(kept.text).toBe(text);
    expect(kept.undos.length).toBeLessThan(40);
    expect(kept.undos.at(-1)).toEqual(undos.at(-1));
    expect(saveWork(store(2100), 'k', { file: 'f', text, undos, redos: [] })).toBe('text');
    const full = store(100);
    expect(saveWork(full, 'k', { file: 'f', text, undos: [], redos: [] })).toBe('nothing');
    expect(full.items.size).toBe(0);
  });

  it('ignores what is not the desk\'s work', () => {
    const s = store();
    s.setItem('a', '{not json');
    s.setItem('b', '{"file": 3, "text": "x"}');
    s.setItem('c', '{"file": "f", "text": "x", "undos": "no"}');
    expect(loadWork(s, 'a')).toBeNull();
    expect(loadWork(s, 'b')).toBeNull();
    expect(loadWork(s, 'c')).toEqual({ file: 'f', text: 'x', undos: [], redos: [] });
    expect(loadWork(s, 'missing')).toBeNull();
  });

  it('keeps the work of desks written for different shot lists apart', () => {
    expect(workKey('')).toBe('zenthar-desk:plain');
    expect(workKey('a.shots\nx')).not.toBe(workKey('a.shots\ny'));
    expect(workKey('a.shots\nx')).toBe(workKey('a.shots\nx'));
  });
});

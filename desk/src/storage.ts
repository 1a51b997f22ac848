// The work kept in the browser's local storage, so that a reload finds it: the shot list's text
// and name, and the undo history while it fits. A desk written for one shot list keeps its work
// apart from the plain desk's and from desks written for other lists.
import type { Change } from './history';

export interface Work {
  file: string;
  text: string;
  undos: Change[];
  redos: Change[];
}

export interface Store {
  getItem(key: string): string | null;
  setItem(key: string, value: string): void;
  removeItem(key: string): void;
}

// A short hash of the text a desk was written with, to name its place in the storage.
export function workKey(preset: string): string {
  let h = 0x811c9dc5;
  for (let i = 0; i < preset.length; ++i) h = Math.imul(h ^ preset.charCodeAt(i), 0x01000193) >>> 0;
  return 'zenthar-desk:' + (preset ? h.toString(16).padStart(8, '0') : 'plain');
}

export function loadWork(store: Store, key: string): Work | null {
  const saved = store.getItem(key);
  if (saved === null) return null;
  try {
    const work = JSON.parse(saved) as Partial<Work>;
    if (typeof work.file !== 'string' || typeof work.text !== 'string') return null;
    const changes = (v: unknown) => (Array.isArray(v) ? (v as Change[]) : []);
    return { file: work.file, text: work.text, undos: changes(work.undos), redos: changes(work.redos) };
  } catch {
    return null;
  }
}

// Keeps the work; the history is dropped (oldest first) when the whole does not fit. Says what it
// could keep: 'all', 'text' or 'nothing' (the text alone does not fit either).
export function saveWork(store: Store, key: string, work: Work): 'all' | 'text' | 'nothing' {
  const attempts: Array<[Work, 'all' | 'text']> = [[work, 'all']];
  for (let keep = Math.min(work.undos.length, 50); keep > 0; keep = Math.floor(keep / 4)) {
    attempts.push([{ ...work, undos: work.undos.slice(-keep), redos: [] }, 'all']);
  }
  attempts.push([{ ...work, undos: [], redos: [] }, 'text']);
  for (const [w, kept] of attempts) {
    try {
      store.setItem(key, JSON.stringify(w));
      return kept === 'all' && w.undos.length < work.undos.length ? 'text' : kept;
    } catch {
      // Over the quota: try with less.
    }
  }
  store.removeItem(key);
  return 'nothing';
}

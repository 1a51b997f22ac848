// How the films are kept in the browser's storage: one item a film, written whole, carrying its
// format's number and a count of its writes; read back with every field checked, and its history
// kept only as far as it applies to its text. The earlier desk's one film per desk is read too.
import type { Change } from './history';
import { invertSplices, spliceLines, splitLines, type Splice } from './lines';
import { NOWHERE, selectedFrom, type Context } from './selection';

export const FORMAT = 2;
export const PREFIX = 'zenthar-desk:';
export const OPEN_KEY = PREFIX + 'open'; // the film last opened
const FILM_PREFIX = PREFIX + 'film:';

// The browser's localStorage and sessionStorage, as the desk uses them.
export interface Store {
  readonly length: number;
  key(index: number): string | null;
  getItem(key: string): string | null;
  setItem(key: string, value: string): void;
  removeItem(key: string): void;
}

export interface FilmRecord {
  format: number;
  written: number; // how many times the film was written, so a tab sees another's write
  id: string;
  name: string; // the shot list's file name
  created: number; // ms since 1970: the library's order
  origin?: string; // the desk written for this shot list, for a film that came with one
  from?: string; // where a film opened from a take or a scenario came from, as the engine says it
  deleted?: number; // when it went into the bin
  text: string;
  undos: Change[];
  redos: Change[];
}

export const filmKey = (id: string): string => FILM_PREFIX + id;
export const filmIdOf = (key: string): string | null => (key.startsWith(FILM_PREFIX) ? key.slice(FILM_PREFIX.length) : null);

// A short hash of the text a desk was written with, which names its film's origin (and named
// the earlier desk's item for it).
export function workKey(preset: string): string {
  let h = 0x811c9dc5;
  for (let i = 0; i < preset.length; ++i) h = Math.imul(h ^ preset.charCodeAt(i), 0x01000193) >>> 0;
  return PREFIX + (preset ? h.toString(16).padStart(8, '0') : 'plain');
}

// The format and the count first, so that a tab can read them without reading the whole film.
export function encodeFilm(f: FilmRecord): string {
  return JSON.stringify({ format: FORMAT, written: f.written, id: f.id, name: f.name, created: f.created, origin: f.origin,
                          from: f.from, deleted: f.deleted, text: f.text, undos: f.undos, redos: f.redos });
}

export function writtenOf(raw: string | null): number | null {
  const m = raw === null ? null : /^\{"format":\d+,"written":(\d+),/.exec(raw);
  return m ? Number(m[1]) : null;
}

// Writes an item; false when the storage refuses it (full, or not allowed), which the caller
// answers without losing what it holds.
export function setQuietly(store: Store, key: string, value: string): boolean {
  try {
    store.setItem(key, value);
    return true;
  } catch {
    return false;
  }
}

// The browser's storage, or null where the page may not use it (a browser's setting, a page
// from file:// in some browsers).
export function browserStore(get: () => Store): Store | null {
  try {
    const store = get();
    store.getItem(OPEN_KEY);
    return store;
  } catch {
    return null;
  }
}

// A store in the page alone, where the browser's cannot be had.
export function memoryStore(): Store {
  const items = new Map<string, string>();
  return {
    get length() { return items.size; },
    key: (i) => [...items.keys()][i] ?? null,
    getItem: (k) => items.get(k) ?? null,
    setItem: (k, v) => { items.set(k, String(v)); },
    removeItem: (k) => { items.delete(k); },
  };
}

const isLines = (v: unknown): v is string[] => Array.isArray(v) && v.every((l) => typeof l === 'string');

function spliceFrom(v: unknown): Splice | null {
  const s = v as Partial<Splice> | null;
  if (!s || typeof s !== 'object' || !Number.isInteger(s.at) || s.at! < 0) return null;
  return isLines(s.removed) && isLines(s.inserted) ? { at: s.at!, removed: s.removed, inserted: s.inserted } : null;
}

function contextFrom(v: unknown): Context | null {
  if (v === undefined) return NOWHERE; // the earlier desk kept no context
  const c = v as Partial<Context> | null;
  if (!c || typeof c !== 'object' || !Number.isInteger(c.screen) || c.screen! < -1) return null;
  const selected = selectedFrom(c.selected);
  return selected === undefined ? null : { screen: c.screen!, selected };
}

function changeFrom(v: unknown): Change | null {
  const c = v as Record<string, unknown> | null;
  if (!c || typeof c !== 'object' || typeof c.label !== 'string' || !Array.isArray(c.splices)) return null;
  const splices = c.splices.map(spliceFrom);
  const file = c.file as { before?: unknown; after?: unknown } | undefined;
  if (splices.some((s) => !s) || (file !== undefined && (typeof file?.before !== 'string' || typeof file.after !== 'string'))) return null;
  const before = contextFrom(c.before), after = contextFrom(c.after);
  if (!before || !after) return null;
  const change: Change = { label: c.label, splices: splices as Splice[], before, after };
  if (file) change.file = { before: file.before as string, after: file.after as string };
  return change;
}

// The newest changes of `list` that read as changes, up to the first that does not.
function newestValid(list: unknown): Change[] {
  if (!Array.isArray(list)) return [];
  const out: Change[] = [];
  for (let i = list.length - 1; i >= 0; --i) {
    const c = changeFrom(list[i]);
    if (!c) break;
    out.unshift(c);
  }
  return out;
}

// Of `changes` (the newest last), those that apply one after the other to `text`, each through
// `step`: the undos undone from the text back, the redos redone from it on.
function applying(text: string, changes: Change[], step: (c: Change) => Splice[]): Change[] {
  const lines = splitLines(text);
  for (let i = changes.length - 1; i >= 0; --i) {
    if (spliceLines(lines, step(changes[i]))) return changes.slice(i + 1);
  }
  return changes;
}

export interface KeptHistory {
  undos: Change[];
  redos: Change[];
  dropped: number; // steps that did not read or did not apply to the text
}

export function keptHistory(text: string, undos: unknown, redos: unknown): KeptHistory {
  const u = applying(text, newestValid(undos), (c) => invertSplices(c.splices));
  const r = applying(text, newestValid(redos), (c) => c.splices);
  const count = (v: unknown) => (Array.isArray(v) ? v.length : 0);
  return { undos: u, redos: r, dropped: count(undos) - u.length + count(redos) - r.length };
}

export type Decoded = { film: FilmRecord; dropped: number } | { problem: string; newer?: boolean };

function parsed(raw: string): Record<string, unknown> | null {
  try {
    const v = JSON.parse(raw) as unknown;
    return v && typeof v === 'object' && !Array.isArray(v) ? (v as Record<string, unknown>) : null;
  } catch {
    return null;
  }
}

// A film as kept under `id`, checked field by field; its history too, unless only its name and
// size are wanted.
export function decodeFilm(id: string, raw: string, withHistory = true): Decoded {
  const v = parsed(raw);
  if (!v) return { problem: 'it is not what the desk writes' };
  if (typeof v.format !== 'number' || v.format > FORMAT) {
    return typeof v.format === 'number' ? { problem: 'a newer desk wrote it (format ' + v.format + ')', newer: true }
                                        : { problem: 'it has no format number' };
  }
  const time = (t: unknown) => typeof t === 'number' && Number.isFinite(t);
  if (v.id !== id || typeof v.name !== 'string' || typeof v.text !== 'string' || !Number.isInteger(v.written) ||
      !time(v.created) || (v.origin !== undefined && typeof v.origin !== 'string') ||
      (v.from !== undefined && typeof v.from !== 'string') || (v.deleted !== undefined && !time(v.deleted))) {
    return { problem: 'its name, text, id or times are missing or wrong' };
  }
  const history = withHistory ? keptHistory(v.text, v.undos, v.redos) : { undos: [], redos: [], dropped: 0 };
  const film: FilmRecord = { format: FORMAT, written: v.written as number, id, name: v.name, created: v.created as number,
                             text: v.text, undos: history.undos, redos: history.redos };
  if (v.origin !== undefined) film.origin = v.origin as string;
  if (v.from !== undefined) film.from = v.from as string;
  if (v.deleted !== undefined) film.deleted = v.deleted as number;
  return { film, dropped: history.dropped };
}

// The earlier desk kept one film per desk under "zenthar-desk:plain", or under its workKey for
// a desk written for a shot list: { file, text, undos, redos }.
export function isEarlierKey(key: string): boolean {
  return /^zenthar-desk:(plain|[0-9a-f]{8})$/.test(key);
}

export function earlierFilm(key: string, raw: string): Decoded {
  const v = parsed(raw);
  if (!v || typeof v.file !== 'string' || typeof v.text !== 'string') return { problem: 'it has no file name and text' };
  const history = keptHistory(v.text, v.undos, v.redos);
  // The plain desk's work first in the list, where the plain desk opens.
  const plain = key.endsWith(':plain');
  const film: FilmRecord = { format: FORMAT, written: 0, id: 'kept-' + key.slice(PREFIX.length), name: v.file, created: plain ? 0 : 1,
                             text: v.text, undos: history.undos, redos: history.redos };
  if (!plain) film.origin = key;
  return { film, dropped: history.dropped };
}

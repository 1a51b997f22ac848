// The library: every film the desk keeps in the browser's storage, each with its text and its
// own history. It keeps a list of them for the page, writes a film whole after each change, and
// answers the two ways a write can go wrong without losing a film: the storage is full (the film
// is held here as it is, and whatever history fits is kept), or another tab of the desk wrote
// the same film since this tab read it (this tab's version becomes a film of its own).
import {
  decodeFilm, earlierFilm, encodeFilm, filmIdOf, filmKey, FORMAT, isEarlierKey, OPEN_KEY, setQuietly, writtenOf,
  type FilmRecord, type Store,
} from './storage';

// A film as the list shows it.
export interface FilmEntry {
  id: string;
  name: string;
  created: number;
  lines: number;
  origin?: string;
  from?: string;
  deleted?: number;
}

// How much of a film a write kept: all of it, its text with the newest history only, its text
// alone, or nothing (the film is held in the page until the storage has room).
export type Kept = 'all' | 'recent' | 'text' | 'nothing';

export interface Written {
  film: FilmRecord; // as written: another id and name when it became a film of its own
  kept: Kept;
  conflict?: string; // the name of the film another tab had written in between
  emptiedBin?: number; // films taken out of the bin to make room
}

export const BIN = 10; // deleted films kept for an undo

// A film's id: its time and a random part, so that two tabs never make the same.
export function makeId(): string {
  return Date.now().toString(36) + '-' + Math.random().toString(36).slice(2, 10);
}

// A film as the list shows it; its lines as an editor counts them, a last line end ending the last.
export function entryOf(f: FilmRecord): FilmEntry {
  let lines = f.text === '' || f.text.endsWith('\n') ? 0 : 1;
  for (let i = f.text.indexOf('\n'); i >= 0; i = f.text.indexOf('\n', i + 1)) ++lines;
  return { id: f.id, name: f.name, created: f.created, lines, origin: f.origin, from: f.from, deleted: f.deleted };
}

// "demo.shots", then "demo (2).shots", "demo (3).shots", ...: the first name no film has.
export function freeName(name: string, taken: Iterable<string>): string {
  const names = new Set(taken);
  if (!names.has(name)) return name;
  const m = /^(.*?)(?: \((\d+)\))?(\.[^.]*)?$/.exec(name)!;
  for (let n = 2; ; ++n) {
    const next = m[1] + ' (' + n + ')' + (m[3] ?? '');
    if (!names.has(next)) return next;
  }
}

export function dropNote(name: string, dropped: number): string {
  return name + ': ' + dropped + (dropped === 1 ? ' step' : ' steps') + ' of its history no longer matched its text and ' +
    (dropped === 1 ? 'was' : 'were') + ' dropped; the text is kept.';
}

export class Library {
  private entries = new Map<string, FilmEntry>();
  private seen = new Map<string, number>(); // each film's count of writes as this tab last saw it
  private held = new Map<string, FilmRecord>(); // films the storage did not take
  readonly problems: string[] = []; // what could not be read, for the page to say once

  constructor(private store: Store, private tab: Store | null, private newId: () => string, private now: () => number) {
    this.moveEarlier();
    this.scan();
  }

  // The films and the bin, oldest first.
  list(): FilmEntry[] {
    return [...this.entries.values()].sort((a, b) => a.created - b.created || (a.id < b.id ? -1 : 1));
  }

  // Whether the storage could not take the film, which lives in this tab alone.
  holds(id: string): boolean {
    return this.held.has(id);
  }

  names(): string[] {
    return this.list().filter((e) => !e.deleted).map((e) => e.name);
  }

  // A film as kept (or as held here), with the number of its history's steps that were dropped.
  read(id: string): { film: FilmRecord; dropped: number } | null {
    const held = this.held.get(id);
    if (held) return { film: held, dropped: 0 };
    const raw = this.store.getItem(filmKey(id));
    if (raw === null) return null;
    const d = decodeFilm(id, raw);
    if ('problem' in d) return null;
    this.seen.set(id, d.film.written);
    return d;
  }

  // Writes a film after a change: see the top of this file for what may happen instead.
  write(film: FilmRecord): Written {
    const raw = this.store.getItem(filmKey(film.id));
    const stored = writtenOf(raw), mine = this.seen.get(film.id);
    let conflict: string | undefined;
    if (mine === undefined ? raw !== null : stored !== mine) {
      conflict = film.name;
      film = { ...film, id: this.newId(), name: freeName(film.name, this.names()), created: this.now(), written: 0 };
      delete film.origin;
    } else {
      film = { ...film, written: (mine ?? stored ?? 0) + 1 };
    }
    const result = this.put(film);
    return { ...result, conflict };
  }

  private put(film: FilmRecord): Written {
    const tries: Array<[FilmRecord, Kept]> = [[film, 'all']];
    for (let keep = Math.min(film.undos.length, 50); keep > 0; keep = Math.floor(keep / 4)) {
      tries.push([{ ...film, undos: film.undos.slice(-keep), redos: [] }, 'recent']);
    }
    tries.push([{ ...film, undos: [], redos: [] }, 'text']);
    let emptiedBin: number | undefined;
    for (const [f, kept] of tries) {
      let ok = setQuietly(this.store, filmKey(f.id), encodeFilm(f));
      if (!ok && emptiedBin === undefined) {
        emptiedBin = this.emptyBin(film.id);
        ok = emptiedBin > 0 && setQuietly(this.store, filmKey(f.id), encodeFilm(f));
      }
      if (!ok) continue;
      this.seen.set(f.id, f.written);
      this.held.delete(f.id);
      this.entries.set(f.id, entryOf(film));
      return { film, kept, emptiedBin };
    }
    this.held.set(film.id, film);
    this.entries.set(film.id, entryOf(film));
    return { film, kept: 'nothing', emptiedBin };
  }

  // A new film in the library, named so that no other film has its name.
  // `extra` gives the desk it came with, where it came from, and a history to start with.
  create(name: string, text: string, extra: Partial<Pick<FilmRecord, 'origin' | 'from' | 'undos' | 'redos'>> = {}): Written {
    const film: FilmRecord = { format: FORMAT, written: 0, id: this.newId(), name: freeName(name, this.names()), created: this.now(),
                               text, undos: extra.undos ?? [], redos: extra.redos ?? [] };
    if (extra.origin) film.origin = extra.origin;
    if (extra.from) film.from = extra.from;
    return this.write(film);
  }

  // Into the bin and out of it again: the film stays as it was, marked.
  setDeleted(id: string, deleted: boolean): Written | null {
    const f = this.read(id);
    if (!f) return null;
    const film = { ...f.film };
    if (deleted) film.deleted = this.now();
    else delete film.deleted;
    const done = this.put({ ...film, written: film.written + 1 });
    if (deleted) this.keepBinTo(BIN, id);
    return done;
  }

  bin(): FilmEntry[] {
    return this.list().filter((e) => e.deleted).sort((a, b) => a.deleted! - b.deleted!);
  }

  private keepBinTo(room: number, spare: string): number {
    const bin = this.bin().filter((e) => e.id !== spare);
    let gone = 0;
    while (bin.length > Math.max(0, room - 1)) {
      const e = bin.shift()!;
      this.store.removeItem(filmKey(e.id));
      this.entries.delete(e.id);
      this.held.delete(e.id);
      ++gone;
    }
    return gone;
  }

  private emptyBin(spare: string): number {
    return this.keepBinTo(0, spare);
  }

  // The film this tab had open, else the one last opened in any tab.
  openId(): string | null {
    const listed = (id: string | null | undefined) => !!id && this.entries.has(id) && !this.entries.get(id)!.deleted;
    const mine = this.tab?.getItem(OPEN_KEY), last = this.store.getItem(OPEN_KEY);
    return listed(mine) ? mine! : listed(last) ? last : null;
  }

  setOpen(id: string): void {
    if (this.tab) setQuietly(this.tab, OPEN_KEY, id);
    setQuietly(this.store, OPEN_KEY, id);
  }

  // After another tab wrote `key` (null: it cleared the storage): the list as it is now, and
  // whether the film under `key` now differs from what this tab last saw of it.
  changedElsewhere(key: string | null): string | null {
    if (key === null) {
      this.scan();
      return null;
    }
    const id = filmIdOf(key);
    if (id === null) return null;
    const raw = this.store.getItem(key);
    const d = raw === null ? null : decodeFilm(id, raw, false);
    if (d && 'film' in d) this.entries.set(id, entryOf(d.film));
    else if (!this.held.has(id)) this.entries.delete(id);
    return this.seen.has(id) && writtenOf(raw) !== this.seen.get(id) ? id : null;
  }

  private scan(): void {
    const keep = new Map([...this.held].map(([id, f]) => [id, entryOf(f)]));
    for (let i = 0; i < this.store.length; ++i) {
      const key = this.store.key(i), id = key === null ? null : filmIdOf(key);
      if (id === null || keep.has(id)) continue;
      const d = decodeFilm(id, this.store.getItem(key!) ?? '', false);
      if ('film' in d) keep.set(id, entryOf(d.film));
      else this.problems.push('The film kept as ' + key + ' cannot be read (' + d.problem + '); it is left as it is.');
    }
    this.entries = keep;
  }

  // The earlier desk's films become films of the library. Each old item makes room for its film
  // and comes back where the film does not fit (the film is then held here for the session); an
  // item that cannot be read stays as it is.
  private moveEarlier(): void {
    const keys: string[] = [];
    for (let i = 0; i < this.store.length; ++i) {
      const key = this.store.key(i);
      if (key !== null && isEarlierKey(key)) keys.push(key);
    }
    for (const key of keys) {
      const raw = this.store.getItem(key) ?? '';
      const d = earlierFilm(key, raw);
      if ('problem' in d) {
        this.problems.push('The work kept as ' + key + ' by an earlier desk cannot be read (' + d.problem + '); it is left as it is.');
        continue;
      }
      if (d.dropped) this.problems.push(dropNote(d.film.name, d.dropped));
      this.store.removeItem(key);
      if (this.store.getItem(filmKey(d.film.id)) !== null) continue; // moved before, the old item left behind
      if (setQuietly(this.store, filmKey(d.film.id), encodeFilm(d.film))) continue;
      setQuietly(this.store, key, raw);
      this.held.set(d.film.id, d.film);
    }
  }
}

import { describe, expect, it } from 'vitest';
import { example } from '../test/fixtures';
import { FakeEngine, quietPage, quotaStore, rig, settle } from '../test/fake';
import { run } from './commands';
import { Desk } from './desk';
import { BIN, dropNote, entryOf, freeName, Library } from './library';
import { filmKey, FORMAT, type FilmRecord } from './storage';

const page = quietPage;
const demo = example('demo');
// Line n went from a hundred x to yN: a history the text of bigText applies to.
const change = (n: number) => ({ label: 'edit ' + n, splices: [{ at: n, removed: ['x'.repeat(100)], inserted: ['y' + n] }],
                                 before: { screen: -1, selected: null }, after: { screen: -1, selected: null } });
const bigText = Array.from({ length: 40 }, (_, n) => 'y' + n).join('\n') + '\n' + 'a'.repeat(2000);

describe('a film is named so that no other film has its name', () => {
  it.each([
    ['demo.shots', [], 'demo.shots'],
    ['demo.shots', ['demo.shots'], 'demo (2).shots'],
    ['demo.shots', ['demo.shots', 'demo (2).shots'], 'demo (3).shots'],
    ['demo (2).shots', ['demo (2).shots'], 'demo (3).shots'],
    ['film', ['film'], 'film (2)'],
  ])('%s among %j', (name, taken, want) => {
    expect(freeName(name, taken)).toBe(want);
  });
});

it.each([['a\nb\n', 2], ['a\n\nb', 3], ['a', 1], ['', 0], ['\n', 1]])('counts %j as %i lines, as an editor does', (text, n) => {
  expect(entryOf({ format: FORMAT, written: 0, id: 'f', name: 'f', created: 0, text, undos: [], redos: [] }).lines).toBe(n);
});

it('says how much of a history went', () => {
  expect(dropNote('a.shots', 1)).toBe('a.shots: 1 step of its history no longer matched its text and was dropped; the text is kept.');
  expect(dropNote('a.shots', 2)).toBe('a.shots: 2 steps of its history no longer matched its text and were dropped; the text is kept.');
});

describe('a full store', () => {
  const twoFilms = () => {
    const store = quotaStore();
    const lib = new Library(store, null, (() => { let n = 0; return () => 'f' + ++n; })(), () => 1);
    const kept = lib.create('kept.shots', 'a kept film\n').film;
    const big = lib.create('big.shots', bigText).film;
    return { store, lib, kept, big, keptRaw: store.getItem(filmKey(kept.id)) };
  };

  it('keeps the film written with its newest history, then its text alone; the films kept before stay', () => {
    const { store, lib, kept, big, keptRaw } = twoFilms();
    const undos = Array.from({ length: 40 }, (_, i) => change(i));
    store.room = 6000;
    const some = lib.write({ ...big, undos });
    expect(some.kept).toBe('recent');
    expect(lib.read(big.id)!.film.undos.at(-1)).toEqual(undos.at(-1));
    store.room = 2600;
    expect(lib.write({ ...big, undos }).kept).toBe('text');
    expect(lib.read(big.id)!.film.undos).toEqual([]);
    expect(store.getItem(filmKey(kept.id))).toBe(keptRaw);
  });

  it('holds a film that does not fit at all in the tab, leaving what was kept of it and every other film', () => {
    const { store, lib, kept, big, keptRaw } = twoFilms();
    const before = store.getItem(filmKey(big.id));
    store.room = 1000;
    const w = lib.write({ ...big, text: 'b'.repeat(3000) });
    expect(w.kept).toBe('nothing');
    expect(store.getItem(filmKey(big.id))).toBe(before);
    expect(store.getItem(filmKey(kept.id))).toBe(keptRaw);
    expect(lib.read(big.id)!.film.text).toBe('b'.repeat(3000));
    expect(lib.holds(big.id)).toBe(true);
    store.room = Infinity;
    expect(lib.write(lib.read(big.id)!.film).kept).toBe('all');
    expect(lib.holds(big.id)).toBe(false);
  });

  it('empties the bin before it cuts a film\'s history', () => {
    const { store, lib, kept, big } = twoFilms();
    lib.setDeleted(kept.id, true);
    store.room = [...store.items].reduce((n, [k, v]) => n + k.length + v.length, 0) + 50;
    const w = lib.write({ ...big, text: bigText + 'c'.repeat(120) });
    expect(w).toMatchObject({ kept: 'all', emptiedBin: 1 });
    expect(store.getItem(filmKey(kept.id))).toBeNull();
  });

  it('says so once, goes on, and the film being edited comes back after another film was opened', async () => {
    const r = await rig();
    const first = r.desk.filmId;
    r.store.room = [...r.store.items].reduce((n, [k, v]) => n + k.length + v.length, 0) - 1;
    for (let i = 0; i < 3; ++i) {
      run(r.desk, page, 'longer');
      r.learn();
      await settle();
    }
    expect(r.desk.notices.filter((n) => n.id === 'storage')).toHaveLength(1);
    expect(r.desk.notices.find((n) => n.id === 'storage')!.text).toMatch(/full: demo.shots is not kept across a reload/);
    r.desk.dismiss('storage');
    run(r.desk, page, 'longer');
    r.learn();
    expect(r.desk.notices.some((n) => n.id === 'storage')).toBe(false);
    const latest = r.desk.text;
    r.desk.newFilm();
    await settle();
    expect(r.desk.file).toBe('film.shots');
    r.desk.openFilm(first);
    expect(r.desk.text).toBe(latest);
    expect(r.desk.undos).toBe(1); // the four seconds, merged
    r.store.room = Infinity;
    await settle();
    run(r.desk, page, 'shorter');
    expect(r.desk.notices.some((n) => n.id === 'storage')).toBe(false);
    expect(JSON.parse(r.store.getItem(filmKey(first))!).text).toBe(r.desk.text);
  });

  it('says when it emptied the bin to keep the film being edited', async () => {
    const r = await rig();
    const demo = r.desk.filmId;
    r.desk.addFilm('spare.shots', 'x'.repeat(500));
    run(r.desk, page, 'delete-film', { id: r.desk.filmId });
    expect(r.desk.filmId).toBe(demo);
    await settle();
    r.store.room = [...r.store.items].reduce((n, [k, v]) => n + k.length + v.length, 0) + 100;
    run(r.desk, page, 'add-cast');
    expect(r.desk.notices.find((n) => n.id === 'bin')!.text).toBe('The browser\'s storage is full: the bin was emptied to make room.');
    expect(r.desk.notices.some((n) => n.id === 'storage')).toBe(false);
    expect(r.desk.bin()).toEqual([]);
  });
});

it('keeps the ten films deleted last in the bin, and lets the older go', () => {
  const store = quotaStore();
  let n = 0, t = 0;
  const lib = new Library(store, null, () => 'f' + ++n, () => ++t);
  const ids = Array.from({ length: BIN + 2 }, (_, i) => lib.create('f' + i + '.shots', 'text ' + i + '\n').film.id);
  for (const id of ids) lib.setDeleted(id, true);
  expect(lib.bin().map((e) => e.id)).toEqual(ids.slice(2));
  expect(store.getItem(filmKey(ids[0]))).toBeNull();
  expect(lib.setDeleted(ids[0], false)).toBeNull();
  expect(lib.setDeleted(ids[2], false)!.film.deleted).toBeUndefined();
});

// Two desks on one storage, as two tabs of the same desk are.
async function twoTabs() {
  const store = quotaStore();
  const a = await rig('demo', store), b = await rig('demo', store);
  expect(b.desk.filmId).toBe(a.desk.filmId);
  return { store, a, b };
}

describe('two tabs of the same desk', () => {
  it('never write over each other\'s film: the later write names the conflict, and both versions are kept', async () => {
    const { store, a, b } = await twoTabs();
    const id = a.desk.filmId;
    run(a.desk, page, 'move', { kind: 'cast', key: '1', x: '5', y: '5', z: '0' });
    run(b.desk, page, 'longer');
    expect(b.desk.filmId).not.toBe(id);
    expect(b.desk.file).toBe('demo (2).shots');
    expect(b.desk.notices.find((n) => n.id.startsWith('conflict'))!.text)
      .toMatch(/^demo.shots was changed in another tab .* kept as demo \(2\).shots; the other tab's stays demo.shots/);
    const kept = (fid: string) => (JSON.parse(store.getItem(filmKey(fid))!) as FilmRecord).text;
    expect(kept(id)).toContain('cast 1 like bob at 5 5 0');
    expect(kept(id)).toContain('screen 0 lasts 2');
    expect(kept(b.desk.filmId)).toContain('screen 0 lasts 3');
    expect(kept(b.desk.filmId)).toContain('cast 1 like bob at 2 2 0');
    expect(b.desk.undoLabel).toBe("screen 0's length");
  });

  it('show the other tab\'s change of the open film as it comes, with its history, where the person was', async () => {
    const { store, a, b } = await twoTabs();
    await settle();
    run(b.desk, page, 'screen', { id: '1' });
    run(a.desk, page, 'add-cast');
    b.desk.storageChanged(filmKey(a.desk.filmId));
    expect(b.desk.text).toBe(a.desk.text);
    expect(b.desk.undoLabel).toBe('add a cast member');
    expect(b.desk.screen).toBe(1);
    expect(b.desk.notices.find((n) => n.id === 'elsewhere')!.text).toMatch(/changed in another tab/);
    run(b.desk, page, 'undo');
    a.desk.storageChanged(filmKey(a.desk.filmId));
    expect(a.desk.text).toBe(demo.text);
    expect(b.desk.filmId).toBe(a.desk.filmId); // no conflict: each had seen the other's write
    expect(store.items.size).toBe(2);
  });

  it('list the films the other tab made or removed, and say when it deleted the open one', async () => {
    const { store, a, b } = await twoTabs();
    a.desk.newFilm();
    b.desk.storageChanged(filmKey(a.desk.filmId));
    expect(b.desk.films().map((f) => f.name)).toEqual(['demo.shots', 'film.shots']);
    store.removeItem(filmKey(a.desk.filmId)); // as another tab emptying its bin does
    b.desk.storageChanged(filmKey(a.desk.filmId));
    expect(b.desk.films().map((f) => f.name)).toEqual(['demo.shots']);
    const shared = b.desk.filmId;
    a.desk.deleteFilm(shared);
    b.desk.storageChanged(filmKey(shared));
    expect(b.desk.notices.find((n) => n.id === 'elsewhere')!.text).toMatch(/deleted in another tab/);
    b.engine.learn(b.desk.text, b.desk.shots);
    await settle();
    run(b.desk, page, 'longer');
    expect(b.desk.films().map((f) => f.name)).toContain('demo.shots');
  });
});

describe('twenty films', () => {
  const textOf = (i: number) => demo.text + '# film ' + i + '\n';

  it('each keeps its text and history across switches, a rename, a copy, deletes and a reload', async () => {
    const r = await rig();
    for (let i = 1; i < 20; ++i) {
      r.engine.learn(textOf(i), demo.shots);
      r.desk.addFilm('film-' + i + '.shots', textOf(i));
      await settle();
      for (let k = 0; k <= i % 3; ++k) { // 1 to 3 steps each
        r.clock.t += 1000;
        run(r.desk, page, 'longer');
        r.learn();
      }
    }
    const films = r.desk.films();
    expect(films).toHaveLength(20);
    const want = new Map(films.map((f) => [f.id, { text: r.desk.library.read(f.id)!.film.text, undos: r.desk.library.read(f.id)!.film.undos.length }]));
    for (const i of [7, 2, 19, 0, 11]) {
      r.desk.openFilm(films[i].id);
      await settle();
      expect(r.desk.text).toBe(want.get(films[i].id)!.text);
      expect(r.desk.undos).toBe(want.get(films[i].id)!.undos);
    }
    // Film 11 is open. Undo one of its steps, rename it, copy it.
    run(r.desk, page, 'undo');
    run(r.desk, page, 'name-film', { id: films[11].id, value: ' eleven ' });
    expect(r.desk.file).toBe('eleven.shots');
    run(r.desk, page, 'duplicate-film', { id: films[11].id });
    const copy = r.desk.films().find((f) => f.name === 'eleven (2).shots')!;
    expect(r.desk.library.read(copy.id)!.film.text).toBe(r.desk.text);
    run(r.desk, page, 'undo');
    expect(r.desk.file).toBe('film-11.shots');
    expect(r.desk.library.read(copy.id)!.film.name).toBe('eleven (2).shots');
    // Delete one film and then the open one; both come back with their history.
    run(r.desk, page, 'delete-film', { id: films[4].id });
    run(r.desk, page, 'delete-film', { id: films[11].id });
    expect(r.desk.filmId).not.toBe(films[11].id);
    expect(r.desk.films()).toHaveLength(19);
    expect(r.desk.notices.find((n) => n.id === 'deleted')!.actions).toEqual([{ label: 'Undo', act: 'undo-delete' }]);
    run(r.desk, page, 'undo-delete');
    expect(r.desk.filmId).toBe(films[11].id);
    expect(r.desk.redoLabel).toBe('rename to eleven.shots');
    run(r.desk, page, 'undo-delete');
    expect(r.desk.films()).toHaveLength(21);
    // A reload: another desk on the same storage lists every film, each as it was left.
    const again = new Desk(new Library(r.store, null, () => 'new', () => 1), new FakeEngine());
    again.start(null);
    expect(again.filmId).toBe(films[11].id);
    for (const f of again.films()) {
      const kept = again.library.read(f.id)!.film;
      const before = f.id === films[11].id ? r.desk.text : f.id === copy.id ? r.desk.library.read(copy.id)!.film.text : want.get(f.id)!.text;
      expect(kept.text, f.name).toBe(before);
      expect(kept.format).toBe(FORMAT);
    }
    expect(again.library.read(films[4].id)!.film.undos).toHaveLength(want.get(films[4].id)!.undos);
  });
});

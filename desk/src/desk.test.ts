import { describe, expect, it } from 'vitest';
import { FakeEngine, quietPage, quotaStore, rig, settle, type Rig } from '../test/fake';
import { run } from './commands';
import { Desk, filmName, NEW_FILM, textSplice, timingOf } from './desk';
import { Library } from './library';
import * as E from './edits';
import { applySplices, splitLines } from './lines';

describe('text typed into the text view becomes one splice of the lines it changed', () => {
  it.each([
    ['a\nb\nc', 'a\nB\nc', [{ at: 1, removed: ['b'], inserted: ['B'] }]],
    ['a\nb\nc', 'a\nc', [{ at: 1, removed: ['b'], inserted: [] }]],
    ['a\nb', 'a\nb\nc', [{ at: 2, removed: [], inserted: ['c'] }]],
    ['a\na\na', 'a\na', [{ at: 2, removed: ['a'], inserted: [] }]],
    ['a', 'a\na', [{ at: 1, removed: [], inserted: ['a'] }]],
    ['b\na', 'a', [{ at: 0, removed: ['b'], inserted: [] }]],
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

// ---- The desk's state, with an engine that reads the films the test has shown it ----

const page = quietPage;

// Runs a command as the page would, and lets the engine know the film the desk predicted.
async function act(r: Rig, name: string, args: Record<string, string> = {}): Promise<void> {
  expect(run(r.desk, page, name, args)).not.toBeUndefined();
  r.learn();
  await settle();
}

describe('undo and redo bring back the screen and the selection of before and after', () => {
  it('selects what an edit added; undo lets go of it, redo selects it again', async () => {
    const r = await rig();
    await act(r, 'screen', { id: '1' });
    await act(r, 'add-cast');
    expect(r.desk.selected).toEqual({ kind: 'cast', slot: 2 });
    await act(r, 'screen', { id: '2' });
    await act(r, 'undo');
    expect(r.desk.selected).toBeNull();
    expect(r.desk.screen).toBe(1);
    await act(r, 'redo');
    expect(r.desk.selected).toEqual({ kind: 'cast', slot: 2 });
    expect(r.desk.undoLabel).toBe('add a cast member');
  });

  it('goes back to the screen an edit left, and on to the one it made', async () => {
    const r = await rig();
    await act(r, 'add-screen');
    expect(r.desk.screen).toBe(1);
    await act(r, 'screen', { id: '3' });
    await act(r, 'undo');
    expect(r.desk.screen).toBe(0);
    await act(r, 'redo');
    expect(r.desk.screen).toBe(1);
  });

  // The page broke on these: the selection named what the undo had taken away.
  it.each([
    ['a cast member', 'add-cast'],
    ['a cue', 'add-cue'],
    ['an explosion', 'add-explosion'],
  ])('lets go of %s an undo took away, so that Delete and a nudge find nothing', async (_, add) => {
    const r = await rig();
    const before = r.desk.text;
    await act(r, add);
    expect(r.desk.selected).not.toBeNull();
    await act(r, 'undo');
    expect(r.desk.selected).toBeNull();
    expect(run(r.desk, page, 'remove-selected')).toBe(false);
    expect(run(r.desk, page, 'nudge', { dx: '1', dy: '0', by: '1' })).toBe(false);
    expect(r.desk.text).toBe(before);
  });

  it('lets go of a selection the text typed no longer has, once it is read, and undo brings it back', async () => {
    const r = await rig();
    await act(r, 'select', { kind: 'cast', slot: '1' });
    const without = r.desk.text.replace('cast 1 like bob at 2 2 0\n', '').replace(/^ {2}1 .*\n/gm, '');
    const read = structuredClone(r.desk.shots!);
    read.cast = read.cast.filter((c) => c.slot !== 1);
    for (const s of read.screens) s.cues = s.cues.filter((c) => c.slot !== 1);
    r.engine.learn(without, read);
    r.desk.replaceText('edit the text', without);
    expect(r.desk.shots).toBeNull(); // being read: nothing can use the selection
    expect(run(r.desk, page, 'remove-selected')).toBe(true);
    expect(r.desk.refused).toBe('a moment: the film is being read');
    await settle();
    expect(r.desk.selected).toBeNull();
    await act(r, 'undo');
    expect(r.desk.selected).toEqual({ kind: 'cast', slot: 1 });
  });
});

describe('the desk\'s film is its own', () => {
  it('stays as it was when an edit is refused half-way', async () => {
    const r = await rig();
    const text = r.desk.text, film = JSON.stringify(r.desk.shots);
    r.desk.edit('two moves', (e) => {
      E.moveCast(e, 1, [9, 9, 0]);
      E.moveCast(e, 7, [9, 9, 0]); // nobody is cast in slot 7
    });
    expect(r.desk.refused).toBe('slot 7 is not cast');
    expect(r.desk.text).toBe(text);
    expect(JSON.stringify(r.desk.shots)).toBe(film);
    expect(r.desk.undos).toBe(0);
  });

  it('never changes the engine\'s answer, and takes the answer\'s reading only where it differs', async () => {
    const r = await rig();
    const answer = r.desk.answer!, read = JSON.stringify(answer.shots);
    await act(r, 'move', { kind: 'cast', key: '1', x: '5', y: '5', z: '0' });
    expect(JSON.stringify(answer.shots)).toBe(read);
    const mine = r.desk.shots;
    await settle();
    expect(r.desk.shots).toBe(mine); // the engine read the same film
  });

  it('redraws once a change, and once for the answer to it', async () => {
    const r = await rig();
    const n = r.redraws.n;
    run(r.desk, page, 'longer');
    expect(r.redraws.n).toBe(n + 1);
    r.learn();
    await settle();
    expect(r.redraws.n).toBe(n + 2);
    run(r.desk, page, 'escape');
    expect(r.redraws.n).toBe(n + 3);
  });
});

describe('nudges and a screen\'s length, close together, are one step', () => {
  it('merges nudges of one spot within half a second, named after the spot', async () => {
    const r = await rig();
    const before = r.desk.text;
    await act(r, 'screen', { id: '0' });
    await act(r, 'select', { kind: 'cue', slot: '1' });
    for (let i = 0; i < 4; ++i) {
      r.clock.t += 200;
      await act(r, 'nudge', { dx: '1', dy: '0', by: '1' });
    }
    expect(r.desk.undos).toBe(1);
    expect(r.desk.undoLabel).toBe("move slot 1's spot");
    expect(r.desk.text.split('\n')[7]).toBe('place corner at 24 0 0');
    r.clock.t += 600;
    await act(r, 'nudge', { dx: '0', dy: '1', by: '0.1' });
    expect(r.desk.undos).toBe(2);
    await act(r, 'undo');
    await act(r, 'undo');
    expect(r.desk.text).toBe(before);
    expect(r.desk.selected).toEqual({ kind: 'cue', slot: 1 });
  });

  it('merges + and - on one screen, and a second screen\'s are a step of their own', async () => {
    const r = await rig();
    for (const key of ['longer', 'longer', 'shorter']) {
      r.clock.t += 100;
      await act(r, key);
    }
    expect(r.desk.undos).toBe(1);
    expect(r.desk.text).toContain('screen 0 lasts 3\n');
    await act(r, 'screen', { id: '1' });
    r.clock.t += 100;
    await act(r, 'longer');
    expect(r.desk.undos).toBe(2);
  });
});

describe('what the page holds around the film', () => {
  it('keeps what is typed in the text until it is applied, as one step, and forgets it once it is the text again', async () => {
    const r = await rig();
    run(r.desk, page, 'tab', { tab: 'text' });
    expect(r.desk.tab).toBe('text');
    const typed = r.desk.text.replace('screen 0 lasts 2', 'screen 0 lasts 5');
    run(r.desk, page, 'type-text', { value: typed });
    expect([r.desk.draft, r.desk.undos]).toEqual([typed, 0]);
    run(r.desk, page, 'type-text', { value: r.desk.text });
    expect(r.desk.draft).toBeNull();
    run(r.desk, page, 'type-text', { value: typed });
    run(r.desk, page, 'apply-text');
    expect([r.desk.text, r.desk.draft, r.desk.undoLabel]).toEqual([typed, null, 'edit the text']);
  });

  it('adds the cue for the slot picked while that slot is free, else for the first free slot', async () => {
    const r = await rig();
    await act(r, 'screen', { id: '2' }); // slot 1 has a cue here
    await act(r, 'cue-slot', { value: '2' });
    await act(r, 'add-cue');
    expect(r.desk.text.split('\n')[27]).toBe('  2 phone');
    await act(r, 'cue-slot', { value: '1' });
    await act(r, 'add-cue');
    expect(r.desk.text.split('\n')[28]).toBe('  0 phone');
    expect(r.desk.selected).toEqual({ kind: 'cue', slot: 0 });
  });

  it('opens a new film where the storage holds none, and on a reload the film the tab had open', async () => {
    const store = quotaStore(), tab = quotaStore();
    const first = new Desk(new Library(store, tab, () => 'a', () => 1), new FakeEngine());
    first.start(null);
    expect([first.file, first.text]).toEqual(['film.shots', NEW_FILM]);
    first.addFilm('b.shots', 'b\n');
    const again = new Desk(new Library(store, tab, () => 'c', () => 2), new FakeEngine());
    again.start(null);
    expect(again.file).toBe('b.shots');
  });

  it('renames a film that is not open as a step of its own history, which undo takes back', async () => {
    const r = await rig();
    const demo = r.desk.filmId;
    await act(r, 'select', { kind: 'cast', slot: '1' });
    await act(r, 'longer');
    r.desk.addFilm('b.shots', 'b\n');
    run(r.desk, page, 'name-film', { id: demo, value: 'renamed' });
    const kept = r.desk.library.read(demo)!.film;
    expect([kept.name, kept.undos.length, kept.undos[1].label]).toEqual(['renamed.shots', 2, 'rename to renamed.shots']);
    expect(kept.undos[1].before).toEqual({ screen: 0, selected: { kind: 'cast', slot: 1 } });
    r.desk.openFilm(demo);
    await act(r, 'undo');
    expect(r.desk.file).toBe('demo.shots');
    expect(r.desk.selected).toEqual({ kind: 'cast', slot: 1 });
    run(r.desk, page, 'name-film', { id: 'gone', value: 'x' });
    expect(r.desk.refused).toBe('that film is no longer kept');
  });

  it('brings back after a reload the film deleted last, without opening it', async () => {
    const r = await rig();
    const demo = r.desk.filmId;
    r.desk.addFilm('b.shots', 'b\n');
    r.desk.addFilm('c.shots', 'c\n');
    r.clock.t += 10;
    run(r.desk, page, 'delete-film', { id: demo });
    const b = r.desk.films().find((f) => f.name === 'b.shots')!.id;
    r.clock.t += 10;
    run(r.desk, page, 'delete-film', { id: b });
    const again = new Desk(new Library(r.store, null, () => 'n', () => r.clock.t), new FakeEngine());
    again.start(null);
    const open = again.filmId;
    again.undoDelete();
    expect(again.films().map((f) => f.name)).toEqual(['b.shots', 'c.shots']);
    expect(again.filmId).toBe(open);
    again.undoDelete();
    expect(again.films().map((f) => f.id)).toContain(demo);
    again.undoDelete();
    expect(again.refused).toBe('no deleted film is kept');
  });

  it.each([
    ['chase', 'chase.shots'], ['  take two.shots ', 'take two.shots'], ['film.v2', 'film.v2'], ['x'.repeat(120), 'x'.repeat(120) + '.shots'],
    ['', 'a film needs a name'], ['a/b', "a film's name is a file name: no / or \\"], ['a\\b', "a film's name is a file name: no / or \\"],
    ['tab\there', "a film's name is a file name: no / or \\"], ['x'.repeat(121), "a film's name is at most 120 characters"],
  ])('names a film %j as %j', (typed, want) => {
    const name = filmName(typed);
    expect(name instanceof RangeError ? name.message : name).toBe(want);
  });
});

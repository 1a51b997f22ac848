import { describe, expect, it } from 'vitest';
import { quietPage, quotaStore, rig, settle, type Rig } from '../test/fake';
import { example } from '../test/fixtures';
import type { Answer } from './answer';
import { run } from './commands';
import { Desk } from './desk';
import { kindOf, readText } from './files';
import { Library } from './library';

describe('a file opened is a shot list, or a take or a film the engine rehearses', () => {
  it.each([
    ['demo.shots', 'player at 0 0 0\n', 'shot list'],
    ['DEMO.SHOTS', 'player at 0 0 0\n', 'shot list'],
    // A .shots file is a shot list whatever it holds, as the engine takes it.
    ['odd.shots', 'zenthar-take 2\n', 'shot list'],
    ['2026-01-01_20-15-00.take', 'zenthar-take 2\nweapon 7\n', 'take'],
    ['zenthar.take', 'zenthar-take 1\n', 'take'],
    ['demo.film', 'player at 0 0 0\nrun 3\n', 'film'],
    ['demo.FILM', 'fps 30\n', 'film'],
    // A take renamed, or saved with its comments first, says what it is by its first word.
    ['take.txt', 'zenthar-take 2\n', 'take'],
    ['download', '\uFEFF\n# kept\n  zenthar-take 2\n', 'take'],
    ['demo.film', 'zenthar-take 2\n', 'take'],
    ['notes.txt', 'player at 0 0 0\n', 'shot list'],
    ['notes.txt', 'zenthar-takes 2\n', 'shot list'],
    ['empty', '', 'shot list'],
  ])('%s holding %j is a %s', (name, text, kind) => {
    expect(kindOf(name, text).name).toBe(kind);
  });

  it('reads a file as UTF-8, and names a file that is not', async () => {
    expect(await readText(new File(['caf\u00e9\n'], 'a.shots'))).toEqual({ name: 'a.shots', text: 'caf\u00e9\n' });
    await expect(readText(new File([new Uint8Array([0x7a, 0xe9, 0x0a])], 'old.take'))).rejects.toThrow(/^old\.take is not UTF-8 text/);
  });
});

const AUTOSAVE: Answer = {
  ok: true, problems: [], file: '2026-01-01_20-15-00.shots', text: example('demo').text,
  from: 'the film of 2026-01-01_20-15-00.take, an autosave of 47 keys',
  source: { file: '2026-01-01_20-15-00.take', kind: 'autosave', version: 2, steps: 50, keys: 47 },
};

// The desk's state around the open film, which a file that does not open must leave as it was.
function around(r: Rig): unknown {
  const d = r.desk;
  return { id: d.filmId, file: d.file, text: d.text, undos: d.undos, redos: d.redos, films: d.films(), store: [...r.store.items] };
}

describe('a take or a film opened becomes the film of its shot list', () => {
  it('named after the file, saying where it came from, kept with it across a reload and a copy', async () => {
    const r = await rig();
    r.engine.replies.open = AUTOSAVE;
    await r.desk.openFile('2026-01-01_20-15-00.take', 'zenthar-take 2\n');
    expect(r.engine.requests.find((q) => q.op === 'open')).toEqual({ op: 'open', file: '2026-01-01_20-15-00.take', text: 'zenthar-take 2\n' });
    expect(r.desk.file).toBe('2026-01-01_20-15-00.shots');
    expect(r.desk.text).toBe(AUTOSAVE.text);
    expect(r.desk.from).toBe(AUTOSAVE.from);
    expect(r.desk.notices).toEqual([]);
    const id = r.desk.filmId;
    r.desk.duplicateFilm(id);
    const copy = r.desk.films().find((f) => f.name === '2026-01-01_20-15-00 (2).shots')!;
    expect(copy.from).toBe(AUTOSAVE.from);
    // A film made in the desk says nothing of where it came from; the opened one again does.
    r.desk.newFilm();
    expect(r.desk.from).toBeUndefined();
    const reloaded = new Desk(new Library(r.store, null, () => 'x', () => 0), r.engine);
    expect(reloaded.openFilm(id)).toBe(true);
    expect(reloaded.from).toBe(AUTOSAVE.from);
    expect(reloaded.file).toBe('2026-01-01_20-15-00.shots');
  });

  it('says of a torn autosave only which line it left out', async () => {
    const r = await rig();
    const from = AUTOSAVE.from + '; torn line 52 left out';
    r.engine.replies.open = { ...AUTOSAVE, from, source: { ...AUTOSAVE.source!, torn: { line: 52, text: 'at 4.1' } } };
    await r.desk.openFile('2026-01-01_20-15-00.take', 'zenthar-take 2\n');
    expect(r.desk.from).toBe(from);
    expect(r.desk.notices.map((n) => n.text)).toEqual([expect.stringMatching(/^2026-01-01_20-15-00\.take ends in a line cut off .*: line 52 is left out/)]);
  });

  it('says it is opening each file until that file has opened, two files at once too', async () => {
    const r = await rig();
    r.engine.replies.open = AUTOSAVE;
    const first = r.desk.openFile('a.take', 'zenthar-take 2\n'), second = r.desk.openFile('b.film', 'run 1\n');
    expect(r.desk.notices.map((n) => n.id)).toEqual(['opening:a.take', 'opening:b.film']);
    await first;
    expect(r.desk.notices.map((n) => n.id)).toEqual(['opening:b.film']);
    await second;
    expect(r.desk.notices).toEqual([]);
    expect(r.desk.films().map((f) => f.name)).toContain('2026-01-01_20-15-00 (2).shots');
  });

  it('a shot list goes to no engine but the rehearsal of its own text', async () => {
    const r = await rig();
    await r.desk.openFile('chase.shots', example('every-action').text);
    await settle();
    expect(r.desk.file).toBe('chase.shots');
    expect(r.desk.from).toBeUndefined();
    expect(r.engine.requests.map((q) => q.op)).not.toContain('open');
  });
});

describe('a file that does not open', () => {
  it.each<[string, Answer, string[]]>([
    ['bad.take', { ok: false, error: 'bad.take:3: usage: move X Y Z', problems: [{ line: 3, text: 'usage: move X Y Z' }] },
     ['bad.take:3: usage: move X Y Z']],
    ['two.film', { ok: false, problems: [{ line: 2, text: 'one' }, { line: 9, text: 'two' }] }, ['two.film:2: one', 'two.film:9: two']],
    ['big.take', { ok: false, error: 'zenthar-sim: out of memory', problems: [{ line: 0, text: 'zenthar-sim: out of memory' }] },
     ['zenthar-sim: out of memory']],
    ['odd.take', { ok: true, problems: [] }, ['the engine gave no reason']],
  ])('%s: each problem with its file and line, and nothing in the desk changed', async (name, reply, items) => {
    const r = await rig();
    await run(r.desk, quietPage, 'add-cast');
    r.learn();
    await settle();
    const before = around(r);
    r.engine.replies.open = reply;
    await r.desk.openFile(name, 'zenthar-take 2\n');
    expect(around(r)).toEqual(before);
    expect(r.desk.notices).toEqual([{ id: 'open', text: name + ' does not open; nothing in the desk was changed.', items }]);
    // The next file that opens takes the notice away.
    r.engine.replies.open = AUTOSAVE;
    await r.desk.openFile('2026-01-01_20-15-00.take', 'zenthar-take 2\n');
    expect(r.desk.notices).toEqual([]);
  });
});

describe('the exports the engine makes', () => {
  it('asks for the open film by its name and text, and downloads what comes back', async () => {
    const r = await rig();
    const got: string[][] = [];
    r.engine.replies.export = { ok: true, problems: [], file: 'demo.svg', text: '<svg/>' };
    run(r.desk, { ...quietPage, download: (n, t) => got.push([n, t]) }, 'export-storyboard');
    await settle();
    expect(r.engine.requests.at(-1)).toEqual({ op: 'export', as: 'storyboard', file: 'demo.shots', text: r.desk.text });
    expect(got).toEqual([['demo.svg', '<svg/>']]);
  });

  it('a failing export downloads nothing and says why, with the line', async () => {
    const r = await rig('demo', quotaStore());
    const got: string[] = [];
    r.engine.replies.export = { ok: false, error: 'demo.shots:4: no such ped', problems: [{ line: 4, text: 'no such ped' }] };
    for (const [name, what] of [['export-player', "show player's page"], ['export-sheet', 'film sheet']]) {
      run(r.desk, { ...quietPage, download: (n) => got.push(n) }, name);
      await settle();
      expect(r.desk.notices).toEqual([{ id: 'export', text: 'The ' + what + ' of demo.shots was not made.', items: ['demo.shots:4: no such ped'] }]);
    }
    expect(got).toEqual([]);
  });
});

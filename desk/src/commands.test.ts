import { readdirSync, readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { describe, expect, it } from 'vitest';
import { quietPage, rig, settle } from '../test/fake';
import { command, COMMANDS, forKey, keyName, run, titleOf, type Page, type Where } from './commands';

const here = dirname(fileURLToPath(import.meta.url));
const key = (k: string, mods: Partial<Record<'ctrlKey' | 'metaKey' | 'altKey' | 'shiftKey', boolean>> = {}) =>
  keyName({ key: k, ctrlKey: false, metaKey: false, altKey: false, shiftKey: false, ...mods });

describe('a key is named as the table names it', () => {
  it.each([
    [key('z', { ctrlKey: true }), 'Mod+z'],
    [key('Z', { ctrlKey: true, shiftKey: true }), 'Mod+Shift+z'],
    [key('z', { metaKey: true }), 'Mod+z'],
    [key('+', { shiftKey: true }), '+'],
    [key('='), '='],
    [key('ArrowLeft', { shiftKey: true }), 'Shift+ArrowLeft'],
    [key('ArrowLeft', { shiftKey: true, altKey: true }), 'Alt+Shift+ArrowLeft'],
    [key('Enter', { ctrlKey: true }), 'Mod+Enter'],
    [key('Delete'), 'Delete'],
  ])('%s', (name, want) => {
    expect(name).toBe(want);
  });
});

describe('a key runs its command only where it belongs', () => {
  const at = (k: string, where: 'page' | 'field' | 'text') => forKey(k, where === 'text', where !== 'page')?.command.name ?? null;

  it.each([
    ['Delete', 'page', 'remove-selected'], ['Delete', 'field', null], ['Backspace', 'text', null],
    ['Mod+z', 'page', 'undo'], ['Mod+z', 'field', 'undo'], ['Mod+z', 'text', null],
    ['Mod+y', 'field', 'redo'], ['Mod+Enter', 'text', 'apply-text'], ['Mod+Enter', 'page', null],
    ['+', 'page', 'longer'], ['+', 'field', null], ['PageDown', 'page', 'next-screen'],
    ['Escape', 'field', 'escape'], ['Shift+ArrowUp', 'page', 'nudge'], ['ArrowUp', 'page', null], ['Mod++', 'page', null],
  ] as Array<[string, 'page' | 'field' | 'text', string | null]>)('%s in the %s: %s', (k, where, want) => {
    expect(at(k, where)).toBe(want);
  });

  it('passes what the key says: a unit, or a tenth with Alt', () => {
    expect(forKey('Shift+ArrowLeft', false, false)!.args).toEqual({ dx: '-1', dy: '0', by: '1' });
    expect(forKey('Alt+Shift+ArrowDown', false, false)!.args).toEqual({ dx: '0', dy: '-1', by: '0.1' });
  });

  it('gives no key two commands in one place', () => {
    const seen = new Map<string, string>();
    for (const c of COMMANDS) {
      for (const k of Object.keys(c.keys ?? {})) {
        const where: Where = c.where ?? 'page';
        expect(seen.get(k + '@' + where), k).toBeUndefined();
        seen.set(k + '@' + where, c.name);
      }
    }
  });

  it('names its keys in the titles, as a person types them', () => {
    expect(titleOf(command('undo')!)).toBe('undo the last change (Ctrl+Z)');
    expect(titleOf(command('add-cast')!)).toBe('a new cast member in the first free slot');
  });
});

it('has a command for every control the page draws, each name once', () => {
  expect(new Set(COMMANDS.map((c) => c.name)).size).toBe(COMMANDS.length);
  const sources = [join(here, '../desk.html'), ...readdirSync(here).filter((f) => f.endsWith('.ts') && !f.endsWith('.test.ts')).map((f) => join(here, f))];
  const named = new Set<string>();
  for (const file of sources) {
    for (const m of readFileSync(file, 'utf8').matchAll(/data-act="([a-z-]+)"|act: '([a-z-]+)'/g)) named.add(m[1] ?? m[2]);
  }
  expect(named.size).toBeGreaterThan(30);
  expect([...named].filter((name) => !command(name))).toEqual([]);
});

// ---- What each command of the editor does to the demo's text ----

const page = quietPage;

// Runs commands one after the other on the demo, each on the film the one before left (a few
// seconds apart, so that none merge), and gives the lines asked for.
async function after(steps: Array<[string, Record<string, string>]>, lines: number[], screen = 0) {
  const r = await rig();
  run(r.desk, page, 'screen', { id: String(screen) });
  for (const [name, args] of steps) {
    r.clock.t += 5000;
    run(r.desk, page, name, args);
    r.learn();
    await settle();
  }
  const text = r.desk.text.split('\n');
  return { lines: lines.map((n) => text[n - 1]), desk: r.desk };
}

describe('each control of the editor changes its line', () => {
  it.each([
    ['an action', [['code', { slot: '0', value: '7' }]], 0, [17], ['  0 horn']],
    ['a car', [['code', { slot: '0', value: '9' }], ['car', { slot: '0', value: 'bus' }]], 0, [17], ['  0 drive bus']],
    ['a seat', [['code', { slot: '0', value: '6' }], ['seat', { slot: '0', value: '2' }]], 0, [17], ['  0 ride taxi seat 2']],
    ['a target', [['code', { slot: '0', value: '8' }], ['target', { slot: '0', value: '1' }]], 0, [17], ['  0 fight slot 1']],
    ['a weapon', [['code', { slot: '0', value: '4' }], ['weapon', { slot: '0', value: '3' }]], 0, [17], ['  0 gun 3']],
    ['a cue\'s spot typed', [['cue-spot', { id: '1', value: '1 2 0' }]], 0, [18], ['  1 go 1 2 0']],
    ['a cue\'s spot at a place', [['cue-spot-place', { id: '1', value: 'north' }]], 0, [18], ['  1 go north']],
    ['a cue\'s spot at coordinates where it was', [['cue-spot-place', { id: '1', value: '' }]], 0, [18, 8], ['  1 go 20 0 0', 'place corner at 20 0 0']],
    ['an explosion\'s kind', [['kind', { id: '0', value: '1' }]], 2, [28], ['  fire at taxi-stand']],
    ['an explosion\'s spot', [['blast-spot', { id: '0', value: '3 4 0' }]], 2, [28], ['  rocket at 3 4 0']],
    ['a cast member\'s spot', [['cast-spot', { id: '1', value: '5 5 0' }]], 0, [13], ['cast 1 like bob at 5 5 0']],
    ['a cast member at a place', [['cast-spot-place', { id: '1', value: 'corner' }]], 0, [13], ['cast 1 like bob at corner']],
    ['a place', [['place', { name: 'corner', value: '1 1 0' }]], 0, [8, 18], ['place corner at 1 1 0', '  1 go corner']],
    ['a screen\'s length', [['length', { value: '9' }]], 1, [21], ['screen 1 lasts 9']],
    ['a cue removed', [['remove-cue', { slot: '0' }]], 0, [17], ['  1 go corner']],
    ['an explosion removed', [['remove-explosion', { id: '0' }]], 2, [28], ['']],
    ['a cast member removed, with its cues', [['remove-cast', { slot: '1' }]], 0, [13, 16, 17], ['', '  0 phone', '']],
    ['a screen added after this one', [['add-screen', {}]], 1, [24, 25, 28], ['', 'screen 2 lasts 2', 'screen 3 lasts 1']],
    ['a screen removed, the later ones numbered back', [['remove-screen', {}]], 1, [21, 23], ['', 'screen 1 lasts 1']],
  ] as Array<[string, Array<[string, Record<string, string>]>, number, number[], string[]]>)('%s', async (_, steps, screen, lines, want) => {
    expect((await after(steps, lines, screen)).lines).toEqual(want);
  });

  it.each([
    ['a spot that is neither', 'cue-spot-place', { id: '1', value: 'nowhere' }, 'a spot is X Y Z or the name of a place'],
    ['a place put nowhere', 'place', { name: 'corner', value: 'x' }, 'a place is at X Y Z'],
    ['a cue of a slot without one', 'code', { slot: '5', value: '7' }, 'slot 5 has no cue on screen 0'],
    ['an explosion that is not there', 'kind', { id: '3', value: '1' }, 'screen 0 has no explosion 4'],
    ['a cast member who is not', 'cast-spot', { id: '9', value: '1 1 0' }, 'slot 9 is not cast'],
    ['a number that is none', 'weapon', { slot: '0', value: 'x' }, 'a value is a whole number'],
    ['a tab there is not', 'tab', { tab: 'map' }, 'no tab is map'],
  ])('refuses %s, and the text stays', async (_, name, args, why) => {
    const { desk } = await after([], []);
    const text = desk.text;
    expect(run(desk, page, name, args)).toBe(true);
    expect(desk.refused).toBe(why);
    expect(desk.text).toBe(text);
  });
});

describe('the keys of the map and the screens', () => {
  it.each([
    ['Shift+ArrowLeft', 'cast 1 like bob at 1 2 0'], ['Shift+ArrowRight', 'cast 1 like bob at 3 2 0'],
    ['Shift+ArrowUp', 'cast 1 like bob at 2 3 0'], ['Shift+ArrowDown', 'cast 1 like bob at 2 1 0'],
    ['Alt+Shift+ArrowUp', 'cast 1 like bob at 2 2.1 0'],
  ])('%s nudges the selected spot', async (k, want) => {
    const { desk } = await after([['select', { kind: 'cast', slot: '1' }]], []);
    const hit = forKey(k, false, false)!;
    run(desk, page, hit.command.name, hit.args);
    expect(desk.text.split('\n')[12]).toBe(want);
  });

  it('goes to the next and the previous screen and stays at the ends', async () => {
    const { desk } = await after([], []);
    const seen: number[] = [];
    for (const k of ['PageDown', 'PageDown', 'PageDown', 'PageUp', 'PageUp', 'PageUp']) {
      run(desk, page, forKey(k, false, false)!.command.name);
      seen.push(desk.screen);
    }
    expect(seen).toEqual([1, 2, 2, 1, 0, 0]);
  });

  it('lets go of a name being typed first, then of the selection', async () => {
    const { desk } = await after([['select', { kind: 'cast', slot: '1' }], ['rename-film', { id: 'x' }]], []);
    expect(desk.renaming).toBe('x');
    run(desk, page, 'escape');
    expect([desk.renaming, desk.selected]).toEqual([null, { kind: 'cast', slot: 1 }]);
    run(desk, page, 'escape');
    expect(desk.selected).toBeNull();
  });
});

describe('what a command tells the page, and the names of the steps', () => {
  it.each([
    ['move', { kind: 'explosion', key: '0', x: '1', y: '1', z: '0' }, 2, 'move explosion 1'],
    ['remove-explosion', { id: '0' }, 2, 'remove explosion 1'],
    ['move', { kind: 'cue', key: '1', x: '1', y: '1', z: '0' }, 0, "move slot 1's spot"],
    ['move', { kind: 'place', key: 'north', x: '1', y: '1', z: '0' }, 0, 'move north'],
    ['remove-cue', { slot: '1' }, 0, "remove slot 1's cue"],
    ['cast-spot', { id: '0', value: '1 1 0' }, 0, 'slot 0 starts elsewhere'],
    ['code', { slot: '0', value: '7' }, 0, "slot 0's action"],
    ['remove-screen', {}, 1, 'remove screen 1'],
  ])('%s %j names its step', async (name, args, screen, label) => {
    const { desk } = await after([[name, args]], [], screen);
    expect(desk.undoLabel).toBe(label);
  });

  it('selects an explosion on the map, and Delete removes it', async () => {
    const { desk } = await after([['select', { kind: 'explosion', id: '0' }]], [], 2);
    expect(desk.selected).toEqual({ kind: 'explosion', index: 0 });
    run(desk, page, 'remove-selected');
    expect(desk.text).not.toContain('rocket at taxi-stand');
  });

  it('shows the screen it goes to, and exports only a film that recorded', async () => {
    const seen: Array<[string, unknown]> = [];
    const spy: Page = { ...page, seekScreen: (n) => { seen.push(['seek', n]); }, download: (f, t) => { seen.push([f, t]); } };
    const { desk } = await after([], []);
    run(desk, spy, 'next-screen');
    run(desk, spy, 'export-shots');
    run(desk, spy, 'export-take'); // the engine here gives no take
    expect(desk.refused).toBe('the take comes from a film that records: this one does not');
    expect(seen).toEqual([['seek', 1], ['demo.shots', desk.text]]);
  });
});

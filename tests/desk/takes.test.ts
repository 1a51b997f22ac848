// What the game and the tools write, opened in the desk from file://, by the Open button and by a
// drop: every example's autosave, the autosaves of seeded random films directed by hand, every
// example's planned take (version 1), every example film (a scenario), a torn autosave. Each
// opens as the shot list `zenthar-sim FILE --shots` writes, byte for byte, says where it came
// from, and shows its film with the verdict native zenthar-plan gives its shot list. A file that
// does not read changes nothing; the three exports made by the engine are the native tools'.
//
//   ZENTHAR_SEED=N replays the hand films; ZENTHAR_FILMS=K opens K of them (default 24).
import { createRequire } from 'node:module';
import { mkdirSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { basename, dirname, join } from 'node:path';
import type { Browser, Page } from 'playwright-core';
import { afterAll, beforeAll, describe, expect, it } from 'vitest';
import { DESK, deskFor, exported, largestShots, launch, named, newPage, open, openFile, OUT, plan, ROOT, settled, shot, sim, state } from './browser';

const { handFilm } = createRequire(join(ROOT, 'tests/wasm/'))('./hand_films.js') as { handFilm: (seed: number) => string };

let browser: Browser;
beforeAll(async () => { browser = await launch(); });
afterAll(async () => { await browser.close(); });

const DIR = join(OUT, 'takes');
const example = (ending: string) => readdirSync(join(ROOT, 'examples')).filter((f) => f.endsWith(ending)).sort();
const SEED = process.env.ZENTHAR_SEED !== undefined ? Number(process.env.ZENTHAR_SEED) : Math.floor(Math.random() * 2 ** 31);
const HAND_FILMS = Number(process.env.ZENTHAR_FILMS ?? 24);

// A file to open, what it must open as (native zenthar-sim --shots), and the verdict native
// zenthar-plan gives that shot list.
interface Opened { file: string; kind: 'autosave' | 'planned take' | 'scenario'; shots: string; state: string; torn?: number }

function expected(file: string, kind: Opened['kind']): Opened {
  const shots = join(DIR, basename(file).replace(/\.[^.]*$/, '') + '.expected.shots');
  const made = sim([file, '--quiet', '--shots', shots]);
  if (made.code !== 0) throw new Error('zenthar-sim ' + file + ' --shots: ' + made.out);
  const code = plan([shots, '--quiet']).code;
  return { file, kind, shots: readFileSync(shots, 'utf8'), state: ['verified', 'not recorded', 'unrecordable'][code] ?? 'code ' + code };
}

function autosaveOf(film: string, take: string): string {
  const made = sim([film, '--quiet', '--autosave', take]);
  if (made.code !== 0) throw new Error('zenthar-sim ' + film + ' --autosave: ' + made.out);
  return take;
}

// An autosave cut in the middle of its last line, as a crash leaves it.
function tornOf(film: string): Opened {
  const whole = readFileSync(autosaveOf(film, join(DIR, 'whole.take')), 'utf8');
  const last = whole.lastIndexOf('\n', whole.length - 2) + 1;
  const torn = join(DIR, '2026-01-01_00-00-00.take');
  writeFileSync(torn, whole.slice(0, last + 7));
  return { ...expected(torn, 'autosave'), torn: whole.slice(0, last).split('\n').length };
}

function files(): Opened[] {
  rmSync(DIR, { recursive: true, force: true });
  mkdirSync(DIR, { recursive: true });
  const all: Opened[] = [];
  for (const film of example('.film')) {
    const take = autosaveOf(join(ROOT, 'examples', film), join(DIR, film.replace('.film', '-autosave.take')));
    all.push(expected(take, 'autosave'));
  }
  console.log('hand films: ZENTHAR_SEED=' + SEED + ' ZENTHAR_FILMS=' + HAND_FILMS);
  for (let i = 0; i < HAND_FILMS; ++i) {
    const film = join(DIR, 'hand-' + (SEED + i) + '.film');
    writeFileSync(film, handFilm(SEED + i));
    all.push(expected(autosaveOf(film, join(DIR, '2026-01-01_20-' + String(i).padStart(2, '0') + '-00.take')), 'autosave'));
  }
  for (const shots of example('.shots')) {
    const take = join(DIR, shots.replace('.shots', '-planned.take'));
    if (plan([join(ROOT, 'examples', shots), '--quiet', '--take', take]).code !== 0) throw new Error(shots + ' did not plan');
    all.push(expected(take, 'planned take'));
  }
  for (const film of example('.film')) all.push(expected(join(ROOT, 'examples', film), 'scenario'));
  all.push(tornOf(join(ROOT, 'examples/car-chase.film')));
  return all;
}

// The desk's own notices, each by its id.
async function notes(page: Page): Promise<Array<{ id: string; text: string }>> {
  return page.$$eval('#notices .note', (els) => els.map((e) => ({ id: (e as HTMLElement).dataset.note!, text: e.textContent ?? '' })));
}

// The film just opened from `o`, named `name`: its text, where it came from, the notice of a torn
// line and no other, and its film shown.
async function holds(page: Page, errors: string[], o: Opened, name: string): Promise<void> {
  const what = basename(o.file) + ' opened as ' + name;
  expect(errors, what).toEqual([]);
  expect(await page.getAttribute('html', 'data-error'), what).toBeNull();
  const said = await notes(page);
  if (o.torn) {
    expect(said.map((n) => n.id.replace(/:.*/, '')), what).toEqual(['torn']);
    expect(said[0].text, what).toContain('line ' + o.torn + ' is left out');
  } else {
    expect(said, what).toEqual([]);
  }
  const from = { autosave: ', an autosave of ', 'planned take': ', a planned take of ', scenario: ', a scenario' }[o.kind];
  const line = (await page.textContent('#from')) ?? '';
  expect(line, what).toContain('This film is the film of ' + basename(o.file) + from);
  expect(line.endsWith('; torn line ' + o.torn + ' left out.'), what).toBe(o.torn !== undefined);
  expect(await state(page), what).toBe(o.state);
  expect(await page.locator('.chip').count(), what).toBe((o.shots.match(/^screen /gm) ?? []).length);
  expect(await page.locator('li.cast').count(), what).toBe((o.shots.match(/^cast /gm) ?? []).length);
  if (o.state === 'verified') {
    expect(Number(await page.getAttribute('#state', 'data-t')), what).toBeGreaterThanOrEqual(0);
    expect(await page.locator('#handles i[data-key^="cast:"]').count(), what).toBe((o.shots.match(/^cast /gm) ?? []).length);
  }
  const list = await exported(page, '#export-shots');
  expect(list.name, what).toBe(name);
  expect(list.text === o.shots, what + ': the shot list exported is not what zenthar-sim --shots writes').toBe(true);
}

describe('takes, autosaves and films open as their shot lists', () => {
  let all: Opened[] = [];
  beforeAll(() => { all = files(); });

  it.each(['button', 'drop'] as const)('by the %s, one after the other in one page', async (how) => {
    const { context, page, errors } = await newPage(browser);
    await open(page, DESK);
    for (const o of all) {
      const base = basename(o.file).replace(/\.[^.]*$/, ''), name = base + '.shots';
      await openFile(page, o.file, how);
      await named(page, name, 120000);
      await holds(page, errors, o, name);
      if (how === 'button' && base === 'demo-autosave') await shot(page, 'opened-autosave');
      if (o.torn && how === 'button') await shot(page, 'opened-torn');
      // The torn line's notice goes with its film.
      if (o.torn) await page.click('#notices .note button.x');
    }
    await page.click('[data-tab="films"]');
    expect(await page.locator('li.film').count()).toBe(all.length + 1);
    await context.close();
  });
});

describe("the largest film's autosave", () => {
  it('opens by the button, and the page answers while the engine rehearses it', async () => {
    mkdirSync(DIR, { recursive: true });
    writeFileSync(join(DIR, 'largest.shots'), largestShots());
    expect(plan([join(DIR, 'largest.shots'), '--quiet', '--scenario', join(DIR, 'largest.film')]).code).toBe(0);
    const o = expected(autosaveOf(join(DIR, 'largest.film'), join(DIR, '2026-01-02_21-00-00.take')), 'autosave');
    const { context, page, errors } = await newPage(browser);
    await open(page, deskFor(join(ROOT, 'examples/car-chase.shots')));
    await openFile(page, o.file, 'button');
    await page.locator('#notices .note[data-note^="opening:"]').waitFor();
    // While it rehearses, the film open before still seeks and draws.
    const box = (await page.locator('#timeline').boundingBox())!;
    await page.mouse.click(box.x + box.width * 0.6, box.y + box.height / 2);
    expect(Number(await page.getAttribute('#state', 'data-t'))).toBeGreaterThan(0);
    expect(await page.locator('#notices .note[data-note^="opening:"]').count()).toBe(1);
    await named(page, '2026-01-02_21-00-00.shots', 600000);
    expect(await page.locator('.chip').count()).toBe(256);
    await holds(page, errors, o, '2026-01-02_21-00-00.shots');
    await context.close();
  });
});

// What `zenthar-sim FILE` says of a file it refuses, without the program's own lines.
function refusal(file: string): string {
  const said = sim([file, '--quiet']);
  expect(said.code).toBe(2);
  return said.out.trim().split('\n')[0].replace(dirname(file) + '/', '');
}

describe('a file that does not read', () => {
  it('shows its problem with its file and line, adds no film and loses nothing', async () => {
    const { context, page, errors } = await newPage(browser);
    await open(page, deskFor(join(ROOT, 'examples/demo.shots')));
    await page.click('[data-act="add-cast"]');
    await settled(page);
    const before = await page.evaluate(() => ({ film: document.body.dataset.film, undos: document.body.dataset.undos,
      name: document.getElementById('film-name')!.textContent, store: JSON.stringify(Object.entries(localStorage).sort()) }));
    const bad: Array<[string, string | Buffer, 'button' | 'drop']> = [
      ['bad.take', 'zenthar-take 2\nweapon 7\nmove 1 2\n', 'drop'],
      ['bad.film', 'player at 0 0 0\nat 1 fly\nrun 2\n', 'button'],
      ['cut.take', 'zenthar-take 7\n', 'drop'],
      ['latin1.take', Buffer.from('zenthar-take 2\n# caf\xe9\n', 'latin1'), 'button'],
    ];
    for (const [name, text, how] of bad) {
      const file = join(OUT, name);
      writeFileSync(file, text);
      await openFile(page, file, how);
      const note = page.locator('#notices .note[data-note="open"]');
      await note.waitFor({ timeout: 60000 });
      const said = (await note.textContent()) ?? '';
      if (name === 'latin1.take') expect(said).toContain('latin1.take is not UTF-8 text');
      else expect(said).toContain(refusal(file));
      if (name === 'bad.take') {
        expect(said).toContain('bad.take:3: usage: move X Y Z');
        await shot(page, 'opened-bad');
      }
      expect(await page.evaluate(() => ({ film: document.body.dataset.film, undos: document.body.dataset.undos,
        name: document.getElementById('film-name')!.textContent, store: JSON.stringify(Object.entries(localStorage).sort()) }))).toEqual(before);
      await page.click('#notices .note[data-note="open"] button.x');
    }
    expect(errors).toEqual([]);
    await context.close();
  });
});

describe("the exports are the native tools' files", () => {
  it.each(example('.shots'))('%s', async (name) => {
    const shots = join(ROOT, 'examples', name), base = join(DIR, name.replace('.shots', ''));
    mkdirSync(DIR, { recursive: true });
    expect(plan([shots, '--quiet', '--scenario', base + '.film']).code).toBe(0);
    sim([base + '.film', '--check', '--quiet', '--player', base + '.html', '--storyboard', base + '.svg', '--film', base + '.sheet.md']);
    const { context, page, errors } = await newPage(browser);
    await open(page, deskFor(shots));
    for (const [button, ending] of [['#export-player', '.html'], ['#export-storyboard', '.svg'], ['#export-sheet', '.sheet.md']]) {
      const got = await exported(page, button);
      expect(got.name).toBe(basename(base) + ending);
      expect(got.text === readFileSync(base + ending, 'utf8'), name + ' ' + ending + ' differs from the native file').toBe(true);
    }
    expect(errors).toEqual([]);
    await context.close();
  });

  it('a list that does not read gives a notice with its file and line, and no file', async () => {
    const { context, page } = await newPage(browser);
    await open(page, DESK);
    await page.click('[data-tab="text"]');
    await page.fill('#text', 'player at 0 0 0\nwobble\n');
    await page.click('#apply-text');
    await settled(page);
    let downloads = 0;
    page.on('download', () => ++downloads);
    await page.click('#export-storyboard');
    const note = page.locator('#notices .note[data-note="export"]');
    await note.waitFor({ timeout: 60000 });
    expect(await note.textContent()).toContain('The storyboard of film.shots was not made.');
    expect(await note.textContent()).toMatch(/film\.shots:2: /);
    expect(downloads).toBe(0);
    await context.close();
  });
});

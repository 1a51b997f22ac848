// Random steps over everything the desk offers, by mouse and by key: drags, selections, deletes,
// undos and redos, screens, lengths, nudges, the editor's controls, text typed (some of it not a
// shot list), films opened, made, copied, renamed, deleted and brought back, files opened (shot
// lists, an autosave, a planned take, a film, a take that does not read), every export, and
// reloads. After
// every step: no page error, and the films' texts and histories are what the steps imply, which
// the test follows itself: each film's texts from its first to its last step, and where its undo
// stands. At the end every film is undone to its first text, byte for byte, and redone again.
//
//   ZENTHAR_SEED=N replays a run; ZENTHAR_SEEDS=K runs K more random seeds; ZENTHAR_STEPS=M
//   takes M steps a run (default 200).
import { mkdirSync, readdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import type { Browser, Page } from 'playwright-core';
import { afterAll, beforeAll, describe, expect, it } from 'vitest';
import { DESK, launch, newPage, openFile, OUT, plan, ROOT, settled, sim } from './browser';

let browser: Browser;
// The files a person opens besides shot lists: what the game and the tools write, and a take
// that does not read (which opens no film).
const MADE = join(OUT, 'monkey');
const READS = [join(MADE, '2026-01-01_20-15-00.take'), join(MADE, 'zenthar.take'), join(ROOT, 'examples/explosions.film')];
const BAD = join(MADE, 'bad.take');
beforeAll(async () => {
  mkdirSync(MADE, { recursive: true });
  sim([join(ROOT, 'examples/demo.film'), '--quiet', '--autosave', READS[0]]);
  plan([join(ROOT, 'examples/car-chase.shots'), '--quiet', '--take', READS[1]]);
  writeFileSync(BAD, 'zenthar-take 2\nweapon 7\nmove 1 2\n');
  browser = await launch();
});
afterAll(async () => { await browser.close(); });

const STEPS = Number(process.env.ZENTHAR_STEPS ?? 200);
const SEEDS = process.env.ZENTHAR_SEED !== undefined ? [Number(process.env.ZENTHAR_SEED)]
  : [1, 2, ...Array.from({ length: Number(process.env.ZENTHAR_SEEDS ?? 1) }, () => Math.floor(Math.random() * 2 ** 31))];
const EXAMPLES = readdirSync(join(ROOT, 'examples')).filter((f) => f.endsWith('.shots')).map((f) => join(ROOT, 'examples', f));

function random(seed: number) {
  let state = seed >>> 0;
  const below = (n: number) => {
    state = (Math.imul(state, 1103515245) + 12345) >>> 0;
    return (state >>> 8) % n;
  };
  return { below, pick: <T>(items: readonly T[]): T | undefined => (items.length ? items[below(items.length)] : undefined),
           chance: (p: number) => below(1000) < p * 1000 };
}
type Random = ReturnType<typeof random>;

// What the test knows of a film: its texts, one a step, and how many of them are undone.
interface Known { texts: string[]; at: number }

// What the page shows of the open film, and what it keeps of any film.
interface Seen { film: string; undos: number; redos: number; text: string }

async function seen(page: Page): Promise<Seen> {
  return page.evaluate(() => {
    const b = document.body.dataset, raw = localStorage.getItem('zenthar-desk:film:' + b.film);
    return { film: b.film!, undos: Number(b.undos), redos: Number(b.redos), text: raw ? (JSON.parse(raw) as { text: string }).text : '' };
  });
}

async function keptOf(page: Page, id: string): Promise<{ text: string; undos: number; redos: number; deleted: boolean } | null> {
  return page.evaluate((key) => {
    const raw = localStorage.getItem(key);
    if (!raw) return null;
    const f = JSON.parse(raw) as { text: string; undos: unknown[]; redos: unknown[]; deleted?: number };
    return { text: f.text, undos: f.undos.length, redos: f.redos.length, deleted: f.deleted !== undefined };
  }, 'zenthar-desk:film:' + id);
}

async function filmIds(page: Page): Promise<string[]> {
  return page.evaluate(() => {
    const ids: string[] = [];
    for (let i = 0; i < localStorage.length; ++i) {
      const k = localStorage.key(i)!;
      if (k.startsWith('zenthar-desk:film:') && !(JSON.parse(localStorage.getItem(k)!) as { deleted?: number }).deleted) ids.push(k.slice(18));
    }
    return ids.sort();
  });
}

// ---- The steps. Each says what it did after each thing it did (`did`), which follows what came
// of it in the page. ----

type Did = (what: string) => Promise<void>;
type Step = (page: Page, r: Random, did: Did) => Promise<void>;

async function onMap(page: Page): Promise<{ x: number; y: number; w: number; h: number }> {
  const box = (await page.locator('#map').boundingBox())!;
  return { x: box.x, y: box.y, w: box.width, h: box.height };
}

async function handles(page: Page): Promise<Array<{ key: string; x: number; y: number }>> {
  return page.$$eval('#handles i', (els) => els.map((e) => ({ key: (e as HTMLElement).dataset.key!, x: Number((e as HTMLElement).dataset.px),
                                                                y: Number((e as HTMLElement).dataset.py) })));
}

const drag: Step = async (page, r, did) => {
  const h = r.pick(await handles(page));
  if (!h) return did('drag: no spot on the map');
  const m = await onMap(page);
  const to = { x: Math.min(m.w - 2, Math.max(2, h.x + r.below(160) - 80)), y: Math.min(m.h - 2, Math.max(2, h.y + r.below(160) - 80)) };
  await page.mouse.move(m.x + h.x, m.y + h.y);
  await page.mouse.down();
  await page.mouse.move(m.x + to.x, m.y + to.y, { steps: 3 });
  if (r.chance(0.1)) {
    await page.keyboard.press('Escape');
    await page.mouse.up();
    return did('drag ' + h.key + ', let go with Escape');
  }
  await page.mouse.up();
  return did('drag ' + h.key);
};

const clickSpot: Step = async (page, r, did) => {
  const h = r.pick(await handles(page));
  if (!h) return did('click: no spot');
  const m = await onMap(page);
  await page.mouse.click(m.x + h.x, m.y + h.y);
  return did('click ' + h.key);
};

const KEYS = ['Delete', 'Backspace', 'Control+z', 'Control+Shift+z', 'Control+y', '+', '-', '=', 'PageUp', 'PageDown', 'Escape',
              'Shift+ArrowLeft', 'Shift+ArrowUp', 'Alt+Shift+ArrowRight', 'Shift+ArrowDown'];

// A key, or a run of nudges or of + close together, which merge.
const key: Step = async (page, r, did) => {
  const k = r.pick(KEYS)!;
  await page.locator('#map').click({ position: { x: 3, y: 3 } });
  const times = k.startsWith('Shift') || k.startsWith('Alt') || k === '+' ? 1 + r.below(4) : 1;
  for (let i = 0; i < times; ++i) {
    await page.keyboard.press(k);
    await did('key ' + k);
  }
};

// A control of the editor or the bar, clicked or changed.
const control: Step = async (page, r, did) => {
  await settled(page);
  await page.click('[data-tab="film"]');
  // While the text does not read, the editor is greyed and takes no clicks.
  const stale = await page.evaluate(() => document.body.classList.contains('stale'));
  const bar = '#bar button[data-act="undo"], #bar button[data-act="redo"]';
  const buttons = await page.$$(stale ? bar : '#editor-film button[data-act], #editor-film li[data-select], ' + bar);
  const fields = stale ? [] : await page.$$('#editor-film select[data-act], #editor-film input[data-act]');
  if (r.chance(0.6) && buttons.length) {
    const b = r.pick(buttons)!;
    const what = (await b.getAttribute('data-act')) ?? 'select ' + (await b.getAttribute('data-select'));
    if (await b.isDisabled()) return did('button ' + what + ' (disabled)');
    await b.click();
    return did('button ' + what);
  }
  const f = r.pick(fields);
  if (!f) return did('no field');
  const act = (await f.getAttribute('data-act'))!;
  if ((await f.evaluate((e) => e.tagName)) === 'SELECT') {
    const values = await f.$$eval('option:not([disabled])', (os) => os.map((o) => (o as HTMLOptionElement).value));
    const v = r.pick(values) ?? '';
    await f.selectOption(v);
    return did('choose ' + act + ' ' + JSON.stringify(v));
  }
  const number = (await f.getAttribute('type')) === 'number';
  const v = r.pick(number ? ['0', '4', '7', '3600', '-1', '99999'] : ['1 2 0', '-3.5 7 0', '12 6 0', 'nowhere', '4', '', '1e9 1 0'])!;
  await f.fill(v);
  await f.press('Enter');
  return did('type ' + act + ' ' + JSON.stringify(v));
};

// The text changed by hand: a line garbled, removed, copied, or a number changed; then applied.
const typeText: Step = async (page, r, did) => {
  await page.click('[data-tab="text"]');
  const lines = ((await page.inputValue('#text')) as string).split('\n');
  const at = r.below(lines.length);
  const how = r.below(4);
  if (how === 0) lines.splice(at, 0, r.pick(['wobble 7 at', 'screen', '  9 fly', '# a note', 'place x at 1 2 3', 'cast 0 like'])!);
  else if (how === 1) lines.splice(at, 1);
  else if (how === 2) lines.splice(at, 0, lines[at]);
  else lines[at] = lines[at].replace(/\d+/, String(r.below(30)));
  await page.fill('#text', lines.join('\n'));
  if (r.chance(0.5)) await page.keyboard.press('Control+Enter');
  else await page.click('#apply-text');
  return did('text ' + ['garbled', 'line gone', 'line copied', 'number'][how] + ' at ' + (at + 1));
};

// Undos and redos one after the other, by key and by button.
const history: Step = async (page, r, did) => {
  const n = 1 + r.below(4);
  for (let j = 0; j < n; ++j) {
    const undo = j < n / 2 || r.chance(0.3), button = r.chance(0.4);
    if (button) await page.click(undo ? '#undo' : '#redo', { force: true });
    else {
      await page.locator('#map').click({ position: { x: 3, y: 3 } });
      await page.keyboard.press(undo ? 'Control+z' : r.pick(['Control+Shift+z', 'Control+y'])!);
    }
    await did((undo ? 'undo' : 'redo') + (button ? ' button' : ' key'));
  }
};

// As a person does with a text that does not read: the notice's Undo, or the keys.
const mend: Step = async (page, r, did) => {
  if (r.chance(0.5)) return history(page, r, did);
  await page.click('#notice-undo');
  return did("the notice's undo");
};

// ---- A run ----

class Run {
  known = new Map<string, Known>();
  bin = new Map<string, Known>();
  log: string[] = [];
  counts = { steps: 0, undone: 0, redone: 0, merged: 0, unchanged: 0, unreadable: 0 };
  last!: Seen;
  constructor(readonly page: Page, readonly errors: string[], readonly seed: number) {}

  fail(why: string): never {
    throw new Error(why + '\nseed ' + this.seed + ' (ZENTHAR_SEED=' + this.seed + '); the last steps:\n  ' + this.log.slice(-12).join('\n  '));
  }

  check(ok: boolean, why: string): void {
    if (!ok) this.fail(why);
  }

  async look(): Promise<Seen> {
    const now = await seen(this.page);
    this.check(this.errors.length === 0, 'page errors: ' + this.errors.join('; '));
    this.check((await this.page.getAttribute('html', 'data-error')) === null, 'a script error: ' + (await this.page.getAttribute('html', 'data-error')));
    return now;
  }

  // The open film after a step of its own: a new step, a merged one, an undo, a redo, or nothing.
  follow(before: Seen, now: Seen): void {
    const k = this.known.get(now.film)!;
    if (now.undos === before.undos + 1 && now.redos === 0) {
      k.texts = k.texts.slice(0, k.at + 1).concat(now.text);
      k.at += 1;
      ++this.counts.steps;
    } else if (now.undos === before.undos && now.redos === before.redos && now.text !== before.text) {
      this.check(k.at > 0 && now.redos === 0, 'the text changed without a step: ' + JSON.stringify(now));
      k.texts[k.at] = now.text; // merged into the step before
      ++this.counts.merged;
    } else if (now.undos === before.undos - 1 && now.redos === before.redos + 1) {
      k.at -= 1;
      ++this.counts.undone;
    } else if (now.undos === before.undos + 1 && now.redos === before.redos - 1) {
      k.at += 1;
      ++this.counts.redone;
    } else if (now.undos === before.undos - 1 && now.redos === 0 && before.redos === 0) {
      k.texts.pop(); // merged steps that came back to where they began
      k.at -= 1;
      ++this.counts.merged;
    } else {
      ++this.counts.unchanged;
      this.check(now.undos === before.undos && now.redos === before.redos, 'the history moved as no step does: ' +
                 JSON.stringify({ before: [before.undos, before.redos], now: [now.undos, now.redos] }));
    }
    this.same(now.film, now);
  }

  same(id: string, s: { text: string; undos: number; redos: number }): void {
    const k = this.known.get(id)!;
    this.check(s.text === k.texts[k.at], 'film ' + id + ' holds another text than its steps imply');
    this.check(s.undos === k.at && s.redos === k.texts.length - 1 - k.at,
               'film ' + id + "'s history is " + [s.undos, s.redos] + ', its steps imply ' + [k.at, k.texts.length - 1 - k.at]);
  }

  // After a step on the library: films that came, went or came back, each as the steps imply.
  async films(before: Seen, copyOf?: string, renamed?: string): Promise<Seen> {
    const now = await this.look();
    const other = renamed !== undefined && renamed !== now.film ? this.known.get(renamed) : undefined;
    if (other && (await keptOf(this.page, renamed!))!.undos === other.at + 1) {
      other.texts = other.texts.slice(0, other.at + 1).concat(other.texts[other.at]); // a rename is a step
      other.at += 1;
    }
    const ids = await filmIds(this.page);
    for (const id of ids) {
      if (this.known.has(id)) continue;
      const back = this.bin.get(id);
      const source = copyOf && this.known.get(copyOf);
      const kept = (await keptOf(this.page, id))!;
      this.known.set(id, back ?? (source ? { texts: source.texts.slice(), at: source.at } : { texts: [kept.text], at: 0 }));
      this.bin.delete(id);
    }
    for (const id of [...this.known.keys()]) {
      if (ids.includes(id)) continue;
      this.bin.set(id, this.known.get(id)!);
      this.known.delete(id);
    }
    if (now.film === before.film) this.follow(before, now);
    for (const id of ids) this.same(id, (await keptOf(this.page, id))!);
    return now;
  }
}

async function listedIds(page: Page): Promise<string[]> {
  await page.click('[data-tab="films"]');
  return page.$$eval('li.film', (els) => els.map((e) => (e as HTMLElement).dataset.id!));
}

// A step on the library: the film opened, made, copied, renamed or deleted, a delete undone, a
// file opened, a reload.
async function libraryStep(run: Run, r: Random): Promise<{ what: string; copyOf?: string; renamed?: string }> {
  const page = run.page;
  const ids = await listedIds(page);
  const id = r.pick(ids)!;
  const what = r.below(8);
  if (what === 0) {
    await page.click('li.film[data-id="' + id + '"] .lines');
    return { what: 'open film ' + id };
  }
  if (what === 1) {
    await page.click(r.chance(0.5) ? '#new-film' : '#editor-films [data-act="new-film"]');
    return { what: 'new film' };
  }
  if (what === 2) {
    await page.click('button[data-act="duplicate-film"][data-id="' + id + '"]');
    return { what: 'duplicate ' + id, copyOf: id };
  }
  if (what === 3) {
    await page.click('button[data-act="rename-film"][data-id="' + id + '"]');
    const name = r.pick(['chase', 'take two.shots', '', 'a/b', 'x'.repeat(130), 'final'])!;
    await page.keyboard.type(name);
    await page.keyboard.press(r.chance(0.8) ? 'Enter' : 'Escape');
    return { what: 'rename ' + id + ' ' + JSON.stringify(name.slice(0, 20)), renamed: id };
  }
  if (what === 4 && ids.length > 1) {
    await page.click('button[data-act="delete-film"][data-id="' + id + '"]');
    return { what: 'delete ' + id };
  }
  if (what === 5) {
    const undo = page.locator('#notices [data-act="undo-delete"], #editor-films [data-act="undo-delete"]').first();
    if (!(await undo.count())) return { what: 'no delete to undo' };
    await undo.click();
    return { what: 'undo a delete' };
  }
  if (what === 6) return openStep(page, r, ids.length);
  await page.reload();
  return { what: 'reload' };
}

async function dismiss(page: Page, note: string): Promise<void> {
  const x = page.locator('#notices .note[data-note="' + note + '"] button.x');
  if (await x.count()) await x.click();
}

// A file opened by the Open button or dropped: a shot list, a take or a film (a film more), or a
// take that does not read (its notice, and no film more).
async function openStep(page: Page, r: Random, films: number): Promise<{ what: string }> {
  const file = r.pick([...EXAMPLES, ...READS, BAD])!, how = r.chance(0.5) ? 'button' : 'drop';
  if (file === BAD) {
    await dismiss(page, 'open');
    await openFile(page, file, how);
    await page.locator('#notices .note[data-note="open"]').waitFor({ timeout: 60000 });
  } else {
    await openFile(page, file, how);
    await page.waitForFunction((n) => document.querySelectorAll('li.film').length === n, films + 1, { timeout: 60000 });
  }
  return { what: 'open ' + file.split('/').pop() + ' by ' + how };
}

// An export: a download comes, or the desk says why none does.
const exportStep: Step = async (page, r, did) => {
  const button = r.pick(['shots', 'take', 'script', 'player', 'storyboard', 'sheet'])!;
  await dismiss(page, 'export');
  await Promise.race([page.waitForEvent('download', { timeout: 60000 }),
                      page.locator('#notices .note[data-note="export"], #refused:not([hidden])').first().waitFor({ timeout: 60000 }),
                      page.click('#export-' + button).then(() => new Promise<void>(() => undefined))]);
  return did('export ' + button);
};

async function takeStep(run: Run, r: Random, i: number): Promise<void> {
  const unreadable = (await run.page.getAttribute('#status', 'data-state')) === 'unreadable';
  const pick = r.below(100);
  if (pick < 8 && !unreadable) {
    const before = run.last;
    const step = await libraryStep(run, r);
    run.log.push(i + ': ' + step.what);
    if (step.what === 'reload') await settled(run.page);
    run.last = await run.films(before, step.copyOf, step.renamed);
    if (step.what.startsWith('open film')) run.check(run.last.film === step.what.slice(10), 'the film opened is not the one clicked');
  } else {
    const steps: Array<[number, Step]> = [[12, history], [18, drag], [7, clickSpot], [27, key], [27, control], [6, typeText],
                                          [3, exportStep]];
    let n = r.below(100), s = steps[0][1];
    for (const [w, f] of steps) { if (n < w) { s = f; break; } n -= w; }
    await (unreadable && r.chance(0.5) ? mend : s)(run.page, r, async (what) => {
      run.log.push(i + ': ' + what);
      const before = run.last;
      run.last = await run.look();
      run.check(run.last.film === before.film, 'the film changed by itself');
      run.follow(before, run.last);
    });
  }
  if (r.chance(0.7)) {
    await settled(run.page);
    if ((await run.page.getAttribute('#status', 'data-state')) === 'unreadable') ++run.counts.unreadable;
  }
}

// Every film undone to its first text and redone to its last, through the Undo and Redo buttons
// and the keys.
async function unwind(run: Run): Promise<void> {
  const page = run.page;
  for (const [id, k] of run.known) {
    await page.click('[data-tab="films"]');
    await page.click('li.film[data-id="' + id + '"] .lines');
    await page.waitForFunction((want) => document.body.dataset.film === want, id);
    await page.locator('#map').click({ position: { x: 3, y: 3 } });
    for (let i = 0; i < k.at; ++i) await page.keyboard.press('Control+z');
    await settled(page);
    let s = await run.look();
    run.check(s.text === k.texts[0] && s.undos === 0, 'film ' + id + ' undone to the start is not its first text');
    for (let i = 0; i < k.texts.length - 1; ++i) await page.click('#redo');
    await settled(page);
    s = await run.look();
    run.check(s.text === k.texts[k.texts.length - 1] && s.redos === 0, 'film ' + id + ' redone to the end is not its last text');
  }
}

describe('random steps over the whole desk', () => {
  it.each(SEEDS)('seed %i', async (seed) => {
    console.log('desk monkey: ZENTHAR_SEED=' + seed + ' ZENTHAR_STEPS=' + STEPS);
    const { context, page, errors } = await newPage(browser);
    await page.goto('file://' + DESK);
    await settled(page);
    const run = new Run(page, errors, seed);
    run.last = await run.look();
    run.known.set(run.last.film, { texts: [run.last.text], at: 0 });
    const r = random(seed);
    for (let i = 0; i < STEPS; ++i) await takeStep(run, r, i);
    const said = (what: RegExp) => run.log.filter((l) => what.test(l)).length;
    console.log('  ' + STEPS + ' steps: ' + JSON.stringify(run.counts) + '; ' + run.known.size + ' films, ' + run.bin.size + ' deleted; ' +
                said(/^\d+: open \S+ by/) + ' files opened (' + said(/^\d+: open \S+\.(take|film) by/) + ' takes and films), ' +
                said(/^\d+: export /) + ' exports');
    await settled(page);
    await page.screenshot({ path: join(OUT, 'monkey-' + seed + '.png') });
    await unwind(run);
    expect(errors).toEqual([]);
    await context.close();
  });
});

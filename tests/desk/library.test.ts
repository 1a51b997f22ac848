// The library of films in Chromium: twenty films opened, edited, switched between, renamed,
// copied, deleted and brought back, across reloads; a desk written for a shot list among them;
// the earlier desk's work; kept films that do not read; a full storage; two tabs.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import type { Browser, BrowserContext, Page } from 'playwright-core';
import { afterAll, beforeAll, describe, expect, it } from 'vitest';
import { workKey } from '../../desk/src/storage';
import { DESK, deskFor, keptText, launch, newPage, open, ROOT, settled, shot, state } from './browser';

let browser: Browser;
beforeAll(async () => { browser = await launch(); });
afterAll(async () => { await browser.close(); });

const demo = readFileSync(join(ROOT, 'examples/demo.shots'), 'utf8');

interface Kept { name: string; text: string; undos: Array<{ label: string }>; redos: unknown[]; deleted?: number }

async function kept(page: Page, id: string): Promise<Kept | null> {
  return page.evaluate((key) => JSON.parse(localStorage.getItem(key) ?? 'null') as Kept | null, 'zenthar-desk:film:' + id);
}

// The films the Films tab lists: [id, name].
async function listed(page: Page): Promise<Array<[string, string]>> {
  await page.click('[data-tab="films"]');
  return page.$$eval('li.film', (els) => els.map((e) => [(e as HTMLElement).dataset.id!, e.querySelector('.name')!.textContent!] as [string, string]));
}

async function openFilm(page: Page, id: string): Promise<void> {
  await page.click('[data-tab="films"]');
  await page.click('li.film[data-id="' + id + '"] .lines');
  await page.waitForFunction((want) => document.body.dataset.film === want, id);
  await settled(page);
}

// A shot list dropped on the page, as a person drops a file.
async function drop(page: Page, name: string, text: string): Promise<void> {
  const films = (await listed(page)).length;
  await page.evaluate(([n, t]) => {
    const data = new DataTransfer();
    data.items.add(new File([t], n, { type: 'text/plain' }));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
  }, [name, text]);
  await page.waitForFunction((n) => document.querySelectorAll('li.film').length === n, films + 1);
  await settled(page);
}

describe('twenty films', () => {
  let context: BrowserContext, page: Page, errors: string[];
  const texts = new Map<string, string>(); // each film's text as last left
  const film = (i: number) => demo.replace('screen 0 lasts 2', 'screen 0 lasts ' + (2 + (i % 5))) + '# film ' + i + '\n';

  beforeAll(async () => {
    ({ context, page, errors } = await newPage(browser));
    await open(page, DESK);
  });
  afterAll(async () => { await context.close(); });

  it('opens twenty films, edits each, and each keeps its text and its own history', async () => {
    for (let i = 1; i < 20; ++i) await drop(page, 'film-' + i + '.shots', film(i));
    const films = await listed(page);
    expect(films).toHaveLength(20);
    for (const [id] of films.filter((_, i) => i % 4 === 1)) {
      await openFilm(page, id);
      await page.click('[data-tab="film"]');
      await page.click('[data-act="add-cast"]');
      await settled(page);
    }
    for (const [id] of films) texts.set(id, (await kept(page, id))!.text);
    expect(new Set(texts.values()).size).toBe(20);
    expect(errors).toEqual([]);
  });

  it('switches between them and reloads, and each is as it was left, its undo with it', async () => {
    const films = await listed(page);
    for (const i of [5, 0, 13, 9]) {
      await openFilm(page, films[i][0]);
      expect(await page.textContent('#film-name')).toBe(films[i][1]);
      expect(await keptText(page)).toBe(texts.get(films[i][0]));
    }
    await page.reload();
    await settled(page);
    expect(await page.getAttribute('body', 'data-film')).toBe(films[9][0]);
    expect(await page.textContent('#undo')).toBe('Undo: add a cast member');
    await shot(page, 'library-undo-named');
    await page.locator('#map').click({ position: { x: 5, y: 5 } });
    await page.keyboard.press('Control+z');
    await settled(page);
    expect(await keptText(page)).toBe(film(9));
    await page.keyboard.press('Control+Shift+z');
    await settled(page);
    expect(await keptText(page)).toBe(texts.get(films[9][0]));
    expect(await state(page)).toBe('verified');
  });

  it('renames a film, copies it with its history, deletes two and brings both back', async () => {
    const films = await listed(page);
    const [id] = films[9];
    await page.click('button[data-act="rename-film"][data-id="' + id + '"]');
    await page.keyboard.type('nine');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => document.getElementById('film-name')!.textContent === 'nine.shots');
    expect((await kept(page, id))!.name).toBe('nine.shots');
    await page.click('button[data-act="duplicate-film"][data-id="' + id + '"]');
    const copy = (await listed(page)).find(([, name]) => name === 'nine (2).shots')![0];
    const copied = (await kept(page, copy))!;
    expect(copied.text).toBe(texts.get(id));
    expect(copied.undos.map((u) => u.label)).toEqual(['add a cast member', 'rename to nine.shots']);
    await page.click('button[data-act="delete-film"][data-id="' + films[3][0] + '"]');
    await page.click('button[data-act="delete-film"][data-id="' + id + '"]');
    expect(await page.getAttribute('body', 'data-film')).not.toBe(id);
    expect((await listed(page)).map(([i]) => i)).not.toContain(id);
    expect(await page.textContent('#notices')).toContain('Deleted nine.shots.');
    await shot(page, 'library-deleted');
    await page.click('#notices button[data-act="undo-delete"]');
    await page.waitForFunction((want) => document.body.dataset.film === want, id);
    await settled(page);
    expect(await keptText(page)).toBe(texts.get(id));
    await page.click('#editor-films button[data-act="undo-delete"]');
    const back = await listed(page);
    expect(back).toHaveLength(21);
    expect((await kept(page, films[3][0]))!.text).toBe(texts.get(films[3][0]));
    await page.locator('#map').click({ position: { x: 5, y: 5 } });
    await page.keyboard.press('Control+z');
    await settled(page);
    expect(await page.textContent('#film-name')).toBe('film-9.shots');
    await shot(page, 'library');
    expect(errors).toEqual([]);
  });

  it('opens a desk written for a shot list on its own film, and still offers the others', async () => {
    const before = await listed(page);
    await open(page, deskFor(join(ROOT, 'examples/demo.shots'), 'library-demo'));
    expect(await page.textContent('#film-name')).toBe('demo.shots');
    expect(await keptText(page)).toBe(demo);
    const films = await listed(page);
    expect(films).toHaveLength(before.length + 1);
    await page.click('[data-tab="film"]');
    await page.click('[data-act="add-screen"]');
    await settled(page);
    await page.reload();
    await settled(page);
    expect(await page.getAttribute('body', 'data-film')).toBe(films.find(([, n]) => n === 'demo.shots')![0]);
    expect(await keptText(page)).toContain('screen 3 lasts 1');
    expect((await listed(page)).length).toBe(films.length);
  });
});

describe('what is kept and cannot be used as it is', () => {
  const old = (file: string, text: string, undos: unknown[] = []) => JSON.stringify({ file, text, undos, redos: [] });

  it('opens the earlier desk\'s work as films of the library, history and all', async () => {
    const { context, page, errors } = await newPage(browser);
    const edited = demo.replace('screen 0 lasts 2', 'screen 0 lasts 5');
    const undo = { label: "screen 0's length", splices: [{ at: 15, removed: ['screen 0 lasts 2'], inserted: ['screen 0 lasts 5'] }] };
    await context.addInitScript(([plain, written]) => {
      if (sessionStorage.getItem('seeded')) return;
      sessionStorage.setItem('seeded', '1');
      localStorage.setItem('zenthar-desk:plain', plain);
      localStorage.setItem(written[0], written[1]);
    }, [old('mine.shots', edited, [undo]), [workKey('demo.shots\n' + demo), old('demo.shots', edited)]] as const);
    await open(page, DESK);
    expect(await page.textContent('#film-name')).toBe('mine.shots');
    expect(await keptText(page)).toBe(edited);
    expect(await page.textContent('#undo')).toBe("Undo: screen 0's length");
    await page.keyboard.press('Control+z');
    await settled(page);
    expect(await keptText(page)).toBe(demo);
    await open(page, deskFor(join(ROOT, 'examples/demo.shots'), 'earlier-demo'));
    expect(await keptText(page)).toBe(edited); // the written desk's own work
    expect((await listed(page)).map(([, n]) => n)).toEqual(['mine.shots', 'demo.shots']);
    expect(await page.evaluate(() => Object.keys(localStorage).filter((k) => /^zenthar-desk:(plain|[0-9a-f]{8})$/.test(k)))).toEqual([]);
    expect(errors).toEqual([]);
    await context.close();
  });

  it('drops a kept history that does not fit its text, says so, and keeps the text', async () => {
    const { context, page, errors } = await newPage(browser);
    const broken = { format: 2, written: 4, id: 'x1', name: 'broken.shots', created: 1, text: demo,
                     undos: [{ label: 'gone', splices: [{ at: 3, removed: [demo.split('\n')[3]], inserted: ['not this line'] }] }], redos: [] };
    await context.addInitScript((raw) => {
      if (!localStorage.getItem('zenthar-desk:film:x1')) {
        localStorage.setItem('zenthar-desk:film:x1', raw);
        localStorage.setItem('zenthar-desk:film:x2', '{"format":2,"written":1,"id":"x2"');
      }
    }, JSON.stringify(broken));
    await open(page, DESK);
    expect(await page.textContent('#film-name')).toBe('broken.shots');
    expect(await keptText(page)).toBe(demo);
    expect(await page.isDisabled('#undo')).toBe(true);
    const notices = await page.textContent('#notices');
    expect(notices).toContain('broken.shots: 1 step of its history no longer matched its text and was dropped; the text is kept.');
    expect(notices).toContain('zenthar-desk:film:x2 cannot be read');
    await page.keyboard.press('Control+z');
    expect(errors).toEqual([]);
    await shot(page, 'library-history-dropped');
    await context.close();
  });

  it('says once when the storage is full, goes on editing, and a reload finds what was kept', async () => {
    const { context, page, errors } = await newPage(browser);
    await open(page, DESK);
    const fresh = await keptText(page);
    // All the room there is, but for a few characters.
    await page.evaluate(() => {
      for (let n = 1 << 24; n >= 1; n >>= 1) {
        try { localStorage.setItem('fill-' + n, 'x'.repeat(n)); } catch { /* too long: try half */ }
      }
    });
    await page.click('[data-act="add-cast"]');
    await settled(page);
    await page.click('[data-act="add-screen"]');
    await settled(page);
    const notice = page.locator('#notices .note[data-note="storage"]');
    expect(await notice.count()).toBe(1);
    expect(await notice.textContent()).toMatch(/The browser's storage is full: film.shots is not kept across a reload now/);
    await shot(page, 'library-storage-full');
    await page.click('#notices .note[data-note="storage"] [data-act="dismiss"]');
    await page.click('[data-act="longer"]');
    await settled(page);
    expect(await notice.count()).toBe(0);
    expect(await page.textContent('#undo')).toBe("Undo: screen 1's length");
    expect(await state(page)).toBe('verified');
    await page.reload();
    await settled(page);
    expect(await keptText(page)).toBe(fresh);
    expect(errors).toEqual([]);
    await context.close();
  });
});

describe('a browser that keeps nothing for the page', () => {
  it('edits in the tab alone, and says so once', async () => {
    const { context, page, errors } = await newPage(browser);
    await context.addInitScript(() => {
      Object.defineProperty(window, 'localStorage', { get() { throw new DOMException('denied', 'SecurityError'); } });
    });
    await open(page, DESK);
    await page.click('[data-act="add-cast"]');
    await settled(page);
    expect(await page.textContent('#undo')).toBe('Undo: add a cast member');
    expect(await page.locator('#notices .note').allTextContents()).toEqual([
      expect.stringContaining('This browser keeps nothing for this page'),
    ]);
    expect(await state(page)).toBe('verified');
    expect(errors).toEqual([]);
    await context.close();
  });
});

describe('two tabs of the same desk', () => {
  it('show each other\'s changes of a film as they are written, and say so', async () => {
    const { context, page: a, errors } = await newPage(browser);
    await open(a, deskFor(join(ROOT, 'examples/demo.shots'), 'two-tabs'));
    const b = await context.newPage();
    await open(b, deskFor(join(ROOT, 'examples/demo.shots'), 'two-tabs'));
    await a.click('[data-act="add-cast"]');
    await settled(a);
    await b.waitForFunction(() => document.getElementById('notices')!.textContent!.includes('changed in another tab'));
    await settled(b);
    expect(await keptText(b)).toBe(await keptText(a));
    expect(await b.textContent('#undo')).toBe('Undo: add a cast member');
    await shot(b, 'library-other-tab');
    await b.click('#undo');
    await settled(b);
    await a.waitForFunction(() => document.getElementById('notices')!.textContent!.includes('changed in another tab'));
    expect(await a.textContent('#redo')).toBe('Redo: add a cast member');
    expect((await listed(a)).length).toBe(1);
    expect(errors).toEqual([]);
    await context.close();
  });
});

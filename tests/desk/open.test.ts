// Opening films in the desk from file://: every example, the largest film there can be, a file
// chosen or dropped, the work kept across a reload, a new film; and the engine without a worker.
import { readdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import type { Browser, Page } from 'playwright-core';
import { afterAll, beforeAll, describe, expect, it } from 'vitest';
import { DESK, deskFor, handle, keptText, largestShots, launch, newPage, open, OUT, plan, ROOT, settled, shot, state } from './browser';

let browser: Browser;
beforeAll(async () => { browser = await launch(); });
afterAll(async () => { await browser.close(); });

const examples = readdirSync(join(ROOT, 'examples')).filter((f) => f.endsWith('.shots')).sort();

describe('every example opens from file:// as zenthar-plan --desk wrote it', () => {
  it.each(examples)('%s', async (name) => {
    const shots = join(ROOT, 'examples', name);
    const { page, errors } = await newPage(browser);
    await open(page, deskFor(shots));
    expect(errors).toEqual([]);
    expect(await page.getAttribute('html', 'data-error')).toBeNull();
    expect(await state(page)).toBe('verified');
    const planned = /planned: (\d+) keys/.exec(plan([shots]).out)![1];
    expect(await page.getAttribute('#status', 'data-keys')).toBe(planned);
    const text = readFileSync(shots, 'utf8');
    expect(await page.locator('.chip').count()).toBe((text.match(/^screen /gm) ?? []).length);
    expect(await page.locator('li.cast').count()).toBe((text.match(/^cast /gm) ?? []).length);
    // The film is drawn: the player's state follows it, and the cast's spots are on the map.
    expect(Number(await page.getAttribute('#state', 'data-t'))).toBeGreaterThanOrEqual(0);
    expect(await page.locator('#handles i[data-key^="cast:"]').count()).toBe((text.match(/^cast /gm) ?? []).length);
    await shot(page, 'open-' + name.replace('.shots', ''));
    await page.close();
  });
});

describe('the plain desk', () => {
  it('keeps the work across a reload; New film adds a film, and the one before stays in the library as it was', async () => {
    const { page } = await newPage(browser);
    await open(page, DESK);
    expect(await state(page)).toBe('verified');
    const fresh = await keptText(page);
    await page.click('[data-act="add-cast"]');
    await settled(page);
    const edited = await keptText(page);
    expect(edited).not.toBe(fresh);
    await page.reload();
    await settled(page);
    expect(await keptText(page)).toBe(edited);
    await page.keyboard.press('Control+z');
    await settled(page);
    expect(await keptText(page)).toBe(fresh);
    await page.keyboard.press('Control+Shift+z');
    await settled(page);
    const first = await page.getAttribute('body', 'data-film');
    await page.click('#new-film');
    await settled(page);
    expect(await keptText(page)).toBe(fresh);
    expect(await page.textContent('#film-name')).toBe('film (2).shots');
    expect(await page.isDisabled('#undo')).toBe(true);
    await page.click('[data-tab="films"]');
    await page.click('li.film[data-id="' + first + '"]');
    await settled(page);
    expect(await keptText(page)).toBe(edited);
    await page.close();
  });

  // The file is read after the picker or the drop has returned, so the film shown until then is
  // the one before, settled: wait for the new one's name first.
  async function named(page: Page, file: string): Promise<void> {
    await page.waitForFunction((name) => document.getElementById('film-name')!.textContent === name, file);
    await settled(page);
  }

  it('opens a shot list from the file picker and from a file dropped on the page', async () => {
    const { page } = await newPage(browser);
    await open(page, DESK);
    await page.setInputFiles('#file', join(ROOT, 'examples/car-chase.shots'));
    await named(page, 'car-chase.shots');
    expect(await page.textContent('#film-name')).toBe('car-chase.shots');
    expect(await keptText(page)).toBe(readFileSync(join(ROOT, 'examples/car-chase.shots'), 'utf8'));
    expect(await state(page)).toBe('verified');
    const dropped = readFileSync(join(ROOT, 'examples/explosions.shots'), 'utf8');
    await page.evaluate((text) => {
      const data = new DataTransfer();
      data.items.add(new File([text], 'explosions.shots', { type: 'text/plain' }));
      document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
    }, dropped);
    await named(page, 'explosions.shots');
    expect(await page.textContent('#film-name')).toBe('explosions.shots');
    expect(await keptText(page)).toBe(dropped);
    await page.close();
  });

  it('runs the engine in the page itself where no worker can be started', async () => {
    const { context, page } = await newPage(browser);
    await context.addInitScript(() => { delete (window as { Worker?: unknown }).Worker; });
    await open(page, deskFor(join(ROOT, 'examples/demo.shots')));
    expect(await state(page)).toBe('verified');
    expect(await page.getAttribute('#status', 'data-keys')).toBe('23');
    await page.close();
  });
});

describe('the largest film', () => {
  const shots = join(OUT, 'largest.shots');
  beforeAll(() => { writeFileSync(shots, largestShots()); });

  it('opens, and the view and the timeline move while it rehearses after an edit', async () => {
    const { page, errors } = await newPage(browser);
    await open(page, deskFor(shots, 'largest'), 240000);
    expect(await state(page)).toBe('verified');
    expect(await page.locator('.chip').count()).toBe(256);
    await page.click('[data-act="screen"][data-id="200"]');
    expect(await page.locator('li.cue').count()).toBe(255);
    expect(await page.getAttribute('#state', 'data-show-screen')).toBe('200');
    // An edit: screen 200 a second longer. While the film rehearses again, the timeline still
    // seeks and the map still draws.
    await page.click('button[data-act="longer"]');
    expect(await state(page)).toBe('busy');
    const box = (await page.locator('#timeline').boundingBox())!;
    await page.mouse.click(box.x + box.width * 0.3, box.y + box.height / 2);
    const seeked = await page.getAttribute('#state', 'data-t');
    expect(await state(page)).toBe('busy');
    expect(Number(seeked)).toBeGreaterThan(0);
    await shot(page, 'largest-rehearsing');
    await settled(page, 240000);
    expect(await state(page)).toBe('verified');
    expect(errors).toEqual([]);
    expect(await handle(page, 'cast:254')).toBeTruthy();
    // The screen being edited stays in sight in the screens' own scrolling box.
    expect(await page.evaluate(() => {
      const box = document.querySelector('.screens')!.getBoundingClientRect();
      const chip = document.querySelector('.chip.on')!.getBoundingClientRect();
      return chip.top >= box.top && chip.bottom <= box.bottom ? 'in sight' : 'out of sight';
    })).toBe('in sight');
    await shot(page, 'largest');
    await page.close();
  });
});

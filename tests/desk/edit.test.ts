// Editing a film in the desk by mouse and keyboard, as a person does: drag a spot, change an
// action, add a screen, undo and redo, export; the exports held byte for byte against native
// zenthar-plan run on the same shot list.
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import type { Browser, Page } from 'playwright-core';
import { afterAll, beforeAll, describe, expect, it } from 'vitest';
import { deskFor, exported, handle, keptText, launch, newPage, open, OUT, plan, ROOT, settled, shot, state } from './browser';

let browser: Browser;
beforeAll(async () => { browser = await launch(); });
afterAll(async () => { await browser.close(); });

const demo = join(ROOT, 'examples/demo.shots');

// The native tools' take and shooting script for a shot list, written under the same name.
function native(text: string, name: string): { take: string; script: string; keys: number } {
  mkdirSync(join(OUT, 'native'), { recursive: true });
  const shots = join(OUT, 'native', name);
  writeFileSync(shots, text);
  const take = shots + '.take', script = shots + '.script.md';
  const run = plan([shots, '--take', take, '--script', script]);
  expect(run.code, run.out).toBe(0);
  return { take: readFileSync(take, 'utf8'), script: readFileSync(script, 'utf8'), keys: Number(/planned: (\d+) keys/.exec(run.out)![1]) };
}

async function cueSelect(page: Page, slot: number) {
  return page.locator('li.cue[data-slot="' + slot + '"] select[data-act="code"]');
}

describe('an edit session on the demo', () => {
  let page: Page;
  const texts: string[] = [];

  beforeAll(async () => {
    ({ page } = await newPage(browser));
    await open(page, deskFor(demo));
    texts.push(await keptText(page));
  });

  it('opens on the shot list zenthar-plan put in, verified, with the plan\'s key count on screen', async () => {
    expect(texts[0]).toBe(readFileSync(demo, 'utf8'));
    expect(await state(page)).toBe('verified');
    expect(await page.getAttribute('#status', 'data-keys')).toBe(String(native(texts[0], 'demo.shots').keys));
    expect(await page.textContent('#film-name')).toBe('demo.shots');
  });

  it('drags a cast member\'s spot on the map, and the film is rehearsed again from there', async () => {
    const from = await handle(page, 'cast:1');
    await page.mouse.move(from.x, from.y);
    await page.mouse.down();
    await page.mouse.move(from.x + 40, from.y + 10, { steps: 4 });
    await shot(page, 'edit-mid-drag');
    await page.mouse.move(from.x + 80, from.y + 30, { steps: 4 });
    await page.mouse.up();
    await settled(page);
    const text = await keptText(page);
    const line = text.split('\n')[12];
    expect(line).toMatch(/^cast 1 like bob at -?\d+(\.\d)? -?\d+(\.\d)? 0$/);
    expect(line).not.toBe('cast 1 like bob at 2 2 0');
    expect(text.split('\n').filter((l, i) => l !== texts[0].split('\n')[i])).toEqual([line]);
    expect(await state(page)).toBe('verified');
    const moved = page.locator('#handles i[data-key="cast:1"]');
    expect(Number(await moved.getAttribute('data-x'))).toBeGreaterThan(2);
    texts.push(text);
    await shot(page, 'edit-dragged');
  });

  it('changes a cue\'s action from the list that names the actions as the keys card does', async () => {
    await page.click('[data-act="screen"][data-id="1"]');
    const select = await cueSelect(page, 0);
    const names = await select.locator('option').allTextContents();
    expect(names).toContain('sound the horn');
    expect(names).toContain('look at the target ped');
    expect(names.length).toBe(19);
    await select.selectOption({ label: 'sound the horn' });
    await settled(page);
    const text = await keptText(page);
    expect(text.split('\n')[21]).toBe('  0 horn');
    expect(await state(page)).toBe('verified');
    texts.push(text);
  });

  it('adds a screen after the one being edited, and the later ones move down', async () => {
    await page.click('[data-act="add-screen"]');
    await settled(page);
    const text = await keptText(page);
    expect(text).toContain('screen 2 lasts 2\n');
    expect(text).toContain('screen 3 lasts 1\n');
    expect(await page.locator('.chip').count()).toBe(4);
    expect(await state(page)).toBe('verified');
    texts.push(text);
    await shot(page, 'edit-added-screen');
  });

  it('undoes each edit with Ctrl+Z back to the exact text, and redoes them with Ctrl+Shift+Z', async () => {
    await page.locator('#map').click({ position: { x: 5, y: 5 } });
    for (let i = texts.length - 2; i >= 0; --i) {
      await page.keyboard.press('Control+z');
      await settled(page);
      expect(await keptText(page)).toBe(texts[i]);
    }
    expect(await page.isDisabled('#undo')).toBe(true);
    for (let i = 1; i < texts.length; ++i) {
      await page.keyboard.press('Control+Shift+z');
      await settled(page);
      expect(await keptText(page)).toBe(texts[i]);
    }
    expect(await state(page)).toBe('verified');
  });

  it('exports the shot list, the take and the shooting script as the native tools write them', async () => {
    const shots = await exported(page, '#export-shots');
    expect(shots.name).toBe('demo.shots');
    expect(shots.text).toBe(texts[texts.length - 1]);
    const want = native(shots.text, shots.name);
    const take = await exported(page, '#export-take');
    expect(take.name).toBe('zenthar.take');
    expect(take.text).toBe(want.take);
    const script = await exported(page, '#export-script');
    expect(script.name).toBe('demo.script.md');
    expect(script.text).toBe(want.script);
    expect(await page.getAttribute('#status', 'data-keys')).toBe(String(want.keys));
  });
});

describe('every edit the desk offers, by mouse and keyboard', () => {
  let page: Page;
  beforeAll(async () => {
    ({ page } = await newPage(browser));
    await open(page, deskFor(demo, 'every-edit'));
  });
  const line = async (n: number) => (await keptText(page)).split('\n')[n - 1];

  it('records every one of the nineteen actions the list offers', async () => {
    const select = await cueSelect(page, 1);
    for (const value of await select.locator('option:not([disabled])').evaluateAll((os) => os.map((o) => (o as HTMLOptionElement).value))) {
      await (await cueSelect(page, 1)).selectOption(value);
      await settled(page);
      expect(await state(page), 'action ' + value + ': ' + (await line(18))).toBe('verified');
    }
  });

  it('sets a cue\'s car and seat, and its target', async () => {
    await (await cueSelect(page, 1)).selectOption({ label: 'get into your car as passenger (seat)' });
    await settled(page);
    await page.locator('li.cue[data-slot="1"] select[data-act="seat"]').selectOption('2');
    await settled(page);
    expect(await line(18)).toBe('  1 ride taxi seat 2');
    await (await cueSelect(page, 1)).selectOption({ label: 'fight the target ped' });
    await settled(page);
    await page.locator('li.cue[data-slot="1"] select[data-act="target"]').selectOption({ label: 'slot 0' });
    await settled(page);
    expect(await line(18)).toBe('  1 fight slot 0');
    expect(await state(page)).toBe('verified');
  });

  it('adds an explosion, drags it on the map, and Delete removes it', async () => {
    await page.click('[data-act="add-explosion"]');
    await settled(page);
    const added = await line(19);
    expect(added).toMatch(/^  rocket at -?[\d.]+ -?[\d.]+ 0$/);
    const from = await handle(page, 'explosion:0');
    await page.mouse.move(from.x, from.y);
    await page.mouse.down();
    await page.mouse.move(from.x - 60, from.y + 40, { steps: 5 });
    await page.mouse.up();
    await settled(page);
    const moved = await line(19);
    expect(moved).toMatch(/^  rocket at -?[\d.]+ -?[\d.]+ 0$/);
    expect(moved).not.toBe(added);
    expect(await state(page)).toBe('verified');
    await page.keyboard.press('Delete');
    await settled(page);
    expect(await line(19)).toBe('');
  });

  it('adds and removes a cue and a cast member, and a screen; + and - change its length', async () => {
    const before = await keptText(page);
    await page.click('[data-act="add-cast"]');
    await settled(page);
    expect(await line(14)).toMatch(/^cast 2 like bob at /);
    await page.locator('[data-act="cue-slot"]').selectOption('2');
    await page.click('[data-act="add-cue"]');
    await settled(page);
    expect(await line(20)).toBe('  2 phone');
    await page.click('li.cue[data-slot="2"] button[data-act="remove-cue"]');
    await settled(page);
    await page.click('li.cast[data-slot="2"] button[data-act="remove-cast"]');
    await settled(page);
    expect(await keptText(page)).toBe(before);
    await page.click('[data-act="screen"][data-id="1"]');
    await page.locator('#map').click({ position: { x: 5, y: 5 } });
    await page.keyboard.press('+');
    await settled(page);
    expect(await keptText(page)).toContain('screen 1 lasts 4\n');
    await page.keyboard.press('-');
    await settled(page);
    await page.click('[data-act="remove-screen"]');
    await settled(page);
    const text = await keptText(page);
    expect(text).not.toContain('go north');
    expect(text).toContain('screen 1 lasts 1\n  1 look at taxi-stand');
    expect(await state(page)).toBe('verified');
    const shots = await exported(page, '#export-shots');
    expect((await exported(page, '#export-take')).text).toBe(native(shots.text, shots.name).take);
  });
});

describe('the desk keeps the moment watched and the last good film', () => {
  it('shows the new film at the same moment of the same screen after an edit', async () => {
    const { page } = await newPage(browser);
    await open(page, deskFor(demo));
    // Played from screen 1's start for a while, then paused.
    await page.click('[data-act="screen"][data-id="1"]');
    await page.locator('#map').click({ position: { x: 5, y: 5 } });
    await page.keyboard.press('Space');
    await page.waitForTimeout(700);
    await page.keyboard.press('Space');
    const moment = await page.getAttribute('body', 'data-moment');
    const t = await page.getAttribute('#state', 'data-t');
    expect(JSON.parse(moment!)).toMatchObject({ kind: 'show', screen: 1 });
    expect(JSON.parse(moment!).into).toBeGreaterThan(300);
    // Screen 0 two seconds longer, typed: two more keys to record it, and screen 1 starts later.
    await page.click('[data-tab="text"]');
    await page.fill('#text', (await keptText(page)).replace('screen 0 lasts 2', 'screen 0 lasts 4'));
    await page.keyboard.press('Control+Enter');
    await settled(page);
    expect(await page.getAttribute('body', 'data-moment')).toBe(moment);
    expect(await page.getAttribute('#state', 'data-t')).not.toBe(t);
    expect(await page.getAttribute('#state', 'data-show-screen')).toBe('1');
    await page.close();
  });

  it('puts the check\'s warnings beside the cues they concern', async () => {
    const { page } = await newPage(browser);
    await open(page, deskFor(demo));
    await page.click('[data-tab="text"]');
    await page.fill('#text', (await keptText(page)).replace('  1 hands up', '  1 fight slot 9'));
    await page.keyboard.press('Control+Enter');
    await settled(page);
    await page.click('[data-tab="film"]');
    await page.click('[data-act="screen"][data-id="1"]');
    const warned = page.locator('li.cue[data-slot="1"] .warning');
    expect(await warned.count()).toBeGreaterThan(0);
    expect(await warned.first().textContent()).toMatch(/slot 9/);
    expect(await page.locator('li.cue[data-slot="0"] .warning').count()).toBe(0);
    await shot(page, 'edit-warning');
    await page.close();
  });

  it('shows a shot list that does not read with its lines, keeps the last film, and undo brings it back', async () => {
    const { page } = await newPage(browser);
    await open(page, deskFor(demo));
    const good = await keptText(page);
    await page.click('[data-tab="text"]');
    await page.fill('#text', good.replace('  1 hands up', '  1 hands up\n  7 die'));
    await page.click('#apply-text');
    await settled(page);
    expect(await state(page)).toBe('unreadable');
    expect(await page.textContent('#notice')).toContain('demo.shots:24: slot 7 is never cast');
    expect(await page.textContent('#status')).toContain('the last film that recorded');
    expect(await page.getAttribute('#status', 'data-keys')).toBe('23');
    await shot(page, 'edit-unreadable');
    await page.click('#notice-undo');
    await settled(page);
    expect(await keptText(page)).toBe(good);
    expect(await state(page)).toBe('verified');
    await page.close();
  });
});

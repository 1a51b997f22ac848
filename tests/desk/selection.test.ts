// What is selected when an edit is undone: an element an undo took away is no longer selected,
// so that Delete, a nudge or an edit finds nothing to act on instead of breaking the page.
import { join } from 'node:path';
import type { Browser, Page } from 'playwright-core';
import { afterAll, beforeAll, describe, expect, it } from 'vitest';
import { deskFor, keptText, launch, newPage, open, ROOT, settled } from './browser';

let browser: Browser;
beforeAll(async () => { browser = await launch(); });
afterAll(async () => { await browser.close(); });

const demo = join(ROOT, 'examples/demo.shots');

// Adds an element with the button a person sees, undoes it with Ctrl+Z, then presses the keys
// that act on the selection; the page stays whole and the text is the one before the add.
async function addUndoAct(button: string, keys: string[]): Promise<{ errors: string[]; page: Page; before: string }> {
  const { page, errors } = await newPage(browser);
  await open(page, deskFor(demo, 'selection'));
  const before = await keptText(page);
  await page.getByRole('button', { name: button, exact: true }).click();
  await settled(page);
  expect(await keptText(page)).not.toBe(before);
  await page.keyboard.press('Control+z');
  await settled(page);
  for (const key of keys) {
    await page.keyboard.press(key);
    await settled(page);
  }
  return { errors, page, before };
}

describe('an element undo took away is no longer selected', () => {
  it.each([
    ['a cast member', '+ cast member'],
    ['a cue', 'add cue'],
    ['an explosion', '+ explosion'],
  ])('%s: add, Ctrl+Z, Delete', async (_, button) => {
    const { errors, page, before } = await addUndoAct(button, ['Delete']);
    expect(errors).toEqual([]);
    expect(await page.getAttribute('html', 'data-error')).toBeNull();
    expect(await keptText(page)).toBe(before);
    await page.close();
  });

  it.each([
    ['a cast member', '+ cast member'],
    ['an explosion', '+ explosion'],
  ])('%s: add, Ctrl+Z, Shift+arrow, Backspace', async (_, button) => {
    const { errors, page, before } = await addUndoAct(button, ['Shift+ArrowLeft', 'Backspace']);
    expect(errors).toEqual([]);
    expect(await keptText(page)).toBe(before);
    await page.close();
  });
});

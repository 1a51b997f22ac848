// What the desk's browser tests share: Debian's Chromium through playwright-core (never a browser
// of its own), the built desk, native zenthar-plan to hold the desk's exports against, and ways to
// wait for the desk to show the film of its latest edit.
import { execFileSync, spawnSync } from 'node:child_process';
import { mkdirSync, readFileSync } from 'node:fs';
import { basename, join, resolve } from 'node:path';
import { chromium, type Browser, type BrowserContext, type Page } from 'playwright-core';

export const ROOT = resolve(__dirname, '../..');
export const BIN = process.env.ZENTHAR_BIN ?? join(ROOT, 'build/linux/bin');
export const DESK = process.env.ZENTHAR_DESK ?? join(ROOT, 'build/desk/desk.html');
export const OUT = join(ROOT, 'build/desk/tests');
mkdirSync(OUT, { recursive: true });

// The flags every Chromium of the project runs with; playwright adds --headless and a fresh
// profile folder of its own.
const FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
               '--disable-component-update', '--disable-sync'];

export function launch(): Promise<Browser> {
  return chromium.launch({ executablePath: '/usr/bin/chromium', args: FLAGS });
}

export async function newPage(browser: Browser): Promise<{ context: BrowserContext; page: Page; errors: string[] }> {
  const context = await browser.newContext({ viewport: { width: 1440, height: 900 }, acceptDownloads: true });
  const page = await context.newPage();
  const errors: string[] = [];
  page.on('pageerror', (e) => errors.push(e.message));
  return { context, page, errors };
}

// zenthar-plan on a shot list: its exit code and what it printed.
export function plan(args: string[]): { code: number; out: string } {
  const run = spawnSync(join(BIN, 'zenthar-plan'), args, { encoding: 'utf8', timeout: 300000 });
  return { code: run.status ?? -1, out: run.stdout + run.stderr };
}

// zenthar-sim on a film or a take: its exit code and what it printed.
export function sim(args: string[]): { code: number; out: string } {
  const run = spawnSync(join(BIN, 'zenthar-sim'), args, { encoding: 'utf8', timeout: 300000 });
  return { code: run.status ?? -1, out: run.stdout + run.stderr };
}

// A file opened in the desk as a person does: chosen after a click on Open, or dropped on the
// page. The bytes go as they are, so that a file that is not UTF-8 stays one.
export async function openFile(page: Page, path: string, how: 'button' | 'drop'): Promise<void> {
  if (how === 'button') {
    const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.click('#open')]);
    return chooser.setFiles(path);
  }
  await page.evaluate(([name, bytes]) => {
    const data = new DataTransfer();
    data.items.add(new File([new Uint8Array(bytes)], name));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
  }, [basename(path), [...readFileSync(path)]] as const);
}

// Until the film named `name` is open and shows the answer to its text. A file is read after
// the picker or the drop has returned, so the film shown until then is the one before, settled.
export async function named(page: Page, name: string, timeout = 60000): Promise<void> {
  await page.waitForFunction((want) => document.getElementById('film-name')!.textContent === want, name, { timeout });
  await settled(page, timeout);
}

// A desk written by zenthar-plan --desk for a shot list.
export function deskFor(shots: string, name = basename(shots, '.shots')): string {
  const page = join(OUT, name + '.desk.html');
  execFileSync(join(BIN, 'zenthar-plan'), [shots, '--quiet', '--desk', page, '--desk-page', DESK], { timeout: 300000 });
  return page;
}

// Until the desk shows the answer to its latest change.
export async function settled(page: Page, timeout = 60000): Promise<void> {
  await page.waitForFunction(() => {
    const b = document.body, s = document.getElementById('status')!;
    return b.dataset.shown !== undefined && b.dataset.shown === b.dataset.revision && s.dataset.state !== 'busy';
  }, null, { timeout, polling: 50 });
}

export async function open(page: Page, file: string, timeout = 60000): Promise<void> {
  await page.goto('file://' + file);
  await settled(page, timeout);
}

// The shot list of the film open in the desk, as the desk keeps it in the browser's storage.
export async function keptText(page: Page): Promise<string> {
  return page.evaluate(() => {
    const key = 'zenthar-desk:film:' + document.body.dataset.film;
    return (JSON.parse(localStorage.getItem(key)!) as { text: string }).text;
  });
}

export async function state(page: Page): Promise<string> {
  return (await page.getAttribute('#status', 'data-state')) ?? '';
}

// A file the page offers for download, as text.
export async function exported(page: Page, button: string): Promise<{ name: string; text: string }> {
  const [download] = await Promise.all([page.waitForEvent('download'), page.click(button)]);
  const path = join(OUT, 'export-' + download.suggestedFilename());
  await download.saveAs(path);
  return { name: download.suggestedFilename(), text: readFileSync(path, 'utf8') };
}

// Where the desk drew a handle ("cast:1", "place:corner", "cue:0", "explosion:0"), on the page.
export async function handle(page: Page, key: string): Promise<{ x: number; y: number }> {
  const box = (await page.locator('#map').boundingBox())!;
  const el = page.locator('#handles i[data-key="' + key + '"]');
  return { x: box.x + Number(await el.getAttribute('data-px')), y: box.y + Number(await el.getAttribute('data-py')) };
}

export async function shot(page: Page, name: string): Promise<void> {
  await page.screenshot({ path: join(OUT, name + '.png') });
}

// The largest film, as zenthar-sim --shots writes bench/largest_film's: 255 cast members, a cue in
// every cell of 256 screens, 32 explosions each.
export function largestShots(): string {
  const lines = ['player at 0 0 0', 'ped bob model 2001 at 1 0 0', ''];
  for (let slot = 0; slot < 255; ++slot) lines.push('cast ' + slot + ' like bob at 0 0 0');
  for (let screen = 0; screen < 256; ++screen) {
    lines.push('', 'screen ' + screen + ' lasts 1');
    for (let slot = 0; slot < 255; ++slot) lines.push('  ' + slot + ' ' + ['phone', 'hang up', 'horn'][slot % 3]);
    for (let id = 0; id < 32; ++id) lines.push('  grenade at 0 0 0 id ' + id);
  }
  return lines.join('\n') + '\n';
}

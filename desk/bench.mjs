// The time from an edit to the updated view, in Debian's Chromium: for each example's desk (and
// the largest film's), a screen made a second longer and shorter again by keyboard, timed by the
// page from the edit to the new film drawn (planned, rehearsed, verified and loaded into the
// player); and the time to open the largest film's autosave, as a player's session leaves it in
// takes/, from the file chosen to its film shown (the take rehearsed through the take runner, its
// shot list read, planned, rehearsed, verified and drawn).
//
//   node bench.mjs --desk DESK.html --plan ZENTHAR-PLAN [--largest LARGEST.shots]
//                  [--autosave LARGEST-AUTOSAVE.take] [--edits N]
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readdirSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { basename, dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { parseArgs } from 'node:util';
import { chromium } from 'playwright-core';

const here = dirname(fileURLToPath(import.meta.url));
const { values } = parseArgs({ options: { desk: { type: 'string' }, plan: { type: 'string' }, largest: { type: 'string' },
                                         autosave: { type: 'string' }, edits: { type: 'string', default: '10' } } });
const TARGET_MS = 200;
const work = mkdtempSync(join(tmpdir(), 'zenthar-desk-bench-'));
const flags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
               '--disable-component-update', '--disable-sync'];
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: flags });

async function settled(page, timeout) {
  await page.waitForFunction(() => {
    const b = document.body, s = document.getElementById('status');
    return b.dataset.shown !== undefined && b.dataset.shown === b.dataset.revision && s.dataset.state !== 'busy';
  }, null, { timeout, polling: 20 });
}

// Edit-to-view times, in ms, of `edits` edits of the desk for `shots`.
async function timeEdits(shots, edits, timeout) {
  const desk = join(work, basename(shots) + '.html');
  execFileSync(values.plan, [shots, '--quiet', '--desk', desk, '--desk-page', values.desk], { timeout: 600000 });
  const context = await browser.newContext({ viewport: { width: 1440, height: 900 } });
  const page = await context.newPage();
  await page.goto('file://' + desk);
  await settled(page, timeout);
  const first = Number(await page.getAttribute('body', 'data-edit-ms'));
  await page.locator('#map').click({ position: { x: 5, y: 5 } });
  const times = [];
  for (let i = 0; i < edits; ++i) {
    await page.keyboard.press(i % 2 ? '-' : '+');
    await settled(page, timeout);
    times.push(Number(await page.getAttribute('body', 'data-edit-ms')));
  }
  await context.close();
  return { first, times };
}

function report(name, { first, times }, target) {
  const sorted = times.slice().sort((a, b) => a - b);
  const median = sorted[Math.floor(sorted.length / 2)], worst = sorted[sorted.length - 1];
  const verdict = target ? (worst <= target ? ' (target <= ' + target + ' ms: met)' : ' (target <= ' + target + ' ms: MISSED)') : '';
  console.log('  ' + name.padEnd(22) + ' opened in ' + String(first).padStart(6) + ' ms; edit to view: median ' +
              String(median).padStart(5) + ' ms, worst ' + String(worst).padStart(5) + ' ms of ' + times.length + verdict);
}

// The time from a file chosen with Open to its film shown, in ms, and how the desk judged it.
async function timeOpen(file, timeout) {
  const context = await browser.newContext({ viewport: { width: 1440, height: 900 } });
  const page = await context.newPage();
  await page.goto('file://' + resolve(values.desk));
  await settled(page, timeout);
  const name = basename(file).replace(/\.[^.]*$/, '') + '.shots';
  const started = Date.now();
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.click('#open')]);
  await chooser.setFiles(file);
  await page.waitForFunction((want) => document.getElementById('film-name').textContent === want, name, { timeout, polling: 20 });
  await settled(page, timeout);
  const ms = Date.now() - started;
  const verdict = await page.getAttribute('#status', 'data-state');
  await context.close();
  return { ms, verdict };
}

console.log('desk, edit to updated view in Chromium (plan, rehearsal, verification, take, drawing):');
const examples = join(here, '../examples');
for (const name of readdirSync(examples).filter((f) => f.endsWith('.shots')).sort()) {
  report(name, await timeEdits(join(examples, name), Number(values.edits), 60000), TARGET_MS);
}
if (values.largest) report('largest film', await timeEdits(values.largest, 2, 600000), 0);
if (values.autosave) {
  const { ms, verdict } = await timeOpen(values.autosave, 900000);
  console.log("desk, the largest film's autosave (" + statSync(values.autosave).size + ' bytes) opened, from file to film shown: ' + ms +
              ' ms (' + verdict + ')');
}
await browser.close();

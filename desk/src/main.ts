// The desk's page: it starts the engine, the library, the desk and the player, and wires the
// page's controls, the map, the keys, the files dropped on it and the other tabs' writes to the
// commands and the desk.
import engineSource from 'desk:engine';
import helperSource from 'desk:helper';
import workerScript from 'desk:worker';
import { createShowPlayer, type KeyTableEntry } from '../../src/views/player.js';
import type { EngineHelper } from './call';
import { command, forKey, keyName, run, titleOf, type Args, type Page } from './commands';
import { Desk } from './desk';
import { startEngine } from './engine';
import { download, readText } from './files';
import { Library, makeId } from './library';
import { wireMap, type MapGesture } from './map';
import { boxWith, drawHandles, dropAt, handlesOf } from './overlay';
import { momentAt } from './moment';
import { browserStore, memoryStore, workKey } from './storage';
import { createView, pickLine } from './view';

const $ = (id: string) => document.getElementById(id)!;

// The shot list a desk was written with (zenthar-plan --desk), if any.
function preset(): { file: string; text: string; origin: string } | null {
  const text = $('shots-preset').textContent ?? '';
  if (!text.trim().startsWith('{')) return null;
  const p = JSON.parse(text) as { file?: unknown; text?: unknown };
  if (typeof p.file !== 'string' || typeof p.text !== 'string') return null;
  return { file: p.file, text: p.text, origin: workKey(p.file + '\n' + p.text) };
}

function start(): void {
  const keys = JSON.parse($('keys').textContent!) as KeyTableEntry[];
  const local = browserStore(() => localStorage);
  const library = new Library(local ?? memoryStore(), browserStore(() => sessionStorage), makeId, Date.now);
  const engine = startEngine(engineSource + '\n' + helperSource + '\n' + workerScript, () =>
    new Function(engineSource + '\n' + helperSource + '\nreturn new ZentharEngine(createZentharEngine);')() as EngineHelper);
  const desk = new Desk(library, engine);
  let gesture: MapGesture | null = null;
  const player = createShowPlayer($('player'), keys, {
    box: (data) => boxWith(data.box, desk.shots),
    overlay: (ctx, view, t) => {
      // The moment watched, as the next rehearsal will be shown at it.
      document.body.dataset.moment = JSON.stringify(momentAt({ steps: player.steps(), end: player.end() }, t));
      if (!desk.shots) return;
      $('handles').innerHTML = drawHandles(ctx, view, handlesOf(desk.shots, desk.screen), desk.selected, player, gesture?.moving() ?? null);
    },
  });
  const picker = $('file') as HTMLInputElement;
  const page: Page = {
    middle() {
      const v = player.view();
      return dropAt(v, v.w / 2, v.h / 2, desk.shots?.player.pos[2] ?? 0);
    },
    seekScreen(n) {
      const step = player.steps().find((s) => s.screen === n);
      if (step) player.seek(step.start);
    },
    pickFile: () => picker.click(),
    download,
    showLine: (line) => pickLine(desk, line),
    cancelDrag: () => gesture?.cancel() ?? false,
  };
  const act = (name: string, args: Args = {}) => run(desk, page, name, args);
  gesture = wireMap(desk, player, act);
  const view = createView(desk, player, keys);
  desk.onChange(() => view.render());
  wireControls(act, (text) => view.wrote(text));
  wireFiles(desk, picker);
  window.addEventListener('storage', (e) => { if (e.storageArea === local) desk.storageChanged(e.key); });
  desk.start(preset());
  if (!local) desk.notice('no-storage', 'This browser keeps nothing for this page: the films stay in this tab only, so export them.');
}

// Every control with a data-act runs its command: buttons and links on a click, fields when they
// change, the text as it is typed; rows with a data-select select what they show. The keys run
// the commands the table gives them.
function wireControls(act: (name: string, args?: Args) => boolean, wrote: (text: string) => void): void {
  for (const el of document.querySelectorAll<HTMLElement>('[data-act]')) {
    const c = command(el.dataset.act!);
    if (c && !el.title) el.title = titleOf(c);
  }
  const field = (el: Element) => /^(INPUT|SELECT|TEXTAREA|OPTION)$/.test(el.tagName);
  document.addEventListener('click', (e) => {
    const el = (e.target as HTMLElement).closest<HTMLElement>('[data-act],[data-select]');
    if (!el || field(el)) return;
    if (el.tagName === 'A') e.preventDefault();
    if (el.dataset.act) act(el.dataset.act, { ...el.dataset });
    else act('select', { ...el.dataset, kind: el.dataset.select });
  });
  document.addEventListener('change', (e) => {
    const el = e.target as HTMLInputElement;
    if (el.dataset?.act && el.tagName !== 'TEXTAREA') act(el.dataset.act, { ...el.dataset, value: el.value });
  });
  document.addEventListener('input', (e) => {
    const el = e.target as HTMLTextAreaElement;
    if (el.tagName !== 'TEXTAREA' || !el.dataset.act) return;
    wrote(el.value);
    act(el.dataset.act, { value: el.value });
  });
  document.addEventListener('keydown', (e) => {
    const target = e.target as HTMLElement;
    const hit = forKey(keyName(e), target.tagName === 'TEXTAREA', field(target));
    if (hit && act(hit.command.name, hit.args)) e.preventDefault();
  }, true);
}

// A file chosen with Open or dropped on the page becomes a film of the library: a shot list as it
// is, a take or a film as the shot list of its film.
function wireFiles(desk: Desk, picker: HTMLInputElement): void {
  const open = (file: File | undefined) => {
    if (!file) return;
    readText(file).then((f) => desk.openFile(f.name, f.text), (e: Error) => desk.notice('open', e.message));
  };
  picker.onchange = () => {
    open(picker.files?.[0]);
    picker.value = '';
  };
  document.addEventListener('dragover', (e) => { e.preventDefault(); document.body.classList.add('dropping'); });
  document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    document.body.classList.remove('dropping');
    open(e.dataTransfer?.files?.[0]);
  });
}

start();

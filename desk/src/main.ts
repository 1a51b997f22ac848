// The desk's page: it starts the engine and the player, restores the work kept in the browser (or
// the shot list the page was written with), and wires the buttons, the map, the keys and the
// files dropped on it to the desk.
import engineSource from 'desk:engine';
import helperSource from 'desk:helper';
import workerScript from 'desk:worker';
import { createShowPlayer, type KeyTableEntry } from '../../src/views/player.js';
import type { EngineHelper } from './call';
import { Desk, type DeskView, type Shown } from './desk';
import * as E from './edits';
import { renderEditor, wireEditor, type EditorActions } from './editor';
import { startEngine } from './engine';
import { download, readText } from './files';
import { boxWith, drawHandles, dropAt, handleAt, handlesOf, isSelected, type Handle } from './overlay';
import { showNotice, showStatus, showText } from './panels';
import { momentAt } from './moment';
import { loadWork, saveWork, workKey } from './storage';
import type { Vec3 } from './answer';

const $ = (id: string) => document.getElementById(id)!;

export const NEW_FILM = `# A new film. Drag the spots on the map, pick each cue's action, add screens; or edit the text.
player at 0 0 0
ped extra model 2001 at 3 0 0

cast 0 like extra at 0 0 0

screen 0 lasts 2
  0 hands up
`;

// The shot list a desk was written with (zenthar-plan --desk), if any.
function preset(): { file: string; text: string } | null {
  const text = $('shots-preset').textContent ?? '';
  if (!text.trim().startsWith('{')) return null;
  const p = JSON.parse(text) as { file?: unknown; text?: unknown };
  return typeof p.file === 'string' && typeof p.text === 'string' ? { file: p.file, text: p.text } : null;
}

function start(): void {
  const keys = JSON.parse($('keys').textContent!) as KeyTableEntry[];
  const written = preset();
  const storeKey = workKey(written ? written.file + '\n' + written.text : '');
  const saved = loadWork(localStorage, storeKey);
  const work = saved ?? { ...(written ?? { file: 'film.shots', text: NEW_FILM }), undos: [], redos: [] };

  let desk: Desk;
  let moving: { handle: Handle; pos: Vec3 } | null = null;
  const player = createShowPlayer($('player'), keys, {
    box: (data) => boxWith(data.box, desk.shots),
    overlay: (ctx, view, t) => {
      // The moment watched, as the next rehearsal will be shown at it.
      document.body.dataset.moment = JSON.stringify(momentAt({ steps: player.steps(), end: player.end() }, t));
      if (!desk.shots) return;
      $('handles').innerHTML = drawHandles(ctx, view, handlesOf(desk.shots, desk.screen), desk.selected, player, moving);
    },
  });
  const engine = startEngine(engineSource + '\n' + helperSource + '\n' + workerScript, () =>
    new Function(engineSource + '\n' + helperSource + '\nreturn new ZentharEngine(createZentharEngine);')() as EngineHelper);
  const editor = $('editor-film');
  const render = () => {
    document.body.classList.toggle('stale', !desk.shots);
    if (desk.shots) {
      renderEditor(editor, { shots: desk.shots, screen: desk.screen, selected: desk.selected,
                             warnings: desk.answer?.warnings ?? [], keys });
    }
    ($('undo') as HTMLButtonElement).disabled = !desk.history.undos.length;
    ($('redo') as HTMLButtonElement).disabled = !desk.history.redos.length;
    player.redraw();
  };
  const view: DeskView = {
    changed(d) {
      const kept = saveWork(localStorage, storeKey, { file: d.file, text: d.text, undos: d.history.undos, redos: d.history.redos });
      document.body.dataset.revision = String(d.revision);
      $('film-name').textContent = d.file;
      document.body.dataset.kept = kept;
      showStatus(d, null);
      render();
    },
    answered(d, shown: Shown) {
      render();
      showStatus(d, shown);
      showNotice(d, () => d.undo(), (line) => showText(d, line));
      if (!$('editor-text').hidden) showText(d, 0);
      requestAnimationFrame(() => {
        document.body.dataset.shown = String(shown.revision);
        document.body.dataset.editMs = String(Math.round(shown.ms));
      });
    },
    refused(why) {
      const n = $('refused');
      n.textContent = why;
      n.hidden = false;
      clearTimeout(Number(n.dataset.timer));
      n.dataset.timer = String(setTimeout(() => { n.hidden = true; }, 4000));
    },
  };
  desk = new Desk(work.file, work.text, keys, engine, player, view);
  desk.history.undos = work.undos;
  desk.history.redos = work.redos;
  wireEditor(editor, editorActions(desk, player, render));
  wireMap(desk, player, render, (m) => { moving = m; });
  wirePage(desk, render, view.refused);
  view.changed(desk);
  desk.start();
}

// The editor's controls, as edits of the desk.
function editorActions(desk: Desk, player: ReturnType<typeof createShowPlayer>, render: () => void): EditorActions {
  const middle = (): Vec3 => {
    const v = player.view();
    return dropAt(v, v.w / 2, v.h / 2, desk.shots?.player.pos[2] ?? 0);
  };
  return {
    selectScreen(n) {
      desk.screen = n;
      desk.selected = null;
      const step = player.steps().find((s) => s.screen === n);
      if (step) player.seek(step.start);
      render();
    },
    select(item) { desk.selected = item; render(); },
    setCue: (slot, field, value) => desk.setCue(slot, field, value),
    addCue(slot) {
      desk.selected = { kind: 'cue', slot };
      desk.edit('a cue for slot ' + slot, (e) => E.addCue(e, desk.screen, slot));
    },
    removeCue(slot) { desk.selected = null; desk.edit('remove slot ' + slot + "'s cue", (e) => E.removeCue(e, desk.screen, slot)); },
    setExplosion: (index, field, value) => desk.setExplosion(index, field, value),
    addExplosion() {
      desk.edit('an explosion', (e) => {
        E.addExplosion(e, desk.screen, middle());
        desk.selected = { kind: 'explosion', index: E.screenOf(e.shots, desk.screen)!.explosions.length - 1 };
      });
    },
    removeExplosion(index) { desk.selected = null; desk.edit('remove an explosion', (e) => E.removeExplosion(e, desk.screen, index)); },
    setLength: (seconds) => desk.edit('screen ' + desk.screen + "'s length", (e) => E.setScreenLength(e, desk.screen, seconds)),
    addScreen() {
      desk.edit('a screen', (e) => {
        desk.screen = E.addScreen(e, desk.screen >= 0 ? desk.screen : (e.shots.screens.at(-1)?.number ?? -1));
        desk.selected = null;
      });
    },
    removeScreen() {
      const gone = desk.screen;
      desk.edit('remove screen ' + gone, (e) => {
        E.removeScreen(e, gone);
        desk.screen = e.shots.screens.some((s) => s.number === gone) ? gone : Math.max(-1, gone - 1);
        desk.selected = null;
      });
    },
    addCast() {
      desk.edit('a cast member', (e) => { desk.selected = { kind: 'cast', slot: E.addCast(e, middle()) }; });
    },
    removeCast(slot) { desk.selected = null; desk.edit('remove slot ' + slot, (e) => E.removeCast(e, slot)); },
    setCastSpot: (slot, value) => desk.setCastSpot(slot, value),
    movePlace: (name, value) => desk.movePlace(name, value),
  };
}

// The map: a press on a spot selects it, a drag moves it, and letting go makes the edit.
function wireMap(desk: Desk, player: ReturnType<typeof createShowPlayer>, render: () => void,
                 setMoving: (m: { handle: Handle; pos: Vec3 } | null) => void): void {
  const map = player.map;
  let drag: { handle: Handle; x: number; y: number; moved: boolean } | null = null;
  const at = (e: MouseEvent) => { const r = map.getBoundingClientRect(); return [e.clientX - r.left, e.clientY - r.top]; };
  const handles = () => (desk.shots ? handlesOf(desk.shots, desk.screen) : []);
  map.addEventListener('mousedown', (e) => {
    const [x, y] = at(e);
    const h = handleAt(handles(), player.view(), x, y, desk.selected);
    if (!h) return;
    e.preventDefault();
    desk.selected = h.kind === 'place' ? { kind: 'place', name: h.name } : h.kind === 'explosion'
      ? { kind: 'explosion', index: h.index } : { kind: h.kind, slot: h.slot };
    drag = { handle: h, x, y, moved: false };
    render();
  });
  window.addEventListener('mousemove', (e) => {
    const [x, y] = at(e);
    if (!drag) {
      map.style.cursor = handleAt(handles(), player.view(), x, y, desk.selected) ? 'grab' : '';
      return;
    }
    drag.moved = drag.moved || Math.hypot(x - drag.x, y - drag.y) > 3;
    if (!drag.moved) return;
    setMoving({ handle: drag.handle, pos: dropAt(player.view(), x, y, drag.handle.pos[2]) });
    player.redraw();
  });
  window.addEventListener('mouseup', (e) => {
    if (!drag) return;
    const { handle, moved } = drag;
    drag = null;
    setMoving(null);
    if (!moved) return;
    const [x, y] = at(e);
    const pos = dropAt(player.view(), x, y, handle.pos[2]);
    const key = handle.kind === 'place' ? handle.name : handle.kind === 'explosion' ? handle.index : handle.slot;
    desk.drop(handle.kind, key, pos);
  });
}

// The buttons above, the keys a person expects, files dropped on the page.
function wirePage(desk: Desk, render: () => void, refuse: (why: string) => void): void {
  const exportAnswer = (what: 'take' | 'script') => {
    const a = desk.answer;
    if (!a || !a.ok || !a[what]) {
      refuse('the ' + (what === 'take' ? 'take' : 'shooting script') + ' comes from a film that records: ' +
             (a ? 'this one does not' : 'a moment, it is being rehearsed'));
      return;
    }
    const base = desk.file.replace(/\.[^.]*$/, '');
    download(what === 'take' ? 'zenthar.take' : base + '.script.md', a[what]!);
  };
  $('export-shots').onclick = () => download(desk.file, desk.text);
  $('export-take').onclick = () => exportAnswer('take');
  $('export-script').onclick = () => exportAnswer('script');
  $('undo').onclick = () => desk.undo();
  $('redo').onclick = () => desk.redo();
  $('new-film').onclick = () => desk.replaceText('a new film', NEW_FILM, 'film.shots');
  const picker = $('file') as HTMLInputElement;
  $('open').onclick = () => picker.click();
  const openFile = (file: File | undefined) => {
    if (!file) return;
    readText(file).then((f) => desk.replaceText('open ' + f.name, f.text, f.name), (e: Error) => refuse(e.message));
  };
  picker.onchange = () => {
    openFile(picker.files?.[0]);
    picker.value = '';
  };
  document.addEventListener('dragover', (e) => { e.preventDefault(); document.body.classList.add('dropping'); });
  document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    document.body.classList.remove('dropping');
    openFile(e.dataTransfer?.files?.[0]);
  });
  $('apply-text').onclick = () => desk.replaceText('edit the text', ($('text') as HTMLTextAreaElement).value);
  for (const tab of document.querySelectorAll<HTMLButtonElement>('[data-tab]')) {
    tab.onclick = () => {
      const text = tab.dataset.tab === 'text';
      $('editor-film').hidden = text;
      $('editor-text').hidden = !text;
      document.querySelectorAll('[data-tab]').forEach((t) => t.classList.toggle('on', t === tab));
      if (text) showText(desk, 0);
    };
  }
  document.addEventListener('keydown', (e) => keyDown(desk, e, render), true);
}

function inField(e: KeyboardEvent): boolean {
  return /^(INPUT|TEXTAREA|SELECT)$/.test((e.target as HTMLElement).tagName);
}

// Ctrl+Z and Ctrl+Shift+Z (or Ctrl+Y) undo and redo; Ctrl+Enter in the text applies it. Outside
// the fields: Delete removes what is selected, + and - change the screen's length, Page Up and
// Page Down pick the screen, Shift+arrows move the selected spot a unit (Alt: a tenth).
function keyDown(desk: Desk, e: KeyboardEvent, render: () => void): void {
  const ctrl = e.ctrlKey || e.metaKey, key = e.key.toLowerCase();
  if (ctrl && e.key === 'Enter' && (e.target as HTMLElement).id === 'text') {
    e.preventDefault();
    $('apply-text').click();
    return;
  }
  if (ctrl && (key === 'z' || key === 'y') && (e.target as HTMLElement).tagName !== 'TEXTAREA') {
    e.preventDefault();
    if (key === 'y' || e.shiftKey) desk.redo(); else desk.undo();
    return;
  }
  if (ctrl || inField(e) || !desk.shots) return;
  if (pageKey(desk, e, render)) e.preventDefault();
}

function pageKey(desk: Desk, e: KeyboardEvent, render: () => void): boolean {
  const shots = desk.shots!, sel = desk.selected, screens = shots.screens.map((s) => s.number).sort((a, b) => a - b);
  if (e.key === 'Delete' || e.key === 'Backspace') {
    if (!sel) return false;
    desk.selected = null;
    if (sel.kind === 'cue') desk.edit('remove a cue', (ed) => E.removeCue(ed, desk.screen, sel.slot));
    else if (sel.kind === 'explosion') desk.edit('remove an explosion', (ed) => E.removeExplosion(ed, desk.screen, sel.index));
    else if (sel.kind === 'cast') desk.edit('remove slot ' + sel.slot, (ed) => E.removeCast(ed, sel.slot));
    return true;
  }
  const screen = E.screenOf(shots, desk.screen);
  if ((e.key === '+' || e.key === '=' || e.key === '-') && screen) {
    const by = e.key === '-' ? -1 : 1;
    desk.edit("screen's length", (ed) => E.setScreenLength(ed, desk.screen, screen.duration + by));
    return true;
  }
  if (e.key === 'PageUp' || e.key === 'PageDown') {
    const i = screens.indexOf(desk.screen) + (e.key === 'PageUp' ? -1 : 1);
    if (i >= 0 && i < screens.length) ($('editor-film').querySelector('[data-act="screen"][data-id="' + screens[i] + '"]') as HTMLElement)?.click();
    return true;
  }
  if (e.key === 'Escape') {
    desk.selected = null;
    render();
    return true;
  }
  const arrows: Record<string, [number, number]> = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, 1], ArrowDown: [0, -1] };
  if (e.shiftKey && arrows[e.key] && sel) return nudge(desk, arrows[e.key], e.altKey ? 0.1 : 1);
  return false;
}

function nudge(desk: Desk, [dx, dy]: [number, number], by: number): boolean {
  const h = handlesOf(desk.shots!, desk.screen).find((x) => isSelected(x, desk.selected));
  if (!h) return false;
  const round = (v: number) => Math.round(v * 10) / 10;
  const pos: Vec3 = [round(h.pos[0] + dx * by), round(h.pos[1] + dy * by), h.pos[2]];
  desk.drop(h.kind, h.kind === 'place' ? h.name : h.kind === 'explosion' ? h.index : h.slot, pos);
  return true;
}

start();

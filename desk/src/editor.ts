// The editor beside the map: the cast, the screens, and the cues and explosions of the screen
// being edited, each with its controls and the check's warnings beside it. It is written anew
// from the shot list when what it shows changed; the control that had the focus gets it back.
// Each control names its command in data-act (commands.ts), with its arguments in data-*; a
// spot's value is a place's name, X Y Z, or empty for coordinates where the spot is now.
import type { Cue, Explosion, Shots, Spot, Warning } from './answer';
import type { KeyTableEntry } from '../../src/views/player.js';
import { actionRefused, castIn, freeCueSlots, screenOf } from './edits';
import type { Selected } from './selection';
import { coords, CUE_KINDS, cueKind, EXPLOSION_KINDS, spotWords, targetWords } from './words';

export interface EditorView {
  shots: Shots;
  screen: number; // the screen being edited, -1 for none
  selected: Selected;
  warnings: Warning[];
  keys: KeyTableEntry[];
  cueSlot: number | null; // the slot picked for the next cue
}

export function esc(s: string | number): string {
  return String(s).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/"/g, '&quot;');
}

// The keys card's words for what a cue's key does: "go to this spot", "fight the target ped".
export function actionName(keys: KeyTableEntry[], code: number): string {
  const kind = cueKind(code);
  const key = kind && keys.find((k) => k.code === kind.key);
  return (key && key.modes[kind.mode]) || kind?.words || '?';
}

function option(value: string | number, text: string, selected: boolean, disabled = false): string {
  return '<option value="' + esc(value) + '"' + (selected ? ' selected' : '') + (disabled ? ' disabled' : '') + '>' + esc(text) + '</option>';
}

function actionSelect(v: EditorView, cue: Cue): string {
  let html = '<select data-act="code" data-slot="' + cue.slot + '" data-key="code:' + cue.slot + '" title="the action">';
  for (const mode of [1, 2]) {
    html += '<optgroup label="mode ' + mode + '">';
    for (const k of CUE_KINDS.filter((x) => x.mode === mode)) {
      const why = k.code === cue.code ? '' : actionRefused(v.shots, cue.slot, k.code);
      html += option(k.code, actionName(v.keys, k.code) + (why ? ' (' + why + ')' : ''), k.code === cue.code, !!why);
    }
    html += '</optgroup>';
  }
  return html + '</select>';
}

// A spot's control: one of the places, or coordinates typed in.
function spotControl(act: string, id: string | number, spot: Spot, shots: Shots): string {
  let html = '<span class="spot"><select data-act="' + act + '-place" data-id="' + id + '" data-key="' + act + '-place:' + id + '">';
  html += option('', 'at coordinates', spot.place === '');
  for (const p of shots.places) html += option(p.name, 'at ' + p.name, spot.place === p.name);
  html += '</select>';
  if (spot.place === '') {
    html += '<input data-act="' + act + '" data-id="' + id + '" data-key="' + act + ':' + id + '" value="' + esc(coords(spot.pos)) +
            '" size="14" title="X Y Z, then Enter">';
  }
  return html + '</span>';
}

function cueFields(v: EditorView, cue: Cue): string {
  const kind = cueKind(cue.code)!;
  const shots = v.shots;
  if (kind.field === 'spot') return spotControl('cue-spot', cue.slot, cue.spot, shots);
  if (kind.field === 'weapon') {
    return 'weapon <input type="number" data-act="weapon" data-slot="' + cue.slot + '" data-key="weapon:' + cue.slot + '" value="' + cue.weapon + '">';
  }
  if (kind.field === 'car') {
    let html = '<select data-act="car" data-slot="' + cue.slot + '" data-key="car:' + cue.slot + '" title="the car">';
    for (const car of shots.cars) html += option(car.name, car.name, car.name === cue.car);
    if (!shots.cars.some((c) => c.name === cue.car)) html += option(cue.car, cue.car + ' (not on the set)', true, true);
    html += '</select>';
    if (cue.code === 6) {
      html += ' seat <select data-act="seat" data-slot="' + cue.slot + '" data-key="seat:' + cue.slot + '">';
      for (let s = 0; s < 4; ++s) html += option(s, String(s), s === cue.seat);
      html += '</select>';
    }
    return html;
  }
  if (kind.field === 'target') {
    let html = '<select data-act="target" data-slot="' + cue.slot + '" data-key="target:' + cue.slot + '" title="the target">';
    html += option(-1, 'player', cue.target === -1);
    for (const c of shots.cast) html += option(c.slot, 'slot ' + c.slot, c.slot === cue.target);
    if (cue.target >= 0 && !castIn(shots, cue.target)) html += option(cue.target, targetWords(cue.target) + ' (not cast)', true);
    return html + '</select>';
  }
  return '';
}

function warningsOf(list: Warning[]): string {
  return list.map((w) => '<div class="warning" title="the check\'s warning">&#9888; ' + esc(w.text) + '</div>').join('');
}

// A long list shows its rows as text, and the controls on the selected row only: hundreds of
// drop-down lists would make every change of the editor slow.
const ROWS_WITH_CONTROLS = 40;

function cueRow(v: EditorView, cue: Cue, warnings: Warning[], full: boolean): string {
  const on = v.selected?.kind === 'cue' && v.selected.slot === cue.slot;
  const mine = warnings.filter((w) => w.line === cue.line);
  const controls = full || on
    ? actionSelect(v, cue) + ' <span class="fields">' + cueFields(v, cue) + '</span>'
    : '<span class="said">' + esc(actionName(v.keys, cue.code)) + '</span> <span class="fields">' + esc(cue.words.slice(cueKind(cue.code)!.words.length)) + '</span>';
  return '<li class="row cue' + (on ? ' on' : '') + (mine.length ? ' warned' : '') + '" data-select="cue" data-slot="' + cue.slot + '">' +
    '<span class="who">slot ' + cue.slot + '</span> ' + controls +
    '<button class="x" data-act="remove-cue" data-slot="' + cue.slot + '" title="remove this cue (Delete)">&times;</button>' +
    warningsOf(mine) + '</li>';
}

function explosionRow(v: EditorView, e: Explosion, index: number): string {
  const on = v.selected?.kind === 'explosion' && v.selected.index === index;
  let kinds = '<select data-act="kind" data-id="' + index + '" data-key="kind:' + index + '" title="the explosion">';
  for (const k of EXPLOSION_KINDS) kinds += option(k.kind, k.word, k.kind === e.kind);
  kinds += '</select>';
  return '<li class="row explosion' + (on ? ' on' : '') + '" data-select="explosion" data-id="' + index + '">' +
    kinds + ' ' + spotControl('blast-spot', index, e.spot, v.shots) + ' <span class="id">id ' + e.id + '</span>' +
    '<button class="x" data-act="remove-explosion" data-id="' + index + '" title="remove this explosion (Delete)">&times;</button></li>';
}

function castSection(v: EditorView): string {
  let html = '<h2>Cast <button data-act="add-cast" title="a new cast member in the first free slot">+ cast member</button></h2><ul class="list">';
  const full = v.shots.cast.length <= ROWS_WITH_CONTROLS;
  for (const c of v.shots.cast) {
    const on = v.selected?.kind === 'cast' && v.selected.slot === c.slot;
    const spot = full || on ? spotControl('cast-spot', c.slot, c.spot, v.shots) : 'at ' + esc(spotWords(c.spot));
    html += '<li class="row cast' + (on ? ' on' : '') + '" data-select="cast" data-slot="' + c.slot + '"><span class="who">slot ' + c.slot +
      '</span> like ' + esc(c.like) + ' ' + spot +
      '<button class="x" data-act="remove-cast" data-slot="' + c.slot + '" title="remove this cast member and its cues">&times;</button></li>';
  }
  if (!v.shots.cast.length) html += '<li class="empty">nobody is cast</li>';
  return html + '</ul>';
}

function screensSection(v: EditorView): string {
  let html = '<h2>Screens <button data-act="add-screen" title="a new screen after the one being edited">+ screen</button></h2><div class="screens">';
  for (const s of v.shots.screens) {
    const warned = v.warnings.some((w) => w.screen === s.number);
    html += '<button class="chip' + (s.number === v.screen ? ' on' : '') + (warned ? ' warned' : '') + '" data-act="screen" data-id="' +
      s.number + '" data-key="screen:' + s.number + '">' + s.number + '<small>' + (s.duration ? s.duration + ' s' : '&ndash;') + '</small></button>';
  }
  if (!v.shots.screens.length) html += '<span class="empty">no screens yet</span>';
  return html + '</div>';
}

function screenCard(v: EditorView): string {
  const s = screenOf(v.shots, v.screen);
  if (!s) return '';
  const warnings = v.warnings.filter((w) => w.screen === s.number);
  let html = '<div class="card"><h3>Screen ' + s.number + ' <span class="length">lasts ' +
    '<button data-act="shorter" title="a second shorter (-)">&minus;</button>' +
    '<input type="number" min="0" max="3600" data-act="length" data-key="length" value="' + s.duration + '"> s' +
    '<button data-act="longer" title="a second longer (+)">+</button></span>' +
    '<button class="x" data-act="remove-screen" title="remove this screen; the ones after it move up">remove screen</button></h3>';
  html += warningsOf(warnings.filter((w) => w.line === 0 || !s.cues.some((c) => c.line === w.line)));
  const full = s.cues.length <= ROWS_WITH_CONTROLS;
  html += '<h4>Cues</h4><ul class="list">' + s.cues.map((c) => cueRow(v, c, warnings, full)).join('') + '</ul>';
  const free = freeCueSlots(v.shots, s);
  const picked = v.cueSlot !== null && free.includes(v.cueSlot) ? v.cueSlot : free[0];
  html += '<div class="add">+ cue for <select data-act="cue-slot" data-key="cue-slot">' +
    free.map((n) => option(n, 'slot ' + n + (castIn(v.shots, n) ? '' : ' (not cast)'), n === picked)).join('') +
    '</select><button data-act="add-cue">add cue</button></div>';
  html += '<h4>Explosions</h4><ul class="list">' + s.explosions.map((e, i) => explosionRow(v, e, i)).join('') + '</ul>';
  html += '<div class="add"><button data-act="add-explosion" title="a rocket in the middle of the map">+ explosion</button></div>';
  return html + '</div>';
}

function placesSection(v: EditorView): string {
  if (!v.shots.places.length) return '';
  let html = '<h2>Places</h2><ul class="list">';
  for (const p of v.shots.places) {
    const on = v.selected?.kind === 'place' && v.selected.name === p.name;
    html += '<li class="row place' + (on ? ' on' : '') + '" data-select="place" data-name="' + esc(p.name) + '"><span class="who">' + esc(p.name) +
      '</span> <input data-act="place" data-name="' + esc(p.name) + '" data-key="place:' + esc(p.name) + '" value="' +
      esc(coords(p.pos)) + '" size="14" title="X Y Z, then Enter"></li>';
  }
  return html + '</ul>';
}

// A long film's screens scroll in their own box: it stays where it was across a render, and
// shows the screen being edited wherever that is.
function keepInView(box: HTMLElement | null, scroll: number): void {
  const on = box?.querySelector('.chip.on');
  if (!box) return;
  box.scrollTop = scroll;
  if (!on) return;
  const b = box.getBoundingClientRect(), r = on.getBoundingClientRect();
  if (r.top < b.top || r.bottom > b.bottom) box.scrollTop += r.top - b.top - (b.height - r.height) / 2;
}

export function renderEditor(root: HTMLElement, v: EditorView): void {
  const focused = document.activeElement instanceof HTMLElement && root.contains(document.activeElement)
    ? document.activeElement.getAttribute('data-key') : null;
  const scroll = root.scrollTop, screensScroll = root.querySelector('.screens')?.scrollTop ?? 0;
  root.innerHTML = castSection(v) + screensSection(v) + screenCard(v) + placesSection(v);
  root.scrollTop = scroll;
  keepInView(root.querySelector('.screens'), screensScroll);
  if (focused) (root.querySelector('[data-key="' + CSS.escape(focused) + '"]') as HTMLElement | null)?.focus();
}

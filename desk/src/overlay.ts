// The shot list's spots drawn over the map, where the mouse takes hold of them: each cast
// member's starting spot, the named places, and the cues' spots and explosions of the screen being
// edited. Spots that name a place are drawn at the place, and moving them moves the place.
import type { Shots, Vec3 } from './answer';
import { glyph, haloText, type Look, type MapView } from '../../src/views/player.js';
import type { Selected } from './selection';
import { cueKind, explosionWord } from './words';

export type Handle =
  | { kind: 'cast'; slot: number; pos: Vec3; place: string }
  | { kind: 'place'; name: string; pos: Vec3 }
  | { kind: 'cue'; screen: number; slot: number; pos: Vec3; place: string; words: string }
  | { kind: 'explosion'; screen: number; index: number; pos: Vec3; place: string; blast: number };

export function handlesOf(shots: Shots, screen: number): Handle[] {
  const out: Handle[] = [];
  for (const place of shots.places) out.push({ kind: 'place', name: place.name, pos: place.pos });
  for (const c of shots.cast) out.push({ kind: 'cast', slot: c.slot, pos: c.spot.pos, place: c.spot.place });
  const s = shots.screens.find((x) => x.number === screen);
  for (const cue of s?.cues ?? []) {
    if (cueKind(cue.code)?.field !== 'spot') continue;
    out.push({ kind: 'cue', screen, slot: cue.slot, pos: cue.spot.pos, place: cue.spot.place, words: cue.words });
  }
  s?.explosions.forEach((e, index) => {
    out.push({ kind: 'explosion', screen, index, pos: e.spot.pos, place: e.spot.place, blast: e.kind });
  });
  return out;
}

export function isSelected(h: Handle, selected: Selected): boolean {
  if (!selected || selected.kind !== h.kind) return false;
  if (h.kind === 'place') return selected.kind === 'place' && selected.name === h.name;
  if (h.kind === 'explosion') return selected.kind === 'explosion' && selected.index === h.index;
  return (selected.kind === 'cast' || selected.kind === 'cue') && selected.slot === h.slot;
}

// Everything the map should hold as well as the rehearsal's own box: every spot of the list.
export function boxWith(box: number[], shots: Shots | null): number[] {
  const out = box.slice();
  const add = (p: Vec3) => {
    out[0] = Math.min(out[0], p[0]); out[1] = Math.min(out[1], p[1]);
    out[2] = Math.max(out[2], p[0]); out[3] = Math.max(out[3], p[1]);
  };
  if (!shots) return out;
  shots.places.forEach((p) => add(p.pos));
  shots.cast.forEach((c) => add(c.spot.pos));
  for (const s of shots.screens) {
    s.cues.forEach((c) => { if (cueKind(c.code)?.field === 'spot') add(c.spot.pos); });
    s.explosions.forEach((e) => add(e.spot.pos));
  }
  return out;
}

const EDIT = '#1f5fbf';
const FONT = '"DejaVu Sans", sans-serif';

function label(h: Handle): string {
  if (h.kind === 'place') return h.name;
  if (h.kind === 'cast') return 'slot ' + h.slot + ' starts';
  if (h.kind === 'cue') return h.slot + ' ' + h.words;
  return explosionWord(h.blast);
}

export interface Looks {
  look(kind: number): Look;
  colour(screen: number): string;
}

// A handle's name in the page's list of what it drew: "cast:1", "place:corner", "cue:0", "explosion:2".
export function handleKey(h: Handle): string {
  return h.kind + ':' + (h.kind === 'place' ? h.name : h.kind === 'explosion' ? h.index : h.slot);
}

// Draws the handles; `moving` is a handle being dragged and where it is now. Returns what it drew,
// where, for the page to list.
export function drawHandles(ctx: CanvasRenderingContext2D, view: MapView, handles: Handle[], selected: Selected,
                            looks: Looks, moving: { handle: Handle; pos: Vec3 } | null): string {
  const many = handles.length > 120, drawn: string[] = [], dragged = moving && handleKey(moving.handle);
  for (const h of handles) {
    const pos = dragged === handleKey(h) ? moving!.pos : h.pos;
    const x = view.X(pos[0]), y = view.Y(pos[1]), on = isSelected(h, selected);
    ctx.save();
    ctx.lineWidth = on ? 3 : 1.5;
    ctx.strokeStyle = on ? '#d62728' : EDIT;
    ctx.setLineDash(on ? [] : [3, 2]);
    ctx.beginPath();
    if (h.kind === 'place') {
      ctx.moveTo(x, y - 8); ctx.lineTo(x + 8, y); ctx.lineTo(x, y + 8); ctx.lineTo(x - 8, y); ctx.closePath();
    } else if (h.kind === 'cast') {
      ctx.rect(x - 7, y - 7, 14, 14);
    } else if (h.kind === 'cue') {
      ctx.arc(x, y, 9, 0, 2 * Math.PI);
      ctx.fillStyle = looks.colour(h.screen); ctx.globalAlpha = 0.35; ctx.fill(); ctx.globalAlpha = 1;
    } else {
      ctx.setLineDash([]);
      glyph(ctx, x, y, looks.look(h.blast), h.blast, 10);
      ctx.beginPath(); ctx.arc(x, y, 13, 0, 2 * Math.PI);
      ctx.strokeStyle = on ? '#d62728' : EDIT; ctx.lineWidth = on ? 3 : 1.5; ctx.setLineDash(on ? [] : [3, 2]);
    }
    ctx.stroke();
    ctx.restore();
    // A place's label goes above its mark, a cast member's beside it and a cue's or an
    // explosion's below it, clear of each other where a spot names the place.
    const dy = h.kind === 'place' ? -9 : h.kind === 'cast' ? 4 : 17;
    if (!many || on) haloText(ctx, label(h), x + 11, y + dy, on ? '#d62728' : EDIT, (on ? 'bold ' : '') + '11px ' + FONT);
    drawn.push('<i data-key="' + handleKey(h) + '" data-px="' + x.toFixed(1) + '" data-py="' + y.toFixed(1) + '" data-x="' +
               pos[0] + '" data-y="' + pos[1] + '"' + (on ? ' data-selected="1"' : '') + '></i>');
  }
  return drawn.join('');
}

// The handle under the pointer: the selected one first, then the screen's cues and explosions,
// the cast, and the places.
export function handleAt(handles: Handle[], view: MapView, px: number, py: number, selected: Selected): Handle | null {
  const order = { cue: 0, explosion: 0, cast: 1, place: 2 };
  let best: Handle | null = null, bestRank = Infinity;
  for (const h of handles) {
    const d = Math.hypot(view.X(h.pos[0]) - px, view.Y(h.pos[1]) - py);
    if (d > 11) continue;
    const rank = (isSelected(h, selected) ? -10 : order[h.kind]) * 100 + d;
    if (rank < bestRank) { best = h; bestRank = rank; }
  }
  return best;
}

// A spot the mouse put down: to a tenth of a unit, the height kept.
export function dropAt(view: MapView, px: number, py: number, z: number): Vec3 {
  const round = (v: number) => Math.round(v * 10) / 10;
  return [round(view.worldX(px)), round(view.worldY(py)), z];
}

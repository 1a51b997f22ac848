// The map's gestures: a press on a spot selects it, a drag moves it where the pointer is, and
// letting go makes the edit; Escape during a drag lets go of it where it began. The spot being
// dragged is the gesture's own until it is let go: only then does the desk change.
import type { Vec3 } from './answer';
import type { Args } from './commands';
import type { Desk } from './desk';
import { dropAt, handleAt, handlesOf, type Handle } from './overlay';
import type { ShowPlayer } from '../../src/views/player.js';

export interface MapGesture {
  moving(): { handle: Handle; pos: Vec3 } | null;
  cancel(): boolean;
}

// What a handle is, as the commands' arguments: its kind and the key that names it.
function handleArgs(h: Handle): Record<string, string> {
  if (h.kind === 'place') return { kind: 'place', name: h.name, key: h.name };
  if (h.kind === 'explosion') return { kind: 'explosion', id: String(h.index), key: String(h.index) };
  return { kind: h.kind, slot: String(h.slot), key: String(h.slot) };
}

export function wireMap(desk: Desk, player: ShowPlayer, run: (name: string, args: Args) => void): MapGesture {
  const map = player.map;
  let drag: { handle: Handle; x: number; y: number; moved: boolean } | null = null;
  let moving: { handle: Handle; pos: Vec3 } | null = null;
  const at = (e: MouseEvent) => { const r = map.getBoundingClientRect(); return [e.clientX - r.left, e.clientY - r.top]; };
  const handles = () => (desk.shots ? handlesOf(desk.shots, desk.screen) : []);
  map.addEventListener('mousedown', (e) => {
    const [x, y] = at(e);
    const h = handleAt(handles(), player.view(), x, y, desk.selected);
    if (!h) return;
    e.preventDefault();
    drag = { handle: h, x, y, moved: false };
    run('select', handleArgs(h));
  });
  window.addEventListener('mousemove', (e) => {
    const [x, y] = at(e);
    if (!drag) {
      map.style.cursor = handleAt(handles(), player.view(), x, y, desk.selected) ? 'grab' : '';
      return;
    }
    drag.moved = drag.moved || Math.hypot(x - drag.x, y - drag.y) > 3;
    if (!drag.moved) return;
    moving = { handle: drag.handle, pos: dropAt(player.view(), x, y, drag.handle.pos[2]) };
    player.redraw();
  });
  window.addEventListener('mouseup', (e) => {
    if (!drag) return;
    const { handle, moved } = drag;
    drag = null;
    moving = null;
    if (!moved) return;
    const [x, y] = at(e);
    const pos = dropAt(player.view(), x, y, handle.pos[2]);
    run('move', { ...handleArgs(handle), x: String(pos[0]), y: String(pos[1]), z: String(pos[2]) });
  });
  return {
    moving: () => moving,
    cancel() {
      if (!drag) return false;
      drag = null;
      moving = null;
      player.redraw();
      return true;
    },
  };
}

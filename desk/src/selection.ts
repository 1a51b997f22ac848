// What the person has selected: a cast member, a place, or a cue or an explosion of the screen
// being edited. A selection is only ever used after it has been checked against the film as it
// reads now, since an undo, a text typed in or another film can take its element away.
import type { Shots } from './answer';
import { castIn, screenOf } from './edits';

export type Selected =
  | { kind: 'cast'; slot: number }
  | { kind: 'place'; name: string }
  | { kind: 'cue'; slot: number }
  | { kind: 'explosion'; index: number }
  | null;

// Where the person is: the screen being edited (-1 for none) and what is selected on it.
export interface Context {
  screen: number;
  selected: Selected;
}

export const NOWHERE: Context = { screen: -1, selected: null };

// Whether `selected` names an element of `shots` on `screen`.
export function names(shots: Shots, screen: number, selected: Selected): boolean {
  if (!selected) return true;
  if (selected.kind === 'cast') return castIn(shots, selected.slot) !== undefined;
  if (selected.kind === 'place') return shots.places.some((p) => p.name === selected.name);
  const s = screenOf(shots, screen);
  if (!s) return false;
  if (selected.kind === 'cue') return s.cues.some((c) => c.slot === selected.slot);
  return Number.isInteger(selected.index) && selected.index >= 0 && selected.index < s.explosions.length;
}

// A selection as kept in the browser's storage, or null when `value` is none.
export function selectedFrom(value: unknown): Selected | undefined {
  if (value === null) return null;
  if (typeof value !== 'object') return undefined;
  const v = value as Record<string, unknown>;
  const whole = (n: unknown) => Number.isInteger(n) && (n as number) >= 0;
  if ((v.kind === 'cast' || v.kind === 'cue') && whole(v.slot)) return { kind: v.kind, slot: v.slot as number };
  if (v.kind === 'explosion' && whole(v.index)) return { kind: 'explosion', index: v.index as number };
  if (v.kind === 'place' && typeof v.name === 'string') return { kind: 'place', name: v.name };
  return undefined;
}

// How a shot list writes what the desk changes: numbers, spots, targets, cues and explosions, in
// the words zenthar-plan reads.
import type { Cue, Spot, Vec3 } from './answer';

export type Field = 'none' | 'spot' | 'car' | 'target' | 'weapon';

// A cue as the shot list names it and as the director records it: the mode and the key that
// record it (whose text on the keys card names the action), and what else the cue says.
export interface CueKind {
  code: number;
  words: string;
  mode: 1 | 2;
  key: number;
  field: Field;
  needsPed: boolean;
}

const NUM0 = 96, NUM1 = 97, NUM2 = 98, NUM3 = 99, NUM4 = 100, NUM5 = 101, NUM6 = 102, NUM7 = 103,
  NUM8 = 104, NUM9 = 105, NUM_DOT = 110;

// The nineteen actions, mode 1's keys then mode 2's, in the order of the keypad's digits.
export const CUE_KINDS: readonly CueKind[] = [
  { code: 1, words: 'phone', mode: 1, key: NUM1, field: 'none', needsPed: false },
  { code: 2, words: 'hang up', mode: 1, key: NUM2, field: 'none', needsPed: false },
  { code: 3, words: 'go', mode: 1, key: NUM3, field: 'spot', needsPed: true },
  { code: 4, words: 'gun', mode: 1, key: NUM4, field: 'weapon', needsPed: true },
  { code: 5, words: 'hands up', mode: 1, key: NUM5, field: 'none', needsPed: true },
  { code: 6, words: 'ride', mode: 1, key: NUM6, field: 'car', needsPed: true },
  { code: 7, words: 'horn', mode: 1, key: NUM7, field: 'none', needsPed: false },
  { code: 8, words: 'fight', mode: 1, key: NUM8, field: 'target', needsPed: false },
  { code: 9, words: 'drive', mode: 1, key: NUM9, field: 'car', needsPed: false },
  { code: 10, words: 'get out', mode: 1, key: NUM0, field: 'none', needsPed: true },
  { code: 11, words: 'die', mode: 1, key: NUM_DOT, field: 'none', needsPed: true },
  { code: 21, words: 'aim at', mode: 2, key: NUM1, field: 'spot', needsPed: false },
  { code: 22, words: 'aim at', mode: 2, key: NUM2, field: 'target', needsPed: false },
  { code: 23, words: 'blow up', mode: 2, key: NUM3, field: 'car', needsPed: true },
  { code: 24, words: 'look at', mode: 2, key: NUM4, field: 'target', needsPed: true },
  { code: 25, words: 'look at', mode: 2, key: NUM5, field: 'spot', needsPed: true },
  { code: 26, words: 'look at car', mode: 2, key: NUM6, field: 'car', needsPed: true },
  { code: 27, words: 'shoot', mode: 2, key: NUM0, field: 'none', needsPed: true },
  { code: 28, words: 'burn', mode: 2, key: NUM_DOT, field: 'none', needsPed: true },
];

export function cueKind(code: number): CueKind | undefined {
  return CUE_KINDS.find((k) => k.code === code);
}

export interface ExplosionKind {
  kind: number;
  word: string;
}

export const EXPLOSION_KINDS: readonly ExplosionKind[] = [
  { kind: 1, word: 'fire' },
  { kind: 4, word: 'rocket' },
  { kind: 0, word: 'grenade' },
];

export function explosionWord(kind: number): string {
  return EXPLOSION_KINDS.find((k) => k.kind === kind)?.word ?? 'rocket';
}

// The shortest text that reads back to the same single-precision value, as the reader keeps it.
export function num(value: number): string {
  const f = Math.fround(value);
  if (Object.is(f, -0)) return '0';
  for (let digits = 1; digits < 17; ++digits) {
    const text = String(Number(f.toPrecision(digits)));
    if (Math.fround(Number(text)) === f) return text;
  }
  return String(f);
}

// "X Y Z" as typed, or null.
export function parseSpot(value: string): Vec3 | null {
  const parts = value.trim().split(/[\s,]+/).map(Number);
  return parts.length === 3 && parts.every((n) => Number.isFinite(n)) ? [parts[0], parts[1], parts[2]] : null;
}

export function coords(pos: Vec3): string {
  return num(pos[0]) + ' ' + num(pos[1]) + ' ' + num(pos[2]);
}

export function spotWords(spot: Spot): string {
  return spot.place !== '' ? spot.place : coords(spot.pos);
}

export function targetWords(target: number): string {
  return target === -1 ? 'player' : 'slot ' + target;
}

// A cue's line after the indent: "1 go corner", "0 ride taxi seat 2".
export function cueStatement(cue: Cue): string {
  const kind = cueKind(cue.code);
  if (!kind) throw new Error('no cue has code ' + cue.code);
  let words = cue.slot + ' ' + kind.words;
  if (kind.field === 'spot') words += ' ' + spotWords(cue.spot);
  else if (kind.field === 'target') words += ' ' + targetWords(cue.target);
  else if (kind.field === 'weapon') words += ' ' + cue.weapon;
  else if (kind.field === 'car') words += ' ' + cue.car + (cue.code === 6 && cue.seat !== 0 ? ' seat ' + cue.seat : '');
  return words;
}

export function explosionStatement(kind: number, spot: Spot, id: number | null): string {
  return explosionWord(kind) + ' at ' + spotWords(spot) + (id === null ? '' : ' id ' + id);
}

export function screenStatement(number: number, duration: number): string {
  return 'screen ' + number + (duration !== 0 ? ' lasts ' + duration : '');
}

export function castStatement(slot: number, like: string, spot: Spot): string {
  return 'cast ' + slot + ' like ' + like + ' at ' + spotWords(spot);
}

export function placeStatement(name: string, pos: Vec3): string {
  return 'place ' + name + ' at ' + coords(pos);
}

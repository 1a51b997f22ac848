// The types of player.js, for the desk's TypeScript.

export interface KeyTableEntry {
  label: string;
  name: string | null;
  code: number;
  ini: number;
  block: 'pad' | 'beside';
  at: [number, number, number, number];
  ped: boolean;
  modes: [string | null, string | null, string | null];
}

export interface MapView {
  w: number;
  h: number;
  scale: number;
  cx: number;
  cy: number;
  X(x: number): number;
  Y(y: number): number;
  worldX(px: number): number;
  worldY(py: number): number;
}

export interface ShowStep {
  screen: number;
  start: number;
  ms: number;
}

export interface PlayerOptions {
  box?(data: any): number[];
  overlay?(ctx: CanvasRenderingContext2D, view: MapView, t: number): void;
  hash?: boolean;
}

export interface ShowPlayer {
  map: HTMLCanvasElement;
  timeline: HTMLCanvasElement;
  load(data: object, t: number): void;
  seek(t: number): void;
  now(): number;
  view(): MapView;
  redraw(): void;
  relayout(): void;
  setPlaying(on: boolean): void;
  steps(): ShowStep[];
  end(): number;
  look(kind: number): Look;
  colour(screen: number): string;
  summary(): string;
}

export interface Look {
  fill: string;
  stroke: string;
  name: string;
}

export function createShowPlayer(root: HTMLElement, keyTable: KeyTableEntry[], options?: PlayerOptions): ShowPlayer;
export function haloText(ctx: CanvasRenderingContext2D, text: string, x: number, y: number, fill: string, font: string): void;
export function glyph(ctx: CanvasRenderingContext2D, x: number, y: number, look: Look, kind: number, size: number): void;

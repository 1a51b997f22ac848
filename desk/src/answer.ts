// What the engine answers about a shot list: the list as it reads (each element with its line),
// the plan, the rehearsal's verdict, the check's warnings, the files the native tools would write
// and the show player's data for the rehearsal.

export type Vec3 = [number, number, number];

export interface Spot {
  pos: Vec3;
  place: string; // empty: bare coordinates
}

export interface SetThing {
  name: string;
  model: number;
  pos: Vec3;
  line: number; // 0 when the reader does not keep it
}

export interface Place {
  name: string;
  pos: Vec3;
  line: number;
}

export interface CastMember {
  slot: number;
  like: string;
  model: number;
  spot: Spot;
  line: number;
}

export interface Cue {
  slot: number;
  code: number;
  words: string;
  spot: Spot;
  car: string;
  target: number; // a slot, or -1 for the player
  seat: number;
  weapon: number;
  line: number;
}

export interface Explosion {
  kind: number;
  id: number;
  spot: Spot;
  line: number;
}

export interface Screen {
  number: number;
  duration: number;
  line: number;
  cues: Cue[];
  explosions: Explosion[];
}

export interface Shots {
  player: { pos: Vec3; weapon: number };
  peds: SetThing[];
  cars: SetThing[];
  places: Place[];
  cast: CastMember[];
  screens: Screen[];
}

export interface Problem {
  line: number;
  text: string;
}

export interface Warning {
  screen: number;
  slot: number;
  line: number; // 0 when no cue line goes with it
  text: string;
}

export interface Plan {
  keys: number;
  bound: number;
  recordMs: number;
  showMs: number;
}

// What a take or a scenario was, as the engine opened it: an autosave (a take of version 2), a
// planned take (version 1) or a scenario; for a take its keys, and the line a crash cut off.
export interface Source {
  file: string;
  kind: 'shots' | 'autosave' | 'take' | 'scenario';
  version?: number;
  steps?: number;
  keys?: number;
  torn?: { line: number; text: string };
}

// The show player's data: the page's player reads it as it is.
export type PlayerData = Record<string, unknown> & { end: number; box: number[] };

export interface Answer {
  ok: boolean;
  problems: Problem[];
  error?: string; // what stopped the engine, or what was wrong with the request
  shots?: Shots;
  plan?: Plan;
  verified?: boolean;
  differences?: string[];
  warnings?: Warning[];
  take?: string;
  script?: string;
  scenario?: string;
  player?: PlayerData;
  // An open's answer: the shot list's name and text, where it came from; an export's: its file.
  file?: string;
  text?: string;
  from?: string;
  source?: Source;
}

// A request whose answer was never given (the engine failed to load or broke) comes back as this.
export function brokenAnswer(why: string): Answer {
  return { ok: false, problems: [{ line: 0, text: 'the engine failed: ' + why }] };
}

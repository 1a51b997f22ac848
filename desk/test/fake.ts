// What the unit tests run the desk with instead of the page: a store that holds only so much, as
// a browser's does, an engine that reads the texts it was shown the films of, and a clock.
import type { Answer, Shots } from '../src/answer';
import type { Page } from '../src/commands';
import { Desk } from '../src/desk';
import { Library } from '../src/library';
import type { Store } from '../src/storage';
import { example } from './fixtures';

// A store of at most `room` characters, keys and values together, as a browser's quota counts.
export function quotaStore(room = Infinity): Store & { items: Map<string, string>; room: number } {
  const items = new Map<string, string>();
  const s = {
    items,
    room,
    get length() { return items.size; },
    key: (i: number) => [...items.keys()][i] ?? null,
    getItem: (k: string) => items.get(k) ?? null,
    setItem(k: string, v: string) {
      let used = 0;
      for (const [key, val] of items) if (key !== k) used += key.length + val.length;
      if (used + k.length + v.length > s.room) throw new DOMException('full', 'QuotaExceededError');
      items.set(k, v);
    },
    removeItem: (k: string) => { items.delete(k); },
  };
  return s;
}

// Reads a text as the film it was last shown with (learn), and any other as a list that does
// not read; the answers to other requests (open, export) are the test's, by their op. Answers
// come a moment later, as the worker's do.
export class FakeEngine {
  private known = new Map<string, Shots>();
  asked = 0;
  requests: Array<Record<string, unknown>> = [];
  replies: Record<string, Answer> = {};

  learn(text: string, shots: Shots | null): void {
    if (shots) this.known.set(text, structuredClone(shots));
  }

  ask(request: object): Promise<Answer> {
    ++this.asked;
    const op = (request as { op: string }).op;
    this.requests.push(request as Record<string, unknown>);
    if (op !== 'shots') {
      const reply = structuredClone(this.replies[op] ?? { ok: false, problems: [], error: 'request: no reply for ' + op });
      return new Promise((resolve) => setTimeout(() => resolve(reply), 0));
    }
    const shots = this.known.get((request as { text: string }).text);
    const answer: Answer = shots
      ? { ok: true, problems: [], shots: structuredClone(shots), warnings: [], player: { end: 1000, box: [0, 0, 1, 1], show: null } }
      : { ok: false, problems: [{ line: 1, text: 'does not read' }] };
    return new Promise((resolve) => setTimeout(() => resolve(answer), 0));
  }
}

export const settle = (): Promise<void> => new Promise((resolve) => setTimeout(resolve, 5));

export interface Rig {
  desk: Desk;
  engine: FakeEngine;
  store: ReturnType<typeof quotaStore>;
  clock: { t: number };
  redraws: { n: number };
  // After each change the test makes: the engine learns the film the desk predicted for its text.
  learn(): void;
}

let ids = 0;

// A desk on the demo's shot list (or `name`'s), read and settled.
export async function rig(name = 'demo', store = quotaStore(), tab: Store | null = null): Promise<Rig> {
  const { text, shots } = example(name);
  const engine = new FakeEngine();
  engine.learn(text, shots);
  const clock = { t: 1000 };
  const library = new Library(store, tab, () => 'film-' + ++ids, () => clock.t);
  const desk = new Desk(library, engine, () => clock.t);
  const redraws = { n: 0 };
  desk.onChange(() => ++redraws.n);
  desk.start({ file: name + '.shots', text, origin: 'desk:' + name });
  await settle();
  return { desk, engine, store, clock, redraws, learn: () => engine.learn(desk.text, desk.shots) };
}

// The page around the desk, doing nothing: new spots go to (1, 1, 0).
export const quietPage: Page = {
  middle: () => [1, 1, 0], seekScreen: () => undefined, pickFile: () => undefined, download: () => undefined,
  showLine: () => undefined, cancelDrag: () => false,
};

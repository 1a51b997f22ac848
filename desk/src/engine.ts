// The engine in the page: the plug-in, the stand-in host, the world, the planner and verification,
// compiled to one WebAssembly module. It runs in a worker of its own, so that the map and the
// timeline stay live while a long film rehearses; where a page cannot start a worker it runs in
// the page itself.
import { brokenAnswer, type Answer } from './answer';

export interface Engine {
  ask(request: object): Promise<Answer>;
}

function parse(text: string): Answer {
  try {
    return JSON.parse(text) as Answer;
  } catch (e) {
    return brokenAnswer('its answer does not read: ' + String(e));
  }
}

// `workerSource` is the engine's script with the worker's own after it; `engineSource` the
// engine's script alone, with `call` (the same as the worker's) for the page itself.
export function startEngine(workerSource: string, inPage: () => (request: string) => string): Engine {
  let worker: Worker | null = null;
  try {
    worker = new Worker(URL.createObjectURL(new Blob([workerSource], { type: 'text/javascript' })));
  } catch {
    worker = null;
  }
  if (!worker) {
    const call = inPage();
    return { ask: async (request) => parse(call(JSON.stringify(request))) };
  }
  const waiting = new Map<number, (answer: Answer) => void>();
  let next = 0;
  const w = worker;
  w.onmessage = (e: MessageEvent<{ id: number; answer: string }>) => {
    const done = waiting.get(e.data.id);
    waiting.delete(e.data.id);
    done?.(parse(e.data.answer));
  };
  // A worker that dies answers everything it was asked with what happened.
  w.onerror = (e: ErrorEvent) => {
    for (const done of waiting.values()) done(brokenAnswer(e.message || 'the worker stopped'));
    waiting.clear();
  };
  return {
    ask(request) {
      const id = next++;
      return new Promise<Answer>((resolve) => {
        waiting.set(id, resolve);
        w.postMessage({ id, request: JSON.stringify(request) });
      });
    },
  };
}

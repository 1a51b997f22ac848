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

// `workerSource` is the engine's script with the worker's own after it; `inPage` makes the call
// that runs the engine in the page instead. A worker that cannot be started, or that fails, hands
// its requests to the page.
export function startEngine(workerSource: string, inPage: () => (request: string) => string): Engine {
  let call: ((request: string) => string) | null = null;
  const local = (request: string) => parse((call ??= inPage())(request));
  let worker: Worker | null = null;
  try {
    worker = new Worker(URL.createObjectURL(new Blob([workerSource], { type: 'text/javascript' })));
  } catch {
    worker = null;
  }
  const waiting = new Map<number, { request: string; done: (answer: Answer) => void }>();
  let next = 0;
  if (worker) {
    worker.onmessage = (e: MessageEvent<{ id: number; answer: string }>) => {
      const w = waiting.get(e.data.id);
      waiting.delete(e.data.id);
      w?.done(parse(e.data.answer));
    };
    worker.onerror = (e: ErrorEvent) => {
      e.preventDefault();
      worker?.terminate();
      worker = null;
      for (const w of waiting.values()) w.done(local(w.request));
      waiting.clear();
    };
  }
  return {
    ask(request) {
      const text = JSON.stringify(request);
      if (!worker) return Promise.resolve(local(text));
      const id = next++;
      return new Promise<Answer>((resolve) => {
        waiting.set(id, { request: text, done: resolve });
        worker!.postMessage({ id, request: text });
      });
    },
  };
}

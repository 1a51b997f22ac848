// The engine in the page: the plug-in, the stand-in host, the world, the planner and verification,
// compiled to one WebAssembly module. It runs in a worker of its own, so that the map and the
// timeline stay live while a long film rehearses; where a page cannot start a worker it runs in
// the page itself.
import type { Answer } from './answer';
import { askHelper, type EngineHelper } from './call';

export interface Engine {
  ask(request: object): Promise<Answer>;
}

// `workerSource` is the engine's script and its helper with the worker's own after them; `inPage`
// makes the engine's helper in the page instead. A worker that cannot be started, or that fails,
// hands its requests to the page.
export function startEngine(workerSource: string, inPage: () => EngineHelper): Engine {
  let helper: EngineHelper | null = null;
  const local = (request: object) => askHelper((helper ??= inPage()), request);
  let worker: Worker | null = null;
  try {
    worker = new Worker(URL.createObjectURL(new Blob([workerSource], { type: 'text/javascript' })));
  } catch {
    worker = null;
  }
  const waiting = new Map<number, { request: object; done: (answer: Answer) => void }>();
  let next = 0;
  if (worker) {
    worker.onmessage = (e: MessageEvent<{ id: number; answer: Answer }>) => {
      const w = waiting.get(e.data.id);
      waiting.delete(e.data.id);
      w?.done(e.data.answer);
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
      if (!worker) return Promise.resolve(local(request));
      const id = next++;
      return new Promise<Answer>((resolve) => {
        waiting.set(id, { request, done: resolve });
        worker!.postMessage({ id, request });
      });
    },
  };
}

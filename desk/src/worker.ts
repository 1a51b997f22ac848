// The worker's side: it runs after the engine's script, which defines createZentharEngine, and
// answers each request it is sent.
import { callEngine, type CreateEngine } from './call';

declare const createZentharEngine: CreateEngine;

self.onmessage = (e: MessageEvent<{ id: number; request: string }>) => {
  self.postMessage({ id: e.data.id, answer: callEngine(createZentharEngine, e.data.request) });
};

// The worker's side: it runs after the engine's script and its helper, which define
// createZentharEngine and ZentharEngine, and answers each request it is sent.
import { askHelper, type EngineHelper } from './call';

declare const createZentharEngine: unknown;
declare const ZentharEngine: new (create: unknown) => EngineHelper;

const engine = new ZentharEngine(createZentharEngine);

self.onmessage = (e: MessageEvent<{ id: number; request: object }>) => {
  self.postMessage({ id: e.data.id, answer: askHelper(engine, e.data.request) });
};

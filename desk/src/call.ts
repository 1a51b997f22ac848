// One request to the engine module, as its exports take it: the request's text copied into the
// module's memory, the call, and the answer read back through the second export (a call that
// switches fibers returns nothing useful itself). Each request gets an instance of its own, so
// every rehearsal starts from a fresh plug-in.
import { brokenAnswer } from './answer';

export interface EngineModule {
  _zenthar_call(request: number): number;
  _zenthar_result(): number;
  _malloc(bytes: number): number;
  _free(pointer: number): void;
  UTF8ToString(pointer: number): string;
  stringToUTF8(text: string, pointer: number, bytes: number): void;
  lengthBytesUTF8(text: string): number;
}

export type CreateEngine = (options?: object) => EngineModule;

export function callEngine(create: CreateEngine, request: string): string {
  try {
    const engine = create();
    const bytes = engine.lengthBytesUTF8(request) + 1;
    const pointer = engine._malloc(bytes);
    engine.stringToUTF8(request, pointer, bytes);
    engine._zenthar_call(pointer);
    engine._free(pointer);
    return engine.UTF8ToString(engine._zenthar_result());
  } catch (e) {
    return JSON.stringify(brokenAnswer(String(e)));
  }
}

// The engine's own helper (src/desk/zenthar_engine.js) makes an instance of the module a request,
// from the code compiled once, and answers with the engine's object. Here: its type, and the
// answer made whole where the engine only says what stopped it.
import { brokenAnswer, type Answer } from './answer';

export interface EngineHelper {
  call(request: object): Answer & { error?: string };
}

export function askHelper(engine: EngineHelper, request: object): Answer {
  let answer: Answer & { error?: string };
  try {
    answer = engine.call(request);
  } catch (e) {
    return brokenAnswer(String(e));
  }
  if (!answer.problems) answer.problems = answer.error ? [{ line: 0, text: answer.error }] : [];
  return answer;
}

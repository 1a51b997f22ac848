// Writes the unit tests' fixtures, test/NAME.shots.json: the examples' shot lists as the engine
// reads them, each element with its line.
//
//   node desk/test/refresh.mjs [ENGINE.js]     (default: build/wasm/bin/zenthar-engine.js)
import { readFileSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const engine = resolve(process.argv[2] ?? join(here, '../../build/wasm/bin/zenthar-engine.js'));
const require = createRequire(import.meta.url);
const ZentharEngine = require(join(here, '../../src/desk/zenthar_engine.js'));
const helper = new ZentharEngine(require(engine));
for (const name of ['demo', 'every-action']) {
  const file = name + '.shots';
  const text = readFileSync(join(here, '../../examples', file), 'utf8');
  const answer = helper.call({ op: 'shots', file, text });
  if (!answer.shots) throw new Error(file + ': ' + JSON.stringify(answer.problems));
  writeFileSync(join(here, name + '.shots.json'), JSON.stringify(answer.shots, null, 1) + '\n');
  console.log('wrote ' + name + '.shots.json');
}

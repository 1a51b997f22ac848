// Writes the unit tests' fixtures, test/NAME.shots.json: the examples' shot lists as the engine
// reads them, each element with its line.
//
//   node desk/test/refresh.mjs [ENGINE.js]     (default: build/wasm/bin/zenthar-engine.js)
import { readFileSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import * as esbuild from 'esbuild';

const here = dirname(fileURLToPath(import.meta.url));
const engine = resolve(process.argv[2] ?? join(here, '../../build/wasm/bin/zenthar-engine.js'));
const create = createRequire(import.meta.url)(engine);
// The page's own call into the engine, built for Node.
const built = await esbuild.build({ entryPoints: [join(here, '../src/call.ts')], bundle: true, format: 'esm',
                                    platform: 'node', write: false });
const { callEngine } = await import('data:text/javascript;base64,' + Buffer.from(built.outputFiles[0].text).toString('base64'));
for (const name of ['demo', 'every-action']) {
  const file = name + '.shots';
  const text = readFileSync(join(here, '../../examples', file), 'utf8');
  const answer = JSON.parse(callEngine(create, JSON.stringify({ op: 'shots', file, text })));
  if (!answer.shots) throw new Error(file + ': ' + JSON.stringify(answer.problems));
  writeFileSync(join(here, name + '.shots.json'), JSON.stringify(answer.shots, null, 1) + '\n');
  console.log('wrote ' + name + '.shots.json');
}

// Builds desk.html: one self-contained page with the desk's script, the show player's drawing
// (src/views/player.js, which the show player's page shares), the style, the key table and the
// engine's single-file WebAssembly module inside.
//
//   node build.mjs --engine ENGINE.js --keys KEYS.json --out desk.html
//
// ENGINE.js is the wasm build's zenthar-engine.js, KEYS.json what `zenthar-keys --table` writes.
import { readFileSync, writeFileSync, mkdirSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { parseArgs } from 'node:util';
import * as esbuild from 'esbuild';

const here = dirname(fileURLToPath(import.meta.url));
const { values } = parseArgs({ options: { engine: { type: 'string' }, keys: { type: 'string' }, out: { type: 'string' } } });
if (!values.engine || !values.keys || !values.out) {
  console.error('usage: node build.mjs --engine ENGINE.js --keys KEYS.json --out desk.html');
  process.exit(2);
}

const read = (file) => readFileSync(file, 'utf8');
const common = { bundle: true, format: 'iife', target: 'es2020', minify: true, write: false, logLevel: 'warning', charset: 'utf8' };

// The worker's own script, which runs after the engine's in the worker.
const worker = await esbuild.build({ ...common, entryPoints: [join(here, 'src/worker.ts')] });

// The texts the page's script takes in whole: the engine's script, its helper and the worker's.
const texts = {
  'desk:engine': read(values.engine),
  'desk:helper': read(join(here, '../src/desk/zenthar_engine.js')),
  'desk:worker': worker.outputFiles[0].text,
};
const inline = {
  name: 'inline-texts',
  setup(build) {
    build.onResolve({ filter: /^desk:/ }, (args) => ({ path: args.path, namespace: 'desk-text' }));
    build.onLoad({ filter: /.*/, namespace: 'desk-text' }, (args) => ({
      contents: 'export default ' + JSON.stringify(texts[args.path]) + ';',
      loader: 'js',
    }));
  },
};
const page = await esbuild.build({ ...common, entryPoints: [join(here, 'src/main.ts')], plugins: [inline] });
// Inside a script element, "</script" would end it early; in the script's strings "<\/" reads the
// same.
const script = page.outputFiles[0].text.replace(/<\/(script)/gi, '<\\/$1');

const keys = JSON.stringify(JSON.parse(read(values.keys)));
const style = read(join(here, '../src/views/player.css')) + read(join(here, 'src/desk.css'));
const pieces = { '/*DESK_CSS*/': style, '/*KEYS*/': keys, '/*DESK_JS*/': script };
let html = read(join(here, 'desk.html'));
for (const [slot, text] of Object.entries(pieces)) {
  const at = html.indexOf(slot);
  if (at < 0) throw new Error('desk.html has no ' + slot);
  html = html.slice(0, at) + text + html.slice(at + slot.length);
}
mkdirSync(dirname(values.out), { recursive: true });
writeFileSync(values.out, html);
console.log(values.out + ': ' + html.length + ' bytes');

#!/usr/bin/env node
// The desk's WebAssembly engine under Node, request by request, against the same requests
// answered natively (bench/desk_bench.cpp, read from the benchmark program's JSON): each
// example's shot list and film, and the largest film as a scenario, as a shot list and as its
// autosave (`zenthar-sim largest.film --autosave`) opened as the desk opens a take. An
// example's figure is the median of several requests, each in an instance of its own as the desk
// makes them; the first request of the run also compiles the module. The figures are CPU time,
// the process's here and the benchmark's there, which the other work on a shared machine
// disturbs less than the wall clock.
//
//   node bench/wasm_bench.js NATIVE_JSON ENGINE_JS LARGEST_FILM LARGEST_SHOTS LARGEST_TAKE
'use strict';

const fs = require('fs');
const path = require('path');

const ZentharEngine = require('../src/desk/zenthar_engine.js');

const [nativeJson, engineJs, largestFilm, largestShots, largestTake] = process.argv.slice(2);
const examples = ['demo', 'car-chase', 'every-action', 'explosions'];
const top = path.resolve(__dirname, '..');
const runs = 7;

// Native milliseconds a request, by the benchmark's name: DeskExample/shots/demo, ...
const native = {};
for (const b of JSON.parse(fs.readFileSync(nativeJson, 'utf8')).benchmarks) {
  const match = /^Desk\w+\/(\w+\/[\w-]+)/.exec(b.name);
  if (match && b.time_unit === 'ms') native[match[1]] = b.cpu_time;
}

const createEngine = require(path.resolve(engineJs));
const engine = new ZentharEngine(createEngine);

// CPU milliseconds since `start`, a process.cpuUsage().
function cpuMs(start) {
  const used = process.cpuUsage(start);
  return (used.user + used.system) / 1000;
}

function timed(request) {
  const start = process.cpuUsage();
  const answer = engine.call(request);
  const ms = cpuMs(start);
  if (!answer.ok) throw new Error(`${request.file}: ${JSON.stringify(answer).slice(0, 300)}`);
  return ms;
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

function row(label, wasm, key) {
  const base = native[key];
  const against = base ? `${base.toFixed(1).padStart(9)}  ${(wasm / base).toFixed(1)}x` : '';
  console.log(`  ${label.padEnd(24)} ${wasm.toFixed(1).padStart(9)} ${against}`);
}

const request = (op, name, file) => ({op, file: name, text: fs.readFileSync(file, 'utf8'),
                                      check: true});
const first = timed(request('shots', 'demo.shots', path.join(top, 'examples/demo.shots')));
console.log('the desk\'s engine, WebAssembly under Node against native, CPU ms a request:');
console.log(`  ${''.padEnd(24)} ${'wasm'.padStart(9)} ${'native'.padStart(9)}  wasm/native`);
for (const op of ['shots', 'rehearse']) {
  for (const name of examples) {
    const file = path.join(top, 'examples', name + (op === 'shots' ? '.shots' : '.film'));
    const times = [];
    for (let i = 0; i < runs; ++i) times.push(timed(request(op, path.basename(file), file)));
    row(`${op} ${name}`, median(times), `${op}/${name}`);
  }
}
// The largest film's requests by hand, to read the instance's memory after each.
function largest(op, name, file) {
  const text = JSON.stringify(request(op, name, file));
  const instance = createEngine({compiledModule: engine.compiledModule});
  const size = instance.lengthBytesUTF8(text) + 1;
  const at = instance._malloc(size);
  instance.stringToUTF8(text, at, size);
  const start = process.cpuUsage();
  instance._zenthar_call(at);
  const answer = instance.UTF8ToString(instance._zenthar_result());
  row(`${op} largest`, cpuMs(start), `${op}/largest`);
  if (!answer.startsWith('{"ok":true')) throw new Error(`${name}: ${answer.slice(0, 300)}`);
  console.log(`  ${''.padEnd(24)} an answer of ${(answer.length / 1e6).toFixed(1)} MB, the ` +
              `instance's memory ${(instance.HEAP8.length / 1048576).toFixed(0)} MiB at its end`);
}
largest('shots', 'largest.shots', largestShots);
largest('rehearse', 'largest.film', largestFilm);
largest('open', '2026-01-01_00-00-00.take', largestTake);

const script = fs.readFileSync(engineJs, 'utf8');
const code = /base64,([A-Za-z0-9+/=]+)/.exec(script);
const wasmBytes = code ? Buffer.from(code[1], 'base64').length : 0;
const instanceStart = process.cpuUsage();
createEngine({compiledModule: engine.compiledModule});
console.log(`  module: ${path.basename(engineJs)} ${script.length} bytes, its wasm ${wasmBytes} ` +
            `bytes; an instance ${cpuMs(instanceStart).toFixed(1)} ms, the first request ` +
            `(compiling too) ${first.toFixed(0)} ms`);

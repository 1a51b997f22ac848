#!/usr/bin/env node
// The desk's WebAssembly engine under Node against the native tools, byte for byte. For every
// film in examples/ and here: the trace, the film sheet and the transcript of
// `zenthar-sim FILM --check`. For every shot list: the scenario, the shooting script and the take
// of `zenthar-plan`, and a malformed list's problem. And the rule of one rehearsal an instance.
//
//   node tests/wasm/same_answers.js NATIVE_BIN_FOLDER ENGINE_JS
//
// Prints one line a case that differs (the first line where it does, expected and actual) and a
// summary; exits with 1 when anything differs.
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const ZentharEngine = require('../../src/desk/zenthar_engine.js');

const [nativeBin, engineJs] = process.argv.slice(2).map((p) => path.resolve(p));
if (!nativeBin || !engineJs) {
  console.error('usage: node tests/wasm/same_answers.js NATIVE_BIN_FOLDER ENGINE_JS');
  process.exit(2);
}
const top = path.resolve(__dirname, '..', '..');
const createEngine = require(engineJs);
const engine = new ZentharEngine(createEngine);
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'zenthar-same-answers-'));
const failures = [];

function inputs(extension) {
  const found = [];
  for (const folder of [path.join(top, 'examples'), __dirname]) {
    for (const name of fs.readdirSync(folder).sort()) {
      if (name.endsWith(extension)) found.push(path.join(folder, name));
    }
  }
  return found;
}

// Runs a native tool in the input's folder, on its bare name, as a person would; its stdout.
function native(tool, input, args) {
  return childProcess.execFileSync(path.join(nativeBin, tool), [path.basename(input), ...args], {
    cwd: path.dirname(input),
    encoding: 'utf8',
    maxBuffer: 1 << 30,
    stdio: ['ignore', 'pipe', 'pipe'],
  });
}

function compare(what, expected, actual) {
  if (expected === actual) return;
  if (typeof actual !== 'string') {
    failures.push(`${what}: expected ${expected.length} bytes, the engine gave none`);
    return;
  }
  const want = expected.split('\n');
  const got = actual.split('\n');
  let line = 0;
  while (line < want.length && want[line] === got[line]) ++line;
  failures.push(`${what}: differs at line ${line + 1}\n  expected: ${JSON.stringify(want[line])}` +
                `\n  actual:   ${JSON.stringify(got[line])}`);
}

function read(file) {
  return fs.readFileSync(file, 'utf8');
}

function sameFilm(film) {
  const name = path.basename(film);
  const trace = path.join(scratch, name + '.trace.jsonl');
  const sheet = path.join(scratch, name + '.md');
  const transcript = native('zenthar-sim', film, ['--check', '--trace', trace, '--film', sheet]);
  const answer = engine.call({op: 'rehearse', file: name, text: read(film), check: true});
  if (!answer.ok) {
    failures.push(`${name}: the engine did not rehearse it: ${answer.error}`);
    return;
  }
  compare(name + ' trace', read(trace), answer.trace);
  compare(name + ' film sheet', read(sheet), answer.sheet);
  compare(name + ' transcript', transcript, answer.transcript);
}

function sameShots(shots) {
  const name = path.basename(shots);
  const out = path.join(scratch, name);
  native('zenthar-plan', shots, ['--scenario', out + '.film', '--script', out + '.md', '--take',
                                 out + '.take', '--quiet']);
  const answer = engine.call({op: 'shots', file: name, text: read(shots)});
  if (!answer.ok) {
    failures.push(`${name}: the engine did not verify it: ` +
                  JSON.stringify(answer.problems || answer.differences || answer.error));
    return;
  }
  compare(name + ' scenario', read(out + '.film'), answer.scenario);
  compare(name + ' shooting script', read(out + '.md'), answer.script);
  compare(name + ' take', read(out + '.take'), answer.take);
}

// zenthar-plan's FILE:LINE: problem, and the answer's line and problem.
function sameProblem(shots) {
  const name = path.basename(shots);
  let stderr = '';
  try {
    native('zenthar-plan', shots, ['--quiet']);
  } catch (error) {
    stderr = error.stderr;
  }
  const answer = engine.call({op: 'shots', file: name, text: read(shots)});
  const problem = answer.problems && answer.problems[0];
  const actual = problem ? `${name}:${problem.line}: ${problem.text}\n` : JSON.stringify(answer);
  compare(name + ' problem', stderr, actual);
}

// A second rehearsal in one instance would find the first one's film in the scene store.
function oneRehearsalAnInstance() {
  const instance = createEngine({compiledModule: engine.compiledModule});
  const call = (request) => {
    const text = JSON.stringify(request);
    const size = instance.lengthBytesUTF8(text) + 1;
    const at = instance._malloc(size);
    instance.stringToUTF8(text, at, size);
    instance._zenthar_call(at);
    instance._free(at);
    return JSON.parse(instance.UTF8ToString(instance._zenthar_result()));
  };
  const film = {op: 'rehearse', file: 'demo.film', text: read(path.join(top, 'examples/demo.film'))};
  const first = call(film);
  const second = call(film);
  if (!first.ok) failures.push('one rehearsal an instance: the first failed: ' + first.error);
  if (second.ok || !/needs an instance of its own/.test(second.error)) {
    failures.push('one rehearsal an instance: the second was not refused: ' +
                  JSON.stringify(second).slice(0, 200));
  }
}

const started = Date.now();
const films = inputs('.film');
const shotLists = inputs('.shots');
films.forEach(sameFilm);
shotLists.forEach(sameShots);
sameProblem(path.join(top, 'tests/plan/unrecordable.shots'));
oneRehearsalAnInstance();
fs.rmSync(scratch, {recursive: true, force: true});

for (const failure of failures) console.log('DIFFERS ' + failure);
const cases = films.length + shotLists.length + 2;
const summary = `${cases} cases (${films.length} films, ${shotLists.length} shot lists, a ` +
                `malformed list, the instance rule) in ${((Date.now() - started) / 1000).toFixed(1)} s`;
if (failures.length > 0) {
  console.log(`same answers: ${failures.length} differences in ${summary}`);
  process.exit(1);
}
console.log(`same answers: ${summary}, byte for byte`);

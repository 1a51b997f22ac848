#!/usr/bin/env node
// The desk's WebAssembly engine under Node against the native tools, byte for byte.
// - Every film in examples/ and here, and each one's autosave (`zenthar-sim FILM --autosave`):
//   the trace, the film sheet and the transcript of `zenthar-sim FILE --check`, and the shot list
//   the engine opens it as against `zenthar-sim FILE --shots`. So the take runner, linked into
//   the module, rehearses a take in the page as it does natively.
// - Every shot list: the scenario, the shooting script and the take of `zenthar-plan`; the take
//   (version 1) rehearsed and opened as above; and the three exports against
//   `zenthar-sim NAME.film --check --player/--storyboard/--film` on the plan's scenario.
// - Seeded random films directed by hand, their autosaves opened and rehearsed; a torn autosave;
//   a take runner unloaded midway; a take and a film that do not read, and a malformed list,
//   refused as the tools refuse them; and the rule of one rehearsal an instance.
//
//   node tests/wasm/same_answers.js NATIVE_BIN_FOLDER ENGINE_JS
//
// Prints one line a case that differs (the first line where it does, expected and actual) and a
// summary with the random films' seed (ZENTHAR_SEED=N replays them); exits with 1 when anything
// differs.
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const ZentharEngine = require('../../src/desk/zenthar_engine.js');
const {handFilm} = require('./hand_films.js');

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
const handFilms = 24;
const seed = process.env.ZENTHAR_SEED !== undefined ? Number(process.env.ZENTHAR_SEED) :
                                                       Math.floor(Math.random() * 2 ** 31);
let cases = 0;

function inputs(extension) {
  const found = [];
  for (const folder of [path.join(top, 'examples'), __dirname]) {
    for (const name of fs.readdirSync(folder).sort()) {
      if (name.endsWith(extension)) found.push(path.join(folder, name));
    }
  }
  return found;
}

// A folder of the scratch space of its own, for a case's files.
let folders = 0;
function folder() {
  const made = path.join(scratch, String(++folders));
  fs.mkdirSync(made);
  return made;
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

// What a native tool prints on stderr when it refuses the input.
function refusal(tool, input, args) {
  try {
    native(tool, input, args);
  } catch (error) {
    return error.stderr;
  }
  return '(the tool did not refuse it)';
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

// A film or a take rehearsed: what `zenthar-sim FILE --check --trace T --film S` writes and prints.
function sameRehearsal(file, what = path.basename(file)) {
  ++cases;
  const name = path.basename(file);
  const out = path.join(folder(), name);
  const transcript = native('zenthar-sim', file, ['--check', '--trace', out + '.jsonl', '--film',
                                                  out + '.md']);
  const answer = engine.call({op: 'rehearse', file: name, text: read(file), check: true});
  if (!answer.ok) {
    failures.push(`${what}: the engine did not rehearse it: ${answer.error}`);
    return;
  }
  compare(what + ' trace', read(out + '.jsonl'), answer.trace);
  compare(what + ' film sheet', read(out + '.md'), answer.sheet);
  compare(what + ' transcript', transcript, answer.transcript);
}

// A take or a film opened: the shot list `zenthar-sim FILE --shots` writes, named after FILE.
function sameOpen(file, what = path.basename(file)) {
  ++cases;
  const name = path.basename(file);
  const shots = path.join(folder(), 'opened.shots');
  native('zenthar-sim', file, ['--quiet', '--shots', shots]);
  const answer = engine.call({op: 'open', file: name, text: read(file)});
  if (!answer.ok) {
    failures.push(`${what}: the engine did not open it: ${answer.error}`);
    return answer;
  }
  compare(what + ' opened', read(shots), answer.text);
  compare(what + ' opened as', name.replace(/\.[^.]*$/, '') + '.shots', answer.file);
  return answer;
}

// The take the runner autosaves of a film, in a folder of its own, as a session would leave it.
function autosave(film) {
  const take = path.join(folder(), '2026-01-01_00-00-00.take');
  native('zenthar-sim', film, ['--quiet', '--autosave', take]);
  return take;
}

function sameShots(shots) {
  ++cases;
  const name = path.basename(shots);
  const out = path.join(folder(), name);
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
  // The planned take, version 1, where the game would perform it.
  const take = path.join(folder(), 'zenthar.take');
  fs.copyFileSync(out + '.take', take);
  sameRehearsal(take, name + "'s take");
  const opened = sameOpen(take, name + "'s take");
  if (opened.ok && opened.source.kind !== 'take') {
    failures.push(`${name}'s take opened as ${JSON.stringify(opened.source)}, not a planned take`);
  }
}

// The exports of a list: `zenthar-plan NAME.shots --scenario NAME.film`, then
// `zenthar-sim NAME.film --check --player NAME.html --storyboard NAME.svg --film NAME.sheet.md`.
function sameExports(shots) {
  ++cases;
  const name = path.basename(shots);
  const base = path.join(folder(), name.replace(/\.shots$/, ''));
  native('zenthar-plan', shots, ['--scenario', base + '.film', '--quiet']);
  native('zenthar-sim', base + '.film', ['--check', '--quiet', '--player', base + '.html',
                                         '--storyboard', base + '.svg', '--film',
                                         base + '.sheet.md']);
  for (const [as, extension] of [['player', '.html'], ['storyboard', '.svg'],
                                 ['sheet', '.sheet.md']]) {
    const answer = engine.call({op: 'export', as, file: name, text: read(shots)});
    if (!answer.ok) {
      failures.push(`${name} ${as}: the engine did not export it: ${JSON.stringify(answer)}`);
      continue;
    }
    compare(`${name} ${as}`, read(base + extension), answer.text);
    compare(`${name} ${as} named`, path.basename(base) + extension, answer.file);
  }
}

// An autosave cut in the middle of its last line, as a crash leaves it: opened without that
// line, saying so, as zenthar-sim rehearses it.
function sameTorn(film) {
  const whole = read(autosave(film));
  const last = whole.lastIndexOf('\n', whole.length - 2) + 1;
  const torn = path.join(folder(), '2026-01-01_00-00-00.take');
  fs.writeFileSync(torn, whole.slice(0, last + 7));
  const lines = whole.slice(0, last).split('\n').length;
  const answer = sameOpen(torn, 'a torn autosave');
  if (answer.ok && !(answer.source.torn && answer.source.torn.line === lines &&
                     answer.from.endsWith(`; torn line ${lines} left out`))) {
    failures.push(`a torn autosave: expected torn line ${lines}, got ${JSON.stringify(answer)}`);
  }
  sameRehearsal(torn, 'a torn autosave');
}

// A film that loads the take runner for its autosave alone and unloads it midway: the runner's
// entries in front of the plug-in's go back, its thread goes, and the plug-in goes on. The
// runner's message names the folder it writes into, which is the instance's own in the engine.
function sameUnload() {
  const film = path.join(folder(), 'unload.film');
  fs.writeFileSync(film, 'autosave saved\nplayer at 0 0 0\nped bob model 2001 at 3 0 0\n' +
                   'at 0.5 press backslash\nat 1.0 press num1\nat 1.5 press scroll\n' +
                   'at 2.0 press num5\nat 2.5 unload take\nat 3.0 press plus\n' +
                   'at 3.5 press backslash\nrun 8\n');
  const mark = (text) => text.split(path.join(path.dirname(film), 'saved')).join('/saved');
  const out = path.join(path.dirname(film), 'unload');
  const transcript = native('zenthar-sim', film, ['--check', '--trace', out + '.jsonl']);
  const answer = engine.call({op: 'rehearse', file: 'unload.film', text: read(film), check: true});
  compare('a runner unloaded midway: trace', mark(read(out + '.jsonl')), answer.trace);
  compare('a runner unloaded midway: transcript', mark(transcript), answer.transcript);
  if (!/unloaded take runner/.test(transcript) || !/Autosave: /.test(transcript)) {
    failures.push('a runner unloaded midway: the film did not do what it should:\n' + transcript);
  }
  ++cases;
}

// What zenthar-sim or zenthar-plan prints of a file it refuses, and the answer's error and first
// problem.
function sameRefusal(tool, file, text, op) {
  ++cases;
  const name = path.basename(file);
  const at = path.join(folder(), name);
  fs.writeFileSync(at, text);
  const expected = refusal(tool, at, tool === 'zenthar-sim' ? ['--quiet', '--shots', at + '.shots'] :
                                                            ['--quiet']);
  const answer = engine.call({op, file: name, text});
  const problem = answer.problems && answer.problems[0];
  const actual = problem ? `${name}:${problem.line}: ${problem.text}\n` : JSON.stringify(answer);
  compare(name + ' problem', expected, actual);
  if (op === 'open') compare(name + ' error', expected, (answer.error || '') + '\n');
}

// A second rehearsal in one instance would find the first one's film in the scene store.
function oneRehearsalAnInstance() {
  ++cases;
  const instance = createEngine({compiledModule: engine.compiledModule});
  const call = (request) => {
    const text = JSON.stringify(request);
    const size = instance.lengthBytesUTF8(text) + 1;
    const at = instance._malloc(size);
    instance.stringToUTF8(text, at, size);
    try {
      instance._zenthar_call(at);
    } catch (error) {
      return {ok: false, error: 'the engine stopped: ' + error.message};
    }
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
for (const film of films) {
  sameRehearsal(film);
  sameOpen(film);
  const take = autosave(film);
  sameRehearsal(take, path.basename(film) + "'s autosave");
  sameOpen(take, path.basename(film) + "'s autosave");
}
for (const shots of shotLists) {
  sameShots(shots);
  sameExports(shots);
}
for (let i = 0; i < handFilms; ++i) {
  const film = path.join(folder(), `hand-${seed + i}.film`);
  fs.writeFileSync(film, handFilm(seed + i));
  const take = autosave(film);
  sameOpen(take, `hand film ${seed + i}'s autosave`);
  sameRehearsal(take, `hand film ${seed + i}'s autosave`);
}
sameTorn(path.join(top, 'examples/car-chase.film'));
sameUnload();
sameRefusal('zenthar-plan', path.join(top, 'tests/plan/unrecordable.shots'),
            read(path.join(top, 'tests/plan/unrecordable.shots')), 'shots');
sameRefusal('zenthar-sim', 'bad.take', 'zenthar-take 2\nweapon 7\nmove 1 2\n', 'open');
sameRefusal('zenthar-sim', 'bad.film', 'player at 0 0 0\nat 1 fly\nrun 2\n', 'open');
oneRehearsalAnInstance();
fs.rmSync(scratch, {recursive: true, force: true});

for (const failure of failures) console.log('DIFFERS ' + failure);
const summary = `${cases} cases (${films.length} films and their autosaves, ${shotLists.length} ` +
                `shot lists with their takes and exports, ${handFilms} hand-directed films from ` +
                `seed ${seed}, a torn autosave, a runner unloaded midway, three files refused, the instance rule) in ` +
                `${((Date.now() - started) / 1000).toFixed(1)} s`;
if (failures.length > 0) {
  console.log(`same answers: ${failures.length} differences in ${summary}; ZENTHAR_SEED=${seed} ` +
              'replays the films');
  process.exit(1);
}
console.log(`same answers: ${summary}, byte for byte`);

// Calls the desk's engine, build/wasm/bin/zenthar-engine.js, from a page or from Node. The engine
// answers one request an instance (the plug-in's and the take runner's static storage is in its
// load state once an instance), so each call makes a fresh instance from the one compiled module.
//
//   const engine = new ZentharEngine(createZentharEngine);
//   const answer = engine.call({op: 'shots', file: 'demo.shots', text: '...'});
//
// An answer is the engine's JSON object, parsed. A request that traps the engine (it should
// never) gets {ok: false, error: 'the engine stopped: ...'}; the instance is dropped either way.
'use strict';

function ZentharEngine(createZentharEngine) {
  this.create = createZentharEngine;
  this.compiledModule = null;
}

ZentharEngine.prototype.call = function (request) {
  const engine = this.create({compiledModule: this.compiledModule, print() {}, printErr() {}});
  this.compiledModule = engine.compiledModule;
  const text = JSON.stringify(request);
  const size = engine.lengthBytesUTF8(text) + 1;
  const at = engine._malloc(size);
  engine.stringToUTF8(text, at, size);
  try {
    // Its return value means nothing: the call switches fibers.
    engine._zenthar_call(at);
  } catch (error) {
    return {ok: false, error: 'the engine stopped: ' + error.message};
  }
  return JSON.parse(engine.UTF8ToString(engine._zenthar_result()));
};

if (typeof module === 'object' && module.exports) {
  module.exports = ZentharEngine;
} else {
  globalThis.ZentharEngine = ZentharEngine;
}

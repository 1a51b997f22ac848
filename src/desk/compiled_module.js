// Part of the module's own script (the build's --pre-js): instantiates from the compiled module
// the caller passes as `compiledModule`, or compiles the embedded code once, and leaves the
// compiled module in `compiledModule` for the next instance. The desk makes an instance a request
// (src/desk/README.md), and compiling the code again each time would cost more than the request.
Module['instantiateWasm'] = function (imports, receiveInstance) {
  var compiled = Module['compiledModule'] || new WebAssembly.Module(getBinary(wasmBinaryFile));
  Module['compiledModule'] = compiled;
  var instance = new WebAssembly.Instance(compiled, imports);
  receiveInstance(instance, compiled);
  return instance.exports;
};

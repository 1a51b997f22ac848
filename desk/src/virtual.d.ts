// What the build puts in: the engine's script, its helper (src/desk/zenthar_engine.js), and the
// worker's script that answers requests.
declare module 'desk:engine' {
  const source: string;
  export default source;
}
declare module 'desk:worker' {
  const source: string;
  export default source;
}
declare module 'desk:helper' {
  const source: string;
  export default source;
}

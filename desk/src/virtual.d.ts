// What the build puts in: the engine's script, and the worker's script that answers requests.
declare module 'desk:engine' {
  const source: string;
  export default source;
}
declare module 'desk:worker' {
  const source: string;
  export default source;
}

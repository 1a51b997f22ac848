import { defineConfig } from 'vitest/config';

// The page's modules under Node: the editing model, the text's lines, the history, the storage
// and the moment carried between rehearsals. The browser tests have their own configuration.
export default defineConfig({
  test: { include: ['src/**/*.test.ts'], environment: 'node' },
});

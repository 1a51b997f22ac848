import { dirname, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { defineConfig } from 'vitest/config';

// The browser tests (tests/desk): the built desk in Debian's Chromium, one file at a time, each
// test with time for the engine to plan and rehearse in the page.
const here = dirname(fileURLToPath(import.meta.url));
const modules = resolve(here, 'node_modules');

export default defineConfig({
  root: resolve(here, '..'),
  cacheDir: resolve(modules, '.vite'),
  resolve: { alias: { 'playwright-core': resolve(modules, 'playwright-core') } },
  test: {
    include: ['tests/desk/**/*.test.ts'],
    environment: 'node',
    fileParallelism: false,
    testTimeout: 240000,
    hookTimeout: 240000,
  },
});

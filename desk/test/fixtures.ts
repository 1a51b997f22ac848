// The examples' shot lists as the engine reads them (refresh: see desk/README.md).
import { readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import type { Shots } from '../src/answer';

const here = dirname(fileURLToPath(import.meta.url));

export function example(name: string): { text: string; shots: Shots } {
  return {
    text: readFileSync(join(here, '../../examples', name + '.shots'), 'utf8'),
    shots: JSON.parse(readFileSync(join(here, name + '.shots.json'), 'utf8')) as Shots,
  };
}

// The page's code is kept in pieces a person reads at once: no function of desk/src runs past 60
// lines (the tests' groups aside). A function here is a line that opens a body (a function, a method, an arrow function)
// at some indent, to the first line after it that closes at the same indent.
import { readdirSync, readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { expect, it } from 'vitest';

const here = dirname(fileURLToPath(import.meta.url));
const LONGEST = 60;
const OPENS = /^(\s*)(export |async |private |static |get |set )*(function\b|[\w$]+\s*\(.*\)\s*(:\s*[^={]+)?\{$|.*=>\s*\{$)/;

export function longFunctions(file: string, text: string): string[] {
  const lines = text.split('\n'), long: string[] = [];
  lines.forEach((line, i) => {
    const m = OPENS.exec(line);
    if (!m || /^\s*(if|for|while|switch|catch)\b/.test(line)) return;
    const indent = m[1].length;
    let end = i + 1;
    while (end < lines.length && !(lines[end].startsWith(' '.repeat(indent) + '}') && lines[end][indent] === '}')) ++end;
    if (end - i + 1 > LONGEST) long.push(file + ':' + (i + 1) + ' runs ' + (end - i + 1) + ' lines: ' + line.trim());
  });
  return long;
}

it('finds a long function, and not a short one', () => {
  const body = (n: number) => Array.from({ length: n }, () => '  x();').join('\n');
  expect(longFunctions('a.ts', 'function f() {\n' + body(LONGEST - 2) + '\n}\n')).toEqual([]);
  expect(longFunctions('a.ts', 'export function f(a: number): void {\n' + body(LONGEST) + '\n}\n')).toHaveLength(1);
  expect(longFunctions('a.ts', 'class A {\n  m(): void {\n' + body(LONGEST) + '\n  }\n}\n')).toHaveLength(1);
  expect(longFunctions('a.ts', 'const f = (a) => {\n' + body(LONGEST) + '\n};\n')).toHaveLength(1);
});

it('has no function in desk/src over 60 lines', () => {
  const code = readdirSync(here).filter((f) => f.endsWith('.ts') && !f.endsWith('.test.ts'));
  const long = code.flatMap((f) => longFunctions(f, readFileSync(join(here, f), 'utf8')));
  expect(long).toEqual([]);
});

import { readdirSync, readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { describe, expect, it } from 'vitest';
import { command, COMMANDS, forKey, keyName, titleOf, type Where } from './commands';

const here = dirname(fileURLToPath(import.meta.url));
const key = (k: string, mods: Partial<Record<'ctrlKey' | 'metaKey' | 'altKey' | 'shiftKey', boolean>> = {}) =>
  keyName({ key: k, ctrlKey: false, metaKey: false, altKey: false, shiftKey: false, ...mods });

describe('a key is named as the table names it', () => {
  it.each([
    [key('z', { ctrlKey: true }), 'Mod+z'],
    [key('Z', { ctrlKey: true, shiftKey: true }), 'Mod+Shift+z'],
    [key('z', { metaKey: true }), 'Mod+z'],
    [key('+', { shiftKey: true }), '+'],
    [key('='), '='],
    [key('ArrowLeft', { shiftKey: true }), 'Shift+ArrowLeft'],
    [key('ArrowLeft', { shiftKey: true, altKey: true }), 'Alt+Shift+ArrowLeft'],
    [key('Enter', { ctrlKey: true }), 'Mod+Enter'],
    [key('Delete'), 'Delete'],
  ])('%s', (name, want) => {
    expect(name).toBe(want);
  });
});

describe('a key runs its command only where it belongs', () => {
  const at = (k: string, where: 'page' | 'field' | 'text') => forKey(k, where === 'text', where !== 'page')?.command.name ?? null;

  it.each([
    ['Delete', 'page', 'remove-selected'], ['Delete', 'field', null], ['Backspace', 'text', null],
    ['Mod+z', 'page', 'undo'], ['Mod+z', 'field', 'undo'], ['Mod+z', 'text', null],
    ['Mod+y', 'field', 'redo'], ['Mod+Enter', 'text', 'apply-text'], ['Mod+Enter', 'page', null],
    ['+', 'page', 'longer'], ['+', 'field', null], ['PageDown', 'page', 'next-screen'],
    ['Escape', 'field', 'escape'], ['Shift+ArrowUp', 'page', 'nudge'], ['ArrowUp', 'page', null], ['Mod++', 'page', null],
  ] as Array<[string, 'page' | 'field' | 'text', string | null]>)('%s in the %s: %s', (k, where, want) => {
    expect(at(k, where)).toBe(want);
  });

  it('passes what the key says: a unit, or a tenth with Alt', () => {
    expect(forKey('Shift+ArrowLeft', false, false)!.args).toEqual({ dx: '-1', dy: '0', by: '1' });
    expect(forKey('Alt+Shift+ArrowDown', false, false)!.args).toEqual({ dx: '0', dy: '-1', by: '0.1' });
  });

  it('gives no key two commands in one place', () => {
    const seen = new Map<string, string>();
    for (const c of COMMANDS) {
      for (const k of Object.keys(c.keys ?? {})) {
        const where: Where = c.where ?? 'page';
        expect(seen.get(k + '@' + where), k).toBeUndefined();
        seen.set(k + '@' + where, c.name);
      }
    }
  });

  it('names its keys in the titles, as a person types them', () => {
    expect(titleOf(command('undo')!)).toBe('undo the last change (Ctrl+Z)');
    expect(titleOf(command('add-cast')!)).toBe('a new cast member in the first free slot');
  });
});

it('has a command for every control the page draws, each name once', () => {
  expect(new Set(COMMANDS.map((c) => c.name)).size).toBe(COMMANDS.length);
  const sources = [join(here, '../desk.html'), ...readdirSync(here).filter((f) => f.endsWith('.ts') && !f.endsWith('.test.ts')).map((f) => join(here, f))];
  const named = new Set<string>();
  for (const file of sources) {
    for (const m of readFileSync(file, 'utf8').matchAll(/data-act="([a-z-]+)"|act: '([a-z-]+)'/g)) named.add(m[1] ?? m[2]);
  }
  expect(named.size).toBeGreaterThan(30);
  expect([...named].filter((name) => !command(name))).toEqual([]);
});

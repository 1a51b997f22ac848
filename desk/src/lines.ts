// The shot list's text, line by line, and the changes the desk makes to it. Every edit is a few
// splices of whole lines, so that comments, blank lines and place names elsewhere stay as they
// were, and undoing an edit puts back exactly the lines it took.

export interface Splice {
  at: number; // index of the first line (0-based)
  removed: string[];
  inserted: string[];
}

export function splitLines(text: string): string[] {
  return text.split('\n');
}

export function joinLines(lines: readonly string[]): string {
  return lines.join('\n');
}

// The lines after `splices`, one after the other. A splice that does not find the lines it
// removes is a fault of the caller, never silently applied.
export function applySplices(lines: readonly string[], splices: readonly Splice[]): string[] {
  const out = lines.slice();
  const bad = spliceLines(out, splices);
  if (bad) throw new Error('line ' + bad + ' is not the line the change removes');
  return out;
}

// Applies `splices` to `lines` itself, one after the other. Returns 0, or the line (from 1) where
// a splice did not find what it removes; `lines` is then part-way and the caller's to drop.
export function spliceLines(lines: string[], splices: readonly Splice[]): number {
  for (const s of splices) {
    if (s.at > lines.length) return s.at + 1;
    for (let i = 0; i < s.removed.length; ++i) {
      if (lines[s.at + i] !== s.removed[i]) return s.at + i + 1;
    }
    spliceIn(lines, s.at, s.removed.length, s.inserted);
  }
  return 0;
}

// Array.prototype.splice with the lines as arguments runs out of stack past about a hundred
// thousand of them (a long text pasted in whole), so long runs are copied across.
function spliceIn(lines: string[], at: number, removed: number, inserted: readonly string[]): void {
  if (inserted.length < 4096) {
    lines.splice(at, removed, ...inserted);
    return;
  }
  const tail = lines.slice(at + removed);
  lines.length = at;
  for (const line of inserted) lines.push(line);
  for (const line of tail) lines.push(line);
}

export function invertSplices(splices: readonly Splice[]): Splice[] {
  return splices.slice().reverse().map((s) => ({ at: s.at, removed: s.inserted, inserted: s.removed }));
}

// Where a comment starts (a # outside quoted text), or the line's length.
export function commentStart(line: string): number {
  let quoted = false;
  for (let i = 0; i < line.length; ++i) {
    const c = line[i];
    if (quoted && c === '\\') ++i;
    else if (c === '"') quoted = !quoted;
    else if (c === '#' && !quoted) return i;
  }
  return line.length;
}

interface LineParts {
  lead: string; // a byte-order mark and the indent
  statement: string;
  gap: string; // the blanks between the statement and the comment
  comment: string;
  end: string; // a carriage return, in a file with Windows line ends
}

export function lineParts(line: string): LineParts {
  const end = line.endsWith('\r') ? '\r' : '';
  const body = end ? line.slice(0, -1) : line;
  const lead = /^\uFEFF?[ \t]*/.exec(body)![0];
  const at = commentStart(body);
  const code = body.slice(lead.length, Math.max(lead.length, at));
  const statement = code.replace(/[ \t\r]+$/, '');
  return { lead, statement, gap: code.slice(statement.length), comment: body.slice(Math.max(lead.length, at)), end };
}

// The line with its statement replaced: the indent, the comment and the line end stay.
export function rewriteLine(line: string, statement: string): string {
  const p = lineParts(line);
  const gap = p.comment && !p.gap ? ' ' : p.gap;
  return p.lead + statement + (p.comment ? gap + p.comment : '') + p.end;
}

// A new line written in the style of `like` (its indent and its line end).
export function lineLike(like: string | undefined, statement: string, indent?: string): string {
  const p = lineParts(like ?? '');
  return (indent ?? p.lead.replace('\uFEFF', '')) + statement + p.end;
}

// Where a line added at the end of the text goes: before the empty piece after a final newline.
export function endIndex(lines: readonly string[]): number {
  return lines.length > 0 && lines[lines.length - 1] === '' ? lines.length - 1 : lines.length;
}

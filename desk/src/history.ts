// Undo and redo: each change is the splices it made (and the file's name, when it renamed the
// film), so undoing puts back exactly the text that was there, with where the person was before
// and after it (the screen and the selection), which undo and redo bring back.
import { invertSplices, type Splice } from './lines';
import type { Context } from './selection';

export interface Change {
  label: string; // what the Undo and Redo buttons name: "move slot 1's spot"
  splices: Splice[];
  file?: { before: string; after: string };
  before: Context;
  after: Context;
}

export const KEPT_CHANGES = 500;
// Nudges and typing on the same element closer together than this are one step.
export const MERGE_MS = 500;

export function invertChange(change: Change): Change {
  return {
    label: change.label,
    splices: invertSplices(change.splices),
    file: change.file && { before: change.file.after, after: change.file.before },
    before: change.after,
    after: change.before,
  };
}

const sameLines = (a: readonly string[], b: readonly string[]) => a.length === b.length && a.every((l, i) => l === b[i]);

// `first` then `then` as one list of splices. A splice that takes exactly the lines the one
// before put in becomes one with it, so a run of nudges of one spot stays a single line's change,
// and nothing at all once it is back where it was.
export function composeSplices(first: readonly Splice[], then: readonly Splice[]): Splice[] {
  const out = first.slice();
  for (const s of then) {
    const last = out[out.length - 1];
    if (!last || last.at !== s.at || !sameLines(last.inserted, s.removed)) {
      out.push(s);
      continue;
    }
    out.pop();
    if (!sameLines(last.removed, s.inserted)) out.push({ at: s.at, removed: last.removed, inserted: s.inserted });
  }
  return out;
}

// What lets a change join the one before: the element it is about ("nudge cast:1") and when.
export interface Merge {
  key: string;
  at: number;
}

export class History {
  undos: Change[] = [];
  redos: Change[] = [];
  private last: Merge | null = null; // the newest step's, while it may still grow

  constructor(undos: Change[] = [], redos: Change[] = []) {
    this.undos = undos;
    this.redos = redos;
  }

  // A new step, or the newest grown by `change` when both are about the same element and close
  // in time. A step that comes to change nothing is gone.
  record(change: Change, merge?: Merge): void {
    const top = this.undos[this.undos.length - 1];
    this.redos = [];
    if (merge && top && this.last?.key === merge.key && merge.at - this.last.at <= MERGE_MS && !top.file && !change.file) {
      const splices = composeSplices(top.splices, change.splices);
      this.undos.pop();
      this.last = splices.length ? merge : null;
      if (splices.length) this.undos.push({ label: change.label, splices, before: top.before, after: change.after });
      return;
    }
    this.undos.push(change);
    if (this.undos.length > KEPT_CHANGES) this.undos.shift();
    this.last = merge ?? null;
  }

  // The change that undoes the last one, or null; it moves to the redo list.
  undo(): Change | null {
    const change = this.undos.pop();
    this.last = null;
    if (!change) return null;
    this.redos.push(change);
    return invertChange(change);
  }

  redo(): Change | null {
    const change = this.redos.pop();
    this.last = null;
    if (!change) return null;
    this.undos.push(change);
    return change;
  }

  // What the next undo and redo would do, for their buttons.
  undoLabel(): string | null {
    return this.undos[this.undos.length - 1]?.label ?? null;
  }

  redoLabel(): string | null {
    return this.redos[this.redos.length - 1]?.label ?? null;
  }
}

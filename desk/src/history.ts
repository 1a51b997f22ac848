// Undo and redo: each change is the splices it made (and the file's name, when it opened another
// film), so undoing puts back exactly the text that was there.
import { invertSplices, type Splice } from './lines';

export interface Change {
  label: string;
  splices: Splice[];
  file?: { before: string; after: string };
}

export const KEPT_CHANGES = 500;

export function invertChange(change: Change): Change {
  return {
    label: change.label,
    splices: invertSplices(change.splices),
    file: change.file && { before: change.file.after, after: change.file.before },
  };
}

export class History {
  undos: Change[] = [];
  redos: Change[] = [];

  record(change: Change): void {
    this.undos.push(change);
    if (this.undos.length > KEPT_CHANGES) this.undos.shift();
    this.redos = [];
  }

  // The change that undoes the last one, or null; it moves to the redo list.
  undo(): Change | null {
    const change = this.undos.pop();
    if (!change) return null;
    this.redos.push(change);
    return invertChange(change);
  }

  redo(): Change | null {
    const change = this.redos.pop();
    if (!change) return null;
    this.undos.push(change);
    return change;
  }
}

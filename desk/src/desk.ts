// The desk: the shot list's text and its history, the engine that reads, plans and rehearses it
// after every change, the player showing the last film that recorded, and the editor.
import type { Answer, Cue, Explosion, Shots, Spot, Vec3 } from './answer';
import type { KeyTableEntry, ShowPlayer } from '../../src/views/player.js';
import * as E from './edits';
import { parseSpot } from './editor';
import type { Engine } from './engine';
import { History, type Change } from './history';
import { applySplices, joinLines, splitLines, type Splice } from './lines';
import { momentAt, timeOf, type Step } from './moment';
import type { Selected } from './overlay';

export interface Shown {
  revision: number;
  answer: Answer;
  ms: number; // from the change to the answer shown
}

// What the page around the desk draws when something changed.
export interface DeskView {
  changed(desk: Desk): void;
  answered(desk: Desk, shown: Shown): void;
  refused(why: string): void;
}

// The show's steps and the run's end, as the player's data holds them.
export function timingOf(data: Record<string, unknown>): { steps: Step[]; end: number } {
  const show = data.show as { steps: number[] } | null;
  const steps: Step[] = [];
  for (let i = 0; show && i < show.steps.length; i += 3) {
    steps.push({ screen: show.steps[i], start: show.steps[i + 1], ms: show.steps[i + 2] });
  }
  return { steps, end: data.end as number };
}

// The smallest splice that turns one text into another, for a change typed as text.
export function textSplice(before: string[], after: string[]): Splice[] {
  let head = 0;
  while (head < before.length && head < after.length && before[head] === after[head]) ++head;
  let tail = 0;
  while (tail < before.length - head && tail < after.length - head &&
         before[before.length - 1 - tail] === after[after.length - 1 - tail]) ++tail;
  if (head === before.length && head === after.length) return [];
  return [{ at: head, removed: before.slice(head, before.length - tail), inserted: after.slice(head, after.length - tail) }];
}

export class Desk {
  lines: string[];
  shots: Shots | null = null; // the list as the current text reads, while it is known
  history = new History();
  revision = 0;
  answer: Answer | null = null; // the engine's answer to the current text, once given
  good: Answer | null = null; // the last answer whose film recorded
  screen = -1;
  selected: Selected = null;
  private asking = false;
  private changedAt = 0;
  private loaded = false;

  constructor(public file: string, text: string, readonly keys: KeyTableEntry[], private engine: Engine,
              private player: ShowPlayer, private view: DeskView) {
    this.lines = splitLines(text);
  }

  get text(): string {
    return joinLines(this.lines);
  }

  start(): void {
    this.changedAt = performance.now();
    this.ask();
  }

  // An edit of the shot list as the engine read it; refused (and said why) while the text does not
  // read, or when the edit goes past what a film can hold.
  edit(label: string, make: (edit: E.Edit) => void): void {
    if (!this.shots) {
      this.view.refused(this.answer && !this.answer.shots ? 'the shot list does not read: undo, or mend it as text'
                                                            : 'a moment: the film is being read');
      return;
    }
    const edit = new E.Edit(this.lines, this.shots, label);
    try {
      make(edit);
    } catch (e) {
      if (!(e instanceof RangeError)) throw e;
      this.view.refused(e.message);
      return;
    }
    if (!edit.splices.length) return;
    this.history.record({ label, splices: edit.splices });
    this.lines = edit.lines;
    this.shots = edit.shots;
    this.changed();
  }

  // A change that comes as splices: undo, redo, the text typed, another film opened.
  apply(change: Change): void {
    this.lines = applySplices(this.lines, change.splices);
    if (change.file) this.file = change.file.after;
    this.shots = null;
    this.changed();
  }

  replaceText(label: string, text: string, file?: string): void {
    const splices = textSplice(this.lines, splitLines(text));
    if (!splices.length && (file === undefined || file === this.file)) return;
    const change: Change = { label, splices, file: file === undefined ? undefined : { before: this.file, after: file } };
    this.history.record(change);
    this.apply(change);
  }

  undo(): void {
    const change = this.history.undo();
    if (change) this.apply(change);
  }

  redo(): void {
    const change = this.history.redo();
    if (change) this.apply(change);
  }

  private changed(): void {
    ++this.revision;
    this.answer = null;
    this.changedAt = performance.now();
    this.view.changed(this);
    this.ask();
  }

  // One request at a time; the newest text goes next, whatever came between.
  private ask(): void {
    if (this.asking) return;
    this.asking = true;
    const revision = this.revision;
    this.engine.ask({ op: 'shots', file: this.file, text: this.text }).then((answer) => {
      this.asking = false;
      if (revision === this.revision) this.show(answer);
      else this.ask();
    });
  }

  private show(answer: Answer): void {
    this.answer = answer;
    if (answer.shots) this.shots = answer.shots;
    if (answer.ok && answer.player) {
      const next = timingOf(answer.player);
      const t = this.loaded ? timeOf(next, momentAt({ steps: this.player.steps(), end: this.player.end() }, this.player.now())) : 0;
      this.good = answer;
      this.player.load(answer.player, t);
      this.loaded = true;
    }
    if (this.shots && !E.screenOf(this.shots, this.screen)) this.screen = this.shots.screens[0]?.number ?? -1;
    this.view.answered(this, { revision: this.revision, answer, ms: performance.now() - this.changedAt });
  }

  // ---- The edits the editor and the map ask for ----

  private cue(slot: number): Cue {
    return E.screenOf(this.shots!, this.screen)!.cues.find((c) => c.slot === slot)!;
  }

  // A spot as the editor gives it: a place's name, X Y Z, or empty for coordinates where it is.
  spotFrom(value: string, now: Spot): Spot | null {
    if (value === '') return { pos: now.pos, place: '' };
    const pos = parseSpot(value);
    if (pos) return { pos, place: '' };
    const place = this.shots!.places.find((p) => p.name === value);
    return place ? { pos: place.pos, place: place.name } : null;
  }

  setCue(slot: number, field: 'code' | 'car' | 'target' | 'seat' | 'weapon' | 'spot', value: string): void {
    const cue = this.cue(slot);
    let change: Partial<Cue>;
    if (field === 'code') change = E.cueFor(this.shots!, cue, Number(value));
    else if (field === 'car') change = { car: value };
    else if (field === 'spot') {
      const spot = this.spotFrom(value, cue.spot);
      if (!spot) return this.view.refused('a spot is X Y Z or the name of a place');
      change = { spot };
    } else {
      const n = Number(value);
      if (!Number.isInteger(n)) return this.view.refused('a ' + field + ' is a whole number');
      change = { [field]: n };
    }
    this.edit('slot ' + slot + ': ' + field, (e) => E.setCue(e, this.screen, slot, change));
  }

  setExplosion(index: number, field: 'kind' | 'spot', value: string): void {
    const blast = E.screenOf(this.shots!, this.screen)!.explosions[index];
    let change: Partial<Explosion> = { kind: Number(value) };
    if (field === 'spot') {
      const spot = this.spotFrom(value, blast.spot);
      if (!spot) return this.view.refused('a spot is X Y Z or the name of a place');
      change = { spot };
    }
    this.edit('explosion: ' + field, (e) => E.setExplosion(e, this.screen, index, change));
  }

  setCastSpot(slot: number, value: string): void {
    const member = E.castIn(this.shots!, slot)!;
    const spot = this.spotFrom(value, member.spot);
    if (!spot) return this.view.refused('a spot is X Y Z or the name of a place');
    this.edit('slot ' + slot + ' starts elsewhere', (e) => E.setCastSpot(e, slot, spot));
  }

  movePlace(name: string, value: string): void {
    const pos = parseSpot(value);
    if (!pos) return this.view.refused('a place is at X Y Z');
    this.edit('move ' + name, (e) => E.movePlace(e, name, pos));
  }

  // A handle dropped on the map.
  drop(kind: 'cast' | 'place' | 'cue' | 'explosion', key: number | string, pos: Vec3): void {
    if (kind === 'place') this.edit('move ' + key, (e) => E.movePlace(e, key as string, pos));
    else if (kind === 'cast') this.edit('move slot ' + key, (e) => E.moveCast(e, key as number, pos));
    else if (kind === 'cue') this.edit('move slot ' + key + "'s spot", (e) => E.moveCueSpot(e, this.screen, key as number, pos));
    else this.edit('move an explosion', (e) => E.moveExplosion(e, this.screen, key as number, pos));
  }
}

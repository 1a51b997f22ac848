// The moment being watched, carried from one rehearsal to the next: during the show, the same
// screen at the same time into it (to the millisecond); before the show, the same share of the recording; after it, the
// same time past its end.

export interface Step {
  screen: number;
  start: number;
  ms: number;
}

export type Moment =
  | { kind: 'recording'; share: number }
  | { kind: 'show'; screen: number; into: number }
  | { kind: 'after'; past: number };

export interface Timing {
  steps: readonly Step[];
  end: number;
}

function showEnd(timing: Timing): number {
  const last = timing.steps[timing.steps.length - 1];
  return Math.min(timing.end, last.start + last.ms);
}

export function momentAt(timing: Timing, t: number): Moment {
  const steps = timing.steps;
  if (!steps.length || t < steps[0].start) {
    const until = steps.length ? steps[0].start : timing.end;
    return { kind: 'recording', share: until > 0 ? Math.min(1, t / until) : 0 };
  }
  if (t >= showEnd(timing)) return { kind: 'after', past: Math.round(t - showEnd(timing)) };
  let i = 0;
  while (i + 1 < steps.length && steps[i + 1].start <= t) ++i;
  return { kind: 'show', screen: steps[i].screen, into: Math.round(t - steps[i].start) };
}

// The time of `moment` in another rehearsal. A screen that no longer plays gives the start of the
// first screen after it that does, or the end of the show.
export function timeOf(timing: Timing, moment: Moment): number {
  const steps = timing.steps;
  if (moment.kind === 'recording') return Math.round(moment.share * (steps.length ? steps[0].start : timing.end));
  if (!steps.length) return timing.end;
  if (moment.kind === 'after') return Math.min(timing.end, showEnd(timing) + moment.past);
  const step = steps.find((s) => s.screen === moment.screen);
  if (step) return step.start + Math.min(moment.into, Math.max(0, step.ms - 1));
  const later = steps.find((s) => s.screen > moment.screen);
  return later ? later.start : showEnd(timing);
}

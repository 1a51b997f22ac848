// Seeded random films directed by hand, as scenarios: keys in every mode, moves, cars entered and
// left, weapons, captures beside bystanders and shows, the way tests/take/round_trip.cpp makes
// them for the autosave round trips. Their autosaves are what a player's session leaves in
// takes/. The same seed makes the same film.
//
//   const {handFilm} = require('./hand_films.js');
//   const text = handFilm(7);   // a scenario, ending with its run line
'use strict';

// A small generator with 32 bits of state (mulberry32): enough to vary a film, and the same in
// every JavaScript engine.
function generator(seed) {
  let state = seed >>> 0;
  return (n) => {
    state = (state + 0x6D2B79F5) >>> 0;
    let x = state;
    x = Math.imul(x ^ (x >>> 15), x | 1);
    x ^= x + Math.imul(x ^ (x >>> 7), x | 61);
    return ((x ^ (x >>> 14)) >>> 0) % n;
  };
}

const KEYS = ['num1', 'num1', 'num2', 'num3', 'num5', 'num.', 'num7', 'num8', 'num9', 'num6', 'num4',
              'num0', 'num+', 'num+', 'num-', 'num*', 'num*', 'num/', 'pgup', 'pgdn', 'plus', 'plus',
              'minus', 'scroll', 'scroll', 'pause'];
const CAR_KEYS = ['num7', 'num9', 'num6', 'num3'];

function handFilm(seed) {
  const pick = generator(seed);
  const pos = (x, y, z) => [x, y, z].map((v) => String(Math.fround(v))).join(' ');
  // Far from the origin, with fractions: the take's places must come back exactly.
  const start = [1000 + pick(2000) / 7, -500 + pick(1000) / 3, pick(40) / 9];
  const corner = [start[0] - 300, start[1], start[2]];
  let text = `player at ${pos(...start)}\nplayer weapon 7\n`;
  for (let k = 0; k < 3; ++k) {
    text += `ped by${k} model ${2001 + k} at ${pos(corner[0] + 6 * k, corner[1], corner[2])}\n`;
    text += `car c${k} model ${90 + k} at ${pos(start[0] + 8 * k - 8, start[1] + 12, start[2])}\n`;
  }
  let t = 0.5, car = -1, atCorner = false, keysOn = true, mode = 0, played = false;
  const at = (what, after = 0.7) => {
    text += `at ${t.toFixed(3)} ${what}\n`;
    t += after;
  };
  const toWork = () => {
    at('player at ' + pos(start[0] + pick(41) - 20 + pick(4) / 4, start[1] + pick(41) - 20 +
                          pick(8) / 8, start[2] + pick(3) / 2));
    atCorner = false;
  };
  const leave = () => {
    if (car < 0) return;
    at('player leave');
    car = -1;
  };
  // Keys never pile up behind one of the plug-in's waits, and no car is entered once a show has
  // played (it may have wrecked it).
  const press = (key) => {
    if (key === 'pause') keysOn = !keysOn;
    if (key === 'scroll' && keysOn) mode = (mode + 1) % 3;
    if (key === 'backslash' && keysOn && mode !== 0) played = true;
    at('press ' + key, ['num9', 'num6', 'backslash'].includes(key) ? 1.6 : 0.7);
  };
  const actions = 30 + pick(40);
  for (let i = 0; i < actions; ++i) {
    const roll = pick(100);
    if (roll < 12) {
      toWork();
    } else if (roll < 20 && !played) {
      if (atCorner) toWork();
      car = pick(3);
      at('player enter c' + car);
    } else if (roll < 25) {
      leave();
    } else if (roll < 30) {
      at('player weapon ' + [3, 7, 12][pick(3)]);
      if (pick(2) === 0) press('num4');
    } else if (roll < 40) {
      leave();
      const k = pick(3);
      at('player at ' + pos(corner[0] + 6 * k + 0.5, corner[1] + 0.25, corner[2]));
      atCorner = true;
      press('backslash');
    } else {
      if (atCorner) toWork();
      press(car >= 0 && pick(2) === 0 ? CAR_KEYS[pick(4)] : KEYS[pick(KEYS.length)]);
    }
  }
  return text + `run ${(t + 25).toFixed(3)}\n`;
}

module.exports = {handFilm};

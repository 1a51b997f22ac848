// The show player's drawing and playing: the map, the game's screen text, the keypad, the editor's
// state, the host's log and the timeline with its playhead, for one rehearsal's data at a time.
// The show player's page runs it on the data it was written with; the desk loads each new
// rehearsal into the same player as the film is edited.

const MARKUP = `
<div id="layout">
  <div id="stage"><canvas id="map"></canvas><div id="subtitle"></div></div>
  <aside>
    <div class="box"><h2>Keys</h2><svg id="keypad" width="308" height="176"></svg><div id="other"></div></div>
    <div class="box" id="panel"><h2>Editor</h2><table id="rows"></table><div id="mirror"></div></div>
    <div id="console"></div>
  </aside>
</div>
<div id="controls">
  <button id="play" title="space">Play</button>
  <button class="speed on" data-speed="1">1&times;</button>
  <button class="speed" data-speed="4">4&times;</button>
  <button class="speed" data-speed="16">16&times;</button>
  <button id="prev" title="left arrow">&#9664; Previous event</button>
  <button id="next" title="right arrow">Next event &#9654;</button>
  <button id="start">Show start</button>
  <span id="time"></span>
</div>
<div id="strip"><canvas id="timeline"></canvas></div>
<div id="state" hidden></div>
<div id="drawn" hidden></div>`;

const LIT_MS = 300, FLASH_MS = 900;
const IN_CAR = 1, DEAD = 2, BURNING = 4, WRECKED = 8;
const MODES = ['0 (direct commands)', '1 (recording)', '2 (recording, set 2)'];
const LABEL_W = 110;
const FONT = '"DejaVu Sans", sans-serif';

// The last record (of `stride` numbers, time first) at or before t, or -1.
function lastAt(arr, stride, t) {
  let lo = 0, hi = arr.length / stride - 1, found = -1;
  while (lo <= hi) {
    const mid = (lo + hi) >> 1;
    if (arr[mid * stride] <= t) { found = mid; lo = mid + 1; } else { hi = mid - 1; }
  }
  return found;
}

function secs(ms) { return (ms / 1000).toFixed(2) + ' s'; }

function esc(s) { return String(s).replace(/&/g, '&amp;').replace(/</g, '&lt;'); }

// The film as the page needs it: times back from steps, the things labelled, the show's steps,
// the explosion looks and every moment worth stopping at. Owns `D`, which it changes.
function prepare(D) {
  // Times come as steps from the previous record; back to times.
  const take = D.take || [];
  [[D.keys, 3], [D.screens, 2], [D.logs, 1], [D.panels, 10], [take, 2]].forEach(([arr, stride]) => {
    for (let i = stride; i < arr.length; i += stride) arr[i] += arr[i - stride];
  });
  D.things.forEach((th) => {
    th.label = th.k === 'cast' ? 'slot ' + th.slot : th.k === 'player' ? 'you' : th.n;
  });
  const steps = [];
  if (D.show) {
    for (let i = 0; i < D.show.steps.length; i += 3) {
      steps.push({ screen: D.show.steps[i], start: D.show.steps[i + 1], ms: D.show.steps[i + 2] });
    }
  }
  const showStart = steps.length ? steps[0].start : -1;
  const last = steps[steps.length - 1];
  const showEnd = steps.length ? Math.min(D.end, last.start + last.ms) : -1;
  const looks = {};
  D.looks.forEach((l) => { looks[l[0]] = { fill: l[1], stroke: l[2], name: l[3] }; });
  // A car blown up on its own (not by an explosion nearby) flashes too.
  looks[-1] = { fill: '#ff7f0e', stroke: '#3a3a3a', name: 'car' };
  const all = [];
  const push = (arr, stride) => { for (let i = 0; i < arr.length; i += stride) all.push(arr[i]); };
  push(D.keys, 3); push(D.screens, 2); push(D.logs, 1); push(D.blasts, 4); push(take, 2);
  steps.forEach((s) => { all.push(s.start); });
  D.things.forEach((th) => { for (let i = 2; i < th.s.length; i += 2) all.push(th.s[i]); });
  const sorted = Float64Array.from(all).sort(), moments = [];
  for (const m of sorted) if (!moments.length || m !== moments[moments.length - 1]) moments.push(m);
  return { D, take, takeTexts: D.takeTexts || [], steps, showStart, showEnd, looks, moments };
}

// A film's message `i`: its pattern with the numbers put back.
function message(F, i) {
  const item = F.D.screenTexts[i], parts = F.D.patterns[item[0]].split('\x01');
  let text = parts[0];
  for (let k = 1; k < parts.length; ++k) text += (k < item.length ? item[k] : '\x01') + parts[k];
  return text;
}

function lookOf(F, kind) { return F.looks[kind] || F.looks[0]; }
function colour(F, screen) { return F.D.palette[screen % F.D.palette.length]; }
function present(th, t) { return th.from <= t && (th.to === 0 || t < th.to); }
function flagsAt(th, t) { const i = lastAt(th.s, 2, t); return i < 0 ? 0 : th.s[i * 2 + 1]; }

function posAt(th, t) {
  const f = th.f;
  let i = lastAt(f, 3, t);
  if (i < 0) i = 0;
  const a = i * 3;
  if (a + 3 >= f.length || f[a + 3] === f[a]) return [f[a + 1], f[a + 2]];
  const u = Math.min(1, (t - f[a]) / (f[a + 3] - f[a]));
  return [f[a + 1] + (f[a + 4] - f[a + 1]) * u, f[a + 2] + (f[a + 5] - f[a + 2]) * u];
}

// The step of the show playing at t, or -1.
function stepAt(F, t) {
  const steps = F.steps;
  if (!steps.length || t < F.showStart || t >= F.showEnd) return -1;
  let i = 0;
  while (i + 1 < steps.length && steps[i + 1].start <= t) ++i;
  return i;
}

function screenAt(F, t) {
  let s = -1;
  for (let i = 0; i < F.steps.length && F.steps[i].start <= t; ++i) s = F.steps[i].screen;
  return s;
}

function niceStep(span) {
  const rough = span / 8, p = Math.pow(10, Math.floor(Math.log10(rough)));
  for (const m of [1, 2, 5, 10]) if (m * p >= rough) return m * p;
  return 10 * p;
}

export function haloText(ctx, text, x, y, fill, font) {
  ctx.font = font; ctx.lineJoin = 'round'; ctx.lineWidth = 3.5; ctx.strokeStyle = '#fbfaf6';
  ctx.strokeText(text, x, y); ctx.fillStyle = fill; ctx.fillText(text, x, y);
}

// An explosion's mark: a star for a rocket (and a car blown up), a drop for fire, a ring for a
// grenade.
export function glyph(ctx, x, y, look, kind, size) {
  const r = size;
  ctx.lineWidth = 1.2; ctx.fillStyle = look.fill; ctx.strokeStyle = look.stroke;
  ctx.beginPath();
  if (kind === 4 || kind === -1) {
    for (let i = 0; i < 16; ++i) {
      const rr = i % 2 === 0 ? r : r * 0.41, a = i * Math.PI / 8;
      if (i === 0) ctx.moveTo(x + rr * Math.cos(a), y + rr * Math.sin(a)); else ctx.lineTo(x + rr * Math.cos(a), y + rr * Math.sin(a));
    }
    ctx.closePath(); ctx.fill(); ctx.stroke();
  } else if (kind === 1) {
    const k = r / 11;
    ctx.moveTo(x, y - 11 * k);
    ctx.bezierCurveTo(x + 9 * k, y - 2 * k, x + 7 * k, y + 8 * k, x, y + 8 * k);
    ctx.bezierCurveTo(x - 7 * k, y + 8 * k, x - 9 * k, y - 2 * k, x, y - 11 * k);
    ctx.fill(); ctx.stroke();
  } else {
    ctx.setLineDash([3, 2]); ctx.lineWidth = 2; ctx.arc(x, y, r * 0.82, 0, 2 * Math.PI); ctx.stroke();
    ctx.setLineDash([]); ctx.beginPath(); ctx.arc(x, y, r * 0.36, 0, 2 * Math.PI); ctx.fill();
  }
}

// Labels go beside their point where they cover no other label or marker.
function placeLabels(ctx, view, labels, blocked) {
  const used = blocked.slice(), crowded = labels.length > 40;
  labels.forEach((l) => {
    ctx.font = l.font;
    const w = ctx.measureText(l.text).width, h = 12, r = l.r;
    const offs = [[r + 3, 4], [r + 3, -r - 2], [-w - r - 3, 4], [-w - r - 3, -r - 2], [-w / 2, -r - 5], [-w / 2, r + 13],
                  [r + 3, r + 12], [-w - r - 3, r + 12], [r + 3, -r - 14], [-w - r - 3, -r - 14]];
    let pick = null;
    for (let i = 0; i < offs.length && !pick; ++i) {
      const rect = [l.x + offs[i][0], l.y + offs[i][1] - h + 2, l.x + offs[i][0] + w, l.y + offs[i][1] + 3];
      if (rect[0] < 2 || rect[2] > view.w - 2 || rect[1] < 2 || rect[3] > view.h - 16) continue;
      let clear = true;
      for (let j = 0; j < used.length && clear; ++j) {
        const u = used[j];
        clear = !(rect[0] < u[2] && u[0] < rect[2] && rect[1] < u[3] && u[1] < rect[3]);
      }
      if (clear) pick = [rect, offs[i]];
    }
    if (!pick) {
      if (crowded) return;
      pick = [[l.x + r + 3, l.y - h + 6, l.x + r + 3 + w, l.y + 7], [r + 3, 4]];
    }
    used.push(pick[0]);
    haloText(ctx, l.text, l.x + pick[1][0], l.y + pick[1][1], l.fill, l.font);
  });
}

// A canvas as wide as its box and `h` pixels high, in device pixels; its width in CSS pixels.
function sizeCanvas(c, h) {
  const dpr = window.devicePixelRatio || 1, w = c.clientWidth || 860;
  c.width = Math.round(w * dpr); c.height = Math.round(h * dpr);
  c.getContext('2d').setTransform(dpr, 0, 0, dpr, 0, 0);
  return w;
}

// The map's grid, its numbers and the scale bar.
function drawGrid(ctx, view) {
  const { w, h } = view, X = view.X, Y = view.Y;
  const x0 = view.cx - w / 2 / view.scale, x1 = view.cx + w / 2 / view.scale;
  const y0 = view.cy - h / 2 / view.scale, y1 = view.cy + h / 2 / view.scale;
  const step = niceStep(Math.max(x1 - x0, y1 - y0));
  ctx.strokeStyle = '#e4e1d8'; ctx.lineWidth = 1; ctx.beginPath();
  for (let gx = Math.ceil(x0 / step) * step; gx <= x1; gx += step) { ctx.moveTo(X(gx), 0); ctx.lineTo(X(gx), h); }
  for (let gy = Math.ceil(y0 / step) * step; gy <= y1; gy += step) { ctx.moveTo(0, Y(gy)); ctx.lineTo(w, Y(gy)); }
  ctx.stroke();
  ctx.font = '10px ' + FONT; ctx.fillStyle = '#999';
  for (let gx = Math.ceil(x0 / step) * step; gx <= x1; gx += step) ctx.fillText(String(+gx.toFixed(3)), X(gx) + 2, h - 4);
  for (let gy = Math.ceil(y0 / step) * step; gy <= y1; gy += step) if (Y(gy) > 14) ctx.fillText(String(+gy.toFixed(3)), 3, Y(gy) - 2);
  const bar = step * view.scale;
  ctx.strokeStyle = '#555'; ctx.lineWidth = 2; ctx.beginPath();
  ctx.moveTo(w - 16 - bar, 26); ctx.lineTo(w - 16, 26);
  ctx.moveTo(w - 16 - bar, 22); ctx.lineTo(w - 16 - bar, 30);
  ctx.moveTo(w - 16, 22); ctx.lineTo(w - 16, 30); ctx.stroke();
  ctx.fillStyle = '#555'; ctx.textAlign = 'center';
  ctx.fillText(step + ' units', w - 16 - bar / 2, 18); ctx.textAlign = 'left';
}

// Explosions: a flash that grows and fades, then a faint mark where it went off.
function drawBlasts(F, ctx, view, t, scene) {
  const b = F.D.blasts, last = lastAt(b, 4, t);
  for (let i = 0; i <= last; ++i) {
    const bt = b[i * 4], bx = view.X(b[i * 4 + 1]), by = view.Y(b[i * 4 + 2]), kind = b[i * 4 + 3];
    const age = t - bt, look = lookOf(F, kind);
    if (age < FLASH_MS) {
      const u = age / FLASH_MS;
      ctx.globalAlpha = 0.55 * (1 - u); ctx.fillStyle = look.fill;
      ctx.beginPath(); ctx.arc(bx, by, 14 + 40 * u, 0, 2 * Math.PI); ctx.fill();
      ctx.globalAlpha = 1;
      glyph(ctx, bx, by, look, kind, 15);
      scene.labels.push({ kind: 'blast', x: bx, y: by, r: 15, text: look.name + ' explosion', fill: '#b22222', font: 'bold 12px ' + FONT });
      scene.block(bx, by, 15);
      scene.out.blasts.push({ kind: look.name, x: b[i * 4 + 1], y: b[i * 4 + 2] });
    } else if (i > last - 400) {
      ctx.globalAlpha = 0.3; glyph(ctx, bx, by, look, kind, 8); ctx.globalAlpha = 1;
    }
  }
}

// Trails of the cast so far, coloured by the screen playing; labels keep off them.
function drawTrails(F, ctx, view, t) {
  const X = view.X, Y = view.Y, trailPoints = [];
  F.D.things.forEach((th) => {
    if (th.k !== 'cast' || th.from > t || th.f.length < 6) return;
    const f = th.f;
    ctx.lineWidth = 3; ctx.lineCap = 'round';
    for (let a = 0; a + 3 < f.length && f[a] <= t; a += 3) {
      const tEnd = Math.min(t, f[a + 3]);
      const p = posAt(th, tEnd);
      const s = screenAt(F, f[a]);
      ctx.strokeStyle = s < 0 ? '#bbbbbb' : colour(F, s); ctx.globalAlpha = 0.6;
      ctx.beginPath(); ctx.moveTo(X(f[a + 1]), Y(f[a + 2])); ctx.lineTo(X(p[0]), Y(p[1])); ctx.stroke();
      const len = Math.hypot(X(p[0]) - X(f[a + 1]), Y(p[1]) - Y(f[a + 2]));
      for (let k = 0; k <= len; k += 8) {
        const u = len ? k / len : 0;
        trailPoints.push([X(f[a + 1]) + (X(p[0]) - X(f[a + 1])) * u, Y(f[a + 2]) + (Y(p[1]) - Y(f[a + 2])) * u]);
      }
    }
    ctx.globalAlpha = 1;
  });
  return trailPoints;
}

function drawCars(F, ctx, view, t, scene) {
  F.D.things.forEach((th) => {
    if (th.k !== 'car' || !present(th, t)) return;
    const p = posAt(th, t), fl = flagsAt(th, t), cx = view.X(p[0]), cy = view.Y(p[1]);
    ctx.fillStyle = fl & WRECKED ? '#3a3a3a' : '#d9d9d9'; ctx.strokeStyle = '#444'; ctx.lineWidth = 1.5;
    ctx.beginPath(); ctx.rect(cx - 15, cy - 9, 30, 18); ctx.fill(); ctx.stroke();
    if (fl & WRECKED) {
      ctx.strokeStyle = '#ff4444'; ctx.lineWidth = 2.5; ctx.beginPath();
      ctx.moveTo(cx - 11, cy - 6); ctx.lineTo(cx + 11, cy + 6); ctx.moveTo(cx - 11, cy + 6); ctx.lineTo(cx + 11, cy - 6); ctx.stroke();
    }
    scene.block(cx, cy, 15);
    scene.labels.push({ kind: 'car', x: cx, y: cy, r: 15, text: th.n + (fl & WRECKED ? ' (wrecked)' : ''), fill: '#333', font: '11px ' + FONT });
    scene.out.things.push({ name: th.n, kind: 'car', x: p[0], y: p[1], state: fl & WRECKED ? 'wrecked' : '' });
  });
}

// Bystanders, the cast (with the cue each is playing) and you.
function drawPeople(F, ctx, view, t, scene) {
  const playing = stepAt(F, t), D = F.D;
  ['ped', 'cast', 'player'].forEach((kind) => {
    D.things.forEach((th) => {
      if (th.k !== kind || !present(th, t)) return;
      const p = posAt(th, t), fl = flagsAt(th, t), px = view.X(p[0]), py = view.Y(p[1]);
      const words = [];
      let r = kind === 'ped' ? 6 : 8;
      if (fl & IN_CAR) { r = 4.5; words.push('in car'); }
      if (fl & DEAD) words.push('dead');
      if (fl & BURNING) words.push('burning');
      if (fl & BURNING) {
        ctx.strokeStyle = '#ff7f0e'; ctx.lineWidth = 3; ctx.beginPath(); ctx.arc(px, py, r + 5, 0, 2 * Math.PI); ctx.stroke();
      }
      ctx.beginPath(); ctx.arc(px, py, r, 0, 2 * Math.PI);
      if (fl & DEAD) {
        ctx.fillStyle = '#c8c8c8'; ctx.fill(); ctx.strokeStyle = '#000'; ctx.lineWidth = 2.2; ctx.beginPath();
        ctx.moveTo(px - r, py - r); ctx.lineTo(px + r, py + r); ctx.moveTo(px - r, py + r); ctx.lineTo(px + r, py - r); ctx.stroke();
      } else {
        ctx.fillStyle = kind === 'player' ? '#ffd24a' : kind === 'cast' ? '#222' : '#9a9a9a';
        ctx.strokeStyle = kind === 'player' ? '#222' : '#fff'; ctx.lineWidth = 2;
        ctx.fill(); ctx.stroke();
      }
      scene.block(px, py, r);
      let cue = '';
      if (kind === 'cast' && playing >= 0 && th.slot >= 0 && th.slot < D.pedCount) {
        const cell = D.show.cells[playing * D.pedCount + th.slot];
        if (cell >> 2 && !(cell & 3)) cue = ' \u00b7 ' + D.actions[cell >> 2];
      }
      scene.labels.push({ kind, x: px, y: py, r, text: th.label + cue + (words.length ? ' (' + words.join(', ') + ')' : ''),
                          fill: kind === 'ped' ? '#666' : '#111', font: (kind === 'ped' ? '' : 'bold ') + '12px ' + FONT });
      scene.out.things.push({ name: th.n, kind, slot: th.slot, x: p[0], y: p[1], state: words.join(' ') });
    });
  });
}

// The world at t as the map shows it; what it drew goes into `out` for the page's state.
function drawMap(F, ctx, view, t, out) {
  ctx.clearRect(0, 0, view.w, view.h);
  ctx.fillStyle = '#fbfaf6'; ctx.fillRect(0, 0, view.w, view.h);
  drawGrid(ctx, view);
  const scene = { labels: [], blocked: [], out };
  scene.block = (x, y, r) => { scene.blocked.push([x - r, y - r, x + r, y + r]); };
  drawBlasts(F, ctx, view, t, scene);
  const trailPoints = drawTrails(F, ctx, view, t);
  drawCars(F, ctx, view, t, scene);
  drawPeople(F, ctx, view, t, scene);
  if (trailPoints.length < 2000) trailPoints.forEach((q) => { scene.block(q[0], q[1], 2); });
  // The people first, then what happens, then the cars and bystanders get what room is left.
  const rank = { player: 0, cast: 1, blast: 2, car: 3, ped: 4 };
  scene.labels.forEach((l, i) => { l.order = i; });
  scene.labels.sort((a, b) => rank[a.kind] - rank[b.kind] || a.order - b.order);
  placeLabels(ctx, view, scene.labels, scene.blocked);
}

// The keypad from the key table, the two ped.ini keys under the codes the film's ped.ini gave
// them. Returns each key's code and shapes, for lighting.
function buildKeypad(svg, keyTable, iniKeys) {
  const S = 30, G = 4, ns = 'http://www.w3.org/2000/svg', ox = 4, oy = 0, els = [];
  svg.textContent = '';
  keyTable.forEach((k) => {
    const code = k.ini >= 0 ? iniKeys[k.ini] : k.code;
    const x0 = k.block === 'pad' ? ox : ox + 4 * (S + G) + 14;
    const [column, row, width, height] = k.at;
    const g = document.createElementNS(ns, 'g');
    const x = x0 + column * (S + G), y = oy + row * (S + G), w = width * S + (width - 1) * G, h = height * S + (height - 1) * G;
    const r = document.createElementNS(ns, 'rect');
    r.setAttribute('x', x); r.setAttribute('y', y); r.setAttribute('width', w); r.setAttribute('height', h);
    r.setAttribute('rx', 5);
    const tx = document.createElementNS(ns, 'text');
    tx.setAttribute('x', x + w / 2); tx.setAttribute('y', y + h / 2 + 5); tx.setAttribute('text-anchor', 'middle');
    tx.setAttribute('font-size', k.label.length > 3 ? 11 : 15);
    tx.textContent = k.label + (k.ini >= 0 ? ' (key ' + code + ')' : '');
    g.appendChild(r); g.appendChild(tx);
    if (code === 0) g.setAttribute('opacity', 0.35);
    g.setAttribute('class', 'key');
    svg.appendChild(g);
    els.push({ code, rect: r, text: tx });
  });
  const caption = document.createElementNS(ns, 'text');
  caption.setAttribute('x', ox + 4 * (S + G) + 14); caption.setAttribute('y', 4 * (S + G) + 20);
  caption.setAttribute('font-size', 10); caption.setAttribute('fill', '#777');
  caption.textContent = 'lit while pressed';
  svg.appendChild(caption);
  return els;
}

function paintKeys(keyEls, litCodes) {
  keyEls.forEach((k) => {
    const lit = k.code !== 0 && litCodes.indexOf(k.code) >= 0;
    k.rect.setAttribute('fill', lit ? '#ffcc33' : '#f6f6f4');
    k.rect.setAttribute('stroke', lit ? '#b07800' : '#999');
    k.rect.setAttribute('stroke-width', lit ? 2.5 : 1);
    k.text.setAttribute('fill', lit ? '#000' : '#444');
    k.text.setAttribute('font-weight', lit ? 'bold' : 'normal');
  });
}

function panelAt(F, t) {
  const p = F.D.panels, i = lastAt(p, 10, t);
  if (i < 0) return { mode: 0, off: 0, slot: 0, edit: 0, expl: 0, seat: 0, target: 0, screen: -1, problems: 0 };
  const a = i * 10;
  return { mode: p[a + 1], off: p[a + 2], slot: p[a + 3], edit: p[a + 4], expl: p[a + 5], seat: p[a + 6],
           target: p[a + 7], screen: p[a + 8], problems: p[a + 9] };
}

function drawPanel(F, $, s) {
  const rows = [['Mode', MODES[s.mode] || String(s.mode)], ['Selected slot', s.slot], ['Edit screen', s.edit],
                ['Explosion id', s.expl], ['Seat', s.seat], ['Target', s.target + (s.target === -1 ? ' (you)' : '')],
                ['Keys', s.off ? 'off' : 'on'], ['Show', s.screen >= 0 ? 'playing screen ' + s.screen : 'not playing']];
  $('rows').innerHTML = rows.map((r) => '<tr><td>' + r[0] + '</td><td>' + r[1] + '</td></tr>').join('');
  const m = $('mirror');
  if (s.problems > 0) {
    m.className = 'lost';
    m.textContent = 'The film recorder\u2019s mirror lost track: ' + F.D.problems[0];
  } else {
    m.className = '';
    m.textContent = 'As mirrored by the film recorder.';
  }
}

// The record of (time, shown ms) pairs still on screen at t, or -1.
function shownAt(arr, t) {
  const i = lastAt(arr, 2, t);
  return i >= 0 && t < arr[i * 2] + arr[i * 2 + 1] ? i : -1;
}

// The newest message still on the game's screen, the plug-in's or the take runner's.
function takeShownAt(F, t) {
  const i = shownAt(F.D.screens, t), k = shownAt(F.take, t);
  return k >= 0 && (i < 0 || F.take[k * 2] >= F.D.screens[i * 2]) ? k : -1;
}

function textAt(F, t) {
  const k = takeShownAt(F, t);
  if (k >= 0) return F.takeTexts[k];
  const i = shownAt(F.D.screens, t);
  return i >= 0 ? message(F, i) : '';
}

function drawConsole(F, $, t) {
  const D = F.D, i = lastAt(D.logs, 1, t);
  let lines = [];
  for (let k = Math.max(0, i - 4); k <= i; ++k) lines.push([D.logs[k], esc(D.logTexts[k])]);
  // The take runner's messages go beside the host's log, marked as the runner's.
  const j = lastAt(F.take, 2, t);
  for (let n = Math.max(0, j - 4); n <= j; ++n) lines.push([F.take[n * 2], '<span class="k">take</span> ' + esc(F.takeTexts[n])]);
  lines.sort((a, b) => a[0] - b[0]);
  lines = lines.slice(-5).map((l) => '<span class="t">' + (l[0] / 1000).toFixed(2).padStart(7) + '</span> ' + l[1]);
  $('console').innerHTML = lines.length ? lines.join('\n') : '<span class="t">host log: nothing yet</span>';
}

function litAt(F, t) {
  const keys = F.D.keys, codes = [], names = [];
  for (let i = lastAt(keys, 3, t); i >= 0 && keys[i * 3] > t - LIT_MS; --i) {
    codes.push(keys[i * 3 + 1]); names.unshift(F.D.keyNames[keys[i * 3 + 2]]);
  }
  return { codes, names };
}

// The timeline's geometry: rows for the cast, and time to x piece by piece: the recording before
// the show and whatever follows it are compressed, the show's screens get the room.
function timelineGeometry(F, tl) {
  const rows = F.D.pedCount;
  // Rows shrink to fit a large cast into a strip of at most 200 pixels.
  const rowH = rows ? Math.min(20, rows > 10 ? 200 / rows : 20) : 20;
  const head = 34, keysH = 16;
  const h = head + keysH + Math.max(1, rows) * rowH + 20 + 18;
  const w = sizeCanvas(tl, h);
  const geo = { w, h, rowH, head, keysH, rows, x0: LABEL_W, x1: w - 8 };
  const span = geo.x1 - geo.x0, pieces = [], END = F.D.end;
  if (F.showStart < 0) {
    pieces.push([0, END, geo.x0, geo.x1, 'recording']);
  } else {
    const pre = F.showStart > 0 ? span * 0.16 : 0, post = END > F.showEnd ? span * 0.08 : 0;
    pieces.push([0, F.showStart, geo.x0, geo.x0 + pre, 'recording']);
    pieces.push([F.showStart, F.showEnd, geo.x0 + pre, geo.x1 - post, 'show']);
    pieces.push([F.showEnd, END, geo.x1 - post, geo.x1, 'after']);
  }
  geo.pieces = pieces.filter((p) => p[1] > p[0]);
  return geo;
}

function tToX(geo, t) {
  const ps = geo.pieces;
  for (let i = 0; i < ps.length; ++i) {
    const p = ps[i];
    if (t <= p[1] || i === ps.length - 1) return p[2] + (p[3] - p[2]) * Math.max(0, Math.min(1, (t - p[0]) / (p[1] - p[0])));
  }
  return geo.x0;
}

function xToT(geo, x) {
  const ps = geo.pieces;
  for (let i = 0; i < ps.length; ++i) {
    const p = ps[i];
    if (x <= p[3] || i === ps.length - 1) return p[0] + (p[1] - p[0]) * Math.max(0, Math.min(1, (x - p[2]) / (p[3] - p[2])));
  }
  return 0;
}

// Compressed stretches: hatched, titled.
function drawStretches(F, c, geo, rowsH) {
  const top = geo.head;
  geo.pieces.forEach((p) => {
    if (p[4] === 'show') return;
    c.fillStyle = '#f1efe9'; c.fillRect(p[2], top - 30, p[3] - p[2], rowsH + geo.keysH + 50);
    c.fillStyle = '#666'; c.font = 'bold 11px ' + FONT;
    const title = p[4] === 'recording' ? (F.showStart < 0 ? 'recording (no show played)' : 'recording') : 'after the show';
    c.fillText(title, p[2] + 4, top - 16, p[3] - p[2] - 6);
    c.font = '10px ' + FONT;
    c.fillText(secs(p[1] - p[0]) + (p[4] === 'show' || F.showStart < 0 ? '' : ', compressed'), p[2] + 4, top - 4, p[3] - p[2] - 6);
  });
}

// One screen of the show as long as it played, with each slot's cue and the explosions.
function drawStep(F, c, geo, s, i) {
  const top = geo.head, gridTop = top + geo.keysH, rowsH = Math.max(1, geo.rows) * geo.rowH, blastY = gridTop + rowsH;
  const xa = tToX(geo, s.start), xb = tToX(geo, Math.min(F.D.end, s.start + s.ms)), w = Math.max(1, xb - xa);
  c.fillStyle = colour(F, s.screen); c.fillRect(xa, top - 30, w, 26);
  c.globalAlpha = 0.12; c.fillRect(xa, gridTop, w, rowsH + 18); c.globalAlpha = 1;
  c.strokeStyle = '#fff'; c.lineWidth = 1; c.strokeRect(xa, top - 30, w, rowsH + geo.keysH + 48);
  if (w > 46) {
    c.fillStyle = '#fff'; c.font = 'bold 11px ' + FONT; c.fillText('screen ' + s.screen, xa + 4, top - 17, w - 6);
    c.font = '10px ' + FONT; c.fillText(secs(s.ms), xa + 4, top - 6, w - 6);
  } else if (w > 14) {
    c.fillStyle = '#fff'; c.font = 'bold 10px ' + FONT; c.fillText(String(s.screen), xa + 2, top - 12, w - 3);
  }
  for (let slot = 0; slot < geo.rows; ++slot) {
    const v = F.D.show.cells[i * geo.rows + slot], code = v >> 2, flag = v & 3;
    if (!code && !flag) continue;
    const y = gridTop + slot * geo.rowH;
    if (code && !flag) {
      c.fillStyle = colour(F, s.screen); c.globalAlpha = 0.4;
      c.fillRect(xa + 1, y + (geo.rowH > 6 ? 2 : 0), Math.max(1, w - 2), geo.rowH > 6 ? geo.rowH - 4 : geo.rowH);
      c.globalAlpha = 1;
    }
    if (geo.rowH >= 12 && w > 30) {
      let text = code ? F.D.actions[code] || '?' : '';
      if (flag === 1) text = code ? text + ' (no ped)' : 'no ped';
      if (flag === 2) text += ' (skipped)';
      c.fillStyle = flag ? '#999' : '#111'; c.font = (flag ? 'italic ' : '') + '11px ' + FONT;
      c.fillText(text, xa + 5, y + geo.rowH - 6, w - 8);
    }
  }
  const went = F.D.show.went[i];
  if (went.length) {
    c.fillStyle = '#b22222'; c.font = 'bold 11px ' + FONT;
    const words = went.length > 2 ? went.length + ' blasts' : went.map((k) => lookOf(F, k).name).join(' ');
    if (w > 30) c.fillText(words, xa + 5, blastY + 13, w - 8); else c.fillRect(xa + 1, blastY + 5, Math.max(1, w - 2), 8);
  }
}

// The timeline without its playhead, drawn once a film and size into a canvas of its own.
function renderStrip(F, tl, geo) {
  const dpr = window.devicePixelRatio || 1, D = F.D;
  const strip = document.createElement('canvas');
  strip.width = tl.width; strip.height = tl.height;
  const c = strip.getContext('2d');
  c.setTransform(dpr, 0, 0, dpr, 0, 0);
  c.fillStyle = '#fff'; c.fillRect(0, 0, geo.w, geo.h);
  const keysTop = geo.head, gridTop = geo.head + geo.keysH, rowsH = Math.max(1, geo.rows) * geo.rowH;
  const blastY = gridTop + rowsH;
  drawStretches(F, c, geo, rowsH);
  F.steps.forEach((s, i) => { drawStep(F, c, geo, s, i); });
  // Key presses as ticks.
  c.strokeStyle = '#444'; c.lineWidth = 1; c.beginPath();
  for (let k = 0; k < D.keys.length; k += 3) {
    const kx = Math.round(tToX(geo, D.keys[k])) + 0.5;
    c.moveTo(kx, keysTop + 3); c.lineTo(kx, keysTop + geo.keysH - 3);
  }
  c.stroke();
  // Row labels.
  c.font = '11px ' + FONT; c.fillStyle = '#333';
  c.fillText('keys', 6, keysTop + 12);
  if (geo.rowH >= 10) {
    for (let r = 0; r < geo.rows; ++r) {
      c.fillStyle = '#333'; c.font = '11px ' + FONT;
      c.fillText('slot ' + r, 6, gridTop + r * geo.rowH + geo.rowH - 6);
      c.fillStyle = '#999'; c.font = '9px ' + FONT;
      c.fillText(D.slotNames[r] || '', 54, gridTop + r * geo.rowH + geo.rowH - 6, LABEL_W - 56);
    }
  } else {
    c.fillText(geo.rows + ' slots', 6, gridTop + 12);
  }
  if (!geo.rows) { c.fillStyle = '#999'; c.fillText('no cast', 6, gridTop + 14); }
  c.fillStyle = '#b22222'; c.font = '11px ' + FONT; c.fillText('explosions', 6, blastY + 13);
  return strip;
}

function drawTimeline(tl, strip, geo, t) {
  const dpr = window.devicePixelRatio || 1, tctx = tl.getContext('2d');
  tctx.setTransform(1, 0, 0, 1, 0, 0); tctx.drawImage(strip, 0, 0); tctx.setTransform(dpr, 0, 0, dpr, 0, 0);
  const x = tToX(geo, t);
  tctx.strokeStyle = '#d62728'; tctx.lineWidth = 2; tctx.beginPath(); tctx.moveTo(x, 2); tctx.lineTo(x, geo.h - 16); tctx.stroke();
  tctx.fillStyle = '#d62728'; tctx.beginPath(); tctx.moveTo(x - 6, 0); tctx.lineTo(x + 6, 0); tctx.lineTo(x, 8); tctx.fill();
  tctx.font = 'bold 11px ' + FONT;
  const label = secs(t), lw = tctx.measureText(label).width;
  tctx.fillText(label, Math.min(geo.w - lw - 4, Math.max(4, x - lw / 2)), geo.h - 4);
}

// What the page drew at t, in data- attributes a test or a person can read.
function writeDom(state, drawn, t, out, text, lit, s) {
  state.setAttribute('data-t', (t / 1000).toFixed(3));
  state.setAttribute('data-text', text);
  state.setAttribute('data-lit', lit.names.join(' '));
  state.setAttribute('data-mode', s.mode);
  state.setAttribute('data-keys', s.off ? 'off' : 'on');
  state.setAttribute('data-slot', s.slot);
  state.setAttribute('data-edit-screen', s.edit);
  state.setAttribute('data-explosion', s.expl);
  state.setAttribute('data-seat', s.seat);
  state.setAttribute('data-target', s.target);
  state.setAttribute('data-show-screen', s.screen);
  state.setAttribute('data-lost', s.problems > 0 ? 1 : 0);
  const html = [];
  out.things.forEach((o) => {
    html.push('<i data-name="' + esc(o.name) + '" data-kind="' + o.kind + '"' + (o.kind === 'cast' ? ' data-slot="' + o.slot + '"' : '') +
              ' data-x="' + o.x.toFixed(3) + '" data-y="' + o.y.toFixed(3) + '" data-state="' + o.state + '"></i>');
  });
  out.blasts.forEach((o) => {
    html.push('<b data-kind="' + o.kind + '" data-x="' + o.x.toFixed(3) + '" data-y="' + o.y.toFixed(3) + '"></b>');
  });
  drawn.innerHTML = html.join('');
}

// The map's view of `box` ([minX, minY, maxX, maxY]) on a canvas w by h: world to pixels and
// back.
function mapView(box, w, h) {
  const spanX = Math.max(box[2] - box[0], 10), spanY = Math.max(box[3] - box[1], 10);
  const padX = spanX * 0.12 + 3, padY = spanY * 0.12 + 3;
  const cx = (box[0] + box[2]) / 2, cy = (box[1] + box[3]) / 2;
  const scale = Math.min((w - 20) / (spanX + 2 * padX), (h - 20) / (spanY + 2 * padY));
  return {
    w, h, scale, cx, cy,
    X: (x) => w / 2 + (x - cx) * scale,
    Y: (y) => h / 2 - (y - cy) * scale,
    worldX: (px) => cx + (px - w / 2) / scale,
    worldY: (py) => cy - (py - h / 2) / scale,
  };
}

// Builds the player's parts inside `root`. `keyTable` is the director's key table; options:
// `box(D)` the map's extent for a film (default: everything that was ever anywhere), `overlay(ctx,
// view, t)` draws over the map, `hash` follows the page's #t=SECONDS.
export function createShowPlayer(root, keyTable, options = {}) {
  root.innerHTML = MARKUP;
  const $ = (id) => root.querySelector('#' + id);
  const map = $('map'), mctx = map.getContext('2d'), tl = $('timeline'), state = $('state'), drawn = $('drawn');
  let F = null, view = null, geo = null, strip = null, keyEls = [], known = [];
  let now = 0, playing = false, speed = 1, lastWall = 0, lastDom = -1e9;

  function layout() {
    const w = sizeCanvas(map, 520);
    view = mapView(options.box ? options.box(F.D) : F.D.box, w, 520);
    geo = timelineGeometry(F, tl);
    strip = renderStrip(F, tl, geo);
  }
  function render(force) {
    const t = now, out = { things: [], blasts: [] };
    drawMap(F, mctx, view, t, out);
    if (options.overlay) options.overlay(mctx, view, t);
    const text = textAt(F, t), lit = litAt(F, t), s = panelAt(F, t);
    $('subtitle').textContent = text;
    $('subtitle').className = takeShownAt(F, t) >= 0 ? 'take' : '';
    paintKeys(keyEls, lit.codes);
    const other = lit.names.filter((n, i) => known.indexOf(lit.codes[lit.codes.length - 1 - i]) < 0);
    $('other').textContent = other.length ? 'also pressed: ' + other.join(', ') : '';
    drawPanel(F, $, s);
    drawConsole(F, $, t);
    drawTimeline(tl, strip, geo, t);
    const END = F.D.end;
    $('time').textContent = secs(t) + ' / ' + secs(END) + (F.showStart >= 0 ? (t < F.showStart ? '  (show at ' + secs(F.showStart) + ')' : '') : '');
    const wall = performance.now();
    if (force || !playing || wall - lastDom > 250) { writeDom(state, drawn, t, out, text, lit, s); lastDom = wall; }
  }
  function seek(t) { now = Math.max(0, Math.min(F.D.end, t)); render(true); }
  function frame(wall) {
    if (!playing) return;
    now = Math.min(F.D.end, now + Math.max(0, wall - lastWall) * speed);
    lastWall = wall;
    if (now >= F.D.end) { setPlaying(false); return; }
    render(false);
    requestAnimationFrame(frame);
  }
  function setPlaying(on) {
    playing = on && now < F.D.end;
    $('play').textContent = playing ? 'Pause' : 'Play';
    $('play').classList.toggle('on', playing);
    if (playing) { lastWall = performance.now(); requestAnimationFrame(frame); } else { render(true); }
  }
  function jump(dir) {
    const moments = F.moments;
    let i = lastAt(moments, 1, now);
    if (dir > 0) { seek(i + 1 < moments.length ? moments[i + 1] : F.D.end); return; }
    if (i >= 0 && moments[i] === now) --i;
    seek(i >= 0 ? moments[i] : 0);
  }
  function fromHash() {
    const m = /t=([0-9.]+)/.exec(location.hash);
    return m ? Math.round(parseFloat(m[1]) * 1000) : null;
  }
  wireControls();

  function wireControls() {
    $('play').onclick = () => { setPlaying(!playing); };
    $('prev').onclick = () => { jump(-1); };
    $('next').onclick = () => { jump(1); };
    $('start').onclick = () => { seek(F.showStart >= 0 ? F.showStart : 0); };
    root.querySelectorAll('.speed').forEach((b) => {
      b.onclick = () => {
        speed = +b.getAttribute('data-speed');
        root.querySelectorAll('.speed').forEach((o) => { o.classList.toggle('on', o === b); });
      };
    });
    // Keys typed into a field of the page, or taken by the page for itself, are not the player's.
    document.addEventListener('keydown', (e) => {
      if (!F || e.defaultPrevented || /^(INPUT|TEXTAREA|SELECT)$/.test(e.target.tagName || '')) return;
      if (e.code === 'Space') { e.preventDefault(); setPlaying(!playing); }
      else if (e.key === 'ArrowLeft') { e.preventDefault(); jump(-1); }
      else if (e.key === 'ArrowRight') { e.preventDefault(); jump(1); }
    });
    let dragging = false;
    const seekAt = (e) => { const r = tl.getBoundingClientRect(); seek(xToT(geo, e.clientX - r.left)); };
    tl.addEventListener('mousedown', (e) => { dragging = true; seekAt(e); });
    window.addEventListener('mousemove', (e) => { if (dragging) seekAt(e); });
    window.addEventListener('mouseup', () => { dragging = false; });
    window.addEventListener('resize', () => { if (F) { layout(); render(true); } });
    if (options.hash) {
      window.addEventListener('hashchange', () => { const t = fromHash(); if (t !== null && F) { setPlaying(false); seek(t); } });
    }
  }

  return {
    map, timeline: tl,
    // Shows a rehearsal's data (which it takes over) at `t`, or where the page's #t= says.
    load(D, t) {
      F = prepare(D);
      keyEls = buildKeypad($('keypad'), keyTable, D.iniKeys);
      known = keyEls.map((k) => k.code).filter((code) => code !== 0);
      layout();
      const start = options.hash ? fromHash() : null;
      seek(start !== null ? start : t || 0);
    },
    seek,
    now: () => now,
    view: () => view,
    redraw() { if (F) render(true); },
    relayout() { if (F) { layout(); render(true); } },
    setPlaying,
    // The show's screens as they played: {screen, start, ms} each; the run's end.
    steps: () => F.steps,
    end: () => F.D.end,
    // How the film draws an explosion of a kind, and the colour of a screen.
    look: (kind) => lookOf(F, kind),
    colour: (screen) => colour(F, screen),
    summary() {
      const D = F.D, n = F.steps.length;
      return F.showStart >= 0
        ? 'show from ' + secs(F.showStart) + ' to ' + secs(F.showEnd) + ', ' + n + ' screen' + (n === 1 ? '' : 's') + ', ' + D.pedCount + ' ped slot' + (D.pedCount === 1 ? '' : 's') + (D.show.finished ? '' : ', cut off by the end of the run') + '; rehearsal ' + secs(D.end)
        : 'no show was played in this rehearsal of ' + secs(D.end);
    },
  };
}

#include "views/storyboard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "rehearsal/json.h"

namespace sim {

const ExplosionLook kExplosionLooks[3] = {
    {4, "#ff7f0e", "#b22222"}, {1, "#ffb000", "#c03000"}, {0, "#556b2f", "#556b2f"}};

const ExplosionLook& ExplosionLookOf(int kind) {
  for (const ExplosionLook& look : kExplosionLooks) {
    if (look.kind == kind) return look;
  }
  return kExplosionLooks[2];
}

std::string XmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

namespace {

const char* const kScreenColours[] = {"#1f77b4", "#e6550d", "#2ca02c", "#9467bd", "#d62728",
                                      "#17becf", "#8c564b", "#e377c2", "#bcbd22", "#636363"};
constexpr int kColours = sizeof kScreenColours / sizeof kScreenColours[0];

const char* Colour(int screen) {
  return kScreenColours[screen % kColours];
}

std::string Num(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", v);
  std::string s = text;
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
  if (s == "-0") s = "0";
  return s;
}

std::string Seconds(std::uint64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
  return text;
}

// Text with a pale halo, so labels stay readable over paths.
std::string Label(double x, double y, const std::string& text, const char* fill, int size,
                  const char* anchor = "start", const char* weight = "normal") {
  const std::string common = "x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" font-size=\"" +
                             std::to_string(size) + "\" text-anchor=\"" + anchor +
                             "\" font-weight=\"" + weight + "\"";
  return "<text " + common + " fill=\"none\" stroke=\"#fbfaf6\" stroke-width=\"3.5\" " +
         "stroke-linejoin=\"round\">" + XmlEscape(text) + "</text><text " + common + " fill=\"" +
         fill + "\">" + XmlEscape(text) + "</text>\n";
}

struct Box {
  double minX = 1e30, minY = 1e30, maxX = -1e30, maxY = -1e30;
  void Add(const world::Vec3& p) {
    minX = std::min(minX, static_cast<double>(p.x));
    maxX = std::max(maxX, static_cast<double>(p.x));
    minY = std::min(minY, static_cast<double>(p.y));
    maxY = std::max(maxY, static_cast<double>(p.y));
  }
  bool empty() const { return minX > maxX; }
};

double NiceStep(double span) {
  const double rough = span / 8.0;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * power >= rough) return m * power;
  }
  return 10.0 * power;
}

// A glyph per explosion kind: a star for a rocket, a flame for fire, a ringed dot for a grenade.
std::string ExplosionGlyph(double x, double y, int kind) {
  std::string out;
  if (kind == 4) {
    std::string points;
    for (int i = 0; i < 16; ++i) {
      const double r = i % 2 == 0 ? 11.0 : 4.5;
      const double a = i * 3.14159265358979 / 8.0;
      points += Num(x + r * std::cos(a)) + "," + Num(y + r * std::sin(a)) + " ";
    }
    out += "<polygon points=\"" + points + "\" fill=\"" + ExplosionLookOf(4).fill + "\" stroke=\"" +
           ExplosionLookOf(4).stroke + "\" stroke-width=\"1.2\"/>\n";
  } else if (kind == 1) {
    out += "<path d=\"M" + Num(x) + "," + Num(y - 11) + " C" + Num(x + 9) + "," + Num(y - 2) + " " +
           Num(x + 7) + "," + Num(y + 8) + " " + Num(x) + "," + Num(y + 8) + " C" + Num(x - 7) +
           "," + Num(y + 8) + " " + Num(x - 9) + "," + Num(y - 2) + " " + Num(x) + "," +
           Num(y - 11) + "Z\" fill=\"" + ExplosionLookOf(1).fill + "\" stroke=\"" +
           ExplosionLookOf(1).stroke + "\" stroke-width=\"1.2\"/>\n";
  } else {
    out += "<circle cx=\"" + Num(x) + "\" cy=\"" + Num(y) + "\" r=\"9\" fill=\"none\" " +
           "stroke=\"" + ExplosionLookOf(0).stroke +
           "\" stroke-width=\"2\" stroke-dasharray=\"3,2\"/><circle cx=\"" + Num(x) + "\" cy=\"" +
           Num(y) + "\" r=\"4\" fill=\"" + ExplosionLookOf(0).fill + "\"/>\n";
  }
  return out;
}

// Map labels placed last, each beside its point where it covers no other label or marker.
class Placer {
 public:
  Placer(double left, double top, double right, double bottom)
      : left_(left), top_(top), right_(right), bottom_(bottom) {}
  void Block(double x, double y, double radius) {
    used_.push_back({x - radius, y - radius, x + radius, y + radius});
  }
  void Add(double x, double y, const std::string& text, const char* fill, int size,
           bool bold = false) {
    pending_.push_back({x, y, text, fill, size, bold});
  }
  std::string Render() {
    std::string out;
    for (const Pending& p : pending_) {
      const double w = p.text.size() * p.size * (p.bold ? 0.66 : 0.6), h = p.size;
      const double offsets[][2] = {{9, 4 + h / 2},
                                   {9, -7},
                                   {9, 17 + h / 2},
                                   {-9 - w, -7},
                                   {-9 - w, 4 + h / 2},
                                   {-9 - w, 17 + h / 2},
                                   {-w / 2, -12},
                                   {-w / 2, 20 + h / 2},
                                   {9, -20},
                                   {9, 30 + h / 2},
                                   {-9 - w, -20},
                                   {-9 - w, 30 + h / 2}};
      double bx = p.x + offsets[0][0], by = p.y + offsets[0][1];
      for (const auto& o : offsets) {
        const Rect r{p.x + o[0], p.y + o[1] - h, p.x + o[0] + w, p.y + o[1] + 3};
        if (r.x0 < left_ || r.x1 > right_ || r.y0 < top_ || r.y1 > bottom_) continue;
        bool clear = true;
        for (const Rect& u : used_) clear = clear && !r.Overlaps(u);
        if (clear) {
          bx = r.x0;
          by = p.y + o[1];
          break;
        }
      }
      used_.push_back({bx, by - h, bx + w, by + 3});
      out += Label(bx, by, p.text, p.fill, p.size, "start", p.bold ? "bold" : "normal");
    }
    return out;
  }

 private:
  struct Rect {
    double x0, y0, x1, y1;
    bool Overlaps(const Rect& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
  };
  struct Pending {
    double x, y;
    std::string text;
    const char* fill;
    int size;
    bool bold;
  };
  double left_, top_, right_, bottom_;
  std::vector<Rect> used_;
  std::vector<Pending> pending_;
};

using Sample = StoryboardSampler::Sample;
using Trails = std::map<std::int32_t, std::vector<Sample>>;

// The picture's frame: a fixed width, a margin all round, the map below the title and legend.
constexpr double kWidth = 1000, kMargin = 24, kMapTop = 92;
// The timeline's rows, its column heads and the slot names left of its grid.
constexpr double kRowH = 22, kHeadH = 36, kLabelW = 78;
// More warnings than this would push the picture long; the film sheet lists them all.
constexpr std::size_t kMostWarnings = 8;

// The part of the run the picture covers: from the start of the last show (or of the run, when
// the film was never played) to the last tick sampled.
struct Span {
  const Show* show;
  std::uint64_t from, to;

  // Which screen was playing at t (-1 before the show).
  int ScreenAt(std::uint64_t t) const {
    int screen = -1;
    if (show == nullptr) return screen;
    for (const Step& step : show->steps) {
      if (step.start <= t) screen = step.screen;
    }
    return screen;
  }
  // A trail cut to the span, starting where it stood when the span began.
  std::vector<Sample> Within(const std::vector<Sample>& trail) const {
    std::vector<Sample> kept;
    for (const auto& s : trail) {
      if (s.t <= from) {
        if (kept.empty())
          kept.push_back(s);
        else
          kept.back() = s;
      } else if (s.t <= to) {
        kept.push_back(s);
      }
    }
    return kept;
  }
};

Span SpanOf(const FilmReport& report, const StoryboardSampler& samples) {
  const Show* show = report.shows.empty() ? nullptr : &report.shows.back();
  return {show, show != nullptr ? show->start : 0, samples.lastTick};
}

int SlotOf(const FilmReport& report, std::int32_t handle) {
  const auto found = report.slotOf.find(handle);
  return found == report.slotOf.end() ? -1 : found->second;
}

// The screens that play: up to the first one after screen 0 that has no duration.
int FirstSilentScreen(const Film& film) {
  for (int screen = 1; screen < kScreens; ++screen) {
    if (film.durations[static_cast<std::size_t>(screen)] == 0) return screen;
  }
  return kScreens;
}

struct Spot {
  world::Vec3 pos;
  std::string text;
};

// Spots where the player stood to record a cue, on the screens that play. Cues recorded on the
// same spot share one marker, so their labels do not pile up.
std::vector<Spot> RecordingSpots(const Film& film, int silent) {
  std::vector<Spot> spots;
  auto addSpot = [&](const world::Vec3& pos, const std::string& text) {
    for (Spot& spot : spots) {
      if (spot.pos.x == pos.x && spot.pos.y == pos.y) {
        spot.text += ", " + text;
        return;
      }
    }
    spots.push_back({pos, text});
  };
  for (int screen = 0; screen < silent; ++screen) {
    for (int slot = 0; slot < film.pedCount; ++slot) {
      const Cue& cue = film.cue(screen, slot);
      if (UsesPosition(cue.code)) {
        addSpot(cue.pos, "s" + std::to_string(screen) + " slot " + std::to_string(slot) + " " +
                             ActionShort(cue.code));
      }
    }
  }
  return spots;
}

// What the map shows, cut to the span, and the extent that holds all of it.
struct MapContents {
  Trails cast, cars;
  std::vector<const StoryboardSampler::Happening*> happenings;
  std::vector<Spot> spots;
  Box box;
};

MapContents GatherMap(const FilmReport& report, const StoryboardSampler& samples, const Span& span,
                      std::vector<Spot> spots) {
  MapContents map;
  for (const auto& [handle, trail] : samples.peds) {
    if (SlotOf(report, handle) < 0) continue;
    map.cast[handle] = span.Within(trail);
    for (const auto& s : map.cast[handle]) map.box.Add(s.pos);
  }
  for (const auto& [handle, trail] : samples.cars) {
    map.cars[handle] = span.Within(trail);
    for (const auto& s : map.cars[handle]) map.box.Add(s.pos);
  }
  for (const auto& h : samples.happenings) {
    if (h.t >= span.from && h.t <= span.to) {
      map.happenings.push_back(&h);
      map.box.Add(h.pos);
    }
  }
  map.spots = std::move(spots);
  for (const Spot& spot : map.spots) map.box.Add(spot.pos);
  if (map.box.empty()) map.box.Add({0, 0, 0});
  return map;
}

// The map's projection: equal scale on both axes, north up.
struct MapView {
  double x0, x1, y0, y1;  // the world's extent on the map
  double scale;           // pixels per world unit
  double w, h;            // the map's size on the page
  double X(double x) const { return kMargin + (x - x0) * scale; }
  double Y(double y) const { return kMapTop + (y1 - y) * scale; }
};

// The extent with room around it, across the page's width. The map stays between 260 and 520
// pixels tall: a tall extent is drawn smaller and shows more at the sides, a flat one gets room
// above and below.
MapView FitMap(const Box& box) {
  MapView v;
  const double spanX = std::max(box.maxX - box.minX, 10.0);
  const double spanY = std::max(box.maxY - box.minY, 10.0);
  const double padX = spanX * 0.12 + 3, padY = spanY * 0.12 + 3;
  v.x0 = (box.minX + box.maxX) / 2 - spanX / 2 - padX;
  v.x1 = v.x0 + spanX + 2 * padX;
  v.y0 = (box.minY + box.maxY) / 2 - spanY / 2 - padY;
  v.y1 = v.y0 + spanY + 2 * padY;
  v.w = kWidth - 2 * kMargin;
  v.scale = v.w / (v.x1 - v.x0);
  v.h = (v.y1 - v.y0) * v.scale;
  if (v.h > 520) {
    v.scale = 520 / (v.y1 - v.y0);
    v.h = 520;
    const double wide = v.w / v.scale, mid = (v.x0 + v.x1) / 2;
    v.x0 = mid - wide / 2;
    v.x1 = mid + wide / 2;
  } else if (v.h < 260) {
    const double tall = 260 / v.scale, mid = (v.y0 + v.y1) / 2;
    v.y0 = mid - tall / 2;
    v.y1 = mid + tall / 2;
    v.h = 260;
  }
  return v;
}

struct Column {
  int screen = 0;
  std::uint64_t ms = 0;
  const Step* step = nullptr;
  bool last = false;
};

// The timeline's columns: the screens of the show, each as wide as it really lasted. A film never
// played gets the screens that would play, their lengths estimated from the durations.
std::vector<Column> TimelineColumns(const Film& film, const Show* show, int silent) {
  std::vector<Column> columns;
  if (show != nullptr) {
    for (std::size_t i = 0; i < show->steps.size(); ++i) {
      Column c;
      c.step = &show->steps[i];
      c.screen = c.step->screen;
      if (i + 1 < show->steps.size()) {
        c.ms = show->steps[i + 1].start - c.step->start;
      } else {
        c.last = true;
        c.ms = (c.step->end - c.step->start) +
               1000u * static_cast<std::uint64_t>(
                           std::max(1, film.durations[static_cast<std::size_t>(c.screen)]));
      }
      columns.push_back(c);
    }
  } else {
    for (int screen = 0; screen < silent && screen < 64; ++screen) {
      Column c;
      c.screen = screen;
      c.ms = 100u * static_cast<std::uint64_t>(film.pedCount) +
             1000u * static_cast<std::uint64_t>(
                         std::max(1, film.durations[static_cast<std::size_t>(screen)]));
      c.last = screen == silent - 1;
      columns.push_back(c);
    }
  }
  return columns;
}

// The timeline strip under the map: a head per column, a row per slot (at most 40) and one for
// the explosions. Every column is at least a little wide; the rest of the width goes by time.
struct Timeline {
  std::vector<Column> columns;
  int rows;
  double top, height, gridTop;
  std::uint64_t totalMs = 0;
  double minW, spare;
  double WidthOf(const Column& c) const {
    return minW + (totalMs > 0 ? spare * static_cast<double>(c.ms) / totalMs : 0);
  }
};

Timeline LayOutTimeline(const Film& film, const Show* show, int silent, const MapView& view) {
  Timeline t;
  t.columns = TimelineColumns(film, show, silent);
  t.rows = std::max(1, std::min(film.pedCount, 40));
  t.top = kMapTop + view.h + 44;
  t.height = kHeadH + kRowH * (t.rows + 1) + 26;
  t.gridTop = t.top + kHeadH;
  const double width = kWidth - 2 * kMargin - kLabelW;
  for (const Column& c : t.columns) t.totalMs += c.ms;
  t.minW = std::min(58.0, t.columns.empty() ? width : width / t.columns.size());
  t.spare = width - t.minW * t.columns.size();
  return t;
}

std::string Opening(double height) {
  std::string svg;
  svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(kWidth) + "\" height=\"" +
         Num(height) + "\" viewBox=\"0 0 " + Num(kWidth) + " " + Num(height) +
         "\" font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  return svg;
}

std::string Heading(const FilmReport& report, const Show* show, const std::string& title) {
  std::string svg = Label(kMargin, 28, "Storyboard: " + title, "#222222", 20, "start", "bold");
  std::string sub;
  if (show != nullptr) {
    sub = "show " + std::to_string(report.shows.size()) + " of " +
          std::to_string(report.shows.size()) + ", from " + Seconds(show->start) + " to " +
          (show->finished ? Seconds(show->end) : std::string("the end of the run")) + ": " +
          std::to_string(show->steps.size()) + " screen" + (show->steps.size() == 1 ? "" : "s") +
          ", " + std::to_string(report.film.pedCount) + " ped slot" +
          (report.film.pedCount == 1 ? "" : "s");
  } else {
    sub = "the film was never played during this rehearsal; the picture shows it as recorded";
  }
  return svg + Label(kMargin, 50, sub, "#555555", 13);
}

// The map's frame, and a grid at round world coordinates, numbered along the bottom and left.
std::string MapGrid(const MapView& v) {
  std::string svg = "<rect x=\"" + Num(kMargin) + "\" y=\"" + Num(kMapTop) + "\" width=\"" +
                    Num(v.w) + "\" height=\"" + Num(v.h) +
                    "\" fill=\"#fbfaf6\" stroke=\"#bbbbbb\"/>\n";
  const double step = NiceStep(std::max(v.x1 - v.x0, v.y1 - v.y0));
  svg += "<g stroke=\"#e4e1d8\" stroke-width=\"1\">\n";
  for (double gx = std::ceil(v.x0 / step) * step; gx <= v.x1; gx += step) {
    svg += "<line x1=\"" + Num(v.X(gx)) + "\" y1=\"" + Num(kMapTop) + "\" x2=\"" + Num(v.X(gx)) +
           "\" y2=\"" + Num(kMapTop + v.h) + "\"/>\n";
  }
  for (double gy = std::ceil(v.y0 / step) * step; gy <= v.y1; gy += step) {
    svg += "<line x1=\"" + Num(kMargin) + "\" y1=\"" + Num(v.Y(gy)) + "\" x2=\"" +
           Num(kMargin + v.w) + "\" y2=\"" + Num(v.Y(gy)) + "\"/>\n";
  }
  svg += "</g>\n<g font-size=\"10\" fill=\"#999999\">\n";
  for (double gx = std::ceil(v.x0 / step) * step; gx <= v.x1; gx += step) {
    svg += "<text x=\"" + Num(v.X(gx) + 2) + "\" y=\"" + Num(kMapTop + v.h - 3) + "\">" + Num(gx) +
           "</text>\n";
  }
  for (double gy = std::ceil(v.y0 / step) * step; gy <= v.y1; gy += step) {
    svg += "<text x=\"" + Num(kMargin + 3) + "\" y=\"" + Num(v.Y(gy) - 2) + "\">" + Num(gy) +
           "</text>\n";
  }
  return svg + "</g>\n";
}

// Cars: their moves as dashes, then the car where it ended; a wreck is dark and crossed out.
std::string Cars(const MapView& v, const Trails& cars, const FilmReport& report,
                 const std::map<std::int32_t, std::string>& carNames, Placer& labels) {
  std::string svg;
  for (const auto& [handle, trail] : cars) {
    if (trail.empty()) continue;
    if (trail.size() > 1) {
      std::string points;
      for (const auto& s : trail) points += Num(v.X(s.pos.x)) + "," + Num(v.Y(s.pos.y)) + " ";
      svg += "<polyline points=\"" + points + "\" fill=\"none\" stroke=\"#888888\" " +
             "stroke-width=\"2\" stroke-dasharray=\"6,4\"/>\n";
    }
    const double cx = v.X(trail.back().pos.x), cy = v.Y(trail.back().pos.y);
    const bool wrecked = report.wreckedCars.count(handle) != 0;
    svg += "<rect x=\"" + Num(cx - 12) + "\" y=\"" + Num(cy - 7) +
           "\" width=\"24\" height=\"14\" rx=\"3\" fill=\"" + (wrecked ? "#3a3a3a" : "#d9d9d9") +
           "\" stroke=\"#444444\" stroke-width=\"1.5\"/>\n";
    if (wrecked) {
      svg += "<path d=\"M" + Num(cx - 9) + "," + Num(cy - 5) + " L" + Num(cx + 9) + "," +
             Num(cy + 5) + " M" + Num(cx - 9) + "," + Num(cy + 5) + " L" + Num(cx + 9) + "," +
             Num(cy - 5) + "\" stroke=\"#ff4444\" stroke-width=\"2.5\"/>\n";
    }
    const auto name = carNames.find(handle);
    const std::string carName = name != carNames.end() ? name->second : "car";
    labels.Block(cx, cy, 12);
    labels.Add(cx, cy + 6, carName + (wrecked ? " (wrecked)" : ""), "#333333", 11);
  }
  return svg;
}

std::string RecordingSpotMarks(const MapView& v, const std::vector<Spot>& spots, Placer& labels) {
  std::string svg;
  for (const Spot& spot : spots) {
    const double sx = v.X(spot.pos.x), sy = v.Y(spot.pos.y);
    svg += "<path d=\"M" + Num(sx) + "," + Num(sy - 6) + " L" + Num(sx + 6) + "," + Num(sy) + " L" +
           Num(sx) + "," + Num(sy + 6) + " L" + Num(sx - 6) + "," + Num(sy) +
           "Z\" fill=\"#ffffff\" stroke=\"#555555\" stroke-width=\"1.5\"/>\n";
    labels.Block(sx, sy, 6);
    labels.Add(sx, sy, "you: " + spot.text, "#666666", 10);
  }
  return svg;
}

// One cast member's path, one polyline per run of the same screen; grey before the show.
std::string PathByScreen(const MapView& v, const std::vector<Sample>& trail, const Span& span) {
  std::string svg;
  std::size_t i = 1;
  while (i < trail.size()) {
    const int screen = span.ScreenAt(trail[i].t);
    std::string points = Num(v.X(trail[i - 1].pos.x)) + "," + Num(v.Y(trail[i - 1].pos.y));
    while (i < trail.size() && span.ScreenAt(trail[i].t) == screen) {
      points += " " + Num(v.X(trail[i].pos.x)) + "," + Num(v.Y(trail[i].pos.y));
      ++i;
    }
    svg += "<polyline points=\"" + points + "\" fill=\"none\" stroke=\"" +
           (screen < 0 ? "#aaaaaa" : Colour(screen)) +
           "\" stroke-width=\"4\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
  }
  return svg;
}

// The cast's paths with a ring where each one stood at the start and a dot where it ended. The
// slot is named at the start, and again at the end when that is far enough away to need it.
std::string CastPaths(const MapView& v, const Trails& cast, const Span& span,
                      const FilmReport& report, Placer& labels) {
  std::string svg;
  for (const auto& [handle, trail] : cast) {
    if (trail.empty()) continue;
    svg += PathByScreen(v, trail, span);
    const auto& first = trail.front().pos;
    const auto& last = trail.back().pos;
    svg += "<circle cx=\"" + Num(v.X(first.x)) + "\" cy=\"" + Num(v.Y(first.y)) +
           "\" r=\"5\" fill=\"#ffffff\" stroke=\"#222222\" stroke-width=\"2\"/>\n";
    svg += "<circle cx=\"" + Num(v.X(last.x)) + "\" cy=\"" + Num(v.Y(last.y)) +
           "\" r=\"5.5\" fill=\"#222222\"/>\n";
    for (std::size_t k = 0; k < trail.size(); k += 2) {
      labels.Block(v.X(trail[k].pos.x), v.Y(trail[k].pos.y), 3);
    }
    labels.Block(v.X(first.x), v.Y(first.y), 6);
    labels.Block(v.X(last.x), v.Y(last.y), 6);
    const std::string slot = "slot " + std::to_string(SlotOf(report, handle));
    labels.Add(v.X(first.x), v.Y(first.y), slot, "#111111", 12, true);
    if (trail.size() > 1 && (std::fabs(v.X(first.x) - v.X(last.x)) > 40 ||
                             std::fabs(v.Y(first.y) - v.Y(last.y)) > 20)) {
      labels.Add(v.X(last.x), v.Y(last.y), slot, "#111111", 12, true);
    }
  }
  return svg;
}

// What happened to people and things: explosions by kind, deaths, fires.
std::string Happenings(const MapView& v,
                       const std::vector<const StoryboardSampler::Happening*>& shown,
                       const Span& span, Placer& labels) {
  std::string svg;
  for (const auto* h : shown) {
    const double hx = v.X(h->pos.x), hy = v.Y(h->pos.y);
    if (h->what == "explosion") {
      const int kind = std::atoi(h->detail.c_str() + (h->detail.rfind("kind ", 0) == 0 ? 5 : 0));
      svg += ExplosionGlyph(hx, hy, kind);
      const int screen = span.ScreenAt(h->t);
      labels.Block(hx, hy, 11);
      labels.Add(
          hx + 4, hy,
          std::string(ExplosionKindName(kind)) + (screen >= 0 ? " s" + std::to_string(screen) : ""),
          "#b22222", 11);
    } else if (h->what == "died") {
      svg += "<path d=\"M" + Num(hx - 6) + "," + Num(hy - 6) + " L" + Num(hx + 6) + "," +
             Num(hy + 6) + " M" + Num(hx - 6) + "," + Num(hy + 6) + " L" + Num(hx + 6) + "," +
             Num(hy - 6) + "\" stroke=\"#000000\" stroke-width=\"2.5\"/>\n";
      labels.Block(hx, hy, 6);
      labels.Add(hx, hy, h->ped + " dies", "#000000", 10);
    } else if (h->what == "burning") {
      svg += "<circle cx=\"" + Num(hx) + "\" cy=\"" + Num(hy) +
             "\" r=\"8\" fill=\"none\" stroke=\"#ff7f0e\" stroke-width=\"2\"/>\n";
    }
  }
  return svg;
}

// The legend, in a row above the map.
std::string Legend() {
  const double ly = kMapTop - 14;
  double lx = kMargin + 6;
  std::string svg = "<circle cx=\"" + Num(lx) + "\" cy=\"" + Num(ly - 4) +
                    "\" r=\"4\" fill=\"#ffffff\" stroke=\"#222222\" stroke-width=\"2\"/>";
  svg += "<circle cx=\"" + Num(lx + 12) + "\" cy=\"" + Num(ly - 4) +
         "\" r=\"4.5\" fill=\"#222222\"/>\n";
  svg +=
      Label(lx + 22, ly, "ped at show start, at the end; paths coloured by screen", "#333333", 10);
  lx += 330;
  svg += ExplosionGlyph(lx, ly - 4, 4) + ExplosionGlyph(lx + 22, ly - 4, 1) +
         ExplosionGlyph(lx + 44, ly - 4, 0);
  svg += Label(lx + 58, ly, "rocket, fire, grenade", "#333333", 10);
  lx += 185;
  svg += "<path d=\"M" + Num(lx) + "," + Num(ly - 10) + " l6,6 l-6,6 l-6,-6Z\" " +
         "fill=\"#ffffff\" stroke=\"#555555\" stroke-width=\"1.5\"/>\n";
  svg += Label(lx + 12, ly, "where you stood to record", "#333333", 10);
  lx += 165;
  svg += "<rect x=\"" + Num(lx - 8) + "\" y=\"" + Num(ly - 9) +
         "\" width=\"16\" height=\"9\" rx=\"2\" fill=\"#3a3a3a\"/>";
  svg += Label(lx + 14, ly, "car (dark, crossed: wrecked)", "#333333", 10);
  return svg;
}

// A column's head: the screen's colour, number and length, over a pale band for its rows.
std::string ColumnHead(const Column& c, double x, double w, const Timeline& t) {
  std::string svg = "<rect x=\"" + Num(x) + "\" y=\"" + Num(t.top) + "\" width=\"" + Num(w) +
                    "\" height=\"" + Num(kHeadH - 4) + "\" fill=\"" + Colour(c.screen) + "\"/>\n";
  svg += "<rect x=\"" + Num(x) + "\" y=\"" + Num(t.gridTop) + "\" width=\"" + Num(w) +
         "\" height=\"" + Num(kRowH * (t.rows + 1)) + "\" fill=\"" + Colour(c.screen) +
         "\" fill-opacity=\"0.12\" stroke=\"#ffffff\" stroke-width=\"2\"" +
         (c.last ? " stroke-dasharray=\"4,3\"" : "") + "/>\n";
  svg += "<text x=\"" + Num(x + 5) + "\" y=\"" + Num(t.top + 14) +
         "\" font-size=\"12\" font-weight=\"bold\" fill=\"#ffffff\">screen " +
         std::to_string(c.screen) + "</text>\n";
  std::string length = Seconds(c.ms);
  if (c.last) length = w > 110 ? length + ", ends show" : length + " (end)";
  svg += "<text x=\"" + Num(x + 5) + "\" y=\"" + Num(t.top + 28) +
         "\" font-size=\"10\" fill=\"#ffffff\">" + XmlEscape(length) + "</text>\n";
  return svg;
}

// A slot's cue on a screen; grey and slanted when it did not play because the ped was gone or
// the cue was skipped.
struct Cell {
  std::string text;
  const char* fill = "#111111";
  const char* style = "normal";
};

Cell CellOf(const Cue& cue, const Column& c, int slot) {
  Cell cell;
  if (c.step != nullptr && static_cast<std::size_t>(slot) < c.step->slots.size()) {
    const SlotPlay& play = c.step->slots[static_cast<std::size_t>(slot)];
    if (!play.pedExists) {
      cell.text = cue.code != 0 ? std::string(ActionShort(cue.code)) + " (no ped)" : "no ped";
      cell.fill = "#999999";
      cell.style = "italic";
    } else if (cue.code != 0 && play.action.empty()) {
      cell.text = std::string(ActionShort(cue.code)) + " (skipped)";
      cell.fill = "#999999";
      cell.style = "italic";
    } else if (cue.code != 0) {
      cell.text = ActionShort(cue.code);
    }
  } else if (cue.code != 0) {
    cell.text = ActionShort(cue.code);
  }
  return cell;
}

// A column's cells, each cue on a tint of the screen's colour unless it was missed, then its
// explosions row.
std::string ColumnCells(const Film& film, const Column& c, double x, double w, const Timeline& t) {
  std::string svg;
  for (int slot = 0; slot < t.rows && slot < film.pedCount; ++slot) {
    const Cell cell = CellOf(film.cue(c.screen, slot), c, slot);
    if (cell.text.empty()) continue;
    const double ry = t.gridTop + kRowH * slot;
    if (cell.fill[1] == '1') {
      svg += "<rect x=\"" + Num(x + 3) + "\" y=\"" + Num(ry + 3) + "\" width=\"" +
             Num(std::max(4.0, w - 6)) + "\" height=\"" + Num(kRowH - 6) + "\" rx=\"3\" fill=\"" +
             Colour(c.screen) + "\" fill-opacity=\"0.35\"/>\n";
    }
    svg += "<text x=\"" + Num(x + 7) + "\" y=\"" + Num(ry + 15) +
           "\" font-size=\"11\" font-style=\"" + cell.style + "\" fill=\"" + cell.fill + "\">" +
           XmlEscape(cell.text) + "</text>\n";
  }
  std::string blasts;
  for (int id = 0; id < film.explosionCount; ++id) {
    const Explosion& blast = film.explosion(c.screen, id);
    if (!blast.set) continue;
    blasts += (blasts.empty() ? "" : " ") + std::string(ExplosionKindName(blast.kind)) + " #" +
              std::to_string(id);
  }
  if (!blasts.empty()) {
    svg += "<text x=\"" + Num(x + 7) + "\" y=\"" + Num(t.gridTop + kRowH * t.rows + 15) +
           "\" font-size=\"11\" font-weight=\"bold\" fill=\"#b22222\">" + XmlEscape(blasts) +
           "</text>\n";
  }
  return svg;
}

// The names down the left of the grid: each slot with its ped, then the explosions row.
std::string RowNames(const FilmReport& report, const Timeline& t) {
  const Film& film = report.film;
  std::string svg;
  for (int slot = 0; slot < t.rows; ++slot) {
    svg += "<text x=\"" + Num(kMargin) + "\" y=\"" + Num(t.gridTop + kRowH * slot + 15) +
           "\" font-size=\"12\" fill=\"#333333\">" +
           (film.pedCount == 0 ? std::string("no cast") : "slot " + std::to_string(slot)) +
           "</text>\n";
    const std::int32_t ped = film.pedHandle[static_cast<std::size_t>(slot)];
    svg += "<text x=\"" + Num(kMargin + 40) + "\" y=\"" + Num(t.gridTop + kRowH * slot + 15) +
           "\" font-size=\"9\" fill=\"#999999\">" +
           (film.pedCount == 0 || ped == 0 ? std::string() : XmlEscape(report.NameOf(ped))) +
           "</text>\n";
  }
  return svg + "<text x=\"" + Num(kMargin) + "\" y=\"" + Num(t.gridTop + kRowH * t.rows + 15) +
         "\" font-size=\"12\" fill=\"#b22222\">explosions</text>\n";
}

std::string TimelineStrip(const FilmReport& report, const Show* show, const Timeline& t) {
  std::string svg =
      Label(kMargin, t.top - 12,
            show != nullptr ? "Timeline: each column is a screen, as long as it played"
                            : "Timeline: each column is a screen, as long as it would play",
            "#222222", 14, "start", "bold");
  double x = kMargin + kLabelW;
  for (const Column& c : t.columns) {
    const double w = t.WidthOf(c);
    svg += ColumnHead(c, x, w, t) + ColumnCells(report.film, c, x, w, t);
    x += w;
  }
  svg += RowNames(report, t);
  const double axisY = t.gridTop + kRowH * (t.rows + 1) + 14;
  svg +=
      "<text x=\"" + Num(kMargin + kLabelW) + "\" y=\"" + Num(axisY) +
      "\" font-size=\"10\" fill=\"#777777\">" +
      XmlEscape("total " + Seconds(t.totalMs) +
                (show != nullptr ? ", from the play key on" : ", estimated from the durations")) +
      "</text>\n";
  return svg;
}

std::string WarningList(const std::vector<Warning>& warnings, double top) {
  if (warnings.empty()) return "";
  double wy = top + 14;
  std::string svg = Label(kMargin, wy,
                          std::to_string(warnings.size()) + " warning" +
                              (warnings.size() == 1 ? "" : "s") + " (--check):",
                          "#b22222", 12, "start", "bold");
  for (std::size_t i = 0; i < std::min(warnings.size(), kMostWarnings); ++i) {
    const Warning& w = warnings[i];
    wy += 18;
    std::string text;
    if (w.screen >= 0) text += "screen " + std::to_string(w.screen);
    if (w.slot >= 0) text += ", slot " + std::to_string(w.slot);
    text += (text.empty() ? "" : ": ") + w.text;
    svg += Label(kMargin + 10, wy, text, "#7a1f1f", 11);
  }
  return svg;
}

}  // namespace

const char* ScreenColour(int screen) {
  return Colour(screen);
}

int ScreenColourCount() {
  return kColours;
}

std::string RenderStoryboard(const FilmReport& report, const StoryboardSampler& samples,
                             const std::string& title, const std::vector<Warning>& warnings) {
  const Film& film = report.film;
  const Span span = SpanOf(report, samples);
  const int silent = FirstSilentScreen(film);
  const MapContents map = GatherMap(report, samples, span, RecordingSpots(film, silent));
  const MapView view = FitMap(map.box);
  const Timeline timeline = LayOutTimeline(film, span.show, silent, view);
  const std::size_t shownWarnings = std::min(warnings.size(), kMostWarnings);
  const double height =
      timeline.top + timeline.height + 18 + (warnings.empty() ? 0 : 18.0 * (shownWarnings + 1));

  std::string svg = Opening(height) + Heading(report, span.show, title) + MapGrid(view);
  Placer labels(kMargin + 2, kMapTop + 2, kMargin + view.w - 2, kMapTop + view.h - 14);
  svg += Cars(view, map.cars, report, samples.carNames, labels);
  svg += RecordingSpotMarks(view, map.spots, labels);
  svg += CastPaths(view, map.cast, span, report, labels);
  svg += Happenings(view, map.happenings, span, labels);
  svg += labels.Render() + Legend();
  svg += TimelineStrip(report, span.show, timeline);
  svg += WarningList(warnings, timeline.top + timeline.height);
  return svg + "</svg>\n";
}

}  // namespace sim

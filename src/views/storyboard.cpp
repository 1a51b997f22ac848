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

std::string Escape(const std::string& text) {
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
         "stroke-linejoin=\"round\">" + Escape(text) + "</text><text " + common + " fill=\"" +
         fill + "\">" + Escape(text) + "</text>\n";
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

struct Column {
  int screen = 0;
  std::uint64_t ms = 0;
  const Step* step = nullptr;
  bool last = false;
};

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
  const Show* show = report.shows.empty() ? nullptr : &report.shows.back();
  const std::uint64_t from = show != nullptr ? show->start : 0;
  const std::uint64_t to = samples.lastTick;

  // Which screen was playing at t (-1 before the show).
  auto screenAt = [&](std::uint64_t t) {
    int screen = -1;
    if (show == nullptr) return screen;
    for (const Step& step : show->steps) {
      if (step.start <= t) screen = step.screen;
    }
    return screen;
  };
  auto slotOf = [&](std::int32_t handle) {
    const auto found = report.slotOf.find(handle);
    return found == report.slotOf.end() ? -1 : found->second;
  };
  auto within = [&](const std::vector<StoryboardSampler::Sample>& trail) {
    std::vector<StoryboardSampler::Sample> kept;
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
  };

  // Spots where the player stood to record a cue or an explosion, on the screens that play.
  int silent = kScreens;
  for (int screen = 1; screen < kScreens; ++screen) {
    if (film.durations[static_cast<std::size_t>(screen)] == 0) {
      silent = screen;
      break;
    }
  }
  struct Spot {
    world::Vec3 pos;
    std::string text;
  };
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

  Box box;
  std::map<std::int32_t, std::vector<StoryboardSampler::Sample>> paths;
  for (const auto& [handle, trail] : samples.peds) {
    if (slotOf(handle) < 0) continue;
    paths[handle] = within(trail);
    for (const auto& s : paths[handle]) box.Add(s.pos);
  }
  std::map<std::int32_t, std::vector<StoryboardSampler::Sample>> carPaths;
  for (const auto& [handle, trail] : samples.cars) {
    carPaths[handle] = within(trail);
    for (const auto& s : carPaths[handle]) box.Add(s.pos);
  }
  std::vector<const StoryboardSampler::Happening*> shown;
  for (const auto& h : samples.happenings) {
    if (h.t >= from && h.t <= to) {
      shown.push_back(&h);
      box.Add(h.pos);
    }
  }
  for (const Spot& spot : spots) box.Add(spot.pos);
  if (box.empty()) box.Add({0, 0, 0});

  // The map: equal scale on both axes, north up.
  const double width = 1000, margin = 24, mapTop = 92;
  double spanX = std::max(box.maxX - box.minX, 10.0);
  double spanY = std::max(box.maxY - box.minY, 10.0);
  const double padX = spanX * 0.12 + 3, padY = spanY * 0.12 + 3;
  double x0 = (box.minX + box.maxX) / 2 - spanX / 2 - padX, x1 = x0 + spanX + 2 * padX;
  double y0 = (box.minY + box.maxY) / 2 - spanY / 2 - padY, y1 = y0 + spanY + 2 * padY;
  const double mapW = width - 2 * margin;
  double scale = mapW / (x1 - x0);
  double mapH = (y1 - y0) * scale;
  if (mapH > 520) {
    scale = 520 / (y1 - y0);
    mapH = 520;
    const double wide = mapW / scale, mid = (x0 + x1) / 2;
    x0 = mid - wide / 2;
    x1 = mid + wide / 2;
  } else if (mapH < 260) {
    const double tall = 260 / scale, mid = (y0 + y1) / 2;
    y0 = mid - tall / 2;
    y1 = mid + tall / 2;
    mapH = 260;
  }
  auto X = [&](double x) { return margin + (x - x0) * scale; };
  auto Y = [&](double y) { return mapTop + (y1 - y) * scale; };

  // The timeline's columns: the screens of the show, each as wide as it really lasted.
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
  const int rows = std::max(1, std::min(film.pedCount, 40));
  const double rowH = 22, headH = 36, labelW = 78;
  const double tlTop = mapTop + mapH + 44;
  const double tlH = headH + rowH * (rows + 1) + 26;
  const std::size_t shownWarnings = std::min<std::size_t>(warnings.size(), 8);
  const double height = tlTop + tlH + 18 + (warnings.empty() ? 0 : 18.0 * (shownWarnings + 1));

  std::string svg;
  svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(width) + "\" height=\"" +
         Num(height) + "\" viewBox=\"0 0 " + Num(width) + " " + Num(height) +
         "\" font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";

  // Title.
  svg += Label(margin, 28, "Storyboard: " + title, "#222222", 20, "start", "bold");
  std::string sub;
  if (show != nullptr) {
    sub = "show " + std::to_string(report.shows.size()) + " of " +
          std::to_string(report.shows.size()) + ", from " + Seconds(show->start) + " to " +
          (show->finished ? Seconds(show->end) : std::string("the end of the run")) + ": " +
          std::to_string(show->steps.size()) + " screen" + (show->steps.size() == 1 ? "" : "s") +
          ", " + std::to_string(film.pedCount) + " ped slot" + (film.pedCount == 1 ? "" : "s");
  } else {
    sub = "the film was never played during this rehearsal; the picture shows it as recorded";
  }
  svg += Label(margin, 50, sub, "#555555", 13);

  // Map frame and grid.
  svg += "<rect x=\"" + Num(margin) + "\" y=\"" + Num(mapTop) + "\" width=\"" + Num(mapW) +
         "\" height=\"" + Num(mapH) + "\" fill=\"#fbfaf6\" stroke=\"#bbbbbb\"/>\n";
  const double step = NiceStep(std::max(x1 - x0, y1 - y0));
  svg += "<g stroke=\"#e4e1d8\" stroke-width=\"1\">\n";
  for (double gx = std::ceil(x0 / step) * step; gx <= x1; gx += step) {
    svg += "<line x1=\"" + Num(X(gx)) + "\" y1=\"" + Num(mapTop) + "\" x2=\"" + Num(X(gx)) +
           "\" y2=\"" + Num(mapTop + mapH) + "\"/>\n";
  }
  for (double gy = std::ceil(y0 / step) * step; gy <= y1; gy += step) {
    svg += "<line x1=\"" + Num(margin) + "\" y1=\"" + Num(Y(gy)) + "\" x2=\"" + Num(margin + mapW) +
           "\" y2=\"" + Num(Y(gy)) + "\"/>\n";
  }
  svg += "</g>\n<g font-size=\"10\" fill=\"#999999\">\n";
  for (double gx = std::ceil(x0 / step) * step; gx <= x1; gx += step) {
    svg += "<text x=\"" + Num(X(gx) + 2) + "\" y=\"" + Num(mapTop + mapH - 3) + "\">" + Num(gx) +
           "</text>\n";
  }
  for (double gy = std::ceil(y0 / step) * step; gy <= y1; gy += step) {
    svg +=
        "<text x=\"" + Num(margin + 3) + "\" y=\"" + Num(Y(gy) - 2) + "\">" + Num(gy) + "</text>\n";
  }
  svg += "</g>\n";

  Placer labels(margin + 2, mapTop + 2, margin + mapW - 2, mapTop + mapH - 14);

  // Cars: their moves as dashes, then the car where it ended; a wreck is dark and crossed out.
  for (const auto& [handle, trail] : carPaths) {
    if (trail.empty()) continue;
    if (trail.size() > 1) {
      std::string points;
      for (const auto& s : trail) points += Num(X(s.pos.x)) + "," + Num(Y(s.pos.y)) + " ";
      svg += "<polyline points=\"" + points + "\" fill=\"none\" stroke=\"#888888\" " +
             "stroke-width=\"2\" stroke-dasharray=\"6,4\"/>\n";
    }
    const double cx = X(trail.back().pos.x), cy = Y(trail.back().pos.y);
    const bool wrecked = report.wreckedCars.count(handle) != 0;
    svg += "<rect x=\"" + Num(cx - 12) + "\" y=\"" + Num(cy - 7) +
           "\" width=\"24\" height=\"14\" rx=\"3\" fill=\"" + (wrecked ? "#3a3a3a" : "#d9d9d9") +
           "\" stroke=\"#444444\" stroke-width=\"1.5\"/>\n";
    if (wrecked) {
      svg += "<path d=\"M" + Num(cx - 9) + "," + Num(cy - 5) + " L" + Num(cx + 9) + "," +
             Num(cy + 5) + " M" + Num(cx - 9) + "," + Num(cy + 5) + " L" + Num(cx + 9) + "," +
             Num(cy - 5) + "\" stroke=\"#ff4444\" stroke-width=\"2.5\"/>\n";
    }
    const auto name = samples.carNames.find(handle);
    const std::string carName = name != samples.carNames.end() ? name->second : "car";
    labels.Block(cx, cy, 12);
    labels.Add(cx, cy + 6, carName + (wrecked ? " (wrecked)" : ""), "#333333", 11);
  }

  // The player's recording spots.
  for (const Spot& spot : spots) {
    const double sx = X(spot.pos.x), sy = Y(spot.pos.y);
    svg += "<path d=\"M" + Num(sx) + "," + Num(sy - 6) + " L" + Num(sx + 6) + "," + Num(sy) + " L" +
           Num(sx) + "," + Num(sy + 6) + " L" + Num(sx - 6) + "," + Num(sy) +
           "Z\" fill=\"#ffffff\" stroke=\"#555555\" stroke-width=\"1.5\"/>\n";
    labels.Block(sx, sy, 6);
    labels.Add(sx, sy, "you: " + spot.text, "#666666", 10);
  }

  // Paths, one polyline per run of the same screen.
  for (const auto& [handle, trail] : paths) {
    if (trail.empty()) continue;
    std::size_t i = 1;
    while (i < trail.size()) {
      const int screen = screenAt(trail[i].t);
      std::string points = Num(X(trail[i - 1].pos.x)) + "," + Num(Y(trail[i - 1].pos.y));
      while (i < trail.size() && screenAt(trail[i].t) == screen) {
        points += " " + Num(X(trail[i].pos.x)) + "," + Num(Y(trail[i].pos.y));
        ++i;
      }
      svg += "<polyline points=\"" + points + "\" fill=\"none\" stroke=\"" +
             (screen < 0 ? "#aaaaaa" : Colour(screen)) +
             "\" stroke-width=\"4\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
    }
    const auto& first = trail.front().pos;
    const auto& last = trail.back().pos;
    svg += "<circle cx=\"" + Num(X(first.x)) + "\" cy=\"" + Num(Y(first.y)) +
           "\" r=\"5\" fill=\"#ffffff\" stroke=\"#222222\" stroke-width=\"2\"/>\n";
    svg += "<circle cx=\"" + Num(X(last.x)) + "\" cy=\"" + Num(Y(last.y)) +
           "\" r=\"5.5\" fill=\"#222222\"/>\n";
    const std::string name = report.NameOf(handle);
    for (std::size_t k = 0; k < trail.size(); k += 2) {
      labels.Block(X(trail[k].pos.x), Y(trail[k].pos.y), 3);
    }
    labels.Block(X(first.x), Y(first.y), 6);
    labels.Block(X(last.x), Y(last.y), 6);
    labels.Add(X(first.x), Y(first.y), "slot " + std::to_string(slotOf(handle)), "#111111", 12,
               true);
    if (trail.size() > 1 &&
        (std::fabs(X(first.x) - X(last.x)) > 40 || std::fabs(Y(first.y) - Y(last.y)) > 20)) {
      labels.Add(X(last.x), Y(last.y), "slot " + std::to_string(slotOf(handle)), "#111111", 12,
                 true);
    }
  }

  // What happened to people and things: explosions by kind, deaths, fires.
  for (const auto* h : shown) {
    const double hx = X(h->pos.x), hy = Y(h->pos.y);
    if (h->what == "explosion") {
      const int kind = std::atoi(h->detail.c_str() + (h->detail.rfind("kind ", 0) == 0 ? 5 : 0));
      svg += ExplosionGlyph(hx, hy, kind);
      const int screen = screenAt(h->t);
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

  svg += labels.Render();

  // The legend, in a row above the map.
  {
    const double ly = mapTop - 14;
    double lx = margin + 6;
    svg += "<circle cx=\"" + Num(lx) + "\" cy=\"" + Num(ly - 4) +
           "\" r=\"4\" fill=\"#ffffff\" stroke=\"#222222\" stroke-width=\"2\"/>";
    svg += "<circle cx=\"" + Num(lx + 12) + "\" cy=\"" + Num(ly - 4) +
           "\" r=\"4.5\" fill=\"#222222\"/>\n";
    svg += Label(lx + 22, ly, "ped at show start, at the end; paths coloured by screen", "#333333",
                 10);
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
  }

  // The timeline strip.
  svg += Label(margin, tlTop - 12,
               show != nullptr ? "Timeline: each column is a screen, as long as it played"
                               : "Timeline: each column is a screen, as long as it would play",
               "#222222", 14, "start", "bold");
  const double tlW = width - 2 * margin - labelW;
  std::uint64_t totalMs = 0;
  for (const Column& c : columns) totalMs += c.ms;
  const double minW = std::min(58.0, columns.empty() ? tlW : tlW / columns.size());
  const double spare = tlW - minW * columns.size();
  double cx = margin + labelW;
  const double gridTop = tlTop + headH;
  for (const Column& c : columns) {
    const double w = minW + (totalMs > 0 ? spare * static_cast<double>(c.ms) / totalMs : 0);
    svg += "<rect x=\"" + Num(cx) + "\" y=\"" + Num(tlTop) + "\" width=\"" + Num(w) +
           "\" height=\"" + Num(headH - 4) + "\" fill=\"" + Colour(c.screen) + "\"/>\n";
    svg += "<rect x=\"" + Num(cx) + "\" y=\"" + Num(gridTop) + "\" width=\"" + Num(w) +
           "\" height=\"" + Num(rowH * (rows + 1)) + "\" fill=\"" + Colour(c.screen) +
           "\" fill-opacity=\"0.12\" stroke=\"#ffffff\" stroke-width=\"2\"" +
           (c.last ? " stroke-dasharray=\"4,3\"" : "") + "/>\n";
    svg += "<text x=\"" + Num(cx + 5) + "\" y=\"" + Num(tlTop + 14) +
           "\" font-size=\"12\" font-weight=\"bold\" fill=\"#ffffff\">screen " +
           std::to_string(c.screen) + "</text>\n";
    std::string length = Seconds(c.ms);
    if (c.last) length = w > 110 ? length + ", ends show" : length + " (end)";
    svg += "<text x=\"" + Num(cx + 5) + "\" y=\"" + Num(tlTop + 28) +
           "\" font-size=\"10\" fill=\"#ffffff\">" + Escape(length) + "</text>\n";
    for (int slot = 0; slot < rows && slot < film.pedCount; ++slot) {
      const Cue& cue = film.cue(c.screen, slot);
      const double ry = gridTop + rowH * slot;
      std::string text;
      const char* fill = "#111111";
      const char* style = "normal";
      if (c.step != nullptr && static_cast<std::size_t>(slot) < c.step->slots.size()) {
        const SlotPlay& play = c.step->slots[static_cast<std::size_t>(slot)];
        if (!play.pedExists) {
          text = cue.code != 0 ? std::string(ActionShort(cue.code)) + " (no ped)" : "no ped";
          fill = "#999999";
          style = "italic";
        } else if (cue.code != 0 && play.action.empty()) {
          text = std::string(ActionShort(cue.code)) + " (skipped)";
          fill = "#999999";
          style = "italic";
        } else if (cue.code != 0) {
          text = ActionShort(cue.code);
        }
      } else if (cue.code != 0) {
        text = ActionShort(cue.code);
      }
      if (!text.empty()) {
        if (fill[1] == '1') {
          svg += "<rect x=\"" + Num(cx + 3) + "\" y=\"" + Num(ry + 3) + "\" width=\"" +
                 Num(std::max(4.0, w - 6)) + "\" height=\"" + Num(rowH - 6) +
                 "\" rx=\"3\" fill=\"" + Colour(c.screen) + "\" fill-opacity=\"0.35\"/>\n";
        }
        svg += "<text x=\"" + Num(cx + 7) + "\" y=\"" + Num(ry + 15) +
               "\" font-size=\"11\" font-style=\"" + style + "\" fill=\"" + fill + "\">" +
               Escape(text) + "</text>\n";
      }
    }
    // The explosions row.
    std::string blasts;
    for (int id = 0; id < film.explosionCount; ++id) {
      const Explosion& blast = film.explosion(c.screen, id);
      if (!blast.set) continue;
      blasts += (blasts.empty() ? "" : " ") + std::string(ExplosionKindName(blast.kind)) + " #" +
                std::to_string(id);
    }
    if (!blasts.empty()) {
      svg += "<text x=\"" + Num(cx + 7) + "\" y=\"" + Num(gridTop + rowH * rows + 15) +
             "\" font-size=\"11\" font-weight=\"bold\" fill=\"#b22222\">" + Escape(blasts) +
             "</text>\n";
    }
    cx += w;
  }
  for (int slot = 0; slot < rows; ++slot) {
    svg += "<text x=\"" + Num(margin) + "\" y=\"" + Num(gridTop + rowH * slot + 15) +
           "\" font-size=\"12\" fill=\"#333333\">" +
           (film.pedCount == 0 ? std::string("no cast") : "slot " + std::to_string(slot)) +
           "</text>\n";
    const std::int32_t ped = film.pedHandle[static_cast<std::size_t>(slot)];
    svg += "<text x=\"" + Num(margin + 40) + "\" y=\"" + Num(gridTop + rowH * slot + 15) +
           "\" font-size=\"9\" fill=\"#999999\">" +
           (film.pedCount == 0 || ped == 0 ? std::string() : Escape(report.NameOf(ped))) +
           "</text>\n";
  }
  svg += "<text x=\"" + Num(margin) + "\" y=\"" + Num(gridTop + rowH * rows + 15) +
         "\" font-size=\"12\" fill=\"#b22222\">explosions</text>\n";
  const double axisY = gridTop + rowH * (rows + 1) + 14;
  svg += "<text x=\"" + Num(margin + labelW) + "\" y=\"" + Num(axisY) +
         "\" font-size=\"10\" fill=\"#777777\">" +
         Escape("total " + Seconds(totalMs) +
                (show != nullptr ? ", from the play key on" : ", estimated from the durations")) +
         "</text>\n";

  if (!warnings.empty()) {
    double wy = tlTop + tlH + 14;
    svg += Label(margin, wy,
                 std::to_string(warnings.size()) + " warning" + (warnings.size() == 1 ? "" : "s") +
                     " (--check):",
                 "#b22222", 12, "start", "bold");
    for (std::size_t i = 0; i < shownWarnings; ++i) {
      const Warning& w = warnings[i];
      wy += 18;
      std::string text;
      if (w.screen >= 0) text += "screen " + std::to_string(w.screen);
      if (w.slot >= 0) text += ", slot " + std::to_string(w.slot);
      text += (text.empty() ? "" : ": ") + w.text;
      svg += Label(margin + 10, wy, text, "#7a1f1f", 11);
    }
  }
  svg += "</svg>\n";
  return svg;
}

}  // namespace sim

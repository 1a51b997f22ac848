#include "views/player.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "rehearsal/json.h"
#include "views/storyboard.h"

namespace sim {

// The page's markup, style and script, compiled in from player.html; the data goes where the
// page says /*FILM*/.
extern const char* const kPlayerPage;

namespace {

std::string Fixed(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", static_cast<double>(v));
  std::string s = text;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

// A key code from ped.ini's line, read the way the plug-in reads it; `fallback` otherwise.
int IniKey(const Scenario& scenario, std::size_t line, const char* name, int fallback) {
  if (!scenario.hasIni || line >= scenario.iniLines.size()) return fallback;
  const std::string& text = scenario.iniLines[line];
  const std::size_t length = std::strlen(name);
  if (text.compare(0, length, name) != 0) return fallback;
  const char* number = text.c_str() + length;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(number, &end, 10);
  if (end == number || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return fallback;
  return static_cast<int>(value);
}

std::string Strings(const std::vector<std::string>& texts) {
  std::string out = "[";
  for (std::size_t i = 0; i < texts.size(); ++i) out += (i ? "," : "") + JsonString(texts[i]);
  return out + "]";
}

class Numbers {
 public:
  Numbers& Int(std::int64_t v) {
    Sep();
    text_ += std::to_string(v);
    return *this;
  }
  // Times go in as the step from the previous one: short numbers for a long run.
  Numbers& Time(std::uint64_t t) {
    Int(static_cast<std::int64_t>(t - previous_));
    previous_ = t;
    return *this;
  }
  Numbers& Real(float v) {
    Sep();
    text_ += Fixed(v);
    return *this;
  }
  std::string str() const { return "[" + text_ + "]"; }

 private:
  void Sep() {
    if (!text_.empty()) text_ += ',';
  }
  std::string text_;
  std::uint64_t previous_ = 0;
};

// Screen messages repeat a few patterns with different numbers: each is kept as its pattern
// (numbers replaced by \x01) and the numbers. A message that holds \x01 itself stays whole.
class Messages {
 public:
  void Add(const std::string& text) {
    std::string pattern;
    Numbers numbers;
    if (text.find('\x01') != std::string::npos) {
      pattern = text;
    } else {
      for (std::size_t i = 0; i < text.size();) {
        const bool minus =
            text[i] == '-' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9';
        const std::size_t digits = minus ? i + 1 : i;
        std::size_t end = digits;
        while (end < text.size() && end - digits < 15 && text[end] >= '0' && text[end] <= '9')
          ++end;
        const bool number = end > digits && (text[digits] != '0' || end == digits + 1) &&
                            (end == text.size() || text[end] < '0' || text[end] > '9');
        if (!number) {
          pattern += text[i++];
          continue;
        }
        numbers.Int(std::strtoll(text.c_str() + i, nullptr, 10));
        pattern += '\x01';
        i = end;
      }
    }
    auto found = index_.find(pattern);
    if (found == index_.end()) {
      found = index_.emplace(pattern, static_cast<int>(patterns_.size())).first;
      patterns_.push_back(pattern);
    }
    const std::string n = numbers.str();
    items_ += std::string(items_.empty() ? "[" : ",[") + std::to_string(found->second) +
              (n.size() > 2 ? "," + n.substr(1) : "]");
  }
  std::string patterns() const { return Strings(patterns_); }
  std::string items() const { return "[" + items_ + "]"; }

 private:
  std::vector<std::string> patterns_;
  std::map<std::string, int> index_;
  std::string items_;
};

}  // namespace

std::string RenderPlayer(const FilmReport& report, const PlayerRecorder& rec,
                         const Scenario& scenario, const std::string& title) {
  const Film& film = report.film;
  const Show* show = report.shows.empty() ? nullptr : &report.shows.back();

  JsonObject data;
  data.Str("title", title).Int("end", static_cast<std::int64_t>(scenario.runUntil));
  data.Int("fps", scenario.fps);
  {
    std::vector<std::string> palette;
    palette.reserve(static_cast<std::size_t>(ScreenColourCount()));
    for (int i = 0; i < ScreenColourCount(); ++i) palette.emplace_back(ScreenColour(i));
    data.Raw("palette", Strings(palette));
    std::string looks = "[";
    for (const ExplosionLook& look : kExplosionLooks) {
      looks += std::string(looks.size() > 1 ? "," : "") + "[" + std::to_string(look.kind) + "," +
               JsonString(look.fill) + "," + JsonString(look.stroke) + "," +
               JsonString(ExplosionKindName(look.kind)) + "]";
    }
    data.Raw("looks", looks + "]");
    std::string actions = "{";
    for (int code = 1; code <= 28; ++code) {
      if (std::strcmp(ActionShort(code), "?") == 0) continue;
      actions += std::string(actions.size() > 1 ? "," : "") + "\"" + std::to_string(code) +
                 "\":" + JsonString(ActionShort(code));
    }
    data.Raw("actions", actions + "}");
  }
  data.Raw("iniKeys", Numbers()
                          .Int(IniKey(scenario, 0, "OnOff=", 19))
                          .Int(IniKey(scenario, 1, "ChangeMode=", 145))
                          .str());

  // The map's extent: everything that was ever anywhere.
  float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
  auto extend = [&](float x, float y) {
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
  };
  std::string things = "[";
  for (const PlayerRecorder::Thing& thing : rec.things) {
    JsonObject o;
    o.Str("n", thing.name);
    o.Str("k", thing.car ? "car" : thing.player ? "player" : thing.cast ? "cast" : "ped");
    if (thing.cast) {
      const auto slot = report.slotOf.find(thing.handle);
      o.Int("slot", slot == report.slotOf.end() ? -1 : slot->second);
    }
    o.Int("from", static_cast<std::int64_t>(thing.from));
    o.Int("to", static_cast<std::int64_t>(thing.to));
    Numbers frames;
    for (const PlayerRecorder::Frame& f : thing.frames) {
      frames.Int(static_cast<std::int64_t>(f.t)).Real(f.x).Real(f.y);
      extend(f.x, f.y);
    }
    o.Raw("f", frames.str());
    Numbers flags;
    for (const auto& [t, bits] : thing.flags) flags.Int(static_cast<std::int64_t>(t)).Int(bits);
    o.Raw("s", flags.str());
    things += (things.size() > 1 ? "," : "") + o.str();
  }
  data.Raw("things", things + "]");

  Numbers blasts;
  for (const PlayerRecorder::Blast& b : rec.blasts) {
    blasts.Int(static_cast<std::int64_t>(b.t)).Real(b.x).Real(b.y).Int(b.kind);
    extend(b.x, b.y);
  }
  data.Raw("blasts", blasts.str());
  if (minX > maxX) extend(0, 0);
  data.Raw("box", Numbers().Real(minX).Real(minY).Real(maxX).Real(maxY).str());

  {
    std::vector<std::string> names;
    std::map<std::string, int> nameIndex;
    Numbers keys;
    for (const PlayerRecorder::Key& key : rec.keys) {
      auto found = nameIndex.find(key.name);
      if (found == nameIndex.end()) {
        found = nameIndex.emplace(key.name, static_cast<int>(names.size())).first;
        names.push_back(key.name);
      }
      keys.Time(key.t).Int(key.code).Int(found->second);
    }
    data.Raw("keys", keys.str()).Raw("keyNames", Strings(names));
  }
  {
    Numbers times;
    Messages texts;
    for (const PlayerRecorder::Line& line : rec.screens) {
      times.Time(line.t).Int(line.shownMs);
      texts.Add(line.text);
    }
    data.Raw("screens", times.str()).Raw("screenTexts", texts.items());
    data.Raw("patterns", texts.patterns());
    Numbers logTimes;
    std::vector<std::string> logTexts;
    for (const PlayerRecorder::Line& line : rec.logs) {
      logTimes.Time(line.t);
      logTexts.push_back(line.text);
    }
    data.Raw("logs", logTimes.str()).Raw("logTexts", Strings(logTexts));
  }
  {
    Numbers panels;
    for (const PlayerRecorder::Panel& p : rec.panels) {
      const PanelState& s = p.state;
      panels.Time(p.t).Int(s.mode).Int(s.keysOff ? 1 : 0).Int(s.slot);
      panels.Int(s.editScreen).Int(s.explosion).Int(s.seat).Int(s.target).Int(s.showScreen);
      panels.Int(s.problems);
    }
    data.Raw("panels", panels.str()).Raw("problems", Strings(rec.problems));
  }

  // The timeline: the last show's screens as they played, each slot's cue on each of them.
  data.Int("pedCount", film.pedCount);
  {
    std::vector<std::string> slotNames;
    for (int slot = 0; slot < film.pedCount; ++slot) {
      const std::int32_t ped = film.pedHandle[static_cast<std::size_t>(slot)];
      slotNames.push_back(ped == 0 ? std::string() : report.NameOf(ped));
    }
    data.Raw("slotNames", Strings(slotNames));
  }
  if (show != nullptr) {
    JsonObject o;
    o.Int("start", static_cast<std::int64_t>(show->start));
    o.Int("end", static_cast<std::int64_t>(show->end)).Bool("finished", show->finished);
    Numbers steps, cells;
    std::string kinds = "[";
    for (std::size_t i = 0; i < show->steps.size(); ++i) {
      const Step& step = show->steps[i];
      // A screen lasts until the next one starts; the last one for its own duration.
      std::uint64_t length = 0;
      if (i + 1 < show->steps.size()) {
        length = show->steps[i + 1].start - step.start;
      } else {
        length = (step.end - step.start) +
                 1000u * static_cast<std::uint64_t>(
                             std::max(1, film.durations[static_cast<std::size_t>(step.screen)]));
      }
      steps.Int(step.screen).Int(static_cast<std::int64_t>(step.start));
      steps.Int(static_cast<std::int64_t>(length));
      for (int slot = 0; slot < film.pedCount; ++slot) {
        const int code = film.cue(step.screen, slot).code;
        int flag = 0;
        if (static_cast<std::size_t>(slot) < step.slots.size()) {
          const SlotPlay& play = step.slots[static_cast<std::size_t>(slot)];
          if (!play.pedExists) {
            flag = 1;
          } else if (code != 0 && play.action.empty()) {
            flag = 2;
          }
        }
        cells.Int(code * 4 + flag);
      }
      Numbers went;
      for (const Explosion& blast : step.explosions) went.Int(blast.kind);
      kinds += (i ? "," : "") + went.str();
    }
    o.Raw("steps", steps.str()).Raw("cells", cells.str()).Raw("went", kinds + "]");
    data.Raw("show", o.str());
  } else {
    data.Raw("show", "null");
  }

  // Inside a script element, "</" would end it early.
  std::string json = data.str();
  for (std::size_t at = json.find("</"); at != std::string::npos; at = json.find("</", at + 3)) {
    json.replace(at, 2, "<\\/");
  }
  std::string page = kPlayerPage;
  const std::size_t slot = page.find("/*FILM*/");
  if (slot != std::string::npos) page.replace(slot, 8, json);
  return page;
}

}  // namespace sim

#include "views/player.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "rehearsal/json.h"
#include "views/keys.h"
#include "views/storyboard.h"

namespace sim {

// The page's markup, style and script, compiled in from player.html, player.css and player.js.
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

// The drawing conventions the page shares with the storyboard, and the cue codes' short names.
void AddConventions(JsonObject& data) {
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

// The map's extent: everything that was ever anywhere.
struct Extent {
  float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
  void Add(float x, float y) {
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
  }
};

// An empty world still gets a map, around the origin.
std::string BoxOf(Extent extent) {
  if (extent.minX > extent.maxX) extent.Add(0, 0);
  return Numbers().Real(extent.minX).Real(extent.minY).Real(extent.maxX).Real(extent.maxY).str();
}

// One thing on the map: what it is, when it was in the world, where it went and its state flags.
std::string Thing(const FilmReport& report, const PlayerRecorder::Thing& thing, Extent& extent) {
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
    extent.Add(f.x, f.y);
  }
  o.Raw("f", frames.str());
  Numbers flags;
  for (const auto& [t, bits] : thing.flags) flags.Int(static_cast<std::int64_t>(t)).Int(bits);
  o.Raw("s", flags.str());
  return o.str();
}

// The things on the map, the explosions, and the box that holds them all.
void AddMap(JsonObject& data, const FilmReport& report, const PlayerRecorder& rec) {
  Extent extent;
  std::string things = "[";
  for (const PlayerRecorder::Thing& thing : rec.things) {
    things += (things.size() > 1 ? "," : "") + Thing(report, thing, extent);
  }
  data.Raw("things", things + "]");
  Numbers blasts;
  for (const PlayerRecorder::Blast& b : rec.blasts) {
    blasts.Int(static_cast<std::int64_t>(b.t)).Real(b.x).Real(b.y).Int(b.kind);
    extent.Add(b.x, b.y);
  }
  data.Raw("blasts", blasts.str());
  data.Raw("box", BoxOf(extent));
}

// The keys as they were pressed, each key's name written once.
void AddKeys(JsonObject& data, const PlayerRecorder& rec) {
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

// The game's screen text and the host's log, each line with its time; a take runner's messages
// apart, when it ran.
void AddScreensAndLogs(JsonObject& data, const PlayerRecorder& rec) {
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
  if (rec.takeLines.empty()) return;
  Numbers takeTimes;
  std::vector<std::string> takeTexts;
  for (const PlayerRecorder::Line& line : rec.takeLines) {
    takeTimes.Time(line.t).Int(line.shownMs);
    takeTexts.push_back(line.text);
  }
  data.Raw("take", takeTimes.str()).Raw("takeTexts", Strings(takeTexts));
}

// The editor's state at each change, and where the film recorder's mirror lost track of it.
void AddPanels(JsonObject& data, const PlayerRecorder& rec) {
  Numbers panels;
  for (const PlayerRecorder::Panel& p : rec.panels) {
    const PanelState& s = p.state;
    panels.Time(p.t).Int(s.mode).Int(s.keysOff ? 1 : 0).Int(s.slot);
    panels.Int(s.editScreen).Int(s.explosion).Int(s.seat).Int(s.target).Int(s.showScreen);
    panels.Int(s.problems);
  }
  data.Raw("panels", panels.str()).Raw("problems", Strings(rec.problems));
}

// The cast: how many slots, and the ped each one last held.
void AddCast(JsonObject& data, const FilmReport& report) {
  const Film& film = report.film;
  data.Int("pedCount", film.pedCount);
  std::vector<std::string> slotNames;
  for (int slot = 0; slot < film.pedCount; ++slot) {
    const std::int32_t ped = film.pedHandle[static_cast<std::size_t>(slot)];
    slotNames.push_back(ped == 0 ? std::string() : report.NameOf(ped));
  }
  data.Raw("slotNames", Strings(slotNames));
}

// A screen lasts until the next one starts; the last one for its own duration.
std::uint64_t StepLength(const Film& film, const Show& show, std::size_t i) {
  const Step& step = show.steps[i];
  if (i + 1 < show.steps.size()) return show.steps[i + 1].start - step.start;
  return (step.end - step.start) +
         1000u * static_cast<std::uint64_t>(
                     std::max(1, film.durations[static_cast<std::size_t>(step.screen)]));
}

// A slot's cell on a step: its cue code, and whether the ped was gone (1) or the cue skipped (2).
int CellOf(const Film& film, const Step& step, int slot) {
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
  return code * 4 + flag;
}

// The timeline: the last show's screens as they played, each slot's cue on each of them.
std::string ShowOf(const Film& film, const Show& show) {
  JsonObject o;
  o.Int("start", static_cast<std::int64_t>(show.start));
  o.Int("end", static_cast<std::int64_t>(show.end)).Bool("finished", show.finished);
  Numbers steps, cells;
  std::string kinds = "[";
  for (std::size_t i = 0; i < show.steps.size(); ++i) {
    const Step& step = show.steps[i];
    steps.Int(step.screen).Int(static_cast<std::int64_t>(step.start));
    steps.Int(static_cast<std::int64_t>(StepLength(film, show, i)));
    for (int slot = 0; slot < film.pedCount; ++slot) cells.Int(CellOf(film, step, slot));
    Numbers went;
    for (const Explosion& blast : step.explosions) went.Int(blast.kind);
    kinds += (i ? "," : "") + went.str();
  }
  o.Raw("steps", steps.str()).Raw("cells", cells.str()).Raw("went", kinds + "]");
  return o.str();
}

int IniKeyDefault(int line) {
  for (const DirectorKey& key : DirectorKeys()) {
    if (key.iniLine == line) return key.code;
  }
  return 0;
}

// The page with the key table and then the data put where the page says /*KEYS*/ and /*FILM*/.
std::string Embed(std::string json) {
  // Inside a script element, "</" would end it early.
  for (std::size_t at = json.find("</"); at != std::string::npos; at = json.find("</", at + 3)) {
    json.replace(at, 2, "<\\/");
  }
  std::string page = kPlayerPage;
  for (const auto& [slot, text] : {std::pair<const char*, std::string>{"/*KEYS*/", KeyTableJson()},
                                   std::pair<const char*, std::string>{"/*FILM*/", json}}) {
    const std::size_t at = page.find(slot);
    if (at != std::string::npos) page.replace(at, std::strlen(slot), text);
  }
  return page;
}

}  // namespace

std::string PlayerData(const FilmReport& report, const PlayerRecorder& rec,
                       const Scenario& scenario, const std::string& title) {
  JsonObject data;
  data.Str("title", title).Int("end", static_cast<std::int64_t>(scenario.runUntil));
  data.Int("fps", scenario.fps);
  AddConventions(data);
  data.Raw("iniKeys", Numbers()
                          .Int(IniKey(scenario, 0, "OnOff=", IniKeyDefault(0)))
                          .Int(IniKey(scenario, 1, "ChangeMode=", IniKeyDefault(1)))
                          .str());
  AddMap(data, report, rec);
  AddKeys(data, rec);
  AddScreensAndLogs(data, rec);
  AddPanels(data, rec);
  AddCast(data, report);
  data.Raw("show", report.shows.empty() ? "null" : ShowOf(report.film, report.shows.back()));
  return data.str();
}

std::string RenderPlayer(const FilmReport& report, const PlayerRecorder& rec,
                         const Scenario& scenario, const std::string& title) {
  return Embed(PlayerData(report, rec, scenario, title));
}

}  // namespace sim

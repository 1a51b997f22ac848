#include "plan/script.h"

#include <algorithm>
#include <cstdio>

#include "rehearsal/film.h"

namespace plan {

namespace {

std::string Coordinates(const world::Vec3& pos) {
  return "(" + Number(pos.x) + ", " + Number(pos.y) + ", " + Number(pos.z) + ")";
}

bool IsPed(const ShotList& shots, const std::string& name) {
  return std::any_of(shots.setUp.peds.begin(), shots.setUp.peds.end(),
                     [&](const sim::Actor& ped) { return ped.name == name; });
}

std::string WalkText(const ShotList& shots, const Spot& spot) {
  if (spot.place.empty()) return "Walk to " + Coordinates(spot.pos) + " and stand there.";
  if (IsPed(shots, spot.place)) {
    return "Walk up to **" + spot.place + "**, at " + Coordinates(spot.pos) +
           ", so close that no other ped is nearer to you.";
  }
  return "Walk to **the " + spot.place + "**, " + Coordinates(spot.pos) + ", and stand there.";
}

std::string Count(int n, const char* what) {
  return std::to_string(n) + " " + what +
         (n == 1 ? "" : (what[std::string(what).size() - 1] == 's' ? "es" : "s"));
}

std::string Row(int number, const std::string& what, const std::string& shows) {
  return "| " + std::to_string(number) + " | " + what + " | " + shows + " |\n";
}

// A key as a keyboard key in the rendered page; the text is escaped so Markdown leaves it alone.
std::string KeyHtml(int key) {
  std::string html = "<kbd>";
  for (const char* c = KeyLabel(key); *c != '\0'; ++c) {
    if (*c == '\\') {
      html += "&#92;";
    } else if (*c == '*') {
      html += "&#42;";
    } else {
      html += *c;
    }
  }
  return html + "</kbd>";
}

std::string Target(int target) {
  return target == kPlayerTarget ? "you (the player)" : "slot " + std::to_string(target);
}

std::string SpotText(const Spot& spot) {
  return spot.place.empty() ? Coordinates(spot.pos) : "the " + spot.place;
}

// What a cue makes its ped do, for the description of the show.
std::string CueText(const ShotCue& cue) {
  std::string text = sim::ActionWords(cue.code);
  const CueKind* kind = FindCueKind(cue.code);
  switch (kind->field) {
    case CueField::none:
      break;
    case CueField::spot:
      text += ": " + SpotText(cue.spot);
      break;
    case CueField::target:
      text += " " + Target(cue.target);
      break;
    case CueField::weapon:
      text = "swap to weapon " + std::to_string(cue.weapon);
      break;
    case CueField::car:
      text += ": the " + cue.car;
      if (cue.code == 6) text += ", seat " + std::to_string(cue.seat);
      break;
  }
  return text;
}

// The editor's state, as the messages of the keys pressed so far leave it.
struct Editor {
  int mode = 0;
  int screen = 0;
  int slot = 0;
  void Follow(const std::string& message) {
    int n = 0;
    if (std::sscanf(message.c_str(), "ID changed to %d", &n) == 1) slot = n;
    if (std::sscanf(message.c_str(), "Screen changed to %d", &n) == 1) screen = n;
    if (message == "Screen mode") mode = 1;
    if (message == "Screen mode 2") mode = 2;
    if (message == "Screen mode off") mode = 0;
  }
  std::string Describe() const {
    static const char* const kModes[] = {"mode 0 (direct commands)", "mode 1 (recording)",
                                         "mode 2 (recording, second set)"};
    return std::string(kModes[mode]) + ", on edit screen " + std::to_string(screen) +
           " with slot " + std::to_string(slot) + " selected";
  }
};

// The title, the film in numbers, and where the person at the game starts.
std::string Preamble(const ShotList& shots, const Plan& plan, const std::string& title) {
  int cues = 0, explosions = 0;
  for (const ShotScreen& screen : shots.screens) {
    cues += static_cast<int>(screen.cues.size());
    explosions += static_cast<int>(screen.explosions.size());
  }
  std::string out = "# Shooting script: " + title + "\n\n";
  out += "The film: " + Count(static_cast<int>(shots.screens.size()), "screen") + ", " +
         Count(cues, "cue") + ", " + Count(explosions, "explosion") + ", " +
         Count(static_cast<int>(shots.cast.size()), "ped") + " cast. It takes " +
         Count(plan.keys, "key press") + "; no plan can do with fewer than " +
         std::to_string(plan.lowerBound) + ".\n\n";
  out += "**Before you start.** Load the game with Zenthar. Stand at " +
         Coordinates(shots.setUp.playerPos) + " on foot";
  if (shots.setUp.playerWeapon != 0) {
    out += ", holding weapon " + std::to_string(shots.setUp.playerWeapon);
  }
  out +=
      ". Zenthar starts switched on, in mode 0, with slot 0 and screen 0 selected; if you have "
      "pressed any of its keys since the game loaded, restart the game.\n\n";
  out +=
      "Do the steps in order. After each key the game shows a short message at the bottom of "
      "the screen: it must read exactly as the last column says. If it does not, stop: the "
      "film is no longer the one planned.\n";
  return out;
}

// A section's heading with a checkpoint of the editor's state, and the head of its step table.
std::string SectionHead(const ShotList& shots, const PlanStep& step, const Editor& editor) {
  std::string out = "\n## " + step.text + "\n\n";
  out += "> **Checkpoint:** you are in " + editor.Describe() + ".";
  for (const ShotScreen& screen : shots.screens) {
    if (screen.number != step.screen) continue;
    out += " Next: screen " + std::to_string(screen.number) + ", which " +
           (screen.duration > 0 ? "lasts " + std::to_string(screen.duration) + " s"
                                : std::string("has no duration"));
    out += ".";
  }
  out += "\n\n| Step | Do this | The game shows |\n|---:|---|---|\n";
  return out;
}

// The key presses from steps[first] to steps[last], all the same key for the same reason, as one
// row.
std::string KeyRow(int number, const std::deque<PlanStep>& steps, std::size_t first,
                   std::size_t last) {
  const PlanStep& step = steps[first];
  const std::size_t times = last - first + 1;
  std::string what = "Press " + KeyHtml(step.key);
  if (times > 1) what += " **" + std::to_string(times) + " times**";
  what += ": " + step.text + ".";
  std::string shows = "`" + step.message + "`";
  if (times == 2) shows += ", then `" + steps[last].message + "`";
  if (times > 2) shows += " first, `" + steps[last].message + "` last";
  return Row(number, what, shows);
}

// The plan's steps as numbered rows, a table for each section.
std::string StepTables(const ShotList& shots, const Plan& plan) {
  std::string out;
  Editor editor;
  int number = 0;
  const std::deque<PlanStep>& steps = plan.steps;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const PlanStep& step = steps[i];
    switch (step.kind) {
      case PlanStep::Kind::heading:
        out += SectionHead(shots, step, editor);
        break;
      case PlanStep::Kind::walk:
        out += Row(++number, WalkText(shots, step.spot), "");
        break;
      case PlanStep::Kind::enter:
        out += Row(++number, "Get into **the " + step.car + "**, in the driver's seat.", "");
        break;
      case PlanStep::Kind::leave:
        out += Row(++number, "Get out of the " + step.car + ".", "");
        break;
      case PlanStep::Kind::weapon:
        out += Row(++number, "Switch to **weapon " + std::to_string(step.weapon) + "**.", "");
        break;
      case PlanStep::Kind::key: {
        std::size_t last = i;
        while (last + 1 < steps.size() && steps[last + 1].kind == PlanStep::Kind::key &&
               steps[last + 1].key == step.key && steps[last + 1].text == step.text) {
          ++last;
        }
        out += KeyRow(++number, steps, i, last);
        for (std::size_t k = i; k <= last; ++k) editor.Follow(steps[k].message);
        i = last;
        break;
      }
    }
  }
  return out;
}

// One screen of the show: its cues in slot order, then its explosions.
std::string ScreenLine(const ShotList& shots, const ShotScreen& screen, int playedScreens) {
  const bool plays = screen.number < playedScreens;
  std::string out = "- **Screen " + std::to_string(screen.number) + "** (" +
                    std::to_string(screen.duration) + " s)" + (plays ? "" : ", never played") +
                    ": ";
  std::vector<std::string> parts;
  std::vector<const ShotCue*> ordered;
  for (const ShotCue& cue : screen.cues) ordered.push_back(&cue);
  std::sort(ordered.begin(), ordered.end(),
            [](const ShotCue* a, const ShotCue* b) { return a->slot < b->slot; });
  for (const ShotCue* cue : ordered) {
    std::string part = "slot " + std::to_string(cue->slot) + " will " + CueText(*cue);
    if (shots.CastIn(cue->slot) == nullptr) part += " (no ped: nothing happens)";
    parts.push_back(part);
  }
  for (const ShotExplosion& blast : screen.explosions) {
    parts.push_back(std::string("a ") + FindExplosionKind(blast.kind)->word + " explosion at " +
                    SpotText(blast.spot));
  }
  if (parts.empty()) parts.push_back("nothing new happens");
  for (std::size_t k = 0; k < parts.size(); ++k) out += (k ? "; " : "") + parts[k];
  return out + ".\n";
}

// What the recorded film will show when played, screen by screen.
std::string ShowDescription(const ShotList& shots, const Plan& plan) {
  std::string out = "\n## What the show looks like\n\n";
  int pedCount = 0;
  for (const CastMember& member : shots.cast) pedCount = std::max(pedCount, member.slot + 1);
  out += "The show plays " +
         (plan.playedScreens == 1 ? std::string("screen 0")
                                  : "screens 0 to " + std::to_string(plan.playedScreens - 1)) +
         ". On each screen every slot from 0 to " + std::to_string(std::max(pedCount - 1, 0)) +
         " takes its turn, 0.1 s apart, then the screen's explosions go off and the screen lasts "
         "its duration.\n\n";
  std::vector<const ShotScreen*> screens;
  for (const ShotScreen& screen : shots.screens) screens.push_back(&screen);
  std::sort(screens.begin(), screens.end(),
            [](const ShotScreen* a, const ShotScreen* b) { return a->number < b->number; });
  for (const ShotScreen* screen : screens) out += ScreenLine(shots, *screen, plan.playedScreens);
  out += "\nThen the show ends, and the game logs `--- Show off ---`.\n";
  return out;
}

}  // namespace

std::string ShootingScript(const ShotList& shots, const Plan& plan, const std::string& title) {
  return Preamble(shots, plan, title) + StepTables(shots, plan) + ShowDescription(shots, plan);
}

}  // namespace plan

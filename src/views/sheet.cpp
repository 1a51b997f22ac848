// The film sheet: the recorded film screen by screen, as Markdown a person can print.
#include <string>

#include "views/sheet.h"

namespace sim {

namespace {

std::string Seconds(int seconds) {
  return std::to_string(seconds) + " s";
}

std::string Details(const FilmReport& report, const Cue& cue) {
  std::string text;
  if (UsesPosition(cue.code)) text = "at " + FormatPos(cue.pos);
  if (cue.code == 4) text = "weapon " + std::to_string(cue.weapon);
  if (UsesCar(cue.code)) {
    if (cue.car == 0) {
      text = "no car (recorded on foot)";
    } else {
      text = report.NameOf(cue.car) + " (car " + std::to_string(cue.car) + ")";
      if (report.liveCars.count(cue.car) == 0) {
        text += ", gone";
      } else if (report.wreckedCars.count(cue.car) != 0) {
        text += ", wrecked";
      }
    }
  }
  if (UsesTarget(cue.code)) {
    if (cue.targetSlot < 0) {
      text = "the player";
    } else {
      text = "slot " + std::to_string(cue.targetSlot);
      if (cue.target != 0)
        text += " (" + report.NameOf(cue.target) + ")";
      else
        text += " (no ped)";
    }
    if (cue.target != 0 && report.livePeds.count(cue.target) == 0) text += ", gone";
  }
  return text;
}

}  // namespace

std::string FilmSheet(const FilmReport& report, const std::string& title,
                      const std::vector<Warning>& warnings) {
  const Film& film = report.film;
  int silent = kScreens;
  for (int screen = 1; screen < kScreens; ++screen) {
    if (film.durations[static_cast<std::size_t>(screen)] == 0) {
      silent = screen;
      break;
    }
  }
  std::string out = "# Film sheet: " + title + "\n\n";
  int total = 0;
  for (int screen = 0; screen < silent; ++screen) {
    total += film.durations[static_cast<std::size_t>(screen)];
  }
  out += "The show plays screen" +
         std::string(silent > 1 ? "s 0 to " + std::to_string(silent - 1) : " 0") + " (" +
         std::to_string(total) + " s of screen time";
  out += film.pedCount > 0 ? ", plus 0.1 s per ped slot on every screen).\n"
                           : "; no ped slot is played).\n";
  out += std::to_string(report.shows.size()) + " show" + (report.shows.size() == 1 ? "" : "s") +
         " played during the rehearsal.\n\n";

  if (film.pedCount > 0) {
    out += "| Slot | Ped at the end |\n|---:|---|\n";
    for (int slot = 0; slot < film.pedCount; ++slot) {
      const std::int32_t ped = film.pedHandle[static_cast<std::size_t>(slot)];
      std::string who =
          ped == 0 ? "none" : report.NameOf(ped) + " (ped " + std::to_string(ped) + ")";
      if (ped != 0 && report.livePeds.count(ped) == 0) who += ", gone";
      out += "| " + std::to_string(slot) + " | " + who + " |\n";
    }
    out += "\n";
  }

  for (int screen = 0; screen < kScreens; ++screen) {
    const int duration = film.durations[static_cast<std::size_t>(screen)];
    const bool plays = screen < silent;
    if (!plays && duration == 0 && !film.ScreenHasContent(screen)) continue;
    out += "## Screen " + std::to_string(screen) + " · " + Seconds(duration);
    if (!plays) {
      out += " · never plays";
    } else if (screen == silent - 1) {
      out += " · last: the show ends after its cues";
    }
    out += "\n\n";
    bool any = false;
    for (int slot = 0; slot < kSlots; ++slot) {
      const Cue& cue = film.cue(screen, slot);
      if (cue.code == 0) continue;
      if (!any) out += "| Slot | Action | Details | Seat |\n|---:|---|---|---|\n";
      any = true;
      std::string action = ActionWords(cue.code);
      if (UsesTarget(cue.code)) action += " the target";
      out += "| " + std::to_string(slot) + " | " + action + " | " + Details(report, cue) + " | " +
             (cue.code == 6 ? std::to_string(cue.seat) : "") + " |\n";
    }
    if (!any) out += "No cues.\n";
    out += "\n";
    bool blasts = false;
    for (int id = 0; id < kExplosionIds; ++id) {
      const Explosion& blast = film.explosion(screen, id);
      if (!blast.set) continue;
      if (!blasts) out += "| Explosion | Kind | Where |\n|---:|---|---|\n";
      blasts = true;
      out += "| #" + std::to_string(id) + " | " + ExplosionKindName(blast.kind) + " | " +
             FormatPos(blast.pos) + " |\n";
    }
    if (!blasts) out += "No explosions.\n";
    out += "\n";
  }

  out += "## Check\n\n";
  if (warnings.empty()) out += "Nothing to warn about.\n";
  for (const Warning& w : warnings) {
    out += "- ";
    if (w.screen >= 0) out += "screen " + std::to_string(w.screen);
    if (w.slot >= 0) out += ", slot " + std::to_string(w.slot);
    out += (w.screen >= 0 || w.slot >= 0 ? ": " : "") + w.text + "\n";
  }
  return out;
}

}  // namespace sim

// The cue check: what in a film will not play the way its director most likely meant.
#include <algorithm>
#include <string>
#include <utility>

#include "views/check.h"

namespace sim {

namespace {

std::string Slot(int slot) {
  return "slot " + std::to_string(slot);
}

// The first screen from 1 on whose duration is 0: the show never gets there. kScreens when all
// have one.
int FirstSilentScreen(const Film& film) {
  for (int screen = 1; screen < kScreens; ++screen) {
    if (film.durations[static_cast<std::size_t>(screen)] == 0) return screen;
  }
  return kScreens;
}

// Whether a show had played `screen` by `t`.
bool PlayedBefore(const FilmReport& report, int screen, std::uint64_t t) {
  for (const Show& show : report.shows) {
    for (const Step& step : show.steps) {
      if (step.screen == screen && step.start <= t) return true;
    }
  }
  return false;
}

// Screens from the first silent one on that have something to play: the show never gets there.
void WarnUnplayedScreens(const Film& film, int silent, std::vector<Warning>& warnings) {
  for (int screen = silent; screen < kScreens; ++screen) {
    const bool timed = film.durations[static_cast<std::size_t>(screen)] != 0;
    if (!timed && !film.ScreenHasContent(screen)) continue;
    if (screen == silent) {
      warnings.push_back({screen, -1,
                          "never plays: it has no duration, so the show ends after screen " +
                              std::to_string(screen - 1) +
                              " (give it a duration with = in mode 1)"});
    } else {
      warnings.push_back({screen, -1,
                          "never plays: screen " + std::to_string(silent) +
                              " has no duration, so the show ends after screen " +
                              std::to_string(silent - 1)});
    }
  }
}

// A car cue recorded on foot names no car, and a named car may be gone by the end of the run.
// Each text starts with `what`, the cue's action in quotes.
void CheckCar(const FilmReport& report, const Cue& cue, const std::string& what,
              std::vector<std::string>& found) {
  if (cue.car == 0) {
    found.push_back(what +
                    " was recorded while the player was on foot: it names no car and will be "
                    "skipped");
  } else if (report.liveCars.count(cue.car) == 0) {
    found.push_back(what + ": car " + report.NameOf(cue.car) + " no longer exists");
  }
}

// A target cue aimed at its own ped, at a slot that held no ped, or at a ped gone by the end of
// the run.
void CheckTarget(const FilmReport& report, const Cue& cue, std::int32_t ped,
                 const std::string& what, std::vector<std::string>& found) {
  if (cue.target != 0 && cue.target == ped) {
    found.push_back(what + " targets the ped itself");
  } else if (cue.target == 0) {
    found.push_back(what + " has no target: slot " + std::to_string(cue.targetSlot) +
                    " held no ped when it was recorded");
  } else if (report.livePeds.count(cue.target) == 0) {
    found.push_back(what + ": target " + report.NameOf(cue.target) + " no longer exists");
  }
}

// A passenger cue's seat: wanted by an earlier slot on the same screen, or already taken when
// the ped got to the car in a show.
void CheckSeat(const FilmReport& report, int screen, int slot, const std::string& what,
               std::vector<std::string>& found) {
  const Film& film = report.film;
  const Cue& cue = film.cue(screen, slot);
  for (int other = 0; other < slot; ++other) {
    const Cue& rival = film.cue(screen, other);
    if (rival.code == 6 && rival.car == cue.car && rival.seat == cue.seat) {
      found.push_back(what + ": seat " + std::to_string(cue.seat) + " of " +
                      report.NameOf(cue.car) + " is also wanted by " + Slot(other) +
                      " on this screen");
      break;
    }
  }
  const std::string pedName = report.NameOf(film.pedHandle[static_cast<std::size_t>(slot)]);
  const std::string carName = report.NameOf(cue.car);
  for (const FilmReport::SeatTaken& taken : report.seatsTaken) {
    if (taken.ped == pedName && taken.car == carName && taken.seat == cue.seat &&
        PlayedBefore(report, screen, taken.t)) {
      found.push_back(what + ": seat " + std::to_string(cue.seat) + " of " + carName +
                      " was taken when " + pedName + " got there");
      break;
    }
  }
}

// Everything that keeps one recorded cue from playing as meant.
void CheckCue(const FilmReport& report, int screen, int slot, std::vector<Warning>& warnings) {
  const Film& film = report.film;
  const Cue& cue = film.cue(screen, slot);
  const std::string what = std::string("\"") + ActionWords(cue.code) + "\"";
  if (slot >= film.pedCount) {
    warnings.push_back({screen, slot,
                        what + " is never played: no ped was ever created in " + Slot(slot) +
                            " or above, so playback visits only slots 0.." +
                            std::to_string(film.pedCount - 1)});
    return;
  }
  const std::int32_t ped = film.pedHandle[static_cast<std::size_t>(slot)];
  std::vector<std::string> found;
  if (report.livePeds.count(ped) == 0) {
    found.push_back(what + " is skipped: the slot has no ped at the end of the run");
  }
  if (UsesCar(cue.code)) CheckCar(report, cue, what, found);
  if (UsesTarget(cue.code)) CheckTarget(report, cue, ped, what, found);
  if (cue.code == 6 && cue.car != 0) CheckSeat(report, screen, slot, what, found);
  for (std::string& text : found) warnings.push_back({screen, slot, std::move(text)});
}

}  // namespace

std::vector<Warning> CheckFilm(const FilmReport& report) {
  std::vector<Warning> warnings;
  for (const std::string& problem : report.problems) {
    warnings.push_back({-1, -1, "the film recorder lost track of the plug-in " + problem});
  }
  const int silent = FirstSilentScreen(report.film);
  WarnUnplayedScreens(report.film, silent, warnings);
  for (int screen = 0; screen < std::min(silent, kScreens); ++screen) {
    for (int slot = 0; slot < kSlots; ++slot) {
      if (report.film.cue(screen, slot).code != 0) CheckCue(report, screen, slot, warnings);
    }
  }
  std::stable_sort(warnings.begin(), warnings.end(), [](const Warning& a, const Warning& b) {
    return a.screen != b.screen ? a.screen < b.screen : a.slot < b.slot;
  });
  return warnings;
}

}  // namespace sim

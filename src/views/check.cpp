// The cue check: what in a film will not play the way its director most likely meant.
#include <algorithm>
#include <string>

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

}  // namespace

std::vector<Warning> CheckFilm(const FilmReport& report) {
  std::vector<Warning> warnings;
  const Film& film = report.film;
  auto warn = [&](int screen, int slot, const std::string& text) {
    warnings.push_back({screen, slot, text});
  };
  for (const std::string& problem : report.problems) {
    warn(-1, -1, "the film recorder lost track of the plug-in " + problem);
  }

  const int silent = FirstSilentScreen(film);
  for (int screen = silent; screen < kScreens; ++screen) {
    const bool timed = film.durations[static_cast<std::size_t>(screen)] != 0;
    if (!timed && !film.ScreenHasContent(screen)) continue;
    if (screen == silent) {
      warn(screen, -1,
           "never plays: it has no duration, so the show ends after screen " +
               std::to_string(screen - 1) + " (give it a duration with = in mode 1)");
    } else {
      warn(screen, -1,
           "never plays: screen " + std::to_string(silent) +
               " has no duration, so the show ends after screen " + std::to_string(silent - 1));
    }
  }

  for (int screen = 0; screen < std::min(silent, kScreens); ++screen) {
    for (int slot = 0; slot < kSlots; ++slot) {
      const Cue& cue = film.cue(screen, slot);
      if (cue.code == 0) continue;
      const std::string what = std::string("\"") + ActionWords(cue.code) + "\"";
      if (slot >= film.pedCount) {
        warn(screen, slot,
             what + " is never played: no ped was ever created in " + Slot(slot) +
                 " or above, so playback visits only slots 0.." +
                 std::to_string(film.pedCount - 1));
        continue;
      }
      const std::int32_t ped = film.pedHandle[static_cast<std::size_t>(slot)];
      if (report.livePeds.count(ped) == 0) {
        warn(screen, slot, what + " is skipped: the slot has no ped at the end of the run");
      }
      if (UsesCar(cue.code)) {
        if (cue.car == 0) {
          warn(screen, slot,
               what +
                   " was recorded while the player was on foot: it names no car and "
                   "will be skipped");
        } else if (report.liveCars.count(cue.car) == 0) {
          warn(screen, slot, what + ": car " + report.NameOf(cue.car) + " no longer exists");
        }
      }
      if (UsesTarget(cue.code)) {
        if (cue.target != 0 && cue.target == ped) {
          warn(screen, slot, what + " targets the ped itself");
        } else if (cue.target == 0) {
          warn(screen, slot,
               what + " has no target: slot " + std::to_string(cue.targetSlot) +
                   " held no ped when it was recorded");
        } else if (report.livePeds.count(cue.target) == 0) {
          warn(screen, slot, what + ": target " + report.NameOf(cue.target) + " no longer exists");
        }
      }
      if (cue.code == 6 && cue.car != 0) {
        for (int other = 0; other < slot; ++other) {
          const Cue& rival = film.cue(screen, other);
          if (rival.code == 6 && rival.car == cue.car && rival.seat == cue.seat) {
            warn(screen, slot,
                 what + ": seat " + std::to_string(cue.seat) + " of " + report.NameOf(cue.car) +
                     " is also wanted by " + Slot(other) + " on this screen");
            break;
          }
        }
        const std::string pedName = report.NameOf(ped);
        const std::string carName = report.NameOf(cue.car);
        for (const FilmReport::SeatTaken& taken : report.seatsTaken) {
          if (taken.ped == pedName && taken.car == carName && taken.seat == cue.seat &&
              PlayedBefore(report, screen, taken.t)) {
            warn(screen, slot,
                 what + ": seat " + std::to_string(cue.seat) + " of " + carName +
                     " was taken when " + pedName + " got there");
            break;
          }
        }
      }
    }
  }
  std::stable_sort(warnings.begin(), warnings.end(), [](const Warning& a, const Warning& b) {
    return a.screen != b.screen ? a.screen < b.screen : a.slot < b.slot;
  });
  return warnings;
}

}  // namespace sim

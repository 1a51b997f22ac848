#include "views/summary.h"

#include <cstdio>

namespace sim {

namespace {

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Seconds(std::uint64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
  return text;
}

}  // namespace

std::string RunSummary(const RunOutput& out, bool checked) {
  const FilmReport& report = out.film;
  const Film& film = report.film;
  std::size_t cues = 0;
  for (const Cue& cue : film.cues) cues += cue.code != 0 ? 1 : 0;
  std::size_t explosions = 0;
  for (const Explosion& explosion : film.explosions) explosions += explosion.set ? 1 : 0;
  std::size_t screens = 1;
  while (screens < film.durations.size() && film.durations[screens] != 0) ++screens;

  std::string text = "\nSummary\n";
  text += "  cast:  " + Count(report.slotOf.size(), "ped", "peds") + " created, " +
          Count(static_cast<std::size_t>(film.pedCount), "slot", "slots") + " played\n";
  text += "  film:  " + Count(screens, "screen", "screens") + ", " + Count(cues, "cue", "cues") +
          ", " + Count(explosions, "explosion", "explosions") + "\n";
  for (std::size_t i = 0; i < report.shows.size(); ++i) {
    const Show& show = report.shows[i];
    text += "  show " + std::to_string(i + 1) + ": " +
            Count(show.steps.size(), "screen", "screens") + " from " + Seconds(show.start) +
            " to " + Seconds(show.end) + (show.finished ? "" : " (cut off by the end of the run)") +
            "\n";
  }
  if (report.shows.empty()) text += "  no show was played\n";
  if (checked) {
    text += "  check: " +
            (out.warnings.empty() ? std::string("nothing to warn about")
                                  : Count(out.warnings.size(), "warning", "warnings")) +
            "\n";
  }
  return text;
}

}  // namespace sim

// zenthar-sim: rehearses a film. It runs a scenario through the real plug-in and the stand-in
// host on virtual time, prints what happened, and writes the trace and the world's final state.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "plan/shots.h"
#include "rehearsal/film.h"
#include "rehearsal/runner.h"
#include "rehearsal/scenario.h"
#include "views/check.h"
#include "views/player.h"
#include "views/sheet.h"
#include "views/storyboard.h"

namespace {

const char* kUsage = R"(Usage: zenthar-sim SCENARIO [options]

Runs SCENARIO through the Zenthar plug-in and a simulated game world, on virtual time, and
prints a transcript of the run.

Options:
  --trace FILE       write the trace (JSON Lines, one event a line)
  --state FILE       write the world's final state as JSON
  --storyboard FILE  write the storyboard of the last show (SVG): paths, cars, explosions and
                     a timeline of the screens
  --film FILE        write the film sheet (Markdown): the recorded film screen by screen
  --player FILE      write the show player (one self-contained HTML page) that replays the
                     rehearsal: map, screen text, keys, the editor's state and the timeline
  --shots FILE       write the film as a shot list, for zenthar-plan
  --check            warn about cues and screens that will not play as meant (in the
                     transcript and the trace)
  --strict           like --check, and exit with 1 when there is a warning
  --natives          list every native call in the transcript
  --plugin PATH      the plug-in module to load (default: the one beside this program)
  --quiet            print no transcript
  --version          show the version
  --help             show this help

Exit codes: 0 the run finished; 1 it could not run, or --strict found warnings;
2 the scenario is malformed.

)";

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Seconds(std::uint64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
  return text;
}

// The run in a few lines: the cast, the film as it stands, the shows played, the check.
std::string Summary(const sim::RunOutput& out, bool checked) {
  const sim::FilmReport& report = out.film;
  const sim::Film& film = report.film;
  std::size_t cues = 0;
  for (const sim::Cue& cue : film.cues) cues += cue.code != 0 ? 1 : 0;
  std::size_t explosions = 0;
  for (const sim::Explosion& explosion : film.explosions) explosions += explosion.set ? 1 : 0;
  std::size_t screens = 1;
  while (screens < film.durations.size() && film.durations[screens] != 0) ++screens;

  std::string text = "\nSummary\n";
  text += "  cast:  " + Count(report.slotOf.size(), "ped", "peds") + " created, " +
          Count(static_cast<std::size_t>(film.pedCount), "slot", "slots") + " played\n";
  text += "  film:  " + Count(screens, "screen", "screens") + ", " + Count(cues, "cue", "cues") +
          ", " + Count(explosions, "explosion", "explosions") + "\n";
  for (std::size_t i = 0; i < report.shows.size(); ++i) {
    const sim::Show& show = report.shows[i];
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

}  // namespace

int main(int argc, char** argv) {
  std::string scenarioPath, tracePath, statePath, storyboardPath, filmPath, shotsPath;
  std::string playerPath;
  sim::RunOptions options;
  options.review = sim::CheckFilm;
  bool quiet = false;
  bool strict = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "zenthar-sim: %s needs a value\n", arg.c_str());
        return false;
      }
      into = argv[++i];
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::fputs(sim::ScenarioHelp(), stdout);
      return 0;
    } else if (arg == "--version") {
      std::puts("zenthar-sim " ZENTHAR_VERSION);
      return 0;
    } else if (arg == "--trace") {
      if (!value(tracePath)) return 2;
    } else if (arg == "--state") {
      if (!value(statePath)) return 2;
    } else if (arg == "--storyboard") {
      if (!value(storyboardPath)) return 2;
    } else if (arg == "--film") {
      if (!value(filmPath)) return 2;
    } else if (arg == "--player") {
      if (!value(playerPath)) return 2;
    } else if (arg == "--shots") {
      if (!value(shotsPath)) return 2;
    } else if (arg == "--check") {
      options.check = true;
    } else if (arg == "--strict") {
      options.check = true;
      strict = true;
    } else if (arg == "--plugin") {
      if (!value(options.pluginPath)) return 2;
    } else if (arg == "--natives") {
      options.transcriptNatives = true;
    } else if (arg == "--quiet") {
      quiet = true;
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "zenthar-sim: unknown option %s (see --help)\n", arg.c_str());
      return 2;
    } else if (scenarioPath.empty()) {
      scenarioPath = arg;
    } else {
      std::fprintf(stderr, "zenthar-sim: one scenario at a time (see --help)\n");
      return 2;
    }
  }
  if (scenarioPath.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  sim::Scenario scenario;
  const std::string problem = sim::LoadScenario(scenarioPath, scenario);
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 2;
  }

  sim::StoryboardSampler sampler;
  if (!storyboardPath.empty()) options.extra.push_back(&sampler);
  sim::PlayerRecorder player;
  if (!playerPath.empty()) options.extra.push_back(&player);
  const sim::RunOutput out = sim::RunScenario(scenario, options);
  if (!out.ok) {
    std::fprintf(stderr, "zenthar-sim: %s\n", out.error.c_str());
    return 1;
  }
  if (!quiet) {
    std::fwrite(out.transcript.data(), 1, out.transcript.size(), stdout);
    std::fputs(Summary(out, options.check).c_str(), stdout);
  }
  if (!tracePath.empty() && !WriteFile(tracePath, out.trace)) {
    std::fprintf(stderr, "zenthar-sim: cannot write %s\n", tracePath.c_str());
    return 1;
  }
  if (!statePath.empty() && !WriteFile(statePath, out.state)) {
    std::fprintf(stderr, "zenthar-sim: cannot write %s\n", statePath.c_str());
    return 1;
  }
  const std::string title = std::filesystem::path(scenarioPath).filename().string();
  if (!storyboardPath.empty() &&
      !WriteFile(storyboardPath, sim::RenderStoryboard(
                                     out.film, sampler, title,
                                     options.check ? out.warnings : std::vector<sim::Warning>{}))) {
    std::fprintf(stderr, "zenthar-sim: cannot write %s\n", storyboardPath.c_str());
    return 1;
  }
  if (!filmPath.empty() && !WriteFile(filmPath, sim::FilmSheet(out.film, title, out.warnings))) {
    std::fprintf(stderr, "zenthar-sim: cannot write %s\n", filmPath.c_str());
    return 1;
  }
  if (!playerPath.empty() &&
      !WriteFile(playerPath, sim::RenderPlayer(out.film, player, scenario, title))) {
    std::fprintf(stderr, "zenthar-sim: cannot write %s\n", playerPath.c_str());
    return 1;
  }
  if (!shotsPath.empty()) {
    std::vector<std::string> skipped;
    const plan::ShotList shots = plan::FilmToShots(scenario, out.film, skipped);
    std::string header = "# The film of " + title + ", as zenthar-sim --shots wrote it.\n";
    for (const std::string& s : skipped) header += "# left out: " + s + "\n";
    if (!WriteFile(shotsPath, plan::FormatShotList(shots, header))) {
      std::fprintf(stderr, "zenthar-sim: cannot write %s\n", shotsPath.c_str());
      return 1;
    }
  }
  if (strict && !out.warnings.empty()) return 1;
  return 0;
}

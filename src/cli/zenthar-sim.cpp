// zenthar-sim: rehearses a film. It runs a scenario through the real plug-in and the stand-in
// host on virtual time, prints what happened, and writes the trace and the world's final state.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/command_line.h"
#include "plan/shots.h"
#include "rehearsal/film.h"
#include "rehearsal/runner.h"
#include "rehearsal/scenario.h"
#include "rehearsal/take_scenario.h"
#include "views/check.h"
#include "views/player.h"
#include "views/sheet.h"
#include "views/storyboard.h"
#include "views/summary.h"

namespace {

const char* kUsage = R"(Usage: zenthar-sim SCENARIO [options]

Runs SCENARIO through the Zenthar plug-in and a simulated game world, on virtual time, and
prints a transcript of the run. SCENARIO may be a take (NAME.take, first line "zenthar-take N"):
it is rehearsed by itself, through the take runner, from where it says it started.

Options:
  --trace FILE       write the trace (JSON Lines, one event a line)
  --state FILE       write the world's final state as JSON
  --storyboard FILE  write the storyboard of the last show (SVG): paths, cars, explosions and
                     a timeline of the screens
  --film FILE        write the film sheet (Markdown): the recorded film screen by screen
  --player FILE      write the show player (one self-contained HTML page) that replays the
                     rehearsal: map, screen text, keys, the editor's state and the timeline
  --shots FILE       write the film as a shot list, for zenthar-plan
  --autosave FILE    load the take runner with autosave on and write the take it autosaves, the
                     keys the plug-in took with the player's state they read, to FILE
  --check            warn about cues and screens that will not play as meant (in the
                     transcript and the trace)
  --strict           like --check, and exit with 1 when there is a warning
  --natives          list every native call in the transcript
  --rough SEED       rehearse in a rough world, which does not quite do as it is told: a ped
                     set down lands off the spot and settles, passers-by wander, models stream
                     in late, ticks come late, cars made by a script roll; the same SEED gives
                     the same world (the scenario statement "rough SEED" does the same)
  --plugin PATH      the plug-in module to load (default: the one beside this program)
  --quiet            print no transcript
  --version          show the version
  --help             show this help

Exit codes: 0 the run finished; 1 it could not run, or --strict found warnings;
2 the scenario is malformed.

)";

// What the command line asks for.
struct Options {
  std::string scenarioPath, tracePath, statePath, storyboardPath, filmPath, playerPath, shotsPath,
      autosavePath, roughSeed;
  sim::RunOptions run;
  bool quiet = false;
  bool strict = false;
};

// Fills `options` from the command line; the exit code to end with, or empty to go on.
std::optional<int> ParseOptions(int argc, char** argv, Options& options) {
  options.run.review = sim::CheckFilm;
  cli::CommandLine line{"zenthar-sim", kUsage, sim::ScenarioHelp(), "scenario", {}, {}};
  line.valued = {{"--trace", &options.tracePath},
                 {"--state", &options.statePath},
                 {"--storyboard", &options.storyboardPath},
                 {"--film", &options.filmPath},
                 {"--player", &options.playerPath},
                 {"--shots", &options.shotsPath},
                 {"--autosave", &options.autosavePath},
                 {"--plugin", &options.run.pluginPath},
                 {"--rough", &options.roughSeed}};
  line.flags = {{"--check", [&] { options.run.check = true; }},
                {"--strict",
                 [&] {
                   options.run.check = true;
                   options.strict = true;
                 }},
                {"--natives", [&] { options.run.transcriptNatives = true; }},
                {"--quiet", [&] { options.quiet = true; }}};
  if (const std::optional<int> exitCode = cli::Parse(argc, argv, line, options.scenarioPath)) {
    return exitCode;
  }
  return cli::RoughSeed(line.program, options.roughSeed, options.run.rough, options.run.roughSeed);
}

// Writes the text `make` renders to `path`, when a path was given; false, reported, when the
// file cannot be written.
template <typename Render>
bool WriteOutput(const std::string& path, Render make) {
  if (path.empty() || cli::WriteFile(path, make())) return true;
  std::fprintf(stderr, "zenthar-sim: cannot write %s\n", path.c_str());
  return false;
}

// Every file the command line asked for, in order; false at the first that cannot be written.
bool WriteOutputs(const Options& options, const sim::Scenario& scenario, const sim::RunOutput& out,
                  const sim::StoryboardSampler& sampler, const sim::PlayerRecorder& player) {
  const std::string title = std::filesystem::path(options.scenarioPath).filename().string();
  return WriteOutput(options.statePath, [&]() -> const std::string& { return out.state; }) &&
         WriteOutput(options.storyboardPath,
                     [&] {
                       return sim::RenderStoryboard(
                           out.film, sampler, title,
                           options.run.check ? out.warnings : std::vector<sim::Warning>{});
                     }) &&
         WriteOutput(options.filmPath,
                     [&] { return sim::FilmSheet(out.film, title, out.warnings); }) &&
         WriteOutput(options.playerPath,
                     [&] { return sim::RenderPlayer(out.film, player, scenario, title); }) &&
         WriteOutput(options.shotsPath,
                     [&] { return plan::FilmShotListText(scenario, out.film, title); });
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const std::optional<int> exitCode = ParseOptions(argc, argv, options)) return *exitCode;

  sim::Scenario scenario;
  const std::string problem = sim::LoadScenario(options.scenarioPath, scenario);
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 2;
  }

  // The trace goes to its file and the transcript to the screen as the run goes: the largest
  // film's are tens of megabytes.
  std::ofstream trace;
  if (!options.tracePath.empty()) {
    trace.open(options.tracePath, std::ios::binary);
    if (!trace) {
      std::fprintf(stderr, "zenthar-sim: cannot write %s\n", options.tracePath.c_str());
      return 1;
    }
    options.run.traceTo = &trace;
  }
  options.run.writeTrace = !options.quiet || !options.tracePath.empty();
  options.run.writeTranscript = !options.quiet;
  if (!options.quiet) options.run.transcriptTo = &std::cout;

  sim::StoryboardSampler sampler;
  if (!options.storyboardPath.empty()) options.run.extra.push_back(&sampler);
  sim::PlayerRecorder player;
  if (!options.playerPath.empty()) options.run.extra.push_back(&player);
  const sim::AutosaveFolder autosave(options.autosavePath.empty() ? nullptr : &scenario);
  const sim::RunOutput out = sim::RunScenario(scenario, options.run);
  // The seed, however quiet the run: the same seed gives the same world again.
  if (out.rough && options.quiet)
    std::printf("rough world, seed %llu\n", static_cast<unsigned long long>(out.roughSeed));
  if (!out.ok) {
    trace.close();
    if (!options.tracePath.empty()) std::remove(options.tracePath.c_str());
    std::fprintf(stderr, "zenthar-sim: %s\n", out.error.c_str());
    return 1;
  }
  if (!trace.flush()) {
    std::fprintf(stderr, "zenthar-sim: cannot write %s\n", options.tracePath.c_str());
    return 1;
  }
  if (!options.autosavePath.empty()) {
    std::string take;
    if (!autosave.Take(take)) {
      std::fprintf(stderr, "zenthar-sim: the plug-in took no key, so nothing was autosaved\n");
      return 1;
    }
    if (!WriteOutput(options.autosavePath, [&]() -> const std::string& { return take; })) return 1;
  }
  if (!options.quiet) std::fputs(sim::RunSummary(out, options.run.check).c_str(), stdout);
  if (!WriteOutputs(options, scenario, out, sampler, player)) return 1;
  return options.strict && !out.warnings.empty() ? 1 : 0;
}

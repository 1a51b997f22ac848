// zenthar-plan: from a shot list, the shortest run of keys that records its film, proven by a
// rehearsal through the real plug-in, as a scenario and as a shooting script.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>

#include "cli/command_line.h"
#include "plan/planner.h"
#include "plan/script.h"
#include "plan/shots.h"
#include "plan/take.h"
#include "plan/verify.h"
#include "rehearsal/scenario.h"
#include "tessel/host.h"
#include "views/desk_page.h"

namespace {

const char* kUsage = R"(Usage: zenthar-plan SHOTS [options]

Plans the keys and player moves that record the film SHOTS describes, rehearses them through
the Zenthar plug-in and a simulated game world, and checks that the film recorded matches the
shot list field by field.

Options:
  --scenario FILE  write the plan as a scenario for zenthar-sim
  --script FILE    write the shooting script (Markdown): the steps for a person at the game
  --take FILE      write the take, which the take runner performs in the game (copy it next
                   to the game as zenthar.take), and rehearse it through the runner
  --desk FILE      write a desk: a web page that opens on this shot list, to edit the film
                   with the mouse while it is planned and rehearsed again after every edit
  --desk-page PATH the empty desk to start from (default: desk.html beside this program, or in
                   the folder above it)
  --plugin PATH    the plug-in module to rehearse with (default: the one beside this program)
  --runner PATH    the take runner module (default: the one beside this program)
  --rough SEED     rehearse the take (--take) in a rough world, which does not quite do as it is
                   told: the player set down lands off the spot, passers-by stand nearer than
                   the capture ped, models stream in late, ticks come late, staged cars roll;
                   the same SEED gives the same world
  --quiet          print only the verdict
  --version        show the version
  --help           show this help

Exit codes: 0 verified (and the take too, with --take); 1 a rehearsal did not record the shot
list's film; 2 the shot list is malformed or cannot be recorded (FILE:LINE: problem).

Shot list statements (one a line, # starts a comment):
  player at X Y Z | player weapon W | ped NAME model M at X Y Z | car NAME model M at X Y Z |
  model M ped                  the set, as in a scenario
  place NAME at X Y Z          a named spot; SPOT below is X Y Z or a place's name
  cast SLOT like PED at SPOT   slot SLOT (0..254) gets a ped of PED's model, created at SPOT
  screen N [lasts S]           the following lines are screen N (0..255); S seconds long
  SLOT phone | hang up | hands up | horn | get out | die | shoot | burn
  SLOT go SPOT | aim at SPOT | look at SPOT
  SLOT gun WEAPON
  SLOT drive CAR | ride CAR [seat 0..3] | blow up CAR | look at car CAR
  SLOT fight TARGET | aim at TARGET | look at TARGET      TARGET: player, or slot N
  fire|rocket|grenade at SPOT [id 0..31]                 an explosion (default: next free id)
)";

std::string Count(int n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

// What the command line asks for.
struct Options {
  std::string shotsPath, scenarioPath, scriptPath, takePath, deskPath, deskPagePath, roughText;
  sim::RunOptions run;
  bool quiet = false;
  // The take's rehearsal only: a shooting script is followed by a person, a take by the runner.
  bool rough = false;
  std::uint64_t roughSeed = 0;
};

// Fills `options` from the command line; the exit code to end with, or empty to go on.
std::optional<int> ParseOptions(int argc, char** argv, Options& options) {
  cli::CommandLine line{"zenthar-plan", kUsage, nullptr, "shot list", {}, {}};
  line.valued = {{"--scenario", &options.scenarioPath},  {"--script", &options.scriptPath},
                 {"--take", &options.takePath},          {"--desk", &options.deskPath},
                 {"--desk-page", &options.deskPagePath}, {"--plugin", &options.run.pluginPath},
                 {"--runner", &options.run.takePath},    {"--rough", &options.roughText}};
  line.flags = {{"--quiet", [&] { options.quiet = true; }}};
  if (const std::optional<int> exitCode = cli::Parse(argc, argv, line, options.shotsPath)) {
    return exitCode;
  }
  if (!options.roughText.empty() && options.takePath.empty()) {
    std::fprintf(stderr, "zenthar-plan: --rough rehearses the take: it needs --take\n");
    return 2;
  }
  return cli::RoughSeed(line.program, options.roughText, options.rough, options.roughSeed);
}

// The scenario and the shooting script, when asked for; false, reported, at the first that
// cannot be written.
bool WriteOutputs(const Options& options, const plan::ShotList& shots, const plan::Plan& plan,
                  const std::string& scenario) {
  if (!options.scenarioPath.empty() && !cli::WriteFile(options.scenarioPath, scenario)) {
    std::fprintf(stderr, "zenthar-plan: cannot write %s\n", options.scenarioPath.c_str());
    return false;
  }
  const std::string title = std::filesystem::path(options.shotsPath).filename().string();
  if (!options.scriptPath.empty() &&
      !cli::WriteFile(options.scriptPath, plan::ShootingScript(shots, plan, title))) {
    std::fprintf(stderr, "zenthar-plan: cannot write %s\n", options.scriptPath.c_str());
    return false;
  }
  return true;
}

// The empty desk: the one asked for, else desk.html beside this program or in the folder above
// it (the release keeps the programs in tools/ and the desk at the top).
std::string DeskPage(const Options& options) {
  if (!options.deskPagePath.empty()) return options.deskPagePath;
  char folder[4096];
  tessel::ExecutableFolder(folder, sizeof folder);
  const std::filesystem::path beside = std::filesystem::path(folder) / "desk.html";
  const std::filesystem::path above = std::filesystem::path(folder).parent_path() / "desk.html";
  return (std::filesystem::exists(beside) || !std::filesystem::exists(above) ? beside : above)
      .string();
}

// The desk with the shot list in it; false, reported, when it cannot be written.
bool WriteDesk(const Options& options) {
  const std::string pagePath = DeskPage(options);
  std::string page, text;
  std::string problem =
      std::filesystem::exists(pagePath)
          ? sim::ReadWholeFile(pagePath, "empty desk", page)
          : pagePath + ": no desk there (scripts/desk builds one beside the programs)";
  if (problem.empty()) problem = sim::ReadWholeFile(options.shotsPath, "shot list", text);
  const std::string name = std::filesystem::path(options.shotsPath).filename().string();
  if (problem.empty() && !sim::DeskWithShots(page, name, text, problem)) {
    problem = pagePath + ": " + problem;
  }
  if (problem.empty() && !cli::WriteFile(options.deskPath, page)) {
    problem = "cannot write " + options.deskPath;
  }
  if (!problem.empty()) std::fprintf(stderr, "zenthar-plan: %s\n", problem.c_str());
  return problem.empty();
}

// The verdict of a rehearsal, and the exit code that goes with it.
int Verdict(const plan::Verification& v) {
  const char* what = v.take ? "take " : "";
  if (!v.differences.empty()) {
    std::printf("%sNOT verified: the film differs from the shot list in %zu ways:\n", what,
                v.differences.size());
    std::size_t shown = 0;
    for (const std::string& d : v.differences) {
      if (++shown > 40) {
        std::printf("  ... and %zu more\n", v.differences.size() - 40);
        break;
      }
      std::printf("  %s\n", d.c_str());
    }
    return 1;
  }
  std::printf("%sverified: the film matches the shot list (%s, %s, %s)", what,
              Count(v.screens, "screen").c_str(), Count(v.cues, "cue").c_str(),
              Count(v.explosions, "explosion").c_str());
  if (v.take) std::printf(", in %llu host ticks", static_cast<unsigned long long>(v.takeTicks));
  if (v.stallTicks > 0) {
    std::printf(" (%llu of them the game's stalls)", static_cast<unsigned long long>(v.stallTicks));
  }
  std::printf("\n");
  return 0;
}

// The take of a verified plan, written and rehearsed through the take runner.
int Take(const Options& options, const plan::ShotList& shots, const plan::Plan& plan) {
  const std::string title = std::filesystem::path(options.shotsPath).filename().string();
  if (!cli::WriteFile(options.takePath, plan::TakeText(shots, plan, title))) {
    std::fprintf(stderr, "zenthar-plan: cannot write %s\n", options.takePath.c_str());
    return 1;
  }
  sim::RunOptions run = options.run;
  run.rough = options.rough;
  run.roughSeed = options.roughSeed;
  if (options.rough) {
    std::printf("rough world, seed %llu\n", static_cast<unsigned long long>(options.roughSeed));
  }
  return Verdict(plan::VerifyTake(shots, plan, options.takePath, run));
}

// The plan's scenario written and rehearsed; the verdict's exit code.
int PlanAndVerify(const Options& options, const plan::ShotList& shots, const plan::Plan& plan,
                  std::chrono::steady_clock::time_point start) {
  const std::string scenario = plan::PlanScenarioText(shots, plan);
  const auto planned = std::chrono::steady_clock::now();
  if (!options.quiet) {
    std::printf("planned: %d keys, at least %d are needed (%.2fx), in %.3f s\n", plan.keys,
                plan.lowerBound,
                plan.lowerBound > 0 ? static_cast<double>(plan.keys) / plan.lowerBound : 1.0,
                std::chrono::duration<double>(planned - start).count());
  }
  if (!WriteOutputs(options, shots, plan, scenario)) return 1;
  if (!options.deskPath.empty() && !WriteDesk(options)) return 1;
  const plan::Verification v = plan::Verify(shots, plan, scenario, options.run);
  if (!options.quiet) {
    const auto verified = std::chrono::steady_clock::now();
    std::printf("rehearsed in %.3f s\n", std::chrono::duration<double>(verified - planned).count());
  }
  return Verdict(v);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const std::optional<int> exitCode = ParseOptions(argc, argv, options)) return *exitCode;

  const auto start = std::chrono::steady_clock::now();
  plan::ShotList shots;
  const std::string problem = plan::LoadShotList(options.shotsPath, shots);
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 2;
  }
  const plan::Plan plan = plan::MakePlan(shots);
  // The planned scenario is let go before the take is made: the largest film's is 26 MB.
  const int verdict = PlanAndVerify(options, shots, plan, start);
  if (verdict != 0 || options.takePath.empty()) return verdict;
  return Take(options, shots, plan);
}

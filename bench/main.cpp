// Runs the benchmarks, then sets each figure against its target.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

class Collector : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      nanoseconds[run.benchmark_name()] = run.GetAdjustedRealTime() * Scale(run.time_unit);
      for (const auto& [key, counter] : run.counters) {
        counters[run.benchmark_name() + "." + key] = counter.value;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> nanoseconds;
  std::map<std::string, double> counters;

 private:
  static double Scale(benchmark::TimeUnit unit) {
    switch (unit) {
      case benchmark::kSecond:
        return 1e9;
      case benchmark::kMillisecond:
        return 1e6;
      case benchmark::kMicrosecond:
        return 1e3;
      default:
        return 1.0;
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  const auto& ns = collector.nanoseconds;
  auto figure = [&](const char* name) {
    const auto it = ns.find(name);
    return it != ns.end() ? it->second : -1.0;
  };
  std::printf("\nAgainst the targets:\n");
  const double pass = figure("IdlePass");
  const double bound = figure("IdlePassLowerBound");
  if (pass > 0 && bound > 0) {
    std::printf("  idle pass / its lower bound    %.2f  (target <= 1.3)\n", pass / bound);
  }
  for (const char* name : {"InvokeNative/39", "InvokeNative/5000"}) {
    if (figure(name) > 0) std::printf("  %-30s %.1f ns  (target <= 50 ns)\n", name, figure(name));
  }
  if (figure("PlayFullScreenStep") > 0) {
    std::printf("  full playback step             %.1f us  (255 peds, 32 explosions)\n",
                figure("PlayFullScreenStep") / 1e3);
  }
  const double film = figure("LargestFilmThroughTheTool/iterations:1/manual_time");
  if (film > 0)
    std::printf("  largest film, wall time        %.2f s  (target <= 2 s)\n", film / 1e9);
  auto counter = [&](const std::string& name) {
    const auto it = collector.counters.find(name);
    return it != collector.counters.end() ? it->second : -1.0;
  };
  for (const char* name : {"demo", "car-chase", "every-action", "explosions"}) {
    const std::string prefix = std::string("PlanKeysOnExamples/iterations:1.") + name;
    const double keys = counter(prefix + "_keys"), least = counter(prefix + "_bound");
    if (keys > 0 && least > 0) {
      std::printf(
          "  plan of %-13s %3.0f keys, %.2fx the bound of %.0f  (target <= %.0f, by hand)\n", name,
          keys, keys / least, least, counter(prefix + "_hand"));
    }
  }
  const double randomKeys = counter("PlanKeysOnLargeRandomFilm.keys");
  if (randomKeys > 0) {
    std::printf("  plan of a large random film   %.0f keys, %.2fx the bound of %.0f\n", randomKeys,
                randomKeys / counter("PlanKeysOnLargeRandomFilm.lower_bound"),
                counter("PlanKeysOnLargeRandomFilm.lower_bound"));
  }
  if (figure("PlanLargestFilm") > 0) {
    std::printf("  plan of 256 screens x 255 slots %.0f ms, %.0f keys, %.2fx the bound\n",
                figure("PlanLargestFilm") / 1e6, counter("PlanLargestFilm.keys"),
                counter("PlanLargestFilm.keys") / counter("PlanLargestFilm.lower_bound"));
  }
  const double verified = figure("PlanAndVerifyLargestFilm/iterations:1/manual_time");
  if (verified > 0 && film > 0) {
    std::printf("  largest film, plan + verify   %.2f s  (target <= %.2f s, its rehearsal above)\n",
                verified / 1e9, film / 1e9);
  }
  // The counters of a take's benchmark: the examples', or the largest film's in `largest`.
  auto take = [](const std::string& name, const char* largest) {
    return (name == "largest" ? std::string(largest) : "TakeTicksOnExamples/iterations:1.") + name;
  };
  for (const char* name : {"demo", "car-chase", "every-action", "explosions", "largest"}) {
    const std::string prefix = take(name, "TakeOfTheLargestFilm/iterations:1/manual_time.");
    const double ticks = counter(prefix + "_ticks"), floor = counter(prefix + "_floor");
    if (ticks > 0 && floor > 0) {
      std::printf(
          "  take of %-13s %.0f host ticks, %.2fx its floor of %.0f, %.2f ticks a key"
          "  (target <= 2x)\n",
          name, ticks, ticks / floor, floor, ticks / counter(prefix + "_keys"));
    }
  }
  // Rough worlds: the longest take of three seeds, less the ticks its stalls took.
  for (const char* name : {"demo", "car-chase", "every-action", "explosions", "largest"}) {
    const std::string prefix = take(name, "TakeOfTheLargestFilmInARoughWorld/iterations:1.");
    const double calm = counter(prefix + "_ticks"), rough = counter(prefix + "_rough_ticks");
    if (calm > 0 && rough > 0) {
      std::printf(
          "  rough take of %-13s %.0f host ticks and %.0f of stalls, %.2fx the calm %.0f"
          "  (target <= 1.2x, plus the stalls)\n",
          name, rough, counter(prefix + "_stall_ticks"), rough / calm, calm);
    }
  }
  const double read = counter("ReadCost/0/iterations:1.plugin_ns_per_read");
  const double answered = counter("ReadCost/1/iterations:1.plugin_ns_per_read");
  if (read > 0 && answered > 0) {
    std::printf("  a read the runner answers     %+.0f ns on the plug-in's pass (%.0f ns alone)\n",
                answered - read, read);
  }
  const double retake = figure("TakeOfTheLargestFilm/iterations:1/manual_time");
  if (retake > 0) std::printf("  largest film, take + rehearsal %.2f s\n", retake / 1e9);
  // Autosave: the runner off (0), beside the plug-in with autosave off (1) and on (2).
  for (const char* keys : {"0", "1"}) {
    auto at = [&](const char* runner, const char* what) {
      return counter(std::string("AutosaveCost/") + runner + "/" + keys + "/iterations:1." + what);
    };
    const double alone = at("0", "plugin_pass_ns"), on = at("2", "plugin_pass_ns");
    if (alone <= 0 || on <= 0) continue;
    std::printf(
        "  autosave, %-12s plug-in's pass %+.0f ns (%.0f alone), runner's pass %+.0f ns, "
        "%.2f natives and %.1f bytes a pass  (target: 0 natives, 0 bytes idle)\n",
        keys[0] == '0' ? "no key:" : "a key a pass:", on - alone, alone,
        at("2", "runner_pass_ns") - at("1", "runner_pass_ns"), at("2", "runner_natives_per_pass"),
        at("2", "bytes_per_pass"));
  }
  benchmark::Shutdown();
  return 0;
}

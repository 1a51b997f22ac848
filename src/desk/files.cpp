#include "desk/files.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <vector>

#include "plan/planner.h"
#include "plan/shots.h"
#include "rehearsal/json.h"
#include "rehearsal/recorders.h"
#include "rehearsal/runner.h"
#include "rehearsal/take_scenario.h"
#include "take/take_file.h"
#include "views/check.h"
#include "views/player.h"
#include "views/sheet.h"
#include "views/storyboard.h"

namespace desk {

namespace {

using sim::JsonObject;

// The file's name with its extension replaced: "takes/2026-01-01_20-15-00.take" and ".shots"
// make "2026-01-01_20-15-00.shots".
std::string Renamed(const std::string& file, const char* extension) {
  return std::filesystem::path(file).stem().string() + extension;
}

bool IsShotList(const std::string& file) {
  std::string extension = std::filesystem::path(file).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".shots";
}

// The text of the first `lines` lines, with their ends.
std::string FirstLines(const std::string& text, int lines) {
  std::size_t end = 0;
  for (int n = 0; n < lines && end < text.size(); ++n) {
    const std::size_t at = text.find('\n', end);
    end = at == std::string::npos ? text.size() : at + 1;
  }
  return text.substr(0, end);
}

// The line of a scenario's first `take FILE` statement, 0 when it has none. A take line that
// does not read as one is left to the reader, which says what is wrong with it.
int TakeLine(const std::string& text) {
  if (text.find("take") == std::string::npos) return 0;
  std::vector<std::string> words;
  std::string line, problem;
  int number = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    line.assign(text, at, end - at);
    at = end + 1;
    ++number;
    if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    words.clear();
    if (sim::SplitWords(line, words, problem) && words.size() == 2 && words[0] == "take") {
      return number;
    }
  }
  return 0;
}

// The answer to a file that does not read: its problem as the tool prints it, and as its line.
std::string Refused(const std::string& file, const std::string& problem) {
  return JsonObject()
      .Bool("ok", false)
      .Str("error", problem)
      .Raw("problems", Problems(file, problem))
      .str();
}

// What an opened take or scenario was, for the line the page shows above the list.
struct Source {
  const char* kind;  // autosave, take, scenario
  take::Summary summary;
  std::string torn;  // an autosave's last line, which a crash cut off
};

Source Describe(const std::string& text, const sim::Scenario& scenario) {
  Source source{"scenario", {}, ""};
  if (!sim::IsTake(text)) return source;
  int line = 0;
  char problem[take::kProblemSize] = {};
  take::CheckTakeText(text.data(), text.size(), source.summary, line, problem, sizeof problem);
  source.kind = source.summary.version == take::kAutosaveVersion ? "autosave" : "take";
  if (source.summary.tornLine != 0) source.torn = text.substr(text.rfind('\n') + 1);
  return source;
}

std::string SourceJson(const std::string& title, const Source& source) {
  JsonObject json;
  json.Str("file", title).Str("kind", source.kind);
  if (std::string(source.kind) == "scenario") return json.str();
  const take::Summary& s = source.summary;
  json.Int("version", s.version).Int("steps", s.steps).Int("keys", s.keys);
  if (s.tornLine != 0) {
    json.Raw("torn", JsonObject().Int("line", s.tornLine).Str("text", source.torn).str());
  }
  return json.str();
}

// "the film of 2026-01-01_20-15-00.take, an autosave of 47 keys; torn line 52 left out"
std::string From(const std::string& title, const Source& source) {
  const std::string kind = source.kind;
  std::string from = "the film of " + title;
  if (kind == "scenario") return from + ", a scenario";
  const int keys = source.summary.keys;
  from += (kind == "autosave" ? ", an autosave of " : ", a planned take of ") +
          std::to_string(keys) + (keys == 1 ? " key" : " keys");
  if (source.summary.tornLine != 0) {
    from += "; torn line " + std::to_string(source.summary.tornLine) + " left out";
  }
  return from;
}

std::string Opened(const std::string& file, const std::string& text, const std::string& from,
                   const std::string& source) {
  return JsonObject()
      .Bool("ok", true)
      .Str("file", file)
      .Str("text", text)
      .Str("from", from)
      .Raw("source", source)
      .Raw("problems", "[]")
      .str();
}

// The page's file names for the exports, after the shot list's.
struct ExportKind {
  const char* as;
  const char* extension;
};
const ExportKind kExports[] = {{"player", ".html"}, {"storyboard", ".svg"}, {"sheet", ".sheet.md"}};

}  // namespace

std::string Title(const std::string& file) {
  return std::filesystem::path(file).filename().string();
}

std::string Failure(const std::string& error) {
  return JsonObject().Bool("ok", false).Str("error", error).str();
}

// The readers name a line for every problem; the number ends at the colon before the problem.
std::string Problems(const std::string& file, const std::string& problem) {
  const char* const text = problem.c_str();
  const char* number = text + std::min(file.size() + 1, problem.size());
  int line = 0;
  const char* colon = std::from_chars(number, text + problem.size(), line).ptr;
  const std::size_t words = std::min(static_cast<std::size_t>(colon - text) + 2, problem.size());
  return "[" + JsonObject().Int("line", line).Str("text", problem.substr(words)).str() + "]";
}

std::string ReadScenario(const std::string& file, const std::string& text, sim::Scenario& out) {
  if (sim::IsTake(text)) return sim::TakeScenario(file, text, out);
  const int takeLine = TakeLine(text);
  if (takeLine == 0) return sim::ParseScenario(file, text, out);
  // The lines above the take line read first, as zenthar-sim reads them.
  std::string problem = sim::ParseScenario(file, FirstLines(text, takeLine - 1), out);
  if (!problem.empty()) return problem;
  return file + ":" + std::to_string(takeLine) +
         ": a take line names another file, and the desk has only this one: open the take "
         "itself, or rehearse this scenario with zenthar-sim";
}

std::string Open(const std::string& file, const std::string& text) {
  const std::string title = Title(file);
  if (IsShotList(file)) {
    return Opened(title, text, "", JsonObject().Str("file", title).Str("kind", "shots").str());
  }
  sim::Scenario scenario;
  const std::string problem = ReadScenario(file, text, scenario);
  if (!problem.empty()) return Refused(file, problem);
  // As zenthar-sim FILE --shots rehearses it; the film does not depend on the trace.
  sim::RunOptions run;
  run.review = sim::CheckFilm;
  run.writeTrace = false;
  const sim::RunOutput out = sim::RunScenario(scenario, run);
  if (!out.ok) return Failure("zenthar-sim: " + out.error);
  const Source source = Describe(text, scenario);
  return Opened(Renamed(file, ".shots"), plan::FilmShotListText(scenario, out.film, title),
                From(title, source), SourceJson(title, source));
}

bool KnownExport(const std::string& as) {
  return std::any_of(std::begin(kExports), std::end(kExports),
                     [&](const ExportKind& kind) { return as == kind.as; });
}

// The list's plan written as NAME.film, then `zenthar-sim NAME.film --check` with the export's
// option: --player NAME.html, --storyboard NAME.svg or --film NAME.md.
std::string Export(const std::string& file, const std::string& text, const std::string& as) {
  plan::ShotList shots;
  const std::string problem = plan::ParseShotList(file, text, shots);
  if (!problem.empty()) return Refused(file, problem);
  const std::string name = Renamed(file, ".film");
  sim::Scenario scenario;
  // The planner writes a scenario that reads.
  sim::ParseScenario(name, plan::PlanScenarioText(shots, plan::MakePlan(shots)), scenario);
  sim::StoryboardSampler sampler;
  sim::PlayerRecorder player;
  sim::RunOptions run;
  run.review = sim::CheckFilm;
  run.check = true;
  run.writeTrace = false;
  if (as == "storyboard") run.extra.push_back(&sampler);
  if (as == "player") run.extra.push_back(&player);
  const sim::RunOutput out = sim::RunScenario(scenario, run);
  if (!out.ok) return Failure("zenthar-sim: " + out.error);
  std::string made;
  if (as == "player") made = sim::RenderPlayer(out.film, player, scenario, name);
  if (as == "storyboard") made = sim::RenderStoryboard(out.film, sampler, name, out.warnings);
  if (as == "sheet") made = sim::FilmSheet(out.film, name, out.warnings);
  const auto kind = std::find_if(std::begin(kExports), std::end(kExports),
                                 [&](const ExportKind& k) { return as == k.as; });
  return JsonObject()
      .Bool("ok", true)
      .Str("file", Renamed(file, kind->extension))
      .Str("text", made)
      .str();
}

}  // namespace desk

// The example films in examples/: each runs cleanly and plays its show once, and together they
// record every action code and all three kinds of explosion.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "rehearse.h"

namespace {

namespace fs = std::filesystem;

fs::path ExamplesFolder() {
  return fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples";
}

std::vector<fs::path> Films() {
  std::vector<fs::path> films;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(ExamplesFolder(), error)) {
    if (entry.path().extension() == ".film") films.push_back(entry.path());
  }
  std::sort(films.begin(), films.end());
  return films;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(Examples, EveryFilmRunsCleanlyAndPlaysItsShowOnce) {
  const std::vector<fs::path> films = Films();
  ASSERT_GE(films.size(), 3u) << "no films in " << ExamplesFolder().string();
  std::set<std::string> recorded;  // "will been ..." and "... EXPLODE" labels of every film
  for (const fs::path& film : films) {
    SCOPED_TRACE(film.filename().string());
    const zt::Rehearsal r = zt::Rehearse(ReadFile(film));
    EXPECT_EQ(r.Events("warning"), std::vector<std::string>{});
    EXPECT_EQ(r.Logs(), (std::vector<std::string>{"--- Start Play ---", "--- Show off ---"}));
    ASSERT_FALSE(r.lines.empty());
    EXPECT_LE(zt::TimeOf(r.lines.back()), 120000u);
    for (const std::string& text : r.Screens()) {
      const std::size_t been = text.find(" will been ");
      const std::size_t at = text.rfind(" at screen ");
      if (been != std::string::npos && at != std::string::npos) {
        std::string label = text.substr(been + 11, at - been - 11);
        // "COMBAT 3", "AIM TO PED -1": the target's number is not part of the action.
        const std::size_t space = label.rfind(' ');
        if (label.rfind("COMBAT", 0) == 0 || label.rfind("TO PED") != std::string::npos) {
          label = label.substr(0, space);
        }
        recorded.insert(label);
      } else if (text.rfind("This been ", 0) == 0) {
        recorded.insert(text.substr(10, text.find(" #") - 10));
      }
    }
  }
  const std::set<std::string> every{"USE PHOME",
                                    "NOT USE PHOME",
                                    "GO TO THIS POS",
                                    "SWAP TO THIS GUN",
                                    "HANDS UP",
                                    "SEAT AS PASSENGER",
                                    "SOUND HORN",
                                    "COMBAT",
                                    "SEAT AS DRIVER",
                                    "EXIT FROM CAR",
                                    "DIE",
                                    "AIM TO THIS POS",
                                    "AIM TO PED",
                                    "EXPLODE THIS CAR",
                                    "LOOK TO PED",
                                    "LOOK TO THIS POS",
                                    "LOOK TO THIS CAR",
                                    "FIRE FROM GUN",
                                    "FIRE",
                                    "FIRE EXPLODE",
                                    "ROCKET EXPLODE",
                                    "GRENADE EXPLODE"};
  std::vector<std::string> missing;
  for (const std::string& label : every) {
    if (recorded.count(label) == 0) missing.push_back(label);
  }
  EXPECT_EQ(missing, std::vector<std::string>{});
}

}  // namespace

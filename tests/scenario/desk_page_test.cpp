// zenthar-plan --desk puts a shot list into the empty desk: where the page keeps it, as JSON that
// no text of the list can break out of, and only when the page will read back the same text.
#include <gtest/gtest.h>

#include <string>

#include "views/desk_page.h"

namespace {

const std::string kPage =
    "<script type=\"application/json\" id=\"shots-preset\">/*ZENTHAR_SHOTS*/</script>\n"
    "<script>var marker = '/*ZENTHAR_SHOTS*/';</script>";

TEST(DeskPage, PutsTheListWhereThePageKeepsItAndNowhereElse) {
  std::string page = kPage, problem = "sentinel";
  ASSERT_TRUE(
      sim::DeskWithShots(page, "demo.shots", "player at 0 0 0\n  0 go \"x\"\t# c\r\n", problem));
  EXPECT_EQ(page,
            "<script type=\"application/json\" id=\"shots-preset\">{\"file\":\"demo.shots\","
            "\"text\":\"player at 0 0 0\\n  0 go \\\"x\\\"\\t# c\\r\\n\"}</script>\n"
            "<script>var marker = '/*ZENTHAR_SHOTS*/';</script>");
  EXPECT_EQ(problem, "sentinel");
}

TEST(DeskPage, NoTextOfTheListEndsThePagesScriptElement) {
  std::string page = kPage, problem;
  ASSERT_TRUE(sim::DeskWithShots(page, "a</script>.shots", "# </script><b>\n", problem));
  const std::string filled = page.substr(0, page.find("</script>\n"));
  EXPECT_EQ(filled.find("</"), std::string::npos) << filled;
  EXPECT_NE(filled.find("a<\\/script>.shots"), std::string::npos) << filled;
}

TEST(DeskPage, RefusesAPageThatIsNoEmptyDeskAndLeavesItAsItWas) {
  std::string page = "<html>a show player</html>", problem;
  EXPECT_FALSE(sim::DeskWithShots(page, "demo.shots", "player at 0 0 0\n", problem));
  EXPECT_EQ(page, "<html>a show player</html>");
  EXPECT_EQ(problem, "it is not an empty desk (it has no place for a shot list)");
}

TEST(DeskPage, TakesOnlyTextThatThePageReadsBackTheSame) {
  const struct {
    const char* text;
    bool utf8;
  } cases[] = {
      {"place caf\xC3\xA9 at 0 0 0", true},           // é
      {"# \xE2\x82\xAC and \xF0\x9F\x98\x80", true},  // € and an emoji
      {"# \xFF", false},                              // never in UTF-8
      {"# \xC3", false},                              // cut short at the end
      {"# \xE2\x82 x", false},                        // cut short before a space
      {"# \xC0\xAF", false},                          // overlong
      {"# \xE0\x80\xAF", false},                      // overlong
      {"# \xED\xA0\x80", false},                      // a surrogate
      {"# \xF4\x90\x80\x80", false},                  // past U+10FFFF
  };
  for (const auto& c : cases) {
    std::string page = kPage, problem;
    EXPECT_EQ(sim::DeskWithShots(page, "a.shots", c.text, problem), c.utf8) << c.text;
    if (!c.utf8) {
      EXPECT_EQ(problem, "the shot list is not UTF-8 text, which the desk needs");
    }
  }
}

}  // namespace

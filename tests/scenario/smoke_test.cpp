#include <gtest/gtest.h>

#include "rehearse.h"

namespace {

TEST(Smoke, LoadsRegistersAndUnloads) {
  const zt::Rehearsal r = zt::Rehearse("run 1\n");
  ASSERT_FALSE(r.lines.empty());
  EXPECT_EQ(r.lines.front(), R"({"t":0,"ev":"register","thread":"Brindle"})");
  EXPECT_EQ(r.lines.back(), R"({"t":1000,"ev":"unload"})");
}

}  // namespace

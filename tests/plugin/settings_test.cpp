// ped.ini: two lines taken by position, "OnOff=%d" then "ChangeMode=%d"; anything that does not
// match leaves its key at what it was.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "scene/scene.h"
#include "settings/settings.h"

namespace {

namespace fs = std::filesystem;

struct Keys {
  std::int32_t onOff;
  std::int32_t changeMode;
  bool operator==(const Keys& other) const {
    return onOff == other.onOff && changeMode == other.changeMode;
  }
};

void PrintTo(const Keys& keys, std::ostream* out) {
  *out << "OnOff " << keys.onOff << ", ChangeMode " << keys.changeMode;
}

constexpr Keys kDefaults{19, 145};

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    folder_ = fs::temp_directory_path() /
              ("zenthar-settings-test-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(folder_);
    fs::current_path(folder_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    onOffKey = kDefaultOnOffKey;
    changeModeKey = kDefaultChangeModeKey;
  }

  // Writes ped.ini with exactly these bytes (none: no file), loads it over the default keys.
  Keys Load(const std::optional<std::string>& bytes) {
    std::error_code ignored;
    fs::remove(folder_ / "ped.ini", ignored);
    if (bytes) std::ofstream(folder_ / "ped.ini", std::ios::binary) << *bytes;
    onOffKey = kDefaultOnOffKey;
    changeModeKey = kDefaultChangeModeKey;
    LoadKeySettings();
    return {onOffKey, changeModeKey};
  }

  fs::path previous_;
  fs::path folder_;
};

TEST_F(Settings, DefaultsAndWholeFiles) {
  EXPECT_EQ(Load(std::nullopt), kDefaults) << "no file";
  EXPECT_EQ(Load(""), kDefaults) << "an empty file";
  EXPECT_EQ(Load("OnOff=120\nChangeMode=121\n"), (Keys{120, 121}));
  EXPECT_EQ(Load("OnOff=120\nChangeMode=121"), (Keys{120, 121})) << "no line end at the end";
  EXPECT_EQ(Load("OnOff=120\r\nChangeMode=121\r\n"), (Keys{120, 121})) << "Windows line ends";
  EXPECT_EQ(Load("OnOff=19\nChangeMode=145\n"), kDefaults);
}

TEST_F(Settings, LinesCountByPositionNotByName) {
  EXPECT_EQ(Load("OnOff=120\n"), (Keys{120, 145})) << "only the first line";
  EXPECT_EQ(Load("ChangeMode=5\n"), kDefaults) << "the only line is not an OnOff line";
  EXPECT_EQ(Load("ChangeMode=121\nOnOff=120\n"), kDefaults) << "swapped lines";
  EXPECT_EQ(Load("\nChangeMode=121\n"), (Keys{19, 121})) << "an empty first line";
  EXPECT_EQ(Load("junk\nChangeMode=121\n"), (Keys{19, 121}))
      << "a bad first line does not stop the second";
  EXPECT_EQ(Load("OnOff=1\nChangeMode=2\nOnOff=3\nChangeMode=4\n"), (Keys{1, 2}))
      << "later lines are never read";
}

TEST_F(Settings, TheNameAndEqualsSignMustStandExactly) {
  EXPECT_EQ(Load("OnOff= 120\nChangeMode=\t121\n"), (Keys{120, 121})) << "blanks after '='";
  EXPECT_EQ(Load("OnOff =120\nChangeMode =121\n"), kDefaults) << "a blank before '='";
  EXPECT_EQ(Load(" OnOff=120\n ChangeMode=121\n"), kDefaults) << "a blank before the name";
  EXPECT_EQ(Load("onoff=120\nCHANGEMODE=121\n"), kDefaults) << "other case";
  EXPECT_EQ(Load("\xEF\xBB\xBFOnOff=120\nChangeMode=121\n"), (Keys{19, 121}))
      << "a byte-order mark spoils only the first line";
  EXPECT_EQ(Load("OnOff:120\nChangeMode121\n"), kDefaults);
}

TEST_F(Settings, TheNumberIsReadAsADecimalConversionReadsIt) {
  EXPECT_EQ(Load("OnOff=0x78\nChangeMode=0x79\n"), (Keys{0, 0})) << "hex stops at the x";
  EXPECT_EQ(Load("OnOff=0120\nChangeMode=010\n"), (Keys{120, 10})) << "never octal";
  EXPECT_EQ(Load("OnOff=120 F9 key\nChangeMode=121;F10\n"), (Keys{120, 121})) << "trailing text";
  EXPECT_EQ(Load("OnOff=-5\nChangeMode=+7\n"), (Keys{-5, 7})) << "signs; no range test";
  EXPECT_EQ(Load("OnOff=\nChangeMode=x\n"), kDefaults) << "no digits";
  EXPECT_EQ(Load("OnOff=-\nChangeMode=+\n"), kDefaults) << "a sign alone";
  EXPECT_EQ(Load("OnOff=12.9\nChangeMode=1e3\n"), (Keys{12, 1}));
}

TEST_F(Settings, NumbersOutsideThirtyTwoBitsLeaveTheDefault) {
  EXPECT_EQ(Load("OnOff=2147483647\nChangeMode=-2147483648\n"), (Keys{INT32_MAX, INT32_MIN}));
  EXPECT_EQ(Load("OnOff=2147483648\nChangeMode=-2147483649\n"), kDefaults);
  EXPECT_EQ(Load("OnOff=99999999999\nChangeMode=4294967297\n"), kDefaults);
  EXPECT_EQ(Load("OnOff=99999999999999999999999\nChangeMode=121\n"), (Keys{19, 121}))
      << "beyond even 64 bits";
  EXPECT_EQ(Load("OnOff=00000000000000000000120\nChangeMode=121\n"), (Keys{120, 121}))
      << "leading zeros do not make a number large";
}

// Loading leaves no file open: the game keeps running with the plug-in, and on Windows an open
// ped.ini could not be edited or replaced. Windows refuses to remove a file that is open, so that
// is the check there. Under wine, /proc/self/fd is the whole wine process's, whose own threads
// open and close descriptors at any time, so the count is held only on a POSIX build.
TEST_F(Settings, LoadingLeavesNoFileOpen) {
  const fs::path descriptors = "/proc/self/fd";
  const bool posix = fs::path::preferred_separator == '/';
  auto open = [&] {
    return std::distance(fs::directory_iterator(descriptors), fs::directory_iterator());
  };
  const bool counted = posix && fs::exists(descriptors);
  const auto before = counted ? open() : 0;
  for (const char* bytes : {"OnOff=120\nChangeMode=121\n", "", "junk"}) {
    Load(std::string(bytes));
    std::error_code error;
    EXPECT_TRUE(fs::remove(folder_ / "ped.ini", error))
        << "ped.ini could not be removed after loading \"" << bytes << "\": " << error.message();
    if (counted) {
      EXPECT_EQ(open(), before) << "after loading \"" << bytes << '"';
    }
  }
}

// A line is read into a 128-byte buffer: at most 127 characters. A first line of 127 characters
// or more leaves the rest of it for the second read, which then cannot match.
TEST_F(Settings, AFirstLineTooLongForTheBufferSpoilsTheSecond) {
  const std::string head = "OnOff=120";
  const std::string fits = head + std::string(126 - head.size(), ' ');  // 126 + line end
  const std::string tooLong = head + std::string(127 - head.size(), ' ');
  ASSERT_EQ(fits.size(), 126u);
  ASSERT_EQ(tooLong.size(), 127u);
  EXPECT_EQ(Load(fits + "\nChangeMode=121\n"), (Keys{120, 121})) << "line end inside the buffer";
  EXPECT_EQ(Load(tooLong + "\nChangeMode=121\n"), (Keys{120, 145}))
      << "the second read takes only the first line's end";
  EXPECT_EQ(Load(head + std::string(300, 'x') + "\nChangeMode=121\n"), (Keys{120, 145}));
  EXPECT_EQ(Load(std::string(127, ' ') + "ChangeMode=121\n"), (Keys{19, 121}))
      << "a second read that starts with the name matches, wherever it begins in the file";
}

}  // namespace

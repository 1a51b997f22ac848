// The largest film there can be, written out key by key as a scenario: 255 peds, a cue in
// every cell of 256 screens, 32 explosions a screen, every screen 1 s long.
#pragma once

#include <cstdint>
#include <string>

namespace zb {

// The seed of the largest shot list the benchmarks plan and retake.
constexpr std::uint64_t kLargestSeed = 20261208;

class FilmWriter {
 public:
  void Line(const std::string& text) { text_ += text + "\n"; }
  // Each press gets a frame of its own: one key acts per pass.
  void Press(const char* key) {
    t_ += 40;
    text_ += "at " + std::to_string(t_ / 1000) + "." + Pad(t_ % 1000) + " press " + key + "\n";
  }
  std::uint64_t t() const { return t_; }
  const std::string& text() const { return text_; }

 private:
  static std::string Pad(std::uint64_t ms) {
    std::string s = std::to_string(ms);
    return std::string(3 - s.size(), '0') + s;
  }
  std::string text_;
  std::uint64_t t_ = 0;
};

inline std::string LargestFilm() {
  FilmWriter film;
  film.Line("player at 0 0 0");
  film.Line("ped bob model 2001 at 1 0 0");
  film.Press("backslash");
  for (int slot = 0; slot < 255; ++slot) {
    film.Press("num1");
    film.Press("num+");
  }
  film.Press("scroll");
  const char* cueKeys[] = {"num1", "num2", "num7"};
  for (int screen = 0; screen < 256; ++screen) {
    film.Press("plus");
    for (int slot = 0; slot < 255; ++slot) {
      film.Press(cueKeys[slot % 3]);
      film.Press("num+");
    }
    film.Press("scroll");
    for (int id = 0; id < 32; ++id) {
      film.Press("num9");
      film.Press("pgup");
    }
    film.Press("scroll");
    film.Press("scroll");
    film.Press("num*");
  }
  film.Press("backslash");
  const std::uint64_t showSeconds = 256 * (255 / 10 + 2);
  film.Line("run " + std::to_string(film.t() / 1000 + showSeconds));
  return film.text();
}

}  // namespace zb

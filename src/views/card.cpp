#include "views/card.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "views/keys.h"
#include "views/storyboard.h"

namespace sim {

namespace {

constexpr double kWidth = 1400;
constexpr double kMargin = 40;
constexpr double kKeyColumn = 220;
constexpr double kModeColumn = (kWidth - 2 * kMargin - kKeyColumn) / 3;
constexpr double kTextSize = 15;
constexpr double kLine = 19;
constexpr double kCellPad = 10;
constexpr const char* kPedColour = "#d9822b";
constexpr const char* kNothing = "—";
// The keypad's keys and gaps, and the room between the pad and the keys beside it.
constexpr double kKeySize = 44, kKeyStep = 50, kBlockGap = 28;
constexpr double kKeypadWidth = 7 * kKeyStep + kBlockGap - 2 * (kKeyStep - kKeySize);

const char* const kModeTitles[3] = {"Mode 0: direct commands", "Mode 1: recording",
                                    "Mode 2: recording, second set"};

std::string Num(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", v);
  return text;
}

// Characters, not bytes: the table's texts hold a few dashes and arrows.
std::size_t Letters(const std::string& text) {
  std::size_t n = 0;
  for (char c : text) n += (static_cast<unsigned char>(c) & 0xc0) != 0x80 ? 1 : 0;
  return n;
}

// Lines of at most `width` pixels, by the font's average letter width.
std::vector<std::string> Wrap(const std::string& text, double width) {
  const auto fits = static_cast<std::size_t>(width / (kTextSize * 0.54));
  std::vector<std::string> lines(1);
  std::size_t from = 0;
  while (from <= text.size()) {
    std::size_t to = text.find(' ', from);
    if (to == std::string::npos) to = text.size();
    const std::string word = text.substr(from, to - from);
    std::string& line = lines.back();
    if (!line.empty() && Letters(line) + 1 + Letters(word) > fits) {
      lines.push_back(word);
    } else {
      line += (line.empty() ? "" : " ") + word;
    }
    from = to + 1;
  }
  return lines;
}

std::string Text(double x, double y, const std::string& text, const std::string& style) {
  return "<text x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" " + style + ">" + XmlEscape(text) +
         "</text>\n";
}

// The keys as the show player's keypad lays them out, the pad and beside it the other keys.
std::string Keypad(double left, double top) {
  constexpr double gap = kKeyStep - kKeySize;
  std::string svg;
  for (const DirectorKey& key : DirectorKeys()) {
    const KeyPlace& at = key.place;
    const double x =
        left + at.column * kKeyStep + (at.block == KeyBlock::beside ? 4 * kKeyStep + kBlockGap : 0);
    const double y = top + at.row * kKeyStep;
    const double w = at.width * kKeySize + (at.width - 1) * gap;
    const double h = at.height * kKeySize + (at.height - 1) * gap;
    const bool used = key.name != nullptr;
    svg += "<rect x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" width=\"" + Num(w) + "\" height=\"" +
           Num(h) + "\" rx=\"6\" fill=\"" + (used ? "#f6f6f4" : "#ffffff") + "\" stroke=\"" +
           (used ? "#777777" : "#cccccc") + "\"/>\n";
    std::string label = key.label;
    if (key.iniLine >= 0) label += std::string(": ") + key.name;
    svg += Text(x + w / 2, y + h / 2 + 6, label,
                std::string("text-anchor=\"middle\" font-size=\"") +
                    (Letters(label) > 3 ? "14" : "18") + "\" fill=\"" +
                    (used ? "#222222" : "#bbbbbb") + "\"");
    if (key.needsPed) {
      svg += "<circle cx=\"" + Num(x + w - 8) + "\" cy=\"" + Num(y + 8) + "\" r=\"4\" fill=\"" +
             kPedColour + "\"/>\n";
    }
  }
  return svg;
}

std::string Heading(const std::string& version) {
  const std::string style = "font-size=\"" + Num(kTextSize + 1) + "\" fill=\"#333333\"";
  std::string svg = Text(kMargin, 70, "Zenthar " + version + ": the keys",
                         "font-size=\"34\" font-weight=\"bold\" fill=\"#111111\"");
  const char* const lines[] = {
      "Pause turns Zenthar off and on; every other key acts only while it is on. Keep Num Lock on.",
      "Scroll Lock steps the mode: 0 direct commands → 1 recording → 2 recording, second set → 0.",
      "In modes 1 and 2 a key records a cue for the selected slot on the edit screen;",
      "\"this spot\" and \"your car\" are where you stand and the car you are in as you press it.",
      "Pause and Scroll Lock can be changed in ped.ini: README.txt says how.",
      "F9 starts and stops a take (ZentharTake.dll), F10 picks which one: both set in take.ini.",
      "Every film is autosaved in takes\\ next to the game: F10 picks it, F9 brings it back."};
  double y = 118;
  for (const char* line : lines) {
    svg += Text(kMargin, y, line, style);
    y += 27;
  }
  svg += "<circle cx=\"" + Num(kMargin + 5) + "\" cy=\"" + Num(y - 5) + "\" r=\"5\" fill=\"" +
         kPedColour + "\"/>\n";
  svg += Text(kMargin + 18, y,
              "ped: the key does nothing while the selected slot has no ped, and the next key "
              "acts instead.",
              style);
  return svg + Keypad(kWidth - kMargin - kKeypadWidth, 34);
}

// What a key does, one cell a mode, or one across the three when every mode agrees.
std::vector<std::string> Cells(const DirectorKey& key) {
  const auto text = [](const char* action) { return action != nullptr ? action : kNothing; };
  if (key.modes[0] != nullptr && std::string(key.modes[0]) == key.modes[1] &&
      std::string(key.modes[0]) == key.modes[2]) {
    return {std::string("every mode: ") + key.modes[0]};
  }
  return {text(key.modes[0]), text(key.modes[1]), text(key.modes[2])};
}

std::size_t LinesOf(const DirectorKey& key) {
  const std::vector<std::string> cells = Cells(key);
  const double width = cells.size() == 1 ? 3 * kModeColumn : kModeColumn;
  std::size_t lines = 1;
  for (const std::string& cell : cells)
    lines = std::max(lines, Wrap(cell, width - 2 * kCellPad).size());
  return lines;
}

std::string Row(const DirectorKey& key, double top, double height, bool shaded) {
  std::string svg;
  if (shaded) {
    svg += "<rect x=\"" + Num(kMargin) + "\" y=\"" + Num(top) + "\" width=\"" +
           Num(kWidth - 2 * kMargin) + "\" height=\"" + Num(height) + "\" fill=\"#f1efe9\"/>\n";
  }
  const double base = top + kCellPad + kTextSize - 2;
  svg += Text(kMargin + kCellPad, base, key.name,
              "font-size=\"" + Num(kTextSize) + "\" font-weight=\"bold\" fill=\"#111111\"");
  if (key.needsPed) {
    const double x = kMargin + kKeyColumn - 56;
    svg += "<circle cx=\"" + Num(x) + "\" cy=\"" + Num(base - 5) + "\" r=\"5\" fill=\"" +
           kPedColour + "\"/>\n";
    svg += Text(x + 9, base, "ped", "font-size=\"13\" fill=\"" + std::string(kPedColour) + "\"");
  }
  const std::vector<std::string> cells = Cells(key);
  const double width = cells.size() == 1 ? 3 * kModeColumn : kModeColumn;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const double x = kMargin + kKeyColumn + i * kModeColumn + kCellPad;
    const bool nothing = cells[i] == kNothing;
    double y = base;
    for (const std::string& line : Wrap(cells[i], width - 2 * kCellPad)) {
      svg += Text(x, y, line,
                  "font-size=\"" + Num(kTextSize) + "\" fill=\"" +
                      (nothing ? "#aaaaaa" : "#222222") + "\"");
      y += kLine;
    }
  }
  return svg;
}

std::string Table(double top, double& bottom) {
  std::string svg = "<rect x=\"" + Num(kMargin) + "\" y=\"" + Num(top) + "\" width=\"" +
                    Num(kWidth - 2 * kMargin) + "\" height=\"36\" fill=\"#333333\"/>\n";
  const std::string head =
      "font-size=\"" + Num(kTextSize) + "\" font-weight=\"bold\" fill=\"#ffffff\"";
  svg += Text(kMargin + kCellPad, top + 24, "Key", head);
  for (int mode = 0; mode < 3; ++mode) {
    svg += Text(kMargin + kKeyColumn + mode * kModeColumn + kCellPad, top + 24, kModeTitles[mode],
                head);
  }
  double y = top + 36;
  bool shaded = false;
  for (const DirectorKey& key : DirectorKeys()) {
    if (key.name == nullptr) continue;
    const double height = 2 * kCellPad + (LinesOf(key) - 1) * kLine + kTextSize;
    svg += Row(key, y, height, shaded);
    y += height;
    shaded = !shaded;
  }
  svg += "<line x1=\"" + Num(kMargin) + "\" y1=\"" + Num(y) + "\" x2=\"" + Num(kWidth - kMargin) +
         "\" y2=\"" + Num(y) + "\" stroke=\"#333333\"/>\n";
  bottom = y;
  return svg;
}

// Plain text for the readme: dashes and arrows as ASCII.
std::string Plain(std::string text) {
  const std::pair<const char*, const char*> swaps[] = {{"−", "-"}, {"–", "-"}, {"→", "->"}};
  for (const auto& [from, to] : swaps) {
    const std::string f = from;
    for (std::size_t at = text.find(f); at != std::string::npos; at = text.find(f, at)) {
      text.replace(at, f.size(), to);
    }
  }
  return text;
}

}  // namespace

std::string RenderKeysCard(const std::string& version) {
  double bottom = 0;
  const std::string table = Table(357, bottom);
  const double height = bottom + kMargin;
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(kWidth) +
                    "\" height=\"" + Num(height) + "\" viewBox=\"0 0 " + Num(kWidth) + " " +
                    Num(height) + "\" font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  return svg + Heading(version) + table + "</svg>\n";
}

std::string KeysText() {
  std::string text;
  for (const DirectorKey& key : DirectorKeys()) {
    if (key.name == nullptr) continue;
    std::string name = Plain(key.name) + (key.needsPed ? " (ped)" : "");
    name.resize(std::max<std::size_t>(name.size() + 2, 20), ' ');
    const std::vector<std::string> cells = Cells(key);
    for (std::size_t i = 0; i < cells.size(); ++i) {
      const std::string mode = cells.size() == 1 ? "" : "mode " + std::to_string(i) + ": ";
      const std::string action = cells[i] == kNothing ? "nothing" : cells[i];
      text += (i == 0 ? name : std::string(name.size(), ' ')) + Plain(mode + action) + "\n";
    }
  }
  return text;
}

}  // namespace sim

#include "views/desk_page.h"

#include "rehearsal/json.h"

namespace sim {

namespace {

// The page's script reads the shot list from a script element that holds this until it is
// filled in.
constexpr char kShotsSlot[] = "/*ZENTHAR_SHOTS*/";

// Whether `text` is UTF-8 throughout, as a page decodes it: a byte that is not would come back as
// another character, and the list would not be the one given.
bool IsUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t more = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (c < 0x80) {
      more = 0;
    } else if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      if (c == 0xE0) low = 0xA0;   // no overlong forms
      if (c == 0xED) high = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;  // nothing past U+10FFFF
    } else {
      return false;
    }
    if (more > text.size() - i - 1) return false;
    for (std::size_t k = 1; k <= more; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return false;
    }
    i += more + 1;
  }
  return true;
}

}  // namespace

bool DeskWithShots(std::string& page, const std::string& file, const std::string& text,
                   std::string& problem) {
  if (!IsUtf8(text)) {
    problem = "the shot list is not UTF-8 text, which the desk needs";
    return false;
  }
  const std::size_t at = page.find(kShotsSlot);
  if (at == std::string::npos) {
    problem = "it is not an empty desk (it has no place for a shot list)";
    return false;
  }
  std::string json = "{\"file\":" + JsonString(file) + ",\"text\":" + JsonString(text) + "}";
  // Inside a script element, "</" would end it early.
  for (std::size_t p = json.find("</"); p != std::string::npos; p = json.find("</", p + 3)) {
    json.replace(p, 2, "<\\/");
  }
  page.replace(at, sizeof kShotsSlot - 1, json);
  return true;
}

}  // namespace sim

#include "desk/request.h"

#include <cstdint>

namespace desk {

namespace {

// Nesting deeper than this is refused rather than followed down the stack.
constexpr int kDeepest = 32;

constexpr std::uint32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

class Reader {
 public:
  explicit Reader(const std::string& json) : json_(json) {}

  std::string Read(Request& out) {
    Space();
    if (Object(out)) {
      Space();
      if (at_ != json_.size()) Fail("more after the request's object");
    }
    return problem_;
  }

 private:
  bool Fail(const std::string& what) {
    problem_ = what + " at byte " + std::to_string(at_);
    return false;
  }

  void Space() {
    while (at_ < json_.size() &&
           (json_[at_] == ' ' || json_[at_] == '\t' || json_[at_] == '\n' || json_[at_] == '\r')) {
      ++at_;
    }
  }

  bool Take(char c) {
    if (at_ >= json_.size() || json_[at_] != c) return false;
    ++at_;
    return true;
  }

  bool Word(const char* word) {
    const std::string w = word;
    if (json_.compare(at_, w.size(), w) != 0) return false;
    at_ += w.size();
    return true;
  }

  // The top-level object: its fields go into `out`.
  bool Object(Request& out) {
    if (!Take('{')) return Fail("expected a JSON object");
    Space();
    if (Take('}')) return true;
    for (;;) {
      std::string name, text;
      int flag = -1;
      bool isText = false;
      Space();
      if (!String(name)) return false;
      Space();
      if (!Take(':')) return Fail("expected ':'");
      Space();
      if (!Value(1, &text, &isText, &flag)) return false;
      if (isText) out.texts[name] = text;
      if (flag >= 0) out.flags[name] = flag == 1;
      Space();
      if (Take('}')) return true;
      if (!Take(',')) return Fail("expected ',' or '}'");
    }
  }

  // Any value; a string goes to `text`, true or false to `flag`, when they are given.
  bool Value(int depth, std::string* text, bool* isText, int* flag) {
    if (depth > kDeepest) return Fail("nested too deeply");
    if (at_ < json_.size() && json_[at_] == '"') {
      std::string ignored;
      if (!String(text != nullptr ? *text : ignored)) return false;
      if (isText != nullptr) *isText = true;
      return true;
    }
    for (const int truth : {1, 0}) {
      if (!Word(truth == 1 ? "true" : "false")) continue;
      if (flag != nullptr) *flag = truth;
      return true;
    }
    if (Word("null")) return true;
    if (Take('[')) return Items(depth, ']');
    if (Take('{')) return Items(depth, '}');
    return Number();
  }

  // The rest of an array or of an object inside the request, read past.
  bool Items(int depth, char close) {
    Space();
    if (Take(close)) return true;
    for (;;) {
      Space();
      if (close == '}') {
        std::string name;
        if (!String(name)) return false;
        Space();
        if (!Take(':')) return Fail("expected ':'");
        Space();
      }
      if (!Value(depth + 1, nullptr, nullptr, nullptr)) return false;
      Space();
      if (Take(close)) return true;
      if (!Take(',')) return Fail(std::string("expected ',' or '") + close + "'");
    }
  }

  bool Digits() {
    const std::size_t start = at_;
    while (at_ < json_.size() && json_[at_] >= '0' && json_[at_] <= '9') ++at_;
    return at_ > start;
  }

  bool Number() {
    Take('-');
    if (!Digits()) return Fail("expected a value");
    if (Take('.') && !Digits()) return Fail("expected a digit");
    if (Take('e') || Take('E')) {
      if (!Take('+')) Take('-');
      if (!Digits()) return Fail("expected a digit");
    }
    return true;
  }

  // Four hex digits as their number, or -1 with the first that is none. At the end of the text,
  // json_[at_] is the string's closing zero, which is no digit.
  int Hex() {
    int code = 0;
    for (int i = 0; i < 4; ++i, ++at_) {
      const char c = json_[at_];
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) return -1;
      code = code << 4 | digit;
    }
    return code;
  }

  // \uXXXX, with a second one when the first is a high surrogate; a surrogate without its
  // partner becomes U+FFFD, as a browser's decoder makes it.
  bool Unicode(std::string& out) {
    const int code = Hex();
    if (code < 0) return Fail("bad \\u escape");
    if (code >= 0xD800 && code < 0xDC00 && json_.compare(at_, 2, "\\u") == 0) {
      const std::size_t back = at_;
      at_ += 2;
      const int low = Hex();
      if (low < 0) return Fail("bad \\u escape");
      if (low >= 0xDC00 && low < 0xE000) {
        AppendUtf8(out, 0x10000 + (static_cast<std::uint32_t>(code - 0xD800) << 10) +
                            static_cast<std::uint32_t>(low - 0xDC00));
        return true;
      }
      at_ = back;
    }
    AppendUtf8(out,
               code >= 0xD800 && code < 0xE000 ? kReplacement : static_cast<std::uint32_t>(code));
    return true;
  }

  bool Escape(std::string& out) {
    if (at_ >= json_.size()) return Fail("unfinished string");
    const char c = json_[at_++];
    switch (c) {
      case '"':
      case '\\':
      case '/':
        out += c;
        return true;
      case 'b':
        out += '\b';
        return true;
      case 'f':
        out += '\f';
        return true;
      case 'n':
        out += '\n';
        return true;
      case 'r':
        out += '\r';
        return true;
      case 't':
        out += '\t';
        return true;
      case 'u':
        return Unicode(out);
      default:
        --at_;
        return Fail(std::string("bad escape '\\") + c + "'");
    }
  }

  bool String(std::string& out) {
    if (!Take('"')) return Fail("expected a string");
    out.clear();
    for (;;) {
      if (at_ >= json_.size()) return Fail("unfinished string");
      const char c = json_[at_];
      if (c == '"') {
        ++at_;
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20) return Fail("a control character in a string");
      ++at_;
      if (c != '\\') {
        out += c;
      } else if (!Escape(out)) {
        return false;
      }
    }
  }

  const std::string& json_;
  std::size_t at_ = 0;
  std::string problem_;
};

}  // namespace

const std::string* Request::Text(const std::string& name) const {
  const auto found = texts.find(name);
  return found == texts.end() ? nullptr : &found->second;
}

bool Request::Flag(const std::string& name) const {
  const auto found = flags.find(name);
  return found != flags.end() && found->second;
}

std::string ReadRequest(const std::string& json, Request& out) {
  out = Request{};
  return Reader(json).Read(out);
}

}  // namespace desk

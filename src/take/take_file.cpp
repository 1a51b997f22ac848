#include "take/take_file.h"

#include <cstdarg>
#include <cstring>

#include "take/keys.h"

namespace take {

namespace {

constexpr int kWordSize = kLineSize;

bool Blank(char c) {
  return c == ' ' || c == '\t';
}

bool EndOfLine(char c) {
  return c == '\0' || c == '\n' || c == '\r' || c == '#';
}

bool Fail(char* problem, int size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(problem, static_cast<std::size_t>(size), format, args);
  va_end(args);
  return false;
}

// The next blank-separated word, or false at the line's end (or its comment).
bool NextWord(const char*& p, char* word) {
  while (Blank(*p)) ++p;
  if (EndOfLine(*p)) return false;
  int n = 0;
  while (!Blank(*p) && !EndOfLine(*p)) {
    if (n < kWordSize - 1) word[n++] = *p;
    ++p;
  }
  word[n] = '\0';
  return true;
}

bool AtEnd(const char* p) {
  while (Blank(*p)) ++p;
  return EndOfLine(*p);
}

// 32-bit arithmetic only: the 32-bit Windows build has no helpers for 64-bit multiplication.
bool ReadInteger(const char* text, int& value) {
  const char* p = text;
  const bool negative = *p == '-';
  if (negative) ++p;
  if (*p == '\0') return false;
  const unsigned limit = negative ? 2147483648u : 2147483647u;
  unsigned v = 0;
  for (; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    const unsigned digit = static_cast<unsigned>(*p - '0');
    if (v > (limit - digit) / 10) return false;
    v = v * 10 + digit;
  }
  value = negative ? static_cast<int>(0u - v) : static_cast<int>(v);
  return true;
}

bool Copy(char* to, int size, const char* from) {
  const std::size_t length = std::strlen(from);
  if (length >= static_cast<std::size_t>(size)) return false;
  std::memcpy(to, from, length + 1);
  return true;
}

// "X Y Z" of a place, at the end of the line.
bool ReadPlace(const char*& p, Step& step, char* word, char* problem, int size, const char* usage) {
  double* const axes[] = {&step.x, &step.y, &step.z};
  for (double* axis : axes) {
    if (!NextWord(p, word)) return Fail(problem, size, "usage: %s", usage);
    if (!ReadNumber(word, *axis)) return Fail(problem, size, "'%s' is not a number", word);
  }
  if (!AtEnd(p)) return Fail(problem, size, "usage: %s", usage);
  return true;
}

// "at X Y Z" of a place, at the end of the line.
bool ReadAtPlace(const char*& p, Step& step, char* word, char* problem, int size,
                 const char* usage) {
  if (!NextWord(p, word) || std::strcmp(word, "at") != 0) {
    return Fail(problem, size, "usage: %s", usage);
  }
  return ReadPlace(p, step, word, problem, size, usage);
}

bool ReadWhole(const char*& p, int& value, char* word, char* problem, int size, const char* usage) {
  if (!NextWord(p, word)) return Fail(problem, size, "usage: %s", usage);
  if (!ReadInteger(word, value)) return Fail(problem, size, "'%s' is not a whole number", word);
  return true;
}

bool ReadName(const char*& p, Step& step, char* word, char* problem, int size, const char* usage) {
  if (!NextWord(p, word)) return Fail(problem, size, "usage: %s", usage);
  if (!Copy(step.name, kNameSize, word)) {
    return Fail(problem, size, "the name '%s' is longer than %d characters", word, kNameSize - 1);
  }
  return true;
}

bool ReadCar(const char*& p, Step& step, char* word, char* problem, int size) {
  const char* usage = "car NAME model M at X Y Z";
  if (!ReadName(p, step, word, problem, size, usage)) return false;
  if (!NextWord(p, word) || std::strcmp(word, "model") != 0) {
    return Fail(problem, size, "usage: %s", usage);
  }
  if (!ReadWhole(p, step.value, word, problem, size, usage)) return false;
  return ReadAtPlace(p, step, word, problem, size, usage);
}

// press KEY "MESSAGE": the message is quoted, since the plug-in's messages have blanks in them.
// From version 2 on a key may show nothing: press KEY.
bool ReadPress(const char*& p, Step& step, int version, char* word, char* problem, int size) {
  const char* usage =
      version >= kAutosaveVersion ? "press KEY [\"MESSAGE\"]" : "press KEY \"MESSAGE\"";
  if (!NextWord(p, word)) return Fail(problem, size, "usage: %s", usage);
  step.value = KeyCode(word);
  if (step.value < 0) return Fail(problem, size, "unknown key '%s'", word);
  while (Blank(*p)) ++p;
  if (version >= kAutosaveVersion && AtEnd(p)) {
    step.quiet = true;
    return true;
  }
  if (*p != '"') return Fail(problem, size, "usage: %s", usage);
  const char* text = ++p;
  while (*p != '"' && *p != '\0' && *p != '\n' && *p != '\r') ++p;
  if (*p != '"') return Fail(problem, size, "the message has no closing quote");
  const int length = static_cast<int>(p - text);
  if (length >= kTextSize) {
    return Fail(problem, size, "the message is longer than %d characters", kTextSize - 1);
  }
  std::memcpy(step.text, text, static_cast<std::size_t>(length));
  step.text[length] = '\0';
  ++p;
  if (!AtEnd(p)) return Fail(problem, size, "usage: %s", usage);
  return true;
}

bool ReadStep(const char* p, const char* what, int version, Step& step, char* word, char* problem,
              int size) {
  if (std::strcmp(what, "weapon") == 0) {
    step.kind = StepKind::weapon;
    if (!ReadWhole(p, step.value, word, problem, size, "weapon W")) return false;
  } else if (std::strcmp(what, "car") == 0) {
    step.kind = StepKind::car;
    return ReadCar(p, step, word, problem, size);
  } else if (std::strcmp(what, "move") == 0) {
    step.kind = StepKind::move;
    return ReadPlace(p, step, word, problem, size, "move X Y Z");
  } else if (std::strcmp(what, "enter") == 0) {
    step.kind = StepKind::enter;
    if (!ReadName(p, step, word, problem, size, "enter NAME")) return false;
  } else if (std::strcmp(what, "leave") == 0) {
    step.kind = StepKind::leave;
    return ReadAtPlace(p, step, word, problem, size, "leave at X Y Z");
  } else if (std::strcmp(what, "park") == 0 && version >= kAutosaveVersion) {
    step.kind = StepKind::park;
    const char* usage = "park NAME at X Y Z";
    return ReadName(p, step, word, problem, size, usage) &&
           ReadAtPlace(p, step, word, problem, size, usage);
  } else if (std::strcmp(what, "capture") == 0) {
    step.kind = StepKind::capture;
    if (!ReadWhole(p, step.value, word, problem, size, "capture M")) return false;
  } else if (std::strcmp(what, "press") == 0) {
    step.kind = StepKind::press;
    return ReadPress(p, step, version, word, problem, size);
  } else {
    return Fail(problem, size, "unknown step '%s'", what);
  }
  if (!AtEnd(p)) return Fail(problem, size, "text after the step");
  return true;
}

enum class LineFault { none, tooLong, control };

// Where lines come from: a file, or text in memory.
struct Source {
  std::FILE* file;
  const char* text;
  std::size_t size, at;
};

int Next(Source& source) {
  if (source.file != nullptr) return std::fgetc(source.file);
  return source.at < source.size ? static_cast<unsigned char>(source.text[source.at++]) : EOF;
}

// Reads the next line, without its end, into `text`; false at the end of the file. A line too
// long for the buffer is read to its end all the same, so the next line is the next one. `ended`
// says whether the line had its line end: only the file's last line can lack one.
bool NextLine(Source& source, char* text, LineFault& fault, bool& ended) {
  int c = Next(source);
  if (c == EOF) return false;
  int n = 0;
  fault = LineFault::none;
  for (; c != EOF && c != '\n'; c = Next(source)) {
    if (c < ' ' && c != '\t' && c != '\r') fault = LineFault::control;
    if (n < kLineSize - 1) {
      text[n++] = static_cast<char>(c);
    } else if (fault == LineFault::none) {
      fault = LineFault::tooLong;
    }
  }
  text[n] = '\0';
  ended = c == '\n';
  return true;
}

bool Staged(const char names[][kNameSize], int count, const char* name) {
  for (int i = 0; i < count; ++i) {
    if (std::strcmp(names[i], name) == 0) return true;
  }
  return false;
}

void NoteModel(Summary& summary, int model) {
  for (int i = 0; i < summary.modelCount; ++i) {
    if (summary.models[i] == model) return;
  }
  if (summary.modelCount < kModels) summary.models[summary.modelCount++] = model;
}

// What a step must agree with in the steps above it.
bool CheckStep(const Step& step, char names[][kNameSize], int& cars, Summary& summary,
               char* problem, int size) {
  if (step.kind == StepKind::car) {
    if (Staged(names, cars, step.name)) {
      return Fail(problem, size, "a car named '%s' is staged already", step.name);
    }
    if (cars == kCars) return Fail(problem, size, "more than %d cars", kCars);
    Copy(names[cars++], kNameSize, step.name);
  }
  if ((step.kind == StepKind::enter || step.kind == StepKind::park) &&
      !Staged(names, cars, step.name)) {
    return Fail(problem, size, "no car named '%s' is staged above", step.name);
  }
  if (step.kind == StepKind::car || step.kind == StepKind::capture) NoteModel(summary, step.value);
  if (step.kind != StepKind::none) ++summary.steps;
  if (step.kind == StepKind::press || step.kind == StepKind::capture) ++summary.keys;
  return true;
}

}  // namespace

int KeyCode(const char* name) {
  for (const KeyNameRow& row : kKeyNames) {
    if (std::strcmp(name, row.name) == 0) return row.code;
  }
  int code = -1;
  if (std::strncmp(name, "vk:", 3) == 0 && ReadInteger(name + 3, code) && code >= 0 &&
      code <= 255 && name[3] != '-') {
    return code;
  }
  return -1;
}

bool ReadNumber(const char* text, double& value) {
  const char* p = text;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  // Up to 17 significant digits are kept exactly in a double's 53 bits; later ones are dropped.
  double mantissa = 0.0;
  int digits = 0, significant = 0, scale = 0;
  bool point = false;
  for (; *p != '\0'; ++p) {
    if (*p == '.' && !point) {
      point = true;
      continue;
    }
    if (*p < '0' || *p > '9') return false;
    ++digits;
    if (significant < 17) {
      mantissa = mantissa * 10.0 + (*p - '0');
      if (mantissa != 0.0) ++significant;
      if (point) ++scale;
    } else if (!point) {
      --scale;
    }
  }
  if (digits == 0) return false;
  double ten = 1.0;
  for (int i = 0; i < (scale < 0 ? -scale : scale); ++i) ten *= 10.0;
  value = scale < 0 ? mantissa * ten : mantissa / ten;
  if (negative) value = -value;
  return true;
}

bool ReadHeader(const char* line, int& version, char* problem, int problemSize) {
  const char* p = line;
  char word[kWordSize];
  if (!NextWord(p, word) || std::strcmp(word, "zenthar-take") != 0 || !NextWord(p, word) ||
      !ReadInteger(word, version) || !AtEnd(p)) {
    return Fail(problem, problemSize, "not a take: the first line must be 'zenthar-take %d'",
                kTakeVersion);
  }
  if (version < kTakeVersion || version > kAutosaveVersion) {
    return Fail(problem, problemSize, "a take of version %d; this runner reads versions %d and %d",
                version, kTakeVersion, kAutosaveVersion);
  }
  return true;
}

bool ReadLine(const char* line, int version, Step& step, char* problem, int problemSize) {
  std::memset(&step, 0, sizeof step);
  const char* p = line;
  char what[kWordSize];
  if (!NextWord(p, what)) return true;
  char word[kWordSize];
  return ReadStep(p, what, version, step, word, problem, problemSize);
}

namespace {

bool Check(Source& file, Summary& summary, int& line, char* problem, int problemSize) {
  std::memset(&summary, 0, sizeof summary);
  char names[kCars][kNameSize];
  int cars = 0;
  char text[kLineSize];
  LineFault fault = LineFault::none;
  bool ended = true;
  line = 1;
  if (!NextLine(file, text, fault, ended)) return Fail(problem, problemSize, "the file is empty");
  if (!ReadHeader(text, summary.version, problem, problemSize)) return false;
  while (NextLine(file, text, fault, ended)) {
    ++line;
    // An autosave writes whole lines; a last one without its end is what a crash left of it.
    if (!ended && summary.version >= kAutosaveVersion) {
      summary.tornLine = line;
      break;
    }
    if (fault == LineFault::tooLong) {
      return Fail(problem, problemSize, "the line is longer than %d characters", kLineSize - 1);
    }
    if (fault == LineFault::control) {
      return Fail(problem, problemSize, "the line holds a control character");
    }
    Step step;
    if (!ReadLine(text, summary.version, step, problem, problemSize)) return false;
    if (!CheckStep(step, names, cars, summary, problem, problemSize)) return false;
    summary.lastLine = line;
  }
  return true;
}

}  // namespace

bool CheckTake(std::FILE* file, Summary& summary, int& line, char* problem, int problemSize) {
  Source source{file, nullptr, 0, 0};
  return Check(source, summary, line, problem, problemSize);
}

bool CheckTakeText(const char* text, std::size_t size, Summary& summary, int& line, char* problem,
                   int problemSize) {
  Source source{nullptr, text, size, 0};
  return Check(source, summary, line, problem, problemSize);
}

bool SkipHeader(std::FILE* file) {
  Source source{file, nullptr, 0, 0};
  char text[kLineSize];
  LineFault fault = LineFault::none;
  bool ended = true;
  return NextLine(source, text, fault, ended);
}

bool NextStep(std::FILE* file, const Summary& summary, int& line, Step& step) {
  Source source{file, nullptr, 0, 0};
  char text[kLineSize];
  char problem[kProblemSize];
  LineFault fault = LineFault::none;
  bool ended = true;
  while (line < summary.lastLine && NextLine(source, text, fault, ended)) {
    ++line;
    if (ReadLine(text, summary.version, step, problem, kProblemSize) &&
        step.kind != StepKind::none) {
      return true;
    }
  }
  return false;
}

}  // namespace take

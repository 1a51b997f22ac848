// The take file: the steps that record a film in the running game, one a line, after a first
// line "zenthar-take 1" or "zenthar-take 2". `#` starts a comment. Places are relative to where
// the player stands when the take starts.
//
//   weapon W                      give the player weapon W and hold it
//   car NAME model M at X Y Z     stage a car
//   move X Y Z                    set the player down at a place
//   enter NAME                    put the player into a staged car, at the wheel
//   leave at X Y Z                take the player out of the car, to a place
//   capture M                     a ped of model M beside the player, whose model the plug-in's
//                                 capture key takes; the ped is deleted once it is taken
//   press KEY "MESSAGE"           press KEY; the plug-in must show MESSAGE
//   press KEY                     (version 2) press KEY; the plug-in must take it and show nothing
//   park NAME at X Y Z            (version 2) set a staged car down at a place, with whoever sits
//                                 in it: where it stood when a show was played
//
// Planned takes are version 1. Autosaves are version 2, written a whole line at a time, so a last
// line without its line end is one a crash cut off: it is left out, and everything above it
// performs.
//
// The reader works a line at a time in fixed storage, so the runner can check a whole file and
// then stream it without a heap.
#pragma once

#include <cstddef>
#include <cstdio>

namespace take {

constexpr int kTakeVersion = 1;      // planned takes: every press names its message
constexpr int kAutosaveVersion = 2;  // presses may show nothing; a last line may be torn
constexpr int kLineSize = 256;       // a line with its end and the terminator
constexpr int kTextSize = 128;       // a message with its terminator, as the plug-in's buffer
constexpr int kNameSize = 24;        // a staged car's name with its terminator
constexpr int kProblemSize = 128;    // a problem's text with its terminator
constexpr int kCars = 32;            // staged cars a take may have
constexpr int kModels = 32;          // models a take requests before it needs them

enum class StepKind { none, weapon, car, move, enter, leave, capture, press, park };

struct Step {
  StepKind kind;
  int value;             // the weapon, the model (car, capture) or the key code (press)
  double x, y, z;        // relative to where the take starts
  char name[kNameSize];  // car, enter, park
  char text[kTextSize];  // press: the message the key must show
  bool quiet;            // press: the key shows nothing
};

// What checking a whole take found.
struct Summary {
  int version;
  int steps;
  int keys;  // presses and captures
  int models[kModels];
  int modelCount;  // distinct models of cars and captures, up to kModels of them
  int lastLine;    // the last line that performs
  int tornLine;    // the line a crash cut off, left out; 0 when there is none
};

// Reads a line of a take of `version` (its end may still be on it). True with kind none for a
// blank or comment line; false with the problem otherwise.
bool ReadLine(const char* line, int version, Step& step, char* problem, int problemSize);
bool ReadHeader(const char* line, int& version, char* problem, int problemSize);

// A place's number as a take writes it: decimal, with an optional sign and fraction.
bool ReadNumber(const char* text, double& value);

// Reads a whole take from its start: every line must read, every car entered must be staged
// above, names must be unique. False with the line and the problem of the first fault.
bool CheckTake(std::FILE* file, Summary& summary, int& line, char* problem, int problemSize);
// The same check of a take held in memory.
bool CheckTakeText(const char* text, std::size_t size, Summary& summary, int& line, char* problem,
                   int problemSize);

// Reads past the first line, the header, whatever its length; false when there is none.
bool SkipHeader(std::FILE* file);

// The next step of a checked take whose header has been read, skipping blank and comment lines;
// false after the summary's last line. `line` counts the lines read.
bool NextStep(std::FILE* file, const Summary& summary, int& line, Step& step);

// The key code of a key name, or -1.
int KeyCode(const char* name);

}  // namespace take

// The take file: the steps that record a planned film in the running game, one a line, after a
// first line "zenthar-take 1". `#` starts a comment. Places are relative to where the player
// stands when the take starts.
//
//   weapon W                      give the player weapon W and hold it
//   car NAME model M at X Y Z     stage a car
//   move X Y Z                    set the player down at a place
//   enter NAME                    put the player into a staged car, at the wheel
//   leave at X Y Z                take the player out of the car, to a place
//   capture M                     a ped of model M beside the player, whose model the plug-in's
//                                 capture key takes; the ped is deleted once it is taken
//   press KEY "MESSAGE"           press KEY; the plug-in must show MESSAGE
//
// The reader works a line at a time in fixed storage, so the runner can check a whole file and
// then stream it without a heap.
#pragma once

#include <cstdio>

namespace take {

constexpr int kTakeVersion = 1;
constexpr int kLineSize = 256;     // a line with its end and the terminator
constexpr int kTextSize = 128;     // a message with its terminator, as the plug-in's buffer
constexpr int kNameSize = 24;      // a staged car's name with its terminator
constexpr int kProblemSize = 128;  // a problem's text with its terminator
constexpr int kCars = 32;          // staged cars a take may have
constexpr int kModels = 32;        // models a take requests before it needs them

enum class StepKind { none, weapon, car, move, enter, leave, capture, press };

struct Step {
  StepKind kind;
  int value;             // the weapon, the model (car, capture) or the key code (press)
  double x, y, z;        // relative to where the take starts
  char name[kNameSize];  // car, enter
  char text[kTextSize];  // press: the message the key must show
};

// What checking a whole take found.
struct Summary {
  int steps;
  int keys;  // presses and captures
  int models[kModels];
  int modelCount;  // distinct models of cars and captures, up to kModels of them
};

// Reads a line (its end may still be on it). True with kind none for a blank or comment line;
// false with the problem otherwise.
bool ReadLine(const char* line, Step& step, char* problem, int problemSize);
bool ReadHeader(const char* line, char* problem, int problemSize);

// A place's number as a take writes it: decimal, with an optional sign and fraction.
bool ReadNumber(const char* text, double& value);

// Reads a whole take from its start: every line must read, every car entered must be staged
// above, names must be unique. False with the line and the problem of the first fault.
bool CheckTake(std::FILE* file, Summary& summary, int& line, char* problem, int problemSize);

// The next step of a take whose header has been read, skipping blank and comment lines; false
// at the end. `line` counts the lines read.
bool NextStep(std::FILE* file, int& line, Step& step);

// The key code of a key name, or -1.
int KeyCode(const char* name);

}  // namespace take

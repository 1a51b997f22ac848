#include "director/director.h"

#include <windows.h>

#include <cstdint>

#include "director/commands.h"
#include "director/message.h"
#include "director/recording.h"
#include "natives/natives.h"
#include "playback/playback.h"
#include "scene/scene.h"

namespace {

// Virtual-key codes of the fixed hot keys.
constexpr int kPlayKey = 220;  // OEM key, backslash on a US layout
constexpr int kKeypad0 = 96;
constexpr int kKeypad1 = 97;
constexpr int kKeypad2 = 98;
constexpr int kKeypad3 = 99;
constexpr int kKeypad4 = 100;
constexpr int kKeypad5 = 101;
constexpr int kKeypad6 = 102;
constexpr int kKeypad7 = 103;
constexpr int kKeypad8 = 104;
constexpr int kKeypad9 = 105;
constexpr int kKeypadMultiply = 106;
constexpr int kKeypadPlus = 107;
constexpr int kKeypadMinus = 109;
constexpr int kKeypadDecimal = 110;
constexpr int kKeypadDivide = 111;
constexpr int kPageUp = 33;
constexpr int kPageDown = 34;
constexpr int kMainPlus = 187;
constexpr int kMainMinus = 189;

// Keypad keys in chain order, each with its direct command and what it records in modes 1, 2.
struct CommandKey {
  int key;
  bool needsPed;
  void (*direct)();
  Recording screenMode1;
  Recording screenMode2;
};

constexpr CommandKey kCommandKeys[] = {
    {kKeypad1, false, CreatePed,
     RecordCue(actionUsePhone, CueSource::none, "Ped %d will been USE PHOME at screen %d"),
     RecordCue(actionAimAtPosition, CueSource::position,
               "Ped %d will been AIM TO THIS POS at screen %d")},
    {kKeypad2, false, SavePosition,
     RecordCue(actionStopPhone, CueSource::none, "Ped %d will been NOT USE PHOME at screen %d"),
     RecordCue(actionAimAtPed, CueSource::target, "Ped %d will been AIM TO PED %d at screen %d")},
    {kKeypad3, true, SendToSavedPosition,
     RecordCue(actionGoToPosition, CueSource::position,
               "Ped %d will been GO TO THIS POS at screen %d"),
     RecordCue(actionExplodeCar, CueSource::car, "Ped %d will been EXPLODE THIS CAR at screen %d")},
    {kKeypad5, true, HandsUp,
     RecordCue(actionHandsUp, CueSource::none, "Ped %d will been HANDS UP at screen %d"),
     RecordCue(actionLookAtPosition, CueSource::position,
               "Ped %d will been LOOK TO THIS POS at screen %d")},
    {kKeypadDecimal, true, DeletePed,
     RecordCue(actionDie, CueSource::none, "Ped %d will been DIE at screen %d"),
     RecordCue(actionCatchFire, CueSource::none, "Ped %d will been FIRE at screen %d")},
    {kKeypad7, false, SaveCar,
     RecordCue(actionSoundHorn, CueSource::none, "Ped %d will been SOUND HORN at screen %d"),
     RecordExplosion(explosionFire, "This been FIRE EXPLODE #%d at screen %d")},
    {kKeypad8, false, CombatPlayer,
     RecordCue(actionCombat, CueSource::target, "Ped %d will been COMBAT %d at screen %d"),
     RecordExplosion(explosionRocket, "This been ROCKET EXPLODE #%d at screen %d")},
    {kKeypad9, false, EnterSavedCarAsDriver,
     RecordCue(actionEnterAsDriver, CueSource::car, "Ped %d will been SEAT AS DRIVER at screen %d"),
     RecordExplosion(explosionGrenade, "This been GRENADE EXPLODE #%d at screen %d")},
    {kKeypad6, true, EnterSavedCarAsPassenger,
     RecordCue(actionEnterAsPassenger, CueSource::car,
               "Ped %d will been SEAT AS PASSENGER at screen %d"),
     RecordCue(actionLookAtCar, CueSource::car, "Ped %d will been LOOK TO THIS CAR at screen %d")},
    {kKeypad4, true, GivePlayerWeapon,
     RecordCue(actionSwapWeapon, CueSource::weapon,
               "Ped %d will been SWAP TO THIS GUN at screen %d"),
     RecordCue(actionLookAtPed, CueSource::target, "Ped %d will been LOOK TO PED %d at screen %d")},
    {kKeypad0, true, LeaveCar,
     RecordCue(actionLeaveCar, CueSource::none, "Ped %d will been EXIT FROM CAR at screen %d"),
     RecordCue(actionFire, CueSource::none, "Ped %d will been FIRE FROM GUN at screen %d")},
};

// A key counts as pressed when it was pressed since the previous query; the query clears that.
bool KeyFired(int key) {
  return (GetAsyncKeyState(key) & 1) != 0;
}

bool SelectedPedExists() {
  return DOES_CHAR_EXIST(pedHandle[selectedPed]);
}

void PlayKey() {
  if (screenMode == 0) {
    CaptureModel();
  } else if (screenMode == 1 || screenMode == 2) {
    StartPlayback();
  }
}

void RunCommandKey(const CommandKey& key) {
  if (screenMode == 0) {
    key.direct();
  } else if (screenMode == 1) {
    Record(key.screenMode1);
  } else if (screenMode == 2) {
    Record(key.screenMode2);
  }
}

// Steps value by delta inside [low, high], jumping to the other end when it leaves the range.
std::int32_t Wrap(std::int32_t value, int delta, std::int32_t low, std::int32_t high) {
  const std::int32_t next = value + delta;
  if (next > high) return low;
  if (next < low) return high;
  return next;
}

void StepPedSlot(int delta) {
  selectedPed = Wrap(selectedPed, delta, 0, kPedSlots - 1);
  ShowMessage("ID changed to %d", selectedPed);
}

void StepEditScreen(int delta) {
  editScreen = Wrap(editScreen, delta, 0, kScreens - 1);
  ShowMessage("Screen changed to %d", editScreen);
}

// Page Up and Page Down: the cue's seat in mode 1, the explosion id in mode 2.
void StepSeatOrExplosion(int delta) {
  if (screenMode == 1) {
    std::int32_t& seat = cueSeat[editScreen][selectedPed];
    seat = Wrap(seat, delta, 0, kSeats - 1);
    ShowMessage("SeatID changed to %d", seat);
  } else if (screenMode == 2) {
    selectedExplosion = Wrap(selectedExplosion, delta, 0, kExplosionIds - 1);
    ShowMessage("ExpID changed to %d", selectedExplosion);
  }
}

// Main-keyboard - and +: the edit screen's duration in mode 1, the target ped in mode 2. A
// duration never drops below one second; it saturates rather than overflows at the top.
void StepDurationOrTarget(int delta) {
  if (screenMode == 1) {
    std::int32_t& duration = screenDuration[editScreen];
    if (delta > 0) {
      if (duration < INT32_MAX) duration = duration + 1;
    } else {
      duration = duration - 1 <= 0 ? 1 : duration - 1;
    }
    ShowMessage("Screen do time changed to %d", duration);
  } else if (screenMode == 2) {
    targetPed = Wrap(targetPed, delta, -1, kPedSlots - 1);
    ShowMessage("Selected ped changed to %d", targetPed);
  }
}

void NextScreenMode() {
  if (screenMode == 0) {
    screenMode = 1;
    ShowMessage("Screen mode");
  } else if (screenMode == 1) {
    screenMode = 2;
    ShowMessage("Screen mode 2");
  } else if (screenMode == 2) {
    screenMode = 0;
    ShowMessage("Screen mode off");
  }
}

void ToggleKeys() {
  if (keysOff == 1) {
    keysOff = 0;
    ShowMessage("Zenthar is on");
  } else {
    keysOff = 1;
    ShowMessage("Zenthar is off");
  }
}

}  // namespace

void RunKeyChain() {
  if (KeyFired(kPlayKey) && keysOff == 0) return PlayKey();
  for (const CommandKey& key : kCommandKeys) {
    if (KeyFired(key.key) && (!key.needsPed || SelectedPedExists()) && keysOff == 0) {
      return RunCommandKey(key);
    }
  }
  if (KeyFired(kKeypadPlus) && keysOff == 0) return StepPedSlot(+1);
  if (KeyFired(kKeypadMinus) && keysOff == 0) return StepPedSlot(-1);
  if (KeyFired(kKeypadMultiply) && keysOff == 0) return StepEditScreen(+1);
  if (KeyFired(kKeypadDivide) && keysOff == 0) return StepEditScreen(-1);
  if (KeyFired(kPageUp) && keysOff == 0) return StepSeatOrExplosion(+1);
  if (KeyFired(kPageDown) && keysOff == 0) return StepSeatOrExplosion(-1);
  if (KeyFired(kMainMinus) && keysOff == 0) return StepDurationOrTarget(-1);
  if (KeyFired(kMainPlus) && keysOff == 0) return StepDurationOrTarget(+1);
  if (KeyFired(changeModeKey) && keysOff == 0) return NextScreenMode();
  if (KeyFired(onOffKey)) return ToggleKeys();
}

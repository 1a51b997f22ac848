#include "director/recording.h"

#include "director/message.h"
#include "natives/natives.h"
#include "scene/scene.h"

namespace {

void RecordCueFor(const Recording& recording) {
  const int s = editScreen;
  const int p = selectedPed;
  cueAction[s][p] = recording.value;
  switch (recording.source) {
    case CueSource::none:
      break;
    case CueSource::position:
      GET_CHAR_COORDINATES(PlayerPed(), &cueX[s][p], &cueY[s][p], &cueZ[s][p]);
      break;
    case CueSource::target:
      // A negative target names the player; a slot's handle is stored whatever it holds.
      cueTarget[s][p] = targetPed < 0 ? PlayerPed() : pedHandle[targetPed];
      break;
    case CueSource::car:
      cueCar[s][p] = CarInUse(PlayerPed());
      break;
    case CueSource::weapon:
      GET_CURRENT_CHAR_WEAPON(PlayerPed(), &cueWeapon[s][p]);
      break;
  }
  if (recording.source == CueSource::target) {
    ShowMessage(recording.message, selectedPed, targetPed, editScreen);
  } else {
    ShowMessage(recording.message, selectedPed, editScreen);
  }
}

void RecordExplosionFor(const Recording& recording) {
  const int s = editScreen;
  const int e = selectedExplosion;
  explosionKind[s][e] = recording.value;
  explosionSet[s][e] = 1;
  GET_CHAR_COORDINATES(PlayerPed(), &explosionX[s][e], &explosionY[s][e], &explosionZ[s][e]);
  ShowMessage(recording.message, selectedExplosion, editScreen);
  if (explosionCount <= selectedExplosion) explosionCount = selectedExplosion + 1;
}

}  // namespace

void Record(const Recording& recording) {
  if (recording.explosion) {
    RecordExplosionFor(recording);
  } else {
    RecordCueFor(recording);
  }
}

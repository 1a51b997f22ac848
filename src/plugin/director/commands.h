#pragma once

// Direct commands of screen mode 0. Each acts at once on the selected ped, the player or the
// saved car, shows one message when it succeeds and nothing when its precondition fails.
void CaptureModel();
void CreatePed();
void SavePosition();
void SendToSavedPosition();
void HandsUp();
void DeletePed();
void SaveCar();
void CombatPlayer();
void EnterSavedCarAsDriver();
void EnterSavedCarAsPassenger();
void GivePlayerWeapon();
void LeaveCar();

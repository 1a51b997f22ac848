#pragma once

// Reads the on/off and mode key codes from "ped.ini" in the current folder, once, at load.
void LoadKeySettings();

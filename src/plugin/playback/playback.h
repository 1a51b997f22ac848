#pragma once

// Plays the next screen of a running show when it is due. First thing in every pass.
void TickPlayback();
// Starts a show at screen 0 unless one is running.
void StartPlayback();
// Plays screen playScreen: every slot's cue, the screen's explosions, then schedules the next.
void PlayScreenStep();

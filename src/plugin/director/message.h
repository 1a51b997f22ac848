#pragma once

// Formats a message with printf-style %d fields and shows it on the game screen.
void ShowMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

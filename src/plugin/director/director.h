#pragma once

// Polls the hot keys in chain order and acts on the first one whose conditions hold.
void RunKeyChain();

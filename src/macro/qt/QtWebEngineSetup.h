#pragma once

// What the browser engine needs before the application object exists: shared OpenGL contexts,
// and, for a process run as root (where the engine refuses its sandbox), the sandbox off.
// Quiets the engine's start-up chatter.
void PrepareWebEngine();

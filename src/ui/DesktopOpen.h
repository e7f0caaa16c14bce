#pragma once

// Hands a document or a web address to the desktop's program for it (xdg-open, of the Debian
// package xdg-utils), and says why when that fails: the file is missing, the opener is not
// installed, or the opener's own error.

#include <string>

// Opens a file of this computer. `failure` starts the message shown when it cannot be opened
// ("Unable to open ..."); the cause follows on its own line. The opener runs on after a
// successful start; a failure it reports later is shown then.
void OpenDocumentWithDesktop(const std::string &path, const std::string &failure);
// Opens a web address the same way.
void OpenAddressWithDesktop(const std::string &address, const std::string &failure);

// Why xdg-open ended with this exit status, in words.
std::string DesktopOpenerFailure(int exitCode, const std::string &errorOutput);

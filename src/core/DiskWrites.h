#pragma once

// Every change the program makes to its data and settings files (a write, a flush, a rename, a
// shortened file) passes here first. The tests that stop the program at each disk write of a
// save in turn watch it; in the program nothing watches.

#include <string>
#include <string_view>

using DiskWriteProbe = void (*)();

// Installs the watcher (nullptr: none) and gives back the one installed before.
DiskWriteProbe SetDiskWriteProbe(DiskWriteProbe probe);
// Called right before each change reaches the operating system.
void BeforeDiskWrite();

// Replaces the file at `path` by `bytes` wholly or not at all: written to a temporary file of its
// own beside it (two programs may write the same file), on disk before it is renamed over the
// old file (whose permissions it keeps), and the rename on disk before this returns. Raises
// std::system_error with the system's reason; the old file is then as it was.
void ReplaceFileDurably(const std::string &path, std::string_view bytes);

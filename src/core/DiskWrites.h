#pragma once

// Every change the program makes to its data and settings files (a write, a flush, a rename, a
// shortened file) passes here first. The tests that stop the program at each disk write of a
// save in turn watch it; in the program nothing watches.

using DiskWriteProbe = void (*)();

// Installs the watcher (nullptr: none) and gives back the one installed before.
DiskWriteProbe SetDiskWriteProbe(DiskWriteProbe probe);
// Called right before each change reaches the operating system.
void BeforeDiskWrite();

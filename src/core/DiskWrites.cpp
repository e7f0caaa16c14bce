#include "core/DiskWrites.h"

#include <utility>

namespace {

DiskWriteProbe g_probe = nullptr;

} // namespace

DiskWriteProbe SetDiskWriteProbe(DiskWriteProbe probe)
{
    return std::exchange(g_probe, probe);
}

void BeforeDiskWrite()
{
    if (g_probe != nullptr) {
        g_probe();
    }
}

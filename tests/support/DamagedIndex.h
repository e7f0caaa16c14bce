#pragma once

// The ways a production index (MDX) is found damaged, for the tests of its repair: lost, cut
// short, emptied, overwritten, with an impossible key length or a key on a field the table
// lacks (both in the first tag's header, page 4), or cut inside its tree.

#include <functional>
#include <string>
#include <vector>

struct TIndexDamage
{
    std::string What;
    std::function<void(const std::string &indexPath)> Apply;
};

std::vector<TIndexDamage> IndexDamages();

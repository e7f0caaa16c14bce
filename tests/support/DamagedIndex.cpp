#include "support/DamagedIndex.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

namespace {

std::string Read(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void Patch(const std::string &path, size_t offset, const std::string &bytes)
{
    std::string all = Read(path);
    all.replace(offset, bytes.size(), bytes);
    Write(path, all);
}

constexpr size_t kFirstTagHeader = 4 * 512;

} // namespace

std::vector<TIndexDamage> IndexDamages()
{
    return {
        {"missing", [](const std::string &index) { std::remove(index.c_str()); }},
        {"cut inside its header",
         [](const std::string &index) { Write(index, Read(index).substr(0, 1500)); }},
        {"empty", [](const std::string &index) { Write(index, ""); }},
        {"garbage",
         [](const std::string &index) {
             std::string bytes = Read(index);
             std::mt19937 random(5);
             for (char &c : bytes) {
                 c = static_cast<char>(random() & 0xFF);
             }
             Write(index, bytes);
         }},
        // Key length 200 (little-endian), beyond the 100 a character key may have.
        {"an impossible key length",
         [](const std::string &index) {
             Patch(index, kFirstTagHeader + 12, std::string("\xC8\x00", 2));
         }},
        {"a key on a field the table lacks",
         [](const std::string &index) {
             Patch(index, kFirstTagHeader + 24, std::string("NOSUCH\0", 7));
         }},
        {"cut inside its tree",
         [](const std::string &index) {
             const std::string bytes = Read(index);
             Write(index, bytes.substr(0, bytes.size() / 2));
         }},
    };
}

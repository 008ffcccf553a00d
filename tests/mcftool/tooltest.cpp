// The mcftool tests' hand-made inputs: a PE file around a payload, noise,
// a container written without mcftool.
#include "tooltest.h"

#include <string.h>

#include "container.h"
#include "encoder.h"

Bytes MakePe(const Bytes &payload, const char *type)
{
    const uint32_t kRaw = 0x200, kRva = 0x1000;
    Bytes pe(kRaw + 0x200 + payload.size(), 0);
    pe[0] = 'M';
    pe[1] = 'Z';
    Put32(&pe, 0x3C, 0x40);
    memcpy(&pe[0x40], "PE\0\0", 4);
    Put16(&pe, 0x44, 0x14C); // i386
    Put16(&pe, 0x46, 1);     // one section
    Put16(&pe, 0x54, 224);   // optional header size
    const size_t opt = 0x58;
    Put16(&pe, opt, 0x10B);
    Put32(&pe, opt + 92, 16);
    // The resource directory: address and size (set below).
    const size_t sec = opt + 224;
    memcpy(&pe[sec], ".rsrc", 5);
    Put32(&pe, sec + 12, kRva);
    Put32(&pe, sec + 16, (uint32_t)(pe.size() - kRaw));
    Put32(&pe, sec + 20, kRaw);
    Put32(&pe, sec + 8, (uint32_t)(pe.size() - kRaw));

    // Directory tree, offsets relative to the section start.
    size_t r = kRaw;
    auto dir = [&](size_t at, int named, int ids) {
        Put16(&pe, r + at + 12, named);
        Put16(&pe, r + at + 14, ids);
    };
    auto entry = [&](size_t dir_at, int index, uint32_t key, uint32_t target) {
        Put32(&pe, r + dir_at + 16 + index * 8, key);
        Put32(&pe, r + dir_at + 16 + index * 8 + 4, target);
    };
    dir(0x00, 1, 1); // root: CMPFILE, type 3
    entry(0x00, 0, 0x80000000u | 0x100, 0x80000000u | 0x20);
    entry(0x00, 1, 3, 0x80000000u | 0x60);
    dir(0x20, 0, 2); // CMPFILE: 120, 121
    entry(0x20, 0, 120, 0x80000000u | 0x80);
    entry(0x20, 1, 121, 0x80000000u | 0xA0);
    dir(0x60, 0, 1); // type 3: 121
    entry(0x60, 0, 121, 0x80000000u | 0x80);
    dir(0x80, 0, 1); // decoy language
    entry(0x80, 0, 1033, 0xE0);
    dir(0xA0, 0, 1); // payload language
    entry(0xA0, 0, 1033, 0xF0);
    Put32(&pe, r + 0xE0, kRva + 0x1F0); // decoy data: 4 bytes
    Put32(&pe, r + 0xE4, 4);
    Put32(&pe, r + 0xF0, kRva + 0x200); // payload data
    Put32(&pe, r + 0xF4, (uint32_t)payload.size());
    size_t len = strlen(type);
    Put16(&pe, r + 0x100, (uint32_t)len);
    for (size_t i = 0; i < len; i++)
        Put16(&pe, r + 0x102 + 2 * i, (unsigned char)type[i]);
    memcpy(&pe[r + 0x1F0], "XXXX", 4);
    memcpy(&pe[r + 0x200], payload.data(), payload.size());
    Put32(&pe, opt + 96 + 2 * 8, kRva);
    Put32(&pe, opt + 96 + 2 * 8 + 4, 0x200);
    return pe;
}

Bytes Container(const std::vector<std::pair<std::string, Bytes>> &files)
{
    Bytes c(MCF_MAGIC, MCF_MAGIC + 4);
    for (const auto &f : files) {
        Bytes stream = f.second.empty()
                           ? Bytes()
                           : ImplodeOptimal(f.second.data(), f.second.size(), kDefaultHeader);
        AppendRecord(&c, f.first, Crc32Of(f.second.data(), f.second.size()), stream);
    }
    return c;
}

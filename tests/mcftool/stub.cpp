// The build tests' stub, laid out by hand.
#include "stub.h"

#include <string.h>

#include "peres.h"
#include "peres_write.h"

namespace {

// A resource section laid out the simple way: per resource one type, name
// and language directory (types are never shared here), then the strings,
// the data entries and the data.
Bytes ResourceSection(const std::vector<Res> &res, uint32_t rva)
{
    size_t n = res.size();
    size_t root = 0, types = 16 + 8 * n;
    size_t names = types + n * 24, langs = names + n * 24;
    size_t strings = langs + n * 24;
    size_t at = strings;
    std::vector<size_t> string_at(n), entry_at(n), data_at(n);
    for (size_t i = 0; i < n; i++) {
        string_at[i] = at;
        at += res[i].type_name.empty() ? 0 : 2 + 2 * res[i].type_name.size();
    }
    at = (at + 3) & ~(size_t)3;
    for (size_t i = 0; i < n; i++, at += 16)
        entry_at[i] = at;
    for (size_t i = 0; i < n; i++) {
        at = (at + 7) & ~(size_t)7;
        data_at[i] = at;
        at += res[i].data.size();
    }
    Bytes s(at, 0);
    size_t named = 0;
    for (const Res &r : res)
        named += !r.type_name.empty();
    Put16(&s, root + 12, (uint32_t)named);
    Put16(&s, root + 14, (uint32_t)(n - named));
    for (size_t i = 0; i < n; i++) {
        const Res &r = res[i];
        size_t e = root + 16 + 8 * i;
        if (!r.type_name.empty()) {
            Put32(&s, e, 0x80000000u | (uint32_t)string_at[i]);
            Put16(&s, string_at[i], (uint32_t)r.type_name.size());
            for (size_t c = 0; c < r.type_name.size(); c++)
                Put16(&s, string_at[i] + 2 + 2 * c, (unsigned char)r.type_name[c]);
        } else {
            Put32(&s, e, r.type_id);
        }
        Put32(&s, e + 4, 0x80000000u | (uint32_t)(types + 24 * i));
        Put16(&s, types + 24 * i + 14, 1);
        Put32(&s, types + 24 * i + 16, r.id);
        Put32(&s, types + 24 * i + 20, 0x80000000u | (uint32_t)(names + 24 * i));
        Put16(&s, names + 24 * i + 14, 1);
        Put32(&s, names + 24 * i + 16, 1033);
        Put32(&s, names + 24 * i + 20, (uint32_t)entry_at[i]);
        Put32(&s, entry_at[i], rva + (uint32_t)data_at[i]);
        Put32(&s, entry_at[i] + 4, (uint32_t)r.data.size());
        Put32(&s, entry_at[i] + 8, 1252);
        memcpy(&s[data_at[i]], r.data.data(), r.data.size());
    }
    (void)langs;
    return s;
}

} // namespace

std::vector<Res> StubResources()
{
    return {{"CMPFILE", 0, 120, Str("decoy")},
            {"", 2, 1, Bytes(3000, 0x11)},
            {"", 2, 2, Bytes(1234, 0x22)},
            {"", 5, 102, Str("a dialog template")}};
}

Bytes MakeStub(const StubOptions &o)
{
    const uint32_t kFileAlign = 0x200, kSectAlign = 0x1000;
    // CMPFILE holds only the decoy 120: build adds 121 beside it (the
    // replacement of an existing 121 is what the real setup.exe tests).
    std::vector<Res> res = StubResources();
    Bytes rsrc = ResourceSection(res, 0x2000);
    size_t opt_size = o.plus ? 240 : 224;
    size_t sections = 0x58 + opt_size;
    int count = o.rsrc_last ? 2 : 3;
    Bytes pe(0x400, 0);
    pe[0] = 'M';
    pe[1] = 'Z';
    Put32(&pe, 0x3C, 0x40);
    memcpy(&pe[0x40], "PE\0\0", 4);
    Put16(&pe, 0x44, o.plus ? 0x8664 : 0x14C);
    Put16(&pe, 0x46, count);
    Put16(&pe, 0x54, (uint32_t)opt_size);
    const size_t opt = 0x58;
    Put16(&pe, opt, o.plus ? 0x20B : 0x10B);
    Put32(&pe, opt + 8, 0x200 + ((uint32_t)rsrc.size() + kFileAlign - 1) / kFileAlign * kFileAlign);
    Put32(&pe, opt + 32, kSectAlign);
    Put32(&pe, opt + 36, kFileAlign);
    Put32(&pe, opt + 60, 0x400); // SizeOfHeaders
    size_t dirs = opt + (o.plus ? 112 : 96);
    Put32(&pe, opt + (o.plus ? 108 : 92), 16);
    Put32(&pe, dirs + 2 * 8, 0x2000);
    Put32(&pe, dirs + 2 * 8 + 4, (uint32_t)rsrc.size());

    auto section = [&](int i, const char *name, uint32_t va, uint32_t vsize, uint32_t raw,
                       uint32_t raw_size, uint32_t flags) {
        size_t h = sections + 40 * i;
        memcpy(&pe[h], name, strlen(name));
        Put32(&pe, h + 8, vsize);
        Put32(&pe, h + 12, va);
        Put32(&pe, h + 16, raw_size);
        Put32(&pe, h + 20, raw);
        Put32(&pe, h + 36, flags);
    };
    uint32_t rsrc_raw = ((uint32_t)rsrc.size() + kFileAlign - 1) / kFileAlign * kFileAlign;
    section(0, ".text", 0x1000, 0x10, 0x400, 0x200, 0x60000020);
    section(1, ".rsrc", 0x2000, (uint32_t)rsrc.size(), 0x600, rsrc_raw, 0x40000040);
    uint32_t end_va = 0x2000 + (rsrc_raw + kSectAlign - 1) / kSectAlign * kSectAlign;
    if (!o.rsrc_last)
        section(2, ".reloc", end_va, 0x10, 0x600 + rsrc_raw, 0x200, 0x42000040);
    Put32(&pe, opt + 56, end_va + (o.rsrc_last ? 0 : kSectAlign));
    pe.resize(0x600, 0);
    pe[0x400] = 0xC3; // ret
    pe.insert(pe.end(), rsrc.begin(), rsrc.end());
    pe.resize(0x600 + rsrc_raw, 0);
    if (!o.rsrc_last)
        pe.resize(pe.size() + 0x200, 0);
    if (o.signature) {
        Put32(&pe, dirs + 4 * 8, (uint32_t)pe.size());
        Put32(&pe, dirs + 4 * 8 + 4, 0x108);
        Bytes cert(0x108, 0x5A);
        pe.insert(pe.end(), cert.begin(), cert.end());
    }
    size_t field;
    EXPECT_TRUE(PeChecksumField(pe.data(), pe.size(), &field));
    Put32(&pe, field, PeComputeChecksum(pe.data(), pe.size(), field));
    return pe;
}

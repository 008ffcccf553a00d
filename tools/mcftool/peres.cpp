// PE resource lookup: headers, section table, then the three levels of the
// resource directory (type, name, language). All reads are bounds-checked.
#include "peres.h"

#include <ctype.h>

namespace {

struct Image {
    const unsigned char *data;
    size_t size;
};

bool Fits(const Image &im, uint64_t offset, uint64_t length)
{
    return offset <= im.size && length <= im.size - offset;
}

uint32_t U16(const Image &im, size_t at) { return im.data[at] | im.data[at + 1] << 8; }

uint32_t U32(const Image &im, size_t at)
{
    return (uint32_t)im.data[at] | (uint32_t)im.data[at + 1] << 8 |
           (uint32_t)im.data[at + 2] << 16 | (uint32_t)im.data[at + 3] << 24;
}

struct Sections {
    size_t table;
    uint32_t count;
};

// File offset of the PE signature, or 0 when there is none.
size_t PeHeader(const Image &im)
{
    if (!Fits(im, 0, 0x40) || im.data[0] != 'M' || im.data[1] != 'Z')
        return 0;
    uint32_t pe = U32(im, 0x3C);
    if (pe == 0 || !Fits(im, pe, 24) || im.data[pe] != 'P' || im.data[pe + 1] != 'E' ||
        im.data[pe + 2] != 0 || im.data[pe + 3] != 0)
        return 0;
    return pe;
}

// Maps an address of the loaded image to a file offset, and says how many
// bytes of the section's raw data (and of the file) lie behind it.
bool RvaToOffset(const Image &im, const Sections &sec, uint32_t rva, size_t *offset,
                 uint32_t *available)
{
    for (uint32_t i = 0; i < sec.count; i++) {
        size_t h = sec.table + (size_t)i * 40;
        uint32_t va = U32(im, h + 12);
        uint32_t raw_size = U32(im, h + 16);
        uint32_t raw = U32(im, h + 20);
        if (rva < va || (uint64_t)rva - va >= raw_size)
            continue;
        uint64_t at = (uint64_t)raw + (rva - va);
        if (at >= im.size)
            return false;
        uint64_t left = raw_size - (rva - va);
        if (left > im.size - at)
            left = im.size - at;
        *offset = (size_t)at;
        *available = (uint32_t)left;
        return true;
    }
    return false;
}

struct ResourceSection {
    size_t base;   // file offset of the resource directory
    uint32_t size; // bytes of it that lie in the file
};

// Looks up one entry of the directory at `dir` (relative to the section).
// Named entries are compared case-insensitively with `name`; id entries
// with `id`. `any` takes the first entry. Returns the entry's OffsetToData.
bool FindEntry(const Image &im, const ResourceSection &rs, uint32_t dir, const char *name,
               uint32_t id, bool any, uint32_t *target)
{
    if ((uint64_t)dir + 16 > rs.size)
        return false;
    size_t d = rs.base + dir;
    uint32_t named = U16(im, d + 12);
    uint32_t ids = U16(im, d + 14);
    uint32_t count = named + ids;
    if ((uint64_t)dir + 16 + (uint64_t)count * 8 > rs.size)
        return false;
    for (uint32_t i = 0; i < count; i++) {
        size_t e = d + 16 + (size_t)i * 8;
        uint32_t key = U32(im, e);
        uint32_t data = U32(im, e + 4);
        bool match = any;
        if (!any && name && (key & 0x80000000u)) {
            uint32_t s = key & 0x7FFFFFFFu;
            if ((uint64_t)s + 2 > rs.size)
                continue;
            uint32_t len = U16(im, rs.base + s);
            if ((uint64_t)s + 2 + (uint64_t)len * 2 > rs.size)
                continue;
            match = true;
            for (uint32_t c = 0; c <= len && match; c++) {
                uint32_t want = (unsigned char)name[c];
                uint32_t have = c < len ? U16(im, rs.base + s + 2 + c * 2) : 0;
                if (c == len)
                    match = want == 0;
                else
                    match = want != 0 && have < 128 && toupper((int)have) == toupper((int)want);
            }
        } else if (!any && !name && !(key & 0x80000000u)) {
            match = key == id;
        }
        if (match) {
            *target = data;
            return true;
        }
    }
    return false;
}

} // namespace

int PeIsImage(const unsigned char *data, size_t size)
{
    Image im = {data, size};
    return PeHeader(im) != 0;
}

int PeFindResource(const unsigned char *data, size_t size, const char *type, uint32_t id,
                   size_t *offset, uint32_t *length)
{
    Image im = {data, size};
    size_t pe = PeHeader(im);
    if (pe == 0)
        return 0;
    uint32_t section_count = U16(im, pe + 6);
    uint32_t optional_size = U16(im, pe + 20);
    size_t opt = pe + 24;
    if (!Fits(im, opt, optional_size) || optional_size < 2)
        return 0;
    uint32_t magic = U16(im, opt);
    size_t count_at = magic == 0x20B ? 108 : 92;
    size_t dirs_at = magic == 0x20B ? 112 : 96;
    if (magic != 0x10B && magic != 0x20B)
        return 0;
    if (optional_size < dirs_at + 3 * 8 || U32(im, opt + count_at) < 3)
        return 0;
    uint32_t res_rva = U32(im, opt + dirs_at + 2 * 8);
    uint32_t res_size = U32(im, opt + dirs_at + 2 * 8 + 4);
    Sections sec = {opt + optional_size, section_count};
    if (!Fits(im, sec.table, (uint64_t)section_count * 40) || res_rva == 0)
        return 0;

    // The directory may be shorter in the file than declared; use what is there.
    ResourceSection rs = {0, 0};
    if (!RvaToOffset(im, sec, res_rva, &rs.base, &rs.size))
        return 0;
    if (rs.size > res_size)
        rs.size = res_size;

    uint32_t entry;
    if (!FindEntry(im, rs, 0, type, 0, false, &entry) || !(entry & 0x80000000u))
        return 0;
    if (!FindEntry(im, rs, entry & 0x7FFFFFFFu, nullptr, id, false, &entry) ||
        !(entry & 0x80000000u))
        return 0;
    if (!FindEntry(im, rs, entry & 0x7FFFFFFFu, nullptr, 0, true, &entry) ||
        (entry & 0x80000000u))
        return 0;
    if ((uint64_t)entry + 16 > rs.size)
        return 0;
    uint32_t data_rva = U32(im, rs.base + entry);
    uint32_t data_size = U32(im, rs.base + entry + 4);
    uint32_t available;
    if (!RvaToOffset(im, sec, data_rva, offset, &available) || available < data_size)
        return 0;
    *length = data_size;
    return 1;
}

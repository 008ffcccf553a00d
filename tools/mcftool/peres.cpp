// PE resource lookup: headers, section table, then the three levels of the
// resource directory (type, name, language). All reads are bounds-checked.
#include "peres.h"

#include <ctype.h>
#include <string.h>

#include "le.h"
#include "pehead.h"

namespace {

struct Image {
    const unsigned char *data;
    size_t size;
    PeHeaders h;
};

uint32_t U16(const Image &im, size_t at)
{
    return GetLe16(im.data + at);
}
uint32_t U32(const Image &im, size_t at)
{
    return GetLe32(im.data + at);
}

// Maps an address of the loaded image to a file offset, and says how many
// bytes of the section's raw data (and of the file) lie behind it.
bool RvaToOffset(const Image &im, uint32_t rva, size_t *offset, uint32_t *available)
{
    for (uint32_t i = 0; i < im.h.section_count; i++) {
        PeSection s = PeSectionAt(im.data, im.h, i);
        if (rva < s.va || (uint64_t)rva - s.va >= s.raw_size)
            continue;
        uint64_t at = (uint64_t)s.raw + (rva - s.va);
        if (at >= im.size)
            return false;
        uint64_t left = s.raw_size - (rva - s.va);
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

bool PeIsImage(const unsigned char *data, size_t size)
{
    PeHeaders h;
    return PeReadHeaders(data, size, &h) == PE_IMAGE;
}

bool PeFindResource(const unsigned char *data, size_t size, const char *type, uint32_t id,
                    size_t *offset, uint32_t *length)
{
    Image im = {data, size, {}};
    if (PeReadHeaders(data, size, &im.h) != PE_IMAGE || !im.h.optional_fits || !im.h.pe32 ||
        im.h.dir_count <= kPeDirResource || !im.h.table_fits)
        return false;
    uint32_t res_rva = PeDirAddress(data, im.h, kPeDirResource);
    uint32_t res_size = PeDirSize(data, im.h, kPeDirResource);
    if (res_rva == 0)
        return false;

    // The directory may be shorter in the file than declared; use what is there.
    ResourceSection rs = {0, 0};
    if (!RvaToOffset(im, res_rva, &rs.base, &rs.size))
        return false;
    if (rs.size > res_size)
        rs.size = res_size;

    uint32_t entry;
    if (!FindEntry(im, rs, 0, type, 0, false, &entry) || !(entry & 0x80000000u))
        return false;
    if (!FindEntry(im, rs, entry & 0x7FFFFFFFu, nullptr, id, false, &entry) ||
        !(entry & 0x80000000u))
        return false;
    if (!FindEntry(im, rs, entry & 0x7FFFFFFFu, nullptr, 0, true, &entry) || (entry & 0x80000000u))
        return false;
    if ((uint64_t)entry + 16 > rs.size)
        return false;
    uint32_t data_rva = U32(im, rs.base + entry);
    uint32_t data_size = U32(im, rs.base + entry + 4);
    uint32_t available;
    if (!RvaToOffset(im, data_rva, offset, &available) || available < data_size)
        return false;
    *length = data_size;
    return true;
}

bool PeSectionsFit(const unsigned char *head, size_t head_size, uint64_t file_size,
                   std::string *why)
{
    PeHeaders h;
    if (PeReadHeaders(head, head_size, &h) != PE_IMAGE) {
        *why = "PE file cut short in its headers";
        return false;
    }
    if (!h.table_fits) {
        *why = "PE file cut short in its section table";
        return false;
    }
    for (uint32_t i = 0; i < h.section_count; i++) {
        PeSection s = PeSectionAt(head, h, i);
        if (s.raw_size != 0 && (uint64_t)s.raw + s.raw_size > file_size) {
            for (char &c : s.name)
                if (c && (c < 0x20 || c > 0x7E))
                    c = '?';
            *why = "PE file cut short: its section " + std::string(s.name) + " ends at byte " +
                   std::to_string((uint64_t)s.raw + s.raw_size) + " of " +
                   std::to_string(file_size);
            return false;
        }
    }
    return true;
}

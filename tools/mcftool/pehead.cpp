// PE headers: the MZ header's pointer to the signature, the file header,
// the optional header (PE32 or PE32+, which differ in where the data
// directories start) and the section table behind it.
#include "pehead.h"

#include <string.h>

#include "le.h"

int PeReadHeaders(const unsigned char *data, size_t size, PeHeaders *h)
{
    memset(h, 0, sizeof *h);
    if (size < 0x40 || data[0] != 'M' || data[1] != 'Z')
        return PE_NO_MZ;
    h->pe = GetLe32(data + 0x3C);
    if (!PeFits(size, h->pe, 24) || memcmp(data + h->pe, "PE\0\0", 4) != 0)
        return PE_NO_SIGNATURE;
    h->section_count = GetLe16(data + h->pe + 6);
    h->symbol_table = GetLe32(data + h->pe + 12);
    h->opt_size = GetLe16(data + h->pe + 20);
    h->opt = h->pe + 24;
    h->section_table = h->opt + h->opt_size;
    h->table_fits = PeFits(size, h->section_table, (uint64_t)h->section_count * 40);
    h->checksum = h->opt + 64;
    h->checksum_fits = PeFits(size, h->opt, 68);
    h->optional_fits = PeFits(size, h->opt, h->opt_size) && h->opt_size >= 2;
    if (!h->optional_fits)
        return PE_IMAGE;
    uint32_t magic = GetLe16(data + h->opt);
    h->pe32 = magic == 0x10B || magic == 0x20B;
    h->plus = magic == 0x20B;
    uint32_t dirs_at = h->plus ? 112 : 96;
    if (!h->pe32 || h->opt_size < dirs_at)
        return PE_IMAGE;
    h->has_dirs = true;
    h->section_alignment = GetLe32(data + h->opt + 32);
    h->file_alignment = GetLe32(data + h->opt + 36);
    h->dirs = h->opt + dirs_at;
    h->dir_count = GetLe32(data + h->dirs - 4);
    if ((uint64_t)h->dir_count * 8 > h->opt_size - dirs_at)
        h->dir_count = (h->opt_size - dirs_at) / 8;
    return PE_IMAGE;
}

PeSection PeSectionAt(const unsigned char *data, const PeHeaders &h, uint32_t i)
{
    PeSection s;
    s.header = h.section_table + (size_t)i * 40;
    const unsigned char *p = data + s.header;
    memcpy(s.name, p, 8);
    s.name[8] = 0;
    s.virtual_size = GetLe32(p + 8);
    s.va = GetLe32(p + 12);
    s.raw_size = GetLe32(p + 16);
    s.raw = GetLe32(p + 20);
    s.characteristics = GetLe32(p + 36);
    return s;
}

uint32_t PeDirAddress(const unsigned char *data, const PeHeaders &h, int d)
{
    return GetLe32(data + h.dirs + (size_t)d * 8);
}

uint32_t PeDirSize(const unsigned char *data, const PeHeaders &h, int d)
{
    return GetLe32(data + h.dirs + (size_t)d * 8 + 4);
}

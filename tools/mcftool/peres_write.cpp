// PE resource writing: parse the headers and the whole resource tree (every
// offset checked), change one leaf, lay the tree out again in the place of
// the old resource section, and patch the headers. The new section holds, in
// this order: the directory tables, the name strings, the data entries and
// the data of every leaf (8-byte aligned), the written resource's data last.
#include "peres_write.h"

#include <errno.h>
#include <string.h>

#include "le.h"
#include "pehead.h"
#include "restree.h"

namespace {

const uint32_t kScnInitializedData = 0x00000040u;

uint64_t AlignUp(uint64_t v, uint64_t a)
{
    return (v + a - 1) / a * a;
}

bool IsPowerOfTwo(uint32_t v)
{
    return v != 0 && (v & (v - 1)) == 0;
}

// The headers the writer needs, every section's data within the file.
struct Layout {
    PeHeaders h;
    std::vector<PeSection> sections;
};

bool ParseLayout(const Bytes &f, Layout *l, std::string *why)
{
    PeHeaders &h = l->h;
    int image = PeReadHeaders(f.data(), f.size(), &h);
    if (image == PE_NO_MZ)
        *why = "not a PE file (no MZ header)";
    else if (image == PE_NO_SIGNATURE)
        *why = "not a PE file (no PE signature)";
    else if (!h.optional_fits)
        *why = "optional header out of bounds";
    else if (!h.pe32)
        *why = "neither a PE32 nor a PE32+ file";
    else if (!h.has_dirs)
        *why = "optional header too short";
    else if (!IsPowerOfTwo(h.file_alignment) || !IsPowerOfTwo(h.section_alignment))
        *why = "file or section alignment is not a power of two";
    else if (h.dir_count <= kPeDirResource)
        *why = "no resource data directory";
    else if (!h.table_fits)
        *why = "section table out of bounds";
    else
        why->clear();
    if (!why->empty())
        return false;
    for (uint32_t i = 0; i < h.section_count; i++) {
        PeSection s = PeSectionAt(f.data(), h, i);
        if (s.raw_size && !PeFits(f.size(), s.raw, s.raw_size)) {
            *why = "a section's data runs past the end of the file";
            return false;
        }
        l->sections.push_back(s);
    }
    return true;
}

// The file offset of `length` bytes at `rva`, within one section's raw data.
bool RvaToOffset(const Layout &l, uint32_t rva, uint32_t length, size_t *offset)
{
    for (const PeSection &s : l.sections) {
        if (rva < s.va || (uint64_t)rva - s.va >= s.raw_size)
            continue;
        uint64_t within = rva - s.va;
        if (within + length > s.raw_size)
            return false;
        *offset = (size_t)(s.raw + within);
        return true;
    }
    return false;
}

} // namespace

bool PeChecksumField(const unsigned char *data, size_t size, size_t *field)
{
    PeHeaders h;
    if (PeReadHeaders(data, size, &h) != PE_IMAGE || !h.checksum_fits)
        return false;
    *field = h.checksum;
    return true;
}

uint32_t PeComputeChecksum(const unsigned char *data, size_t size, size_t field)
{
    uint64_t sum = 0;
    for (size_t i = 0; i + 1 < size; i += 2) {
        if (i == field || i == field + 2)
            continue;
        sum += (uint32_t)data[i] | (uint32_t)data[i + 1] << 8;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    if (size & 1) {
        sum += data[size - 1];
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return (uint32_t)(sum + size);
}

namespace {

// Step 1: the resource section, which must be the last section by address
// and by file position, so that it can grow; no other data directory may
// point into it or behind it, nor a symbol table lie behind it.
bool FindResourceSection(const Bytes &stub, const Layout &l, PeSection *found, std::string *why)
{
    uint32_t res_rva = PeDirAddress(stub.data(), l.h, kPeDirResource);
    if (res_rva == 0 || l.sections.empty()) {
        *why = "the stub has no resources (not a built setup.exe)";
        return false;
    }
    size_t last = l.sections.size();
    for (size_t i = 0; i < l.sections.size(); i++)
        if (l.sections[i].va == res_rva)
            last = i;
    if (last == l.sections.size()) {
        *why = "the resource directory does not start a section of its own";
        return false;
    }
    const PeSection &rs = l.sections[last];
    for (size_t i = 0; i < l.sections.size(); i++) {
        if (i == last)
            continue;
        const PeSection &s = l.sections[i];
        uint64_t extent = s.virtual_size > s.raw_size ? s.virtual_size : s.raw_size;
        if (s.va >= rs.va || s.va + extent > rs.va || (uint64_t)s.raw + s.raw_size > rs.raw ||
            (s.raw_size && s.raw >= rs.raw)) {
            *why = "the resource section is not the last section; cannot grow it";
            return false;
        }
    }
    if (rs.raw_size == 0) {
        *why = "the resource section has no data in the file";
        return false;
    }
    // The section is rewritten from its raw pointer on: one that points
    // into the headers would overwrite them.
    if (rs.raw < l.h.section_table + 40 * (uint64_t)l.h.section_count) {
        *why = "the resource section's data overlaps the headers";
        return false;
    }
    for (uint32_t d = 0; d < l.h.dir_count; d++) {
        if (d == kPeDirResource || d == kPeDirSecurity)
            continue; // the security directory holds a file offset, not an address
        uint32_t rva = PeDirAddress(stub.data(), l.h, d), size = PeDirSize(stub.data(), l.h, d);
        if (rva != 0 && size != 0 && rva >= rs.va) {
            *why =
                "data directory " + std::to_string(d) + " lies in or behind the resource section";
            return false;
        }
    }
    if (l.h.symbol_table != 0 && l.h.symbol_table >= rs.raw) {
        *why = "the stub has a symbol table after its resources (not a stripped setup.exe)";
        return false;
    }
    *found = rs;
    return true;
}

// Step 2: what follows the section in the file may be nothing (or zeros),
// or a signature, which is dropped and noted.
bool CheckTail(const Bytes &stub, const Layout &l, const PeSection &rs,
               std::vector<std::string> *notes, std::string *why)
{
    uint64_t rs_file_end = (uint64_t)rs.raw + rs.raw_size;
    uint64_t cut = stub.size();
    if (l.h.dir_count > kPeDirSecurity) {
        uint32_t cert_at = PeDirAddress(stub.data(), l.h, kPeDirSecurity);
        uint32_t cert_size = PeDirSize(stub.data(), l.h, kPeDirSecurity);
        if (cert_at != 0 && cert_size != 0) {
            if (cert_at < rs_file_end || !PeFits(stub.size(), cert_at, cert_size)) {
                *why = "the stub's signature does not lie behind its sections";
                return false;
            }
            cut = cert_at;
            if (AlignUp((uint64_t)cert_at + cert_size, 8) < stub.size()) {
                *why = "the stub has data after its signature";
                return false;
            }
            notes->push_back("the stub's Authenticode signature is dropped: it would no "
                             "longer match");
        }
    }
    for (uint64_t i = rs_file_end; i < cut; i++)
        if (stub[(size_t)i] != 0) {
            *why = "the stub has data after its last section (" +
                   std::to_string(cut - rs_file_end) + " bytes); not a plain setup.exe";
            return false;
        }
    return true;
}

// Step 3: the type, name and language levels down to the leaves to
// replace, made where missing; with data null the leaves are marked only.
bool ReplaceLeaves(ResNode *root, const char *type, uint32_t id, const Bytes *data,
                   std::string *why)
{
    std::u16string type_name(type, type + strlen(type));
    bool added;
    ResEntry *t = FindOrAdd(root, &type_name, 0, &added);
    if (!t->dir) {
        if (!added) {
            *why = std::string("the stub's resource type ") + type + " is not a directory";
            return false;
        }
        t->dir.reset(new ResNode);
    }
    ResEntry *n = FindOrAdd(t->dir.get(), nullptr, id, &added);
    if (!n->dir) {
        if (!added) {
            *why = std::string("the stub's resource ") + type + " " + std::to_string(id) +
                   " has no language level";
            return false;
        }
        n->dir.reset(new ResNode);
    }
    if (n->dir->entries.empty())
        n->dir->entries.push_back(ResEntry());
    for (ResEntry &lang : n->dir->entries) {
        if (lang.dir) {
            *why = "resource tree: a language level holds a directory";
            return false;
        }
        if (data)
            lang.data = *data;
        lang.replaced = true;
    }
    return true;
}

// Step 4: the headers that describe the new section: its sizes (raw size
// aligned to FileAlignment), SizeOfImage, SizeOfInitializedData, the
// resource directory, no signature.
void PatchHeaders(const Bytes &stub, const Layout &l, const PeSection &rs, uint64_t tree_size,
                  uint64_t raw_size, uint64_t image_size, Bytes *img)
{
    const size_t opt = l.h.opt;
    PutLe32(&(*img)[rs.header + 8], (uint32_t)tree_size);
    PutLe32(&(*img)[rs.header + 16], (uint32_t)raw_size);
    PutLe32(&(*img)[opt + 56], (uint32_t)image_size);
    if (rs.characteristics & kScnInitializedData) {
        // Linkers count the section's raw size aligned to FileAlignment.
        int64_t initialized = (int64_t)GetLe32(&stub[opt + 8]) + (int64_t)raw_size -
                              (int64_t)AlignUp(rs.raw_size, l.h.file_alignment);
        PutLe32(&(*img)[opt + 8], initialized < 0            ? 0
                                  : initialized > 0xFFFFFFFF ? 0xFFFFFFFFu
                                                             : (uint32_t)initialized);
    }
    size_t dir = l.h.dirs + kPeDirResource * 8;
    PutLe32(&(*img)[dir], rs.va);
    PutLe32(&(*img)[dir + 4], (uint32_t)tree_size);
    if (l.h.dir_count > kPeDirSecurity) {
        dir = l.h.dirs + kPeDirSecurity * 8;
        PutLe32(&(*img)[dir], 0);
        PutLe32(&(*img)[dir + 4], 0);
    }
}

// The image for PeWriteResource, or with data null its part before the
// payload's `hole` bytes (*total: the whole file's size); the checksum is
// then left to the caller.
bool BuildImage(const Bytes &stub, const char *type, uint32_t id, const Bytes *data, uint64_t hole,
                PeResourceWrite *out, uint64_t *total, std::string *why)
{
    Layout l;
    PeSection rs;
    if (!ParseLayout(stub, &l, why) || !FindResourceSection(stub, l, &rs, why))
        return false;
    out->notes.clear();
    if (!CheckTail(stub, l, rs, &out->notes, why))
        return false;

    ResNode root;
    auto locate = [&](uint32_t rva, uint32_t length, size_t *offset) {
        return RvaToOffset(l, rva, length, offset);
    };
    if (!ReadResourceTree(stub, rs.raw, rs.raw_size, locate, &root, why) ||
        !ReplaceLeaves(&root, type, id, data, why))
        return false;

    TreeWriter writer;
    writer.rva = rs.va;
    writer.hole = data == nullptr;
    writer.hole_size = hole;
    if (!writer.Write(root, why))
        return false;
    uint64_t raw_size = AlignUp(writer.size, l.h.file_alignment);
    uint64_t image_size = AlignUp((uint64_t)rs.va + writer.size, l.h.section_alignment);
    if (rs.raw + raw_size > kMaxFormatSize || image_size > kMaxFormatSize) {
        *why = "the setup program would pass 4 GB";
        return false;
    }

    Bytes &img = out->image;
    img.assign(stub.begin(), stub.begin() + rs.raw);
    img.insert(img.end(), writer.out.begin(), writer.out.end());
    *total = rs.raw + raw_size;
    if (data)
        img.resize((size_t)*total, 0);
    PatchHeaders(stub, l, rs, writer.size, raw_size, image_size, &img);
    size_t field;
    if (!PeChecksumField(img.data(), img.size(), &field)) {
        *why = "optional header too short for a checksum";
        return false;
    }
    if (data)
        PutLe32(&img[field], PeComputeChecksum(img.data(), img.size(), field));
    return true;
}

// The checksum's sum, fed in pieces of any size.
struct ChecksumSum {
    uint64_t sum = 0;
    uint64_t at = 0;
    size_t field;
    int pending = -1; // a byte waiting for its partner

    void Add(const unsigned char *p, size_t n)
    {
        for (size_t i = 0; i < n; i++, at++) {
            if (pending < 0) {
                pending = p[i];
                continue;
            }
            uint64_t word_at = at - 1;
            if (word_at != field && word_at != field + 2) {
                sum += (uint32_t)pending | (uint32_t)p[i] << 8;
                sum = (sum & 0xFFFF) + (sum >> 16);
            }
            pending = -1;
        }
    }
    uint32_t Finish()
    {
        if (pending >= 0) {
            sum += (uint32_t)pending;
            sum = (sum & 0xFFFF) + (sum >> 16);
        }
        sum = (sum & 0xFFFF) + (sum >> 16);
        return (uint32_t)(sum + at);
    }
};

} // namespace

bool PeWriteResource(const Bytes &stub, const char *type, uint32_t id, const Bytes &data,
                     PeResourceWrite *out, std::string *why)
{
    uint64_t total;
    return BuildImage(stub, type, id, &data, 0, out, &total, why);
}

bool PeWriteResourceStreamed(const Bytes &stub, const char *type, uint32_t id, uint64_t size,
                             const std::function<bool(const ByteSinkFn &)> &copy_data, FILE *file,
                             std::vector<std::string> *notes, std::string *why)
{
    PeResourceWrite head;
    uint64_t total;
    if (!BuildImage(stub, type, id, nullptr, size, &head, &total, why))
        return false;
    *notes = head.notes;
    size_t field = 0;
    PeChecksumField(head.image.data(), head.image.size(), &field);
    ChecksumSum sum;
    sum.field = field;
    uint64_t written = 0;
    auto put = [&](const unsigned char *p, size_t n) {
        sum.Add(p, n);
        written += n;
        return n == 0 || fwrite(p, 1, n, file) == n;
    };
    if (!put(head.image.data(), head.image.size()) || !copy_data(put)) {
        *why = WriteFailure();
        return false;
    }
    if (written != head.image.size() + size) {
        *why = "the payload changed size while being written";
        return false;
    }
    static const unsigned char zeros[4096] = {0};
    while (written < total) {
        size_t n = total - written < sizeof zeros ? (size_t)(total - written) : sizeof zeros;
        if (!put(zeros, n)) {
            *why = WriteFailure();
            return false;
        }
    }
    unsigned char c[4];
    PutLe32(c, sum.Finish());
    if (fflush(file) != 0 || fseeko(file, (off_t)field, SEEK_SET) != 0 ||
        fwrite(c, 1, 4, file) != 4 || fflush(file) != 0 || fseeko(file, 0, SEEK_END) != 0) {
        *why = WriteFailure();
        return false;
    }
    return true;
}

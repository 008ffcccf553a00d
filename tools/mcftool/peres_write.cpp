// PE resource writing: parse the headers and the whole resource tree (every
// offset checked), change one leaf, lay the tree out again in the place of
// the old resource section, and patch the headers. The new section holds, in
// this order: the directory tables, the name strings, the data entries and
// the data of every leaf (8-byte aligned), the written resource's data last.
#include "peres_write.h"

#include <errno.h>

#include <string.h>

#include <memory>

namespace {

const uint32_t kScnInitializedData = 0x00000040u;
const int kDirResource = 2;
const int kDirSecurity = 4;
// A resource tree has three levels: type, name, language.
const int kMaxDepth = 3;
// Bounds for a hostile tree whose directories share children.
const uint32_t kMaxEntries = 1u << 20;

uint32_t Get16(const Bytes &b, size_t at) { return b[at] | b[at + 1] << 8; }

uint32_t Get32(const Bytes &b, size_t at)
{
    return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 |
           (uint32_t)b[at + 3] << 24;
}

void Put16(Bytes *b, size_t at, uint32_t v)
{
    (*b)[at] = (unsigned char)v;
    (*b)[at + 1] = (unsigned char)(v >> 8);
}

void Put32(Bytes *b, size_t at, uint32_t v)
{
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

bool Fits(size_t size, uint64_t offset, uint64_t length)
{
    return offset <= size && length <= size - offset;
}

uint64_t AlignUp(uint64_t v, uint64_t a) { return (v + a - 1) / a * a; }

bool IsPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

struct Section {
    size_t header; // file offset of its section header
    uint32_t virtual_size, va, raw_size, raw;
    uint32_t characteristics;
};

struct Layout {
    size_t pe = 0, opt = 0;
    bool plus = false;
    uint32_t file_alignment = 0, section_alignment = 0;
    size_t dirs = 0; // file offset of the data directories
    uint32_t dir_count = 0;
    std::vector<Section> sections;
};

bool ParseLayout(const Bytes &f, Layout *l, std::string *why)
{
    size_t n = f.size();
    if (!Fits(n, 0, 0x40) || f[0] != 'M' || f[1] != 'Z') {
        *why = "not a PE file (no MZ header)";
        return false;
    }
    l->pe = Get32(f, 0x3C);
    if (!Fits(n, l->pe, 24) || memcmp(&f[l->pe], "PE\0\0", 4) != 0) {
        *why = "not a PE file (no PE signature)";
        return false;
    }
    uint32_t count = Get16(f, l->pe + 6);
    uint32_t opt_size = Get16(f, l->pe + 20);
    l->opt = l->pe + 24;
    if (!Fits(n, l->opt, opt_size) || opt_size < 2) {
        *why = "optional header out of bounds";
        return false;
    }
    uint32_t magic = Get16(f, l->opt);
    if (magic != 0x10B && magic != 0x20B) {
        *why = "neither a PE32 nor a PE32+ file";
        return false;
    }
    l->plus = magic == 0x20B;
    size_t count_at = l->plus ? 108 : 92;
    size_t dirs_at = l->plus ? 112 : 96;
    if (opt_size < dirs_at) {
        *why = "optional header too short";
        return false;
    }
    l->file_alignment = Get32(f, l->opt + 36);
    l->section_alignment = Get32(f, l->opt + 32);
    if (!IsPowerOfTwo(l->file_alignment) || !IsPowerOfTwo(l->section_alignment)) {
        *why = "file or section alignment is not a power of two";
        return false;
    }
    l->dirs = l->opt + dirs_at;
    l->dir_count = Get32(f, l->opt + count_at);
    if ((uint64_t)l->dir_count * 8 > opt_size - dirs_at)
        l->dir_count = (opt_size - dirs_at) / 8;
    if (l->dir_count <= kDirResource) {
        *why = "no resource data directory";
        return false;
    }
    size_t table = l->opt + opt_size;
    if (!Fits(n, table, (uint64_t)count * 40)) {
        *why = "section table out of bounds";
        return false;
    }
    for (uint32_t i = 0; i < count; i++) {
        size_t h = table + (size_t)i * 40;
        Section s = {h, Get32(f, h + 8), Get32(f, h + 12), Get32(f, h + 16), Get32(f, h + 20),
                     Get32(f, h + 36)};
        if (s.raw_size && !Fits(n, s.raw, s.raw_size)) {
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
    for (const Section &s : l.sections) {
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

struct Node;

struct Entry {
    bool named = false;
    std::u16string name;
    uint32_t id = 0;
    std::unique_ptr<Node> dir; // a subdirectory, or else a leaf:
    Bytes data;
    uint32_t codepage = 0, reserved = 0;
    bool replaced = false; // the written resource: laid out last
};

struct Node {
    uint32_t characteristics = 0, timestamp = 0, version = 0;
    std::vector<Entry> entries;
};

struct TreeReader {
    const Bytes &f;
    const Layout &l;
    size_t base;   // file offset of the resource section
    uint32_t size; // its bytes in the file
    uint32_t visited;
    std::string *why;

    bool Fail(const char *what)
    {
        *why = std::string("resource tree: ") + what;
        return false;
    }

    bool ReadDir(uint32_t at, int depth, Node *node)
    {
        if (depth >= kMaxDepth)
            return Fail("deeper than type, name and language");
        if ((uint64_t)at + 16 > size)
            return Fail("a directory runs past the section");
        size_t d = base + at;
        node->characteristics = Get32(f, d);
        node->timestamp = Get32(f, d + 4);
        node->version = Get32(f, d + 8);
        uint32_t count = Get16(f, d + 12) + Get16(f, d + 14);
        if ((uint64_t)at + 16 + (uint64_t)count * 8 > size)
            return Fail("a directory's entries run past the section");
        visited += count;
        if (visited > kMaxEntries)
            return Fail("too many entries");
        for (uint32_t i = 0; i < count; i++) {
            size_t e = d + 16 + (size_t)i * 8;
            uint32_t key = Get32(f, e), target = Get32(f, e + 4);
            Entry entry;
            if (key & 0x80000000u) {
                uint32_t s = key & 0x7FFFFFFFu;
                if ((uint64_t)s + 2 > size)
                    return Fail("a name runs past the section");
                uint32_t len = Get16(f, base + s);
                if ((uint64_t)s + 2 + (uint64_t)len * 2 > size)
                    return Fail("a name runs past the section");
                entry.named = true;
                for (uint32_t c = 0; c < len; c++)
                    entry.name.push_back((char16_t)Get16(f, base + s + 2 + c * 2));
            } else {
                entry.id = key;
            }
            if (target & 0x80000000u) {
                entry.dir.reset(new Node);
                if (!ReadDir(target & 0x7FFFFFFFu, depth + 1, entry.dir.get()))
                    return false;
            } else {
                if ((uint64_t)target + 16 > size)
                    return Fail("a data entry runs past the section");
                size_t de = base + target;
                uint32_t rva = Get32(f, de), length = Get32(f, de + 4);
                entry.codepage = Get32(f, de + 8);
                entry.reserved = Get32(f, de + 12);
                size_t offset;
                if (length > 0 && !RvaToOffset(l, rva, length, &offset))
                    return Fail("a resource's data lies outside the file");
                if (length > 0)
                    entry.data.assign(f.begin() + offset, f.begin() + offset + length);
            }
            node->entries.push_back(std::move(entry));
        }
        return true;
    }
};

char16_t Upper16(char16_t c) { return c >= 'a' && c <= 'z' ? (char16_t)(c - 32) : c; }

// Resource names compare as the loader looks them up: ignoring ASCII case.
int CompareNames(const std::u16string &a, const std::u16string &b)
{
    for (size_t i = 0; i < a.size() && i < b.size(); i++) {
        char16_t x = Upper16(a[i]), y = Upper16(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

// The entry with this key, added in sorted place (named entries first, by
// name, then ids ascending) when missing.
Entry *FindOrAdd(Node *node, const std::u16string *name, uint32_t id, bool *added)
{
    *added = false;
    size_t at = 0;
    for (; at < node->entries.size(); at++) {
        Entry &e = node->entries[at];
        if (name) {
            if (!e.named)
                break;
            int c = CompareNames(e.name, *name);
            if (c == 0)
                return &e;
            if (c > 0)
                break;
        } else {
            if (e.named)
                continue;
            if (e.id == id)
                return &e;
            if (e.id > id)
                break;
        }
    }
    Entry e;
    e.named = name != nullptr;
    if (name)
        e.name = *name;
    e.id = id;
    node->entries.insert(node->entries.begin() + at, std::move(e));
    *added = true;
    return &node->entries[at];
}

struct TreeWriter {
    Bytes out;
    uint32_t rva; // of the section start
    // A payload too large to hold: the one replaced leaf's data is left out
    // of `out` (which then ends where it begins) and only its size laid out.
    bool hole = false;
    uint64_t hole_size = 0;
    uint64_t size = 0; // of the whole tree, hole included

    uint64_t LeafSize(const Entry *e) const
    {
        return hole && e->replaced ? hole_size : e->data.size();
    }

    // The sizes of the parts, to place each one.
    struct Plan {
        std::vector<const Node *> dirs; // breadth first
        std::vector<const Entry *> named, leaves;
    };

    static void Collect(const Node *root, Plan *p)
    {
        p->dirs.push_back(root);
        for (size_t i = 0; i < p->dirs.size(); i++)
            for (const Entry &e : p->dirs[i]->entries) {
                if (e.named)
                    p->named.push_back(&e);
                if (e.dir)
                    p->dirs.push_back(e.dir.get());
                else
                    p->leaves.push_back(&e);
            }
    }

    bool Write(const Node &root, std::string *why)
    {
        Plan p;
        Collect(&root, &p);
        // Offsets of every part.
        std::vector<uint64_t> dir_at, name_at, leaf_at, data_at;
        uint64_t at = 0;
        for (const Node *d : p.dirs) {
            dir_at.push_back(at);
            at += 16 + 8 * (uint64_t)d->entries.size();
        }
        for (const Entry *e : p.named) {
            name_at.push_back(at);
            at += 2 + 2 * (uint64_t)e->name.size();
        }
        at = AlignUp(at, 4);
        for (size_t i = 0; i < p.leaves.size(); i++) {
            leaf_at.push_back(at);
            at += 16;
        }
        data_at.resize(p.leaves.size());
        for (int last = 0; last < 2; last++)
            for (size_t i = 0; i < p.leaves.size(); i++)
                if (p.leaves[i]->replaced == (last == 1)) {
                    at = AlignUp(at, 8);
                    data_at[i] = at;
                    at += LeafSize(p.leaves[i]);
                }
        if (at + rva > 0xFFFFFFFFu) {
            *why = "the resources would pass 4 GB";
            return false;
        }
        size = at;
        if (hole) {
            size_t replaced = 0;
            for (const Entry *e : p.leaves)
                replaced += e->replaced;
            if (replaced != 1) {
                *why = "the payload resource is there in more than one language";
                return false;
            }
            at -= hole_size; // the replaced leaf is laid out last
        }
        out.assign((size_t)at, 0);

        size_t next_dir = 1, next_name = 0, next_leaf = 0;
        for (size_t i = 0; i < p.dirs.size(); i++) {
            const Node *d = p.dirs[i];
            size_t o = (size_t)dir_at[i];
            uint32_t named = 0;
            for (const Entry &e : d->entries)
                named += e.named;
            if (named > 0xFFFF || d->entries.size() - named > 0xFFFF) {
                *why = "too many resources in one directory";
                return false;
            }
            Put32(&out, o, d->characteristics);
            Put32(&out, o + 4, d->timestamp);
            Put32(&out, o + 8, d->version);
            Put16(&out, o + 12, named);
            Put16(&out, o + 14, (uint32_t)(d->entries.size() - named));
            for (size_t k = 0; k < d->entries.size(); k++) {
                const Entry &e = d->entries[k];
                size_t eo = o + 16 + k * 8;
                if (e.named) {
                    size_t s = (size_t)name_at[next_name++];
                    Put32(&out, eo, 0x80000000u | (uint32_t)s);
                    Put16(&out, s, (uint32_t)e.name.size());
                    for (size_t c = 0; c < e.name.size(); c++)
                        Put16(&out, s + 2 + 2 * c, e.name[c]);
                } else {
                    Put32(&out, eo, e.id);
                }
                if (e.dir) {
                    Put32(&out, eo + 4, 0x80000000u | (uint32_t)dir_at[next_dir++]);
                } else {
                    size_t l = (size_t)leaf_at[next_leaf];
                    size_t data = (size_t)data_at[next_leaf];
                    next_leaf++;
                    Put32(&out, eo + 4, (uint32_t)l);
                    Put32(&out, l, rva + (uint32_t)data);
                    Put32(&out, l + 4, (uint32_t)LeafSize(&e));
                    Put32(&out, l + 8, e.codepage);
                    Put32(&out, l + 12, e.reserved);
                    if (!e.data.empty() && !(hole && e.replaced))
                        memcpy(&out[data], e.data.data(), e.data.size());
                }
            }
        }
        return true;
    }
};

} // namespace

bool PeChecksumField(const unsigned char *data, size_t size, size_t *field)
{
    if (size < 0x40 || data[0] != 'M' || data[1] != 'Z')
        return false;
    uint32_t pe = (uint32_t)data[0x3C] | (uint32_t)data[0x3D] << 8 |
                  (uint32_t)data[0x3E] << 16 | (uint32_t)data[0x3F] << 24;
    if (!Fits(size, pe, 24 + 68) || memcmp(data + pe, "PE\0\0", 4) != 0)
        return false;
    *field = (size_t)pe + 24 + 64;
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

// The image for PeWriteResource, or with data null its part before the
// payload's `hole` bytes (*total: the whole file's size); the checksum is
// then left to the caller.
bool BuildImage(const Bytes &stub, const char *type, uint32_t id, const Bytes *data,
                uint64_t hole, PeResourceWrite *out, uint64_t *total, std::string *why)
{
    Layout l;
    if (!ParseLayout(stub, &l, why))
        return false;
    out->notes.clear();
    uint32_t res_rva = Get32(stub, l.dirs + kDirResource * 8);
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
    const Section &rs = l.sections[last];
    for (size_t i = 0; i < l.sections.size(); i++) {
        if (i == last)
            continue;
        const Section &s = l.sections[i];
        uint64_t extent = s.virtual_size > s.raw_size ? s.virtual_size : s.raw_size;
        if (s.va >= rs.va || s.va + extent > rs.va || (uint64_t)s.raw + s.raw_size > rs.raw ||
            (s.raw_size && s.raw >= rs.raw)) {
            *why = "the resource section is not the last section; cannot grow it";
            return false;
        }
    }
    if (rs.raw_size == 0 || rs.raw < l.opt) {
        *why = "the resource section has no data in the file";
        return false;
    }
    // No other directory may point into the section that is rebuilt, nor
    // behind it, where the grown section would come to lie.
    for (uint32_t d = 0; d < l.dir_count; d++) {
        if (d == kDirResource || d == kDirSecurity)
            continue; // the security directory holds a file offset, not an address
        uint32_t rva = Get32(stub, l.dirs + d * 8), size = Get32(stub, l.dirs + d * 8 + 4);
        if (rva != 0 && size != 0 && rva >= rs.va) {
            *why = "data directory " + std::to_string(d) + " lies in or behind the resource section";
            return false;
        }
    }
    // A COFF symbol table behind the sections would be cut off.
    uint32_t symbols = Get32(stub, l.pe + 12);
    if (symbols != 0 && symbols >= rs.raw) {
        *why = "the stub has a symbol table after its resources (not a stripped setup.exe)";
        return false;
    }

    // What follows the section in the file: nothing, or a signature.
    uint64_t rs_file_end = (uint64_t)rs.raw + rs.raw_size;
    uint64_t cut = stub.size();
    if (l.dir_count > kDirSecurity) {
        uint32_t cert_at = Get32(stub, l.dirs + kDirSecurity * 8);
        uint32_t cert_size = Get32(stub, l.dirs + kDirSecurity * 8 + 4);
        if (cert_at != 0 && cert_size != 0) {
            if (cert_at < rs_file_end || !Fits(stub.size(), cert_at, cert_size)) {
                *why = "the stub's signature does not lie behind its sections";
                return false;
            }
            cut = cert_at;
            if (AlignUp((uint64_t)cert_at + cert_size, 8) < stub.size()) {
                *why = "the stub has data after its signature";
                return false;
            }
            out->notes.push_back("the stub's Authenticode signature is dropped: it would no "
                                 "longer match");
        }
    }
    if (cut > rs_file_end) {
        for (uint64_t i = rs_file_end; i < cut; i++)
            if (stub[(size_t)i] != 0) {
                *why = "the stub has data after its last section (" +
                       std::to_string(cut - rs_file_end) + " bytes); not a plain setup.exe";
                return false;
            }
    }

    Node root;
    TreeReader reader = {stub, l, rs.raw, rs.raw_size, 0, why};
    if (!reader.ReadDir(0, 0, &root))
        return false;

    // Type, name and language levels down to the leaves to replace.
    std::u16string type_name(type, type + strlen(type));
    bool added;
    Entry *t = FindOrAdd(&root, &type_name, 0, &added);
    if (!t->dir) {
        if (!added) {
            *why = std::string("the stub's resource type ") + type + " is not a directory";
            return false;
        }
        t->dir.reset(new Node);
    }
    Entry *n = FindOrAdd(t->dir.get(), nullptr, id, &added);
    if (!n->dir) {
        if (!added) {
            *why = std::string("the stub's resource ") + type + " " + std::to_string(id) +
                   " has no language level";
            return false;
        }
        n->dir.reset(new Node);
    }
    if (n->dir->entries.empty()) {
        Entry neutral;
        n->dir->entries.push_back(std::move(neutral));
    }
    for (Entry &lang : n->dir->entries) {
        if (lang.dir) {
            *why = "resource tree: a language level holds a directory";
            return false;
        }
        if (data)
            lang.data = *data;
        lang.replaced = true;
    }

    TreeWriter writer;
    writer.rva = rs.va;
    writer.hole = data == nullptr;
    writer.hole_size = hole;
    if (!writer.Write(root, why))
        return false;
    uint64_t raw_size = AlignUp(writer.size, l.file_alignment);
    uint64_t image_size = AlignUp((uint64_t)rs.va + writer.size, l.section_alignment);
    if (rs.raw + raw_size > 0xFFFFFFFFu || image_size > 0xFFFFFFFFu) {
        *why = "the setup program would pass 4 GB";
        return false;
    }

    Bytes &img = out->image;
    img.assign(stub.begin(), stub.begin() + rs.raw);
    img.insert(img.end(), writer.out.begin(), writer.out.end());
    *total = rs.raw + raw_size;
    if (data)
        img.resize((size_t)*total, 0);

    Put32(&img, rs.header + 8, (uint32_t)writer.size);
    Put32(&img, rs.header + 16, (uint32_t)raw_size);
    Put32(&img, l.opt + 56, (uint32_t)image_size);
    if (rs.characteristics & kScnInitializedData) {
        // Linkers count the section's raw size aligned to FileAlignment.
        int64_t initialized = (int64_t)Get32(stub, l.opt + 8) + (int64_t)raw_size -
                              (int64_t)AlignUp(rs.raw_size, l.file_alignment);
        Put32(&img, l.opt + 8, initialized < 0 ? 0 : initialized > 0xFFFFFFFF ? 0xFFFFFFFFu
                                                                              : (uint32_t)initialized);
    }
    Put32(&img, l.dirs + kDirResource * 8, rs.va);
    Put32(&img, l.dirs + kDirResource * 8 + 4, (uint32_t)writer.size);
    if (l.dir_count > kDirSecurity) {
        Put32(&img, l.dirs + kDirSecurity * 8, 0);
        Put32(&img, l.dirs + kDirSecurity * 8 + 4, 0);
    }
    size_t field;
    if (!PeChecksumField(img.data(), img.size(), &field)) {
        *why = "optional header too short for a checksum";
        return false;
    }
    if (data)
        Put32(&img, field, PeComputeChecksum(img.data(), img.size(), field));
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
                             const std::function<bool(const ByteSinkFn &)> &copy_data,
                             FILE *file, std::vector<std::string> *notes, std::string *why)
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
        *why = std::string("cannot write: ") + strerror(errno);
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
            *why = std::string("cannot write: ") + strerror(errno);
            return false;
        }
    }
    unsigned char c[4];
    uint32_t v = sum.Finish();
    for (int i = 0; i < 4; i++)
        c[i] = (unsigned char)(v >> (8 * i));
    if (fflush(file) != 0 || fseeko(file, (off_t)field, SEEK_SET) != 0 ||
        fwrite(c, 1, 4, file) != 4 || fflush(file) != 0 || fseeko(file, 0, SEEK_END) != 0) {
        *why = std::string("cannot write: ") + strerror(errno);
        return false;
    }
    return true;
}

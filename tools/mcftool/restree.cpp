// Resource trees: the reader walks the directories depth first and keeps
// every field it does not change; the writer places the parts in the order
// the linkers use.
#include "restree.h"

#include <string.h>

#include "le.h"

namespace {

// A resource tree has three levels: type, name, language.
const int kMaxDepth = 3;
// Bounds for a hostile tree whose directories share children.
const uint32_t kMaxEntries = 1u << 20;

uint64_t AlignUp(uint64_t v, uint64_t a)
{
    return (v + a - 1) / a * a;
}

struct TreeReader {
    const Bytes &f;
    const std::function<bool(uint32_t, uint32_t, size_t *)> &locate;
    size_t base;   // file offset of the resource section
    uint32_t size; // its bytes in the file
    uint32_t visited;
    std::string *why;

    bool Fail(const char *what)
    {
        *why = std::string("resource tree: ") + what;
        return false;
    }

    bool ReadDir(uint32_t at, int depth, ResNode *node)
    {
        if (depth >= kMaxDepth)
            return Fail("deeper than type, name and language");
        if ((uint64_t)at + 16 > size)
            return Fail("a directory runs past the section");
        size_t d = base + at;
        node->characteristics = GetLe32(f.data() + d);
        node->timestamp = GetLe32(f.data() + d + 4);
        node->version = GetLe32(f.data() + d + 8);
        uint32_t count = GetLe16(f.data() + d + 12) + GetLe16(f.data() + d + 14);
        if ((uint64_t)at + 16 + (uint64_t)count * 8 > size)
            return Fail("a directory's entries run past the section");
        visited += count;
        if (visited > kMaxEntries)
            return Fail("too many entries");
        for (uint32_t i = 0; i < count; i++) {
            size_t e = d + 16 + (size_t)i * 8;
            uint32_t key = GetLe32(f.data() + e), target = GetLe32(f.data() + e + 4);
            ResEntry entry;
            if (key & 0x80000000u) {
                uint32_t s = key & 0x7FFFFFFFu;
                if ((uint64_t)s + 2 > size)
                    return Fail("a name runs past the section");
                uint32_t len = GetLe16(f.data() + base + s);
                if ((uint64_t)s + 2 + (uint64_t)len * 2 > size)
                    return Fail("a name runs past the section");
                entry.named = true;
                for (uint32_t c = 0; c < len; c++)
                    entry.name.push_back((char16_t)GetLe16(f.data() + base + s + 2 + c * 2));
            } else {
                entry.id = key;
            }
            if (target & 0x80000000u) {
                entry.dir.reset(new ResNode);
                if (!ReadDir(target & 0x7FFFFFFFu, depth + 1, entry.dir.get()))
                    return false;
            } else {
                if ((uint64_t)target + 16 > size)
                    return Fail("a data entry runs past the section");
                size_t de = base + target;
                uint32_t rva = GetLe32(f.data() + de), length = GetLe32(f.data() + de + 4);
                entry.codepage = GetLe32(f.data() + de + 8);
                entry.reserved = GetLe32(f.data() + de + 12);
                size_t offset;
                if (length > 0 && !locate(rva, length, &offset))
                    return Fail("a resource's data lies outside the file");
                if (length > 0)
                    entry.data.assign(f.begin() + offset, f.begin() + offset + length);
            }
            node->entries.push_back(std::move(entry));
        }
        return true;
    }
};

char16_t Upper16(char16_t c)
{
    return c >= 'a' && c <= 'z' ? (char16_t)(c - 32) : c;
}

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

} // namespace

bool ReadResourceTree(
    const Bytes &f, size_t base, uint32_t size,
    const std::function<bool(uint32_t rva, uint32_t length, size_t *offset)> &locate, ResNode *root,
    std::string *why)
{
    TreeReader reader = {f, locate, base, size, 0, why};
    return reader.ReadDir(0, 0, root);
}

ResEntry *FindOrAdd(ResNode *node, const std::u16string *name, uint32_t id, bool *added)
{
    *added = false;
    size_t at = 0;
    for (; at < node->entries.size(); at++) {
        ResEntry &e = node->entries[at];
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
    ResEntry e;
    e.named = name != nullptr;
    if (name)
        e.name = *name;
    e.id = id;
    node->entries.insert(node->entries.begin() + at, std::move(e));
    *added = true;
    return &node->entries[at];
}

uint64_t TreeWriter::Place(Plan *p) const
{
    uint64_t at = 0;
    for (const ResNode *d : p->dirs) {
        p->dir_at.push_back(at);
        at += 16 + 8 * (uint64_t)d->entries.size();
    }
    for (const ResEntry *e : p->named) {
        p->name_at.push_back(at);
        at += 2 + 2 * (uint64_t)e->name.size();
    }
    at = AlignUp(at, 4);
    for (size_t i = 0; i < p->leaves.size(); i++) {
        p->leaf_at.push_back(at);
        at += 16;
    }
    p->data_at.resize(p->leaves.size());
    for (int last = 0; last < 2; last++)
        for (size_t i = 0; i < p->leaves.size(); i++)
            if (p->leaves[i]->replaced == (last == 1)) {
                at = AlignUp(at, 8);
                p->data_at[i] = at;
                at += LeafSize(p->leaves[i]);
            }
    return at;
}

void TreeWriter::PutEntry(const ResEntry &e, size_t eo, Plan *p)
{
    if (e.named) {
        size_t s = (size_t)p->name_at[p->next_name++];
        PutLe32(&out[eo], 0x80000000u | (uint32_t)s);
        PutLe16(&out[s], (uint32_t)e.name.size());
        for (size_t c = 0; c < e.name.size(); c++)
            PutLe16(&out[s + 2 + 2 * c], e.name[c]);
    } else {
        PutLe32(&out[eo], e.id);
    }
    if (e.dir) {
        PutLe32(&out[eo + 4], 0x80000000u | (uint32_t)p->dir_at[p->next_dir++]);
        return;
    }
    size_t l = (size_t)p->leaf_at[p->next_leaf];
    size_t data = (size_t)p->data_at[p->next_leaf];
    p->next_leaf++;
    PutLe32(&out[eo + 4], (uint32_t)l);
    PutLe32(&out[l], rva + (uint32_t)data);
    PutLe32(&out[l + 4], (uint32_t)LeafSize(&e));
    PutLe32(&out[l + 8], e.codepage);
    PutLe32(&out[l + 12], e.reserved);
    if (!e.data.empty() && !(hole && e.replaced))
        memcpy(&out[data], e.data.data(), e.data.size());
}

bool TreeWriter::PutDir(size_t i, Plan *p, std::string *why)
{
    const ResNode *d = p->dirs[i];
    size_t o = (size_t)p->dir_at[i];
    uint32_t named = 0;
    for (const ResEntry &e : d->entries)
        named += e.named;
    if (named > 0xFFFF || d->entries.size() - named > 0xFFFF) {
        *why = "too many resources in one directory";
        return false;
    }
    PutLe32(&out[o], d->characteristics);
    PutLe32(&out[o + 4], d->timestamp);
    PutLe32(&out[o + 8], d->version);
    PutLe16(&out[o + 12], named);
    PutLe16(&out[o + 14], (uint32_t)(d->entries.size() - named));
    for (size_t k = 0; k < d->entries.size(); k++)
        PutEntry(d->entries[k], o + 16 + k * 8, p);
    return true;
}

bool TreeWriter::Write(const ResNode &root, std::string *why)
{
    Plan p;
    Collect(&root, &p);
    uint64_t at = Place(&p);
    if (at + rva > 0xFFFFFFFFu) {
        *why = "the resources would pass 4 GB";
        return false;
    }
    size = at;
    if (hole) {
        size_t replaced = 0;
        for (const ResEntry *e : p.leaves)
            replaced += e->replaced;
        if (replaced != 1) {
            *why = "the payload resource is there in more than one language";
            return false;
        }
        at -= hole_size; // the replaced leaf is laid out last
    }
    out.assign((size_t)at, 0);
    for (size_t i = 0; i < p.dirs.size(); i++)
        if (!PutDir(i, &p, why))
            return false;
    return true;
}

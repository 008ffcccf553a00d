// The resource tree of a PE file held in memory: read from the resource
// section (every offset checked), changed, and laid out again. A tree has
// three levels, type, name and language; the leaves hold the data.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mcfformat.h"

struct ResNode;

struct ResEntry {
    bool named = false;
    std::u16string name;
    uint32_t id = 0;
    std::unique_ptr<ResNode> dir; // a subdirectory, or else a leaf:
    Bytes data;
    uint32_t codepage = 0, reserved = 0;
    bool replaced = false; // the written resource: laid out last
};

struct ResNode {
    uint32_t characteristics = 0, timestamp = 0, version = 0;
    std::vector<ResEntry> entries;
};

// Reads the tree of the resource section, `size` bytes at file offset
// `base` of f; `locate` gives the file offset of a leaf's `length` bytes
// at an address, or false when they lie outside the file.
bool ReadResourceTree(
    const Bytes &f, size_t base, uint32_t size,
    const std::function<bool(uint32_t rva, uint32_t length, size_t *offset)> &locate, ResNode *root,
    std::string *why);

// The entry with this key (a name, or with name null the id), added in
// sorted place (named entries first, by name, then ids ascending) when
// missing.
ResEntry *FindOrAdd(ResNode *node, const std::u16string *name, uint32_t id, bool *added);

// Lays a tree out as a resource section: the directory tables, the name
// strings, the data entries and the data of every leaf (8-byte aligned),
// the replaced leaves last.
struct TreeWriter {
    Bytes out;
    uint32_t rva; // of the section start
    // A payload too large to hold: the one replaced leaf's data is left out
    // of `out` (which then ends where it begins) and only its size laid out.
    bool hole = false;
    uint64_t hole_size = 0;
    uint64_t size = 0; // of the whole tree, hole included

    uint64_t LeafSize(const ResEntry *e) const
    {
        return hole && e->replaced ? hole_size : e->data.size();
    }

    // The sizes of the parts, to place each one.
    struct Plan {
        std::vector<const ResNode *> dirs; // breadth first
        std::vector<const ResEntry *> named, leaves;
        std::vector<uint64_t> dir_at, name_at, leaf_at, data_at; // where each goes
        size_t next_dir = 1, next_name = 0, next_leaf = 0;       // as they are written
    };

    static void Collect(const ResNode *root, Plan *p)
    {
        p->dirs.push_back(root);
        for (size_t i = 0; i < p->dirs.size(); i++)
            for (const ResEntry &e : p->dirs[i]->entries) {
                if (e.named)
                    p->named.push_back(&e);
                if (e.dir)
                    p->dirs.push_back(e.dir.get());
                else
                    p->leaves.push_back(&e);
            }
    }

    // Lays the tree out in `out`; false with *why when it cannot be.
    bool Write(const ResNode &root, std::string *why);

    // Places every part of the plan; the tree's size.
    uint64_t Place(Plan *p) const;
    // Writes directory i of the plan with its entries; false with *why.
    bool PutDir(size_t i, Plan *p, std::string *why);
    // Writes the entry at offset eo, with its name and its leaf or subdirectory.
    void PutEntry(const ResEntry &e, size_t eo, Plan *p);
};

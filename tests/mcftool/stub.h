// The build tests' own stub: a PE32 or PE32+ file with pictures, a dialog
// and a decoy beside the payload, as a resource compiler lays them out; and
// the fixture that builds from it.
#pragma once
#include <sys/stat.h>

#include <map>
#include <string>
#include <vector>

#include "container.h"
#include "payloadcheck.h"
#include "tooltest.h"

inline uint32_t Get32(const Bytes &b, size_t at)
{
    return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 |
           (uint32_t)b[at + 3] << 24;
}

// One resource of the stub: a named type (type_name) or an integer one.
struct Res {
    std::string type_name;
    uint32_t type_id;
    uint32_t id;
    Bytes data;
};

struct StubOptions {
    bool plus = false;      // PE32+ (x86_64)
    bool signature = false; // an Authenticode certificate table at the end
    bool rsrc_last = true;  // else a .reloc section follows the resources
};

// The resources every stub carries: two pictures, a dialog, a decoy
// CMPFILE 120, named types sorted
// before the integer ones as a resource compiler writes them.
std::vector<Res> StubResources();
// A stub of those resources, its checksum set.
Bytes MakeStub(const StubOptions &o);

class Build : public ToolDirTest {
protected:
    void SetUp() override
    {
        ToolDirTest::SetUp();
        Write("stub.exe", MakeStub(StubOptions()));
    }

    void Folder(const std::string &name) { ASSERT_EQ(mkdir(Path(name).c_str(), 0755), 0) << name; }

    // The records of the container inside a built file: stored name -> data.
    std::map<std::string, uint32_t> StoredNames(const std::string &exe)
    {
        std::map<std::string, uint32_t> names;
        Bytes file = Read(exe);
        const unsigned char *data;
        uint32_t size;
        std::string why;
        EXPECT_TRUE(LocateContainer(file, &data, &size, &why)) << why;
        McfReader r;
        if (McfOpen(&r, data, size) != MCF_RECORD)
            return names;
        McfRecord rec;
        const unsigned char *stream;
        while (McfNext(&r, &rec, &stream) == MCF_RECORD)
            names[rec.file_name] = rec.stream_length;
        return names;
    }
};

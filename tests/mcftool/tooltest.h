// What the mcftool tests share: a scratch folder per test, files in it, and
// mcftool run there as a separate process with its status and both outputs.
#pragma once
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <string>
#include <utility>
#include <vector>

#include "input.h"
#include "payloadcheck.h"

struct Result {
    int status;
    std::string out;
    std::string err;
};

inline Bytes Str(const std::string &s)
{
    return Bytes(s.begin(), s.end());
}

inline void Put16(Bytes *b, size_t at, uint32_t v)
{
    (*b)[at] = (unsigned char)v;
    (*b)[at + 1] = (unsigned char)(v >> 8);
}

inline void Put32(Bytes *b, size_t at, uint32_t v)
{
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

class ToolDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/mcftool-test-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    // Tests make read-only files and folders; they go too.
    void TearDown() override
    {
        if (system(("chmod -R u+rwx '" + dir_ + "'; rm -rf '" + dir_ + "'").c_str()) != 0)
            ADD_FAILURE() << "could not remove " << dir_;
    }

    std::string Path(const std::string &name) { return dir_ + "/" + name; }

    void Write(const std::string &name, const Bytes &data)
    {
        ASSERT_TRUE(WriteWholeFile(Path(name), data.data(), data.size())) << name;
    }

    Bytes Read(const std::string &name)
    {
        Bytes b;
        EXPECT_TRUE(ReadWholeFile(Path(name), &b)) << name;
        return b;
    }

    // Anything at the name, a dangling link too.
    bool Exists(const std::string &name)
    {
        struct stat st;
        return lstat(Path(name).c_str(), &st) == 0;
    }

    // Runs mcftool in the test's folder. File names never pass through the
    // shell: the operands the tests give are plain words.
    Result Run(const std::string &args)
    {
        std::string cmd =
            "cd '" + dir_ + "' && " + MCFTOOL_PATH + " " + args + " >.stdout 2>.stderr";
        int rc = system(cmd.c_str());
        Bytes out = Read(".stdout"), err = Read(".stderr");
        return Result{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, std::string(out.begin(), out.end()),
                      std::string(err.begin(), err.end())};
    }

    std::string dir_;
};

// The commands' tests: a sample text file as the installer's payload would hold one.
class Mcftool : public ToolDirTest {
protected:
    Bytes Sample()
    {
        std::string s;
        for (int i = 0; i < 400; i++)
            s += "[Korvu]\r\nData=C:\\KORVU\\DATA" + std::to_string(i % 17) + "\r\n";
        return Str(s);
    }

    // The container `good` with its first record's CRC flipped.
    void WriteBadCrc(const std::string &name, Bytes good)
    {
        good[4 + 4] ^= 1;
        Write(name, good);
    }
};

// A minimal PE32 image with one .rsrc section holding an icon-type decoy
// and the named type `type` with ids 120 (decoy) and 121 (the payload),
// one language each, the way a resource compiler lays them out.
Bytes MakePe(const Bytes &payload, const char *type = "CMPFILE");
// A container written by hand, for what pack would refuse to write.
Bytes Container(const std::vector<std::pair<std::string, Bytes>> &files);

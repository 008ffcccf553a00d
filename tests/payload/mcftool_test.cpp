// mcftool as the build and the release use it: commands, exit statuses,
// messages and the files it writes.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#include "mcfio.h"

namespace {

struct Result {
    int status;
    std::string err;
};

class McftoolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/mcftool-test-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { (void)system(("rm -rf '" + dir_ + "'").c_str()); }

    std::string Path(const std::string &name) { return dir_ + "/" + name; }

    void Write(const std::string &name, const Bytes &data)
    {
        ASSERT_TRUE(WriteWholeFile(Path(name), data.data(), data.size()));
    }

    Bytes Read(const std::string &name)
    {
        Bytes b;
        EXPECT_TRUE(ReadWholeFile(Path(name), &b)) << name;
        return b;
    }

    Result Run(const std::string &args)
    {
        std::string err = Path("stderr.txt");
        std::string cmd = std::string(MCFTOOL_PATH) + " " + args + " >" + Path("stdout.txt") +
                          " 2>" + err;
        int rc = system(cmd.c_str());
        Bytes e;
        ReadWholeFile(err, &e);
        return Result{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, std::string(e.begin(), e.end())};
    }

    std::string dir_;
};

TEST_F(McftoolTest, PackThenVerifyAndExtract)
{
    Bytes text;
    for (int i = 0; i < 3000; i++)
        text.push_back((unsigned char)("Korvu ark 7.2\r\n"[i % 15]));
    Write("Readme.txt", text);
    Write("Empty.dat", Bytes{});
    Write("One.bin", Bytes{0x42});
    ASSERT_EQ(Run("pack " + Path("p.mcf") + " " + Path("Readme.txt") + " " + Path("Empty.dat") +
                  " " + Path("One.bin"))
                  .status,
              0);
    EXPECT_EQ(Run("verify " + Path("p.mcf")).status, 0);
    ASSERT_EQ(mkdir(Path("out").c_str(), 0755), 0);
    ASSERT_EQ(Run("extract " + Path("p.mcf") + " " + Path("out")).status, 0);
    EXPECT_EQ(Read("out/Readme.txt"), text);
    EXPECT_EQ(Read("out/Empty.dat"), Bytes{});
    EXPECT_EQ(Read("out/One.bin"), Bytes{0x42});
}

} // namespace

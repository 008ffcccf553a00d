// mcftool build on a stub of our own making (PE32 and PE32+, with pictures,
// a dialog and a decoy beside the payload): what it writes, what it keeps,
// what it refuses, and the names it stores and gives back.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "container.h"
#include "names.h"
#include "payloadcheck.h"
#include "peres.h"
#include "peres_write.h"
#include "tooltest.h"

namespace {

uint32_t Get32(const Bytes &b, size_t at)
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

// A resource section laid out the simple way: per resource one type, name
// and language directory (types are never shared here), then the strings,
// the data entries and the data.
Bytes ResourceSection(const std::vector<Res> &res, uint32_t rva)
{
    size_t n = res.size();
    size_t root = 0, types = 16 + 8 * n;
    size_t names = types + n * 24, langs = names + n * 24;
    size_t strings = langs + n * 24;
    size_t at = strings;
    std::vector<size_t> string_at(n), entry_at(n), data_at(n);
    for (size_t i = 0; i < n; i++) {
        string_at[i] = at;
        at += res[i].type_name.empty() ? 0 : 2 + 2 * res[i].type_name.size();
    }
    at = (at + 3) & ~(size_t)3;
    for (size_t i = 0; i < n; i++, at += 16)
        entry_at[i] = at;
    for (size_t i = 0; i < n; i++) {
        at = (at + 7) & ~(size_t)7;
        data_at[i] = at;
        at += res[i].data.size();
    }
    Bytes s(at, 0);
    size_t named = 0;
    for (const Res &r : res)
        named += !r.type_name.empty();
    Put16(&s, root + 12, (uint32_t)named);
    Put16(&s, root + 14, (uint32_t)(n - named));
    for (size_t i = 0; i < n; i++) {
        const Res &r = res[i];
        size_t e = root + 16 + 8 * i;
        if (!r.type_name.empty()) {
            Put32(&s, e, 0x80000000u | (uint32_t)string_at[i]);
            Put16(&s, string_at[i], (uint32_t)r.type_name.size());
            for (size_t c = 0; c < r.type_name.size(); c++)
                Put16(&s, string_at[i] + 2 + 2 * c, (unsigned char)r.type_name[c]);
        } else {
            Put32(&s, e, r.type_id);
        }
        Put32(&s, e + 4, 0x80000000u | (uint32_t)(types + 24 * i));
        Put16(&s, types + 24 * i + 14, 1);
        Put32(&s, types + 24 * i + 16, r.id);
        Put32(&s, types + 24 * i + 20, 0x80000000u | (uint32_t)(names + 24 * i));
        Put16(&s, names + 24 * i + 14, 1);
        Put32(&s, names + 24 * i + 16, 1033);
        Put32(&s, names + 24 * i + 20, (uint32_t)entry_at[i]);
        Put32(&s, entry_at[i], rva + (uint32_t)data_at[i]);
        Put32(&s, entry_at[i] + 4, (uint32_t)r.data.size());
        Put32(&s, entry_at[i] + 8, 1252);
        memcpy(&s[data_at[i]], r.data.data(), r.data.size());
    }
    (void)langs;
    return s;
}

struct StubOptions {
    bool plus = false;      // PE32+ (x86_64)
    bool signature = false; // an Authenticode certificate table at the end
    bool rsrc_last = true;  // else a .reloc section follows the resources
};

// The resources every stub carries: two pictures, a dialog, a decoy
// CMPFILE 120, named types sorted
// before the integer ones as a resource compiler writes them.
std::vector<Res> StubResources()
{
    return {{"CMPFILE", 0, 120, Str("decoy")},
            {"", 2, 1, Bytes(3000, 0x11)},
            {"", 2, 2, Bytes(1234, 0x22)},
            {"", 5, 102, Str("a dialog template")}};
}

Bytes MakeStub(const StubOptions &o)
{
    const uint32_t kFileAlign = 0x200, kSectAlign = 0x1000;
    // CMPFILE holds only the decoy 120: build adds 121 beside it (the
    // replacement of an existing 121 is what the real setup.exe tests).
    std::vector<Res> res = StubResources();
    Bytes rsrc = ResourceSection(res, 0x2000);
    size_t opt_size = o.plus ? 240 : 224;
    size_t sections = 0x58 + opt_size;
    int count = o.rsrc_last ? 2 : 3;
    Bytes pe(0x400, 0);
    pe[0] = 'M';
    pe[1] = 'Z';
    Put32(&pe, 0x3C, 0x40);
    memcpy(&pe[0x40], "PE\0\0", 4);
    Put16(&pe, 0x44, o.plus ? 0x8664 : 0x14C);
    Put16(&pe, 0x46, count);
    Put16(&pe, 0x54, (uint32_t)opt_size);
    const size_t opt = 0x58;
    Put16(&pe, opt, o.plus ? 0x20B : 0x10B);
    Put32(&pe, opt + 8, 0x200 + ((uint32_t)rsrc.size() + kFileAlign - 1) / kFileAlign * kFileAlign);
    Put32(&pe, opt + 32, kSectAlign);
    Put32(&pe, opt + 36, kFileAlign);
    Put32(&pe, opt + 60, 0x400); // SizeOfHeaders
    size_t dirs = opt + (o.plus ? 112 : 96);
    Put32(&pe, opt + (o.plus ? 108 : 92), 16);
    Put32(&pe, dirs + 2 * 8, 0x2000);
    Put32(&pe, dirs + 2 * 8 + 4, (uint32_t)rsrc.size());

    auto section = [&](int i, const char *name, uint32_t va, uint32_t vsize, uint32_t raw,
                       uint32_t raw_size, uint32_t flags) {
        size_t h = sections + 40 * i;
        memcpy(&pe[h], name, strlen(name));
        Put32(&pe, h + 8, vsize);
        Put32(&pe, h + 12, va);
        Put32(&pe, h + 16, raw_size);
        Put32(&pe, h + 20, raw);
        Put32(&pe, h + 36, flags);
    };
    uint32_t rsrc_raw = ((uint32_t)rsrc.size() + kFileAlign - 1) / kFileAlign * kFileAlign;
    section(0, ".text", 0x1000, 0x10, 0x400, 0x200, 0x60000020);
    section(1, ".rsrc", 0x2000, (uint32_t)rsrc.size(), 0x600, rsrc_raw, 0x40000040);
    uint32_t end_va = 0x2000 + (rsrc_raw + kSectAlign - 1) / kSectAlign * kSectAlign;
    if (!o.rsrc_last)
        section(2, ".reloc", end_va, 0x10, 0x600 + rsrc_raw, 0x200, 0x42000040);
    Put32(&pe, opt + 56, end_va + (o.rsrc_last ? 0 : kSectAlign));
    pe.resize(0x600, 0);
    pe[0x400] = 0xC3; // ret
    pe.insert(pe.end(), rsrc.begin(), rsrc.end());
    pe.resize(0x600 + rsrc_raw, 0);
    if (!o.rsrc_last)
        pe.resize(pe.size() + 0x200, 0);
    if (o.signature) {
        Put32(&pe, dirs + 4 * 8, (uint32_t)pe.size());
        Put32(&pe, dirs + 4 * 8 + 4, 0x108);
        Bytes cert(0x108, 0x5A);
        pe.insert(pe.end(), cert.begin(), cert.end());
    }
    size_t field;
    EXPECT_TRUE(PeChecksumField(pe.data(), pe.size(), &field));
    Put32(&pe, field, PeComputeChecksum(pe.data(), pe.size(), field));
    return pe;
}

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

// Awkward but legal: what a shell or a careless quoting would break, and
// names outside ASCII that code page 1252 has.
const std::vector<std::string> &AwkwardNames()
{
    static const std::vector<std::string> names = {"Read me.txt",
                                                   "it's.txt",
                                                   "cost$HOME.txt",
                                                   "a&b #1.txt",
                                                   "x`whoami`y.txt",
                                                   "caf\xC3\xA9.txt",
                                                   "\xC3\x84rger.txt",
                                                   "\xE2\x82\xAC"
                                                   "100.txt",
                                                   "-rf",
                                                   "[x];(y)=z,%20.txt",
                                                   ".hidden",
                                                   std::string(241, 'l') + "\xC3\xA9.txt"};
    return names;
}

TEST_F(Build, AFolderOfAwkwardNamesRoundTripsThroughTheCodePage)
{
    Folder("app");
    for (const std::string &n : AwkwardNames())
        Write("app/" + n, Str("contents of " + n + "\r\n"));
    Result r = Run("build --stub stub.exe setup.exe app");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");

    // Stored as Windows-1252 bytes, e.g. "caf\xE9.txt", the long name in 246.
    std::map<std::string, uint32_t> stored = StoredNames("setup.exe");
    EXPECT_EQ(stored.size(), AwkwardNames().size());
    EXPECT_TRUE(stored.count("caf\xE9.txt"));
    EXPECT_TRUE(stored.count("\xC4rger.txt"));
    EXPECT_TRUE(stored.count("\x80"
                             "100.txt"));
    EXPECT_TRUE(stored.count(std::string(241, 'l') + "\xE9.txt"));

    // list and extract convert back: the same names, the same bytes.
    r = Run("list setup.exe");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string &n : AwkwardNames())
        EXPECT_NE(r.out.find(" " + n + "\n"), std::string::npos) << n << "\n" << r.out;
    r = Run("extract setup.exe out");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string &n : AwkwardNames())
        EXPECT_EQ(Read("out/" + n), Str("contents of " + n + "\r\n")) << n;
    EXPECT_EQ(Run("verify setup.exe").status, 0);
}

TEST_F(Build, OtherCodePagesConvertAndRefuseByName)
{
    Folder("ru");
    Write("ru/\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.txt", Str("1251")); // привет.txt
    Result r = Run("build --stub stub.exe setup.exe ru");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("U+043F"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("code page 1252 lacks"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists("setup.exe"));

    r = Run("build --codepage 1251 --stub stub.exe setup.exe ru");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(StoredNames("setup.exe").count("\xEF\xF0\xE8\xE2\xE5\xF2.txt"));
    r = Run("list --codepage 1251 setup.exe");
    EXPECT_NE(r.out.find("\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.txt"), std::string::npos)
        << r.out;
    EXPECT_EQ(Run("verify --codepage 1251 setup.exe").status, 0);

    // In code page 932 the second byte of 表 is 0x5C, a backslash to the
    // installer's own check.
    Folder("jp");
    Write("jp/\xE8\xA1\xA8.txt", Str("932"));
    r = Run("build --codepage 932 --stub stub.exe jp.exe jp");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("reads as \\"), std::string::npos) << r.err;
    for (const char *cp : {"65001", "437", "abc"}) {
        r = Run(std::string("build --codepage ") + cp + " --stub stub.exe x.exe ru");
        EXPECT_NE(r.status, 0) << cp;
        EXPECT_FALSE(Exists("x.exe")) << cp;
    }
}

TEST_F(Build, EveryRefusalNamesTheFileAndLeavesNoOutput)
{
    struct Case {
        const char *name;
        const char *reason;
    };
    const Case cases[] = {
        {"aux", "device name AUX"},
        {"NUL", "device name NUL"},
        {"COM1.log", "device name COM1"},
        {"con.txt", "device name CON"},
        {"Lpt9.tar.gz", "device name LPT9"},
        {"prn .txt", "device name PRN"},
        {"q?.txt", "has ?"},
        {"a<b>c.txt", "has < >"},
        {"pipe|star*.txt", "has | *"},
        {"back\\slash", "has \\"},
        {"colon:x", "has :"},
        {"quote\"d", "has \""},
        {"dot.", "ends in a dot"},
        {"blank ", "ends in a blank"},
        {"tab\tname", "control character"},
        {"snow\xE2\x98\x83.txt", "U+2603"},
        {"~KV+Korvu72.exe", "begins with ~kv"},
        {"~kv", "begins with ~kv"},
    };
    Write("keep.exe", Str("an earlier installer"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(system(("rm -rf '" + Path("app") + "'").c_str()), 0);
        Folder("app");
        Write("app/good.txt", Str("good"));
        Write(std::string("app/") + c.name, Str("bad"));
        Result r = Run("build --stub stub.exe setup.exe app");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(Printable(std::string("app/") + c.name) + ": cannot be packed"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("good.txt"), std::string::npos) << r.err;
        EXPECT_FALSE(Exists("setup.exe"));
        r = Run("build -f --stub stub.exe keep.exe app");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(Read("keep.exe"), Str("an earlier installer"));
    }
}

TEST_F(Build, FoldersSpecialFilesAndSetsThatWindowsCannotHold)
{
    // All at once: one line per offending file, nothing written.
    Folder("app");
    Write("app/good.txt", Str("good"));
    Folder("app/help");
    Write("app/help/i.htm", Str("<p>"));
    ASSERT_EQ(symlink("/tmp", Path("app/linked").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", Path("app/dangling").c_str()), 0);
    ASSERT_EQ(mkfifo(Path("app/fifo").c_str(), 0644), 0);
    Write("app/\xC3\x84.txt", Str("upper"));
    Write("app/\xC3\xA4.txt", Str("lower")); // one file on Windows with Ä.txt
    Write("app/" + std::string(247, 'n'), Str("too long behind C:\\Korvu\\"));
    Write("app/" + std::string(246, 'm'), Str("just fits"));
    Result r = Run("build --stub stub.exe setup.exe app");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("app/help: cannot be packed: is a folder"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("app/linked: cannot be packed: is a symbolic link to a folder"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("app/dangling: cannot be packed: is a symbolic link to nothing"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("app/fifo: cannot be packed: is a special file"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("app/\xC3\xA4.txt: cannot be packed: is the same file on Windows as "
                         "\xC3\x84.txt"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(std::string(247, 'n') + ": cannot be packed: is 247 bytes"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 6) << r.err;
    EXPECT_FALSE(Exists("setup.exe"));

    // A symbolic link to a regular file is its file.
    ASSERT_EQ(system(("rm -rf '" + Path("app") + "'").c_str()), 0);
    Folder("app");
    Write("target.txt", Str("through a link"));
    ASSERT_EQ(symlink("../target.txt", Path("app/via-link.txt").c_str()), 0);
    r = Run("build --stub stub.exe setup.exe app");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(StoredNames("setup.exe").count("via-link.txt"));

    // Nothing to install is not an installer.
    Folder("empty");
    for (const char *args : {"empty", "no-such-folder", ""}) {
        r = Run(std::string("build -f --stub stub.exe out.exe ") + args);
        EXPECT_NE(r.status, 0) << args;
        EXPECT_FALSE(Exists("out.exe")) << args;
    }
    EXPECT_NE(Run("build --stub stub.exe out.exe empty").err.find("empty: is empty"),
              std::string::npos);
    EXPECT_NE(Run("build --stub stub.exe out.exe no-such-folder").err.find("no-such-folder"),
              std::string::npos);
}

TEST_F(Build, AnExistingOutputNeedsForceAndAFolderIsNeverReplaced)
{
    Folder("app");
    Write("app/a.txt", Str("a"));
    Write("setup.exe", Str("earlier"));
    Result r = Run("build --stub stub.exe setup.exe app");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("setup.exe already exists; use -f"), std::string::npos) << r.err;
    EXPECT_EQ(Read("setup.exe"), Str("earlier"));
    r = Run("build --force --stub stub.exe setup.exe app");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(StoredNames("setup.exe").size(), 1u);

    Folder("out.exe");
    Write("out.exe/inside", Str("kept"));
    r = Run("build -f --stub stub.exe out.exe app");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("out.exe is a folder"), std::string::npos) << r.err;
    EXPECT_EQ(Read("out.exe/inside"), Str("kept"));
    ASSERT_EQ(symlink("setup.exe", Path("link.exe").c_str()), 0);
    EXPECT_EQ(Run("build -f --stub stub.exe link.exe app").status, 1);

    // A folder that cannot be written: no output and no temporary file.
    Folder("ro");
    ASSERT_EQ(chmod(Path("ro").c_str(), 0555), 0);
    if (access(Path("ro").c_str(), W_OK) != 0) {
        r = Run("build --stub stub.exe ro/setup.exe app");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("ro/setup.exe"), std::string::npos) << r.err;
    }
    // Nothing but our files in the folder: no temporary file stayed behind.
    r = Run("build --stub stub.exe missing-dir/setup.exe app");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(system(("ls -A '" + dir_ + "' | grep -q mcftool-").c_str()) != 0, true);
}

// Whether a temporary output file stands in the test's folder.
bool HasTemporary(const std::string &dir)
{
    DIR *d = opendir(dir.c_str());
    bool found = false;
    while (struct dirent *e = d ? readdir(d) : nullptr)
        found = found || strncmp(e->d_name, ".mcftool-", 9) == 0;
    if (d)
        closedir(d);
    return found;
}

TEST_F(Build, AnInterruptedBuildLeavesTheEarlierOutputAndNoTemporaryFile)
{
    Folder("big");
    Bytes noise(24u << 20);
    uint32_t x = 12345;
    for (unsigned char &b : noise)
        b = (unsigned char)((x = x * 1103515245u + 12345u) >> 24);
    Write("big/noise.bin", noise);
    Write("setup.exe", Str("the earlier installer"));
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (chdir(dir_.c_str()) != 0)
                _exit(99);
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execl(MCFTOOL_PATH, "mcftool", "build", "-f", "--stub", "stub.exe", "setup.exe", "big",
                  (char *)nullptr);
            _exit(98);
        }
        // Interrupted while it encodes, with its temporary file open.
        bool seen = false;
        for (int i = 0; i < 2000 && !seen; i++) {
            seen = HasTemporary(dir_);
            if (!seen) {
                struct timespec ms = {0, 5000000};
                nanosleep(&ms, nullptr);
            }
        }
        EXPECT_TRUE(seen) << "no temporary file appeared";
        kill(pid, sig);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
        EXPECT_FALSE(HasTemporary(dir_));
        EXPECT_EQ(Read("setup.exe"), Str("the earlier installer"));
    }
}

TEST_F(Build, TheWrittenImageKeepsTheStubsResourcesAndIsReproducible)
{
    Folder("app");
    Write("app/Readme.txt", Str("read me\r\n"));
    Write("app/Big.bin", Bytes(70000, 0x42));
    for (bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        StubOptions o;
        o.plus = plus;
        Bytes stub = MakeStub(o);
        Write("stub.exe", stub);
        Result r = Run("build -f --stub stub.exe one.exe app");
        ASSERT_EQ(r.status, 0) << r.err;
        r = Run("build -f --stub stub.exe two.exe app");
        ASSERT_EQ(r.status, 0) << r.err;
        Bytes one = Read("one.exe");
        EXPECT_EQ(one, Read("two.exe")) << "same inputs, same bytes";

        // The decoy of the same type is kept; the payload is what was built.
        size_t offset;
        uint32_t length;
        ASSERT_TRUE(PeFindResource(one.data(), one.size(), "CMPFILE", 120, &offset, &length));
        EXPECT_EQ(Bytes(one.begin() + offset, one.begin() + offset + length), Str("decoy"));
        ASSERT_TRUE(PeFindResource(one.data(), one.size(), "CMPFILE", 121, &offset, &length));
        EXPECT_EQ(memcmp(&one[offset], "MCFX", 4), 0);

        // Headers: checksum of the final bytes, image size and the section
        // sizes follow the new section, which stays last and file-aligned.
        size_t field;
        ASSERT_TRUE(PeChecksumField(one.data(), one.size(), &field));
        EXPECT_EQ(Get32(one, field), PeComputeChecksum(one.data(), one.size(), field));
        EXPECT_NE(Get32(one, field), Get32(stub, field));
        size_t sec = 0x58 + (plus ? 240 : 224) + 40;
        uint32_t vsize = Get32(one, sec + 8), va = Get32(one, sec + 12);
        uint32_t raw_size = Get32(one, sec + 16), raw = Get32(one, sec + 20);
        EXPECT_EQ(raw_size % 0x200, 0u);
        EXPECT_EQ((size_t)raw + raw_size, one.size());
        EXPECT_GE(raw_size, vsize);
        EXPECT_EQ(Get32(one, 0x58 + 56), (va + vsize + 0xFFF) / 0x1000 * 0x1000);
        size_t dirs = 0x58 + (plus ? 112 : 96);
        EXPECT_EQ(Get32(one, dirs + 16), va);
        EXPECT_EQ(Get32(one, dirs + 20), vsize);
        EXPECT_EQ(Bytes(one.begin(), one.begin() + 0x58), Bytes(stub.begin(), stub.begin() + 0x58));
        EXPECT_EQ(Run("verify one.exe").status, 0);
    }

    // The integer types (pictures, dialog) come through unchanged: the
    // written section holds their bytes exactly once each.
    Bytes one = Read("one.exe");
    for (const Res &res : StubResources()) {
        auto at = std::search(one.begin(), one.end(), res.data.begin(), res.data.end());
        EXPECT_NE(at, one.end()) << res.type_id << "/" << res.id;
    }
}

// The check value beside the payload (resource 122): its length and CRC-32,
// matched by list and verify; a changed byte, a cut or a stale value from
// an older build is refused. checkvalue writes the same 8 bytes for the
// project's own build.
TEST_F(Build, TheCheckValueMatchesThePayloadAndCatchesDamage)
{
    Folder("app");
    Write("app/Readme.txt", Str("read me\r\n"));
    Write("app/Big.bin", Bytes(70000, 0x42));
    Result r = Run("build -f --stub stub.exe one.exe app");
    ASSERT_EQ(r.status, 0) << r.err;
    Bytes one = Read("one.exe");
    size_t payload_at, check_at;
    uint32_t payload_length, check_length;
    ASSERT_TRUE(
        PeFindResource(one.data(), one.size(), "CMPFILE", 121, &payload_at, &payload_length));
    ASSERT_TRUE(PeFindResource(one.data(), one.size(), "CMPFILE", 122, &check_at, &check_length));
    ASSERT_EQ(check_length, MCF_CHECK_SIZE);
    EXPECT_EQ(Get32(one, check_at), payload_length);
    EXPECT_EQ(Get32(one, check_at + 4), Crc32Of(&one[payload_at], payload_length));
    EXPECT_EQ(McfCheckMatches(&one[check_at], check_length, &one[payload_at], payload_length), 1);
    r = Run("verify one.exe");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("check value: " + std::to_string(payload_length) + " bytes"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(Run("list one.exe").status, 0);

    // The container's own check value, as the project's build makes it.
    Write("app.mcf", Bytes(one.begin() + payload_at, one.begin() + payload_at + payload_length));
    ASSERT_EQ(Run("checkvalue app.mcf app.chk").status, 0);
    EXPECT_EQ(Read("app.chk"), Bytes(one.begin() + check_at, one.begin() + check_at + 8));
    EXPECT_EQ(Run("checkvalue app.mcf app.chk").status, 1) << "an existing output needs -f";
    EXPECT_EQ(Run("checkvalue stub.exe x.chk").status, 1) << "not a container";
    // With the uninstaller's container: a second pair after the first, which
    // readers of the first pair alone still find where it was.
    Write("un.mcf", Bytes(one.begin() + payload_at, one.begin() + payload_at + 4)); // "MCFX"
    ASSERT_EQ(Run("checkvalue app.mcf un.mcf both.chk").status, 0);
    Bytes both = Read("both.chk"), un = Read("un.mcf");
    ASSERT_EQ(both.size(), MCF_CHECK_BOTH_SIZE);
    EXPECT_EQ(Bytes(both.begin(), both.begin() + 8), Read("app.chk"));
    EXPECT_EQ(McfCheckMatches(both.data(), 16, &one[payload_at], payload_length), 1);
    EXPECT_EQ(McfCheckSecondMatches(both.data(), 16, un.data(), (uint32_t)un.size()), 1);
    EXPECT_EQ(McfCheckSecondMatches(both.data(), 16, un.data(), 3), 0);
    EXPECT_EQ(McfCheckSecondMatches(both.data(), 16, nullptr, 0), 0);
    EXPECT_EQ(McfCheckSecondMatches(both.data(), 8, nullptr, 0), 1) << "an older value: no pair";

    // A byte of the last stream flipped: the records may still decode, the
    // check value does not match.
    Bytes bad = one;
    bad[payload_at + payload_length - 1] ^= 0x01;
    EXPECT_EQ(McfCheckMatches(&bad[check_at], 8, &bad[payload_at], payload_length), 0);
    Write("bad.exe", bad);
    r = Run("verify bad.exe");
    EXPECT_EQ(r.status, 1);
    // A stale check value (an older length) and a cut one.
    bad = one;
    bad[check_at] ^= 0x01;
    Write("bad.exe", bad);
    r = Run("list bad.exe");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("does not match its check value"), std::string::npos) << r.err;
    EXPECT_EQ(McfCheckMatches(&one[check_at], 7, &one[payload_at], payload_length), 0);
    EXPECT_EQ(McfCheckMatches(&one[check_at], 8, &one[payload_at], payload_length - 1), 0);
}

TEST_F(Build, StubsItCannotUseAndSignaturesItDrops)
{
    Folder("app");
    Write("app/a.txt", Str("a"));
    StubOptions signed_stub;
    signed_stub.signature = true;
    Write("signed.exe", MakeStub(signed_stub));
    Result r = Run("build --stub signed.exe out.exe app");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("signature is dropped"), std::string::npos) << r.err;
    Bytes out = Read("out.exe");
    EXPECT_EQ(Get32(out, 0x58 + 96 + 4 * 8), 0u);
    EXPECT_EQ(Get32(out, 0x58 + 96 + 4 * 8 + 4), 0u);
    EXPECT_EQ(std::search(out.begin(), out.end(), std::string(64, 'Z').begin(),
                          std::string(64, 'Z').end()),
              out.end())
        << "the certificate is gone";

    StubOptions reloc_last;
    reloc_last.rsrc_last = false;
    Write("reloc.exe", MakeStub(reloc_last));
    Write("junk.exe", Str("MZ but nothing else"));
    Bytes trailing = MakeStub(StubOptions());
    trailing.push_back(0x99);
    Write("trailing.exe", trailing);
    const std::pair<const char *, const char *> bad[] = {
        {"reloc.exe", "not the last section"},
        {"junk.exe", "not a PE file"},
        {"trailing.exe", "data after its last section"},
        {"missing.exe", "cannot read missing.exe"}};
    for (const auto &b : bad) {
        r = Run(std::string("build --stub ") + b.first + " x.exe app");
        EXPECT_EQ(r.status, 1) << b.first;
        EXPECT_NE(r.err.find(b.second), std::string::npos) << b.first << ": " << r.err;
        EXPECT_FALSE(Exists("x.exe"));
    }
    EXPECT_EQ(Run("build x.exe app").status, 2) << "--stub is required";
}

// The name rules by themselves, where a message would hide a wrong answer.
TEST(NameRules, DevicesCaseAndLengthAsWindowsSeesThem)
{
    CodePage cp;
    std::string why;
    ASSERT_TRUE(cp.Open(1252, &why)) << why;
    auto fine = [&](const std::string &name) {
        std::string ansi;
        EXPECT_TRUE(cp.FromUtf8(name, &ansi, &why)) << name;
        return NameProblems(name, ansi, cp).empty();
    };
    for (const char *ok : {"console.txt", "COM0", "COM10", "LPT", "auxiliary", "nul_", "CON_x",
                           ".profile", "a..b", "Korvu72.exe"})
        EXPECT_TRUE(fine(ok)) << ok;
    for (const char *bad : {"CON", "con", "Aux.h", "nul.tar.gz", "COM9", "lpt1.x", "COM\xC2\xB9",
                            "NUL .txt", ".", "..", " "})
        EXPECT_FALSE(fine(bad)) << bad;
    EXPECT_TRUE(fine(std::string(LongestNameBehindDefaultDir(), 'x')));
    EXPECT_FALSE(fine(std::string(LongestNameBehindDefaultDir() + 1, 'x')));
    EXPECT_EQ(LongestNameBehindDefaultDir(), 246u) << "with the installer's temporary name";

    std::vector<CheckedName> set = CheckUtf8Names({"\xC3\x89t\xC3\xA9.txt", "\xC3\xA9T\xC3\x89.TXT",
                                                   "Stra\xC3\x9F"
                                                   "e",
                                                   "STRASSE", "a", "a"},
                                                  cp);
    EXPECT_TRUE(set[0].reasons.empty());
    EXPECT_EQ(set[1].reasons.size(), 1u) << "Été.txt and éTÉ.TXT are one file on Windows";
    EXPECT_TRUE(set[3].reasons.empty()) << "Windows does not fold ß to SS";
    EXPECT_EQ(set[5].reasons, std::vector<std::string>{"is there twice"});

    // Back from the code page: bytes it does not define are refused.
    std::vector<CheckedName> back = CheckAnsiNames({"caf\xE9", "\x81"}, cp);
    EXPECT_EQ(back[0].utf8, "caf\xC3\xA9");
    EXPECT_TRUE(back[0].reasons.empty());
    EXPECT_FALSE(back[1].reasons.empty());
}

} // namespace

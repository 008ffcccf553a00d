// The command line of unattended installations.
#include "cmdline.h"
#include <gtest/gtest.h>
#include <string.h>
#include <string>

namespace {

CommandLine Parsed(const char *line, unsigned accepted = SETUP_SWITCHES)
{
    CommandLine c;
    memset(&c, '#', sizeof c); // an untouched field would show
    EXPECT_EQ(1, ParseCommandLine(line, accepted, &c)) << "line: " << line;
    return c;
}

void ExpectRefused(const char *line, unsigned accepted = SETUP_SWITCHES)
{
    CommandLine c;
    EXPECT_EQ(0, ParseCommandLine(line, accepted, &c)) << "line: " << line;
}

} // namespace

TEST(CommandLine, NoArgumentsGiveNothing)
{
    for (const char *line : {"", " ", " \t  "}) {
        CommandLine c = Parsed(line);
        EXPECT_EQ(0u, c.given);
        EXPECT_STREQ("", c.dir);
        EXPECT_STREQ("", c.data);
        EXPECT_STREQ("", c.config);
        EXPECT_STREQ("", c.log);
    }
}

TEST(CommandLine, EverySwitchInAnyOrderAndCase)
{
    CommandLine c = Parsed("/log=C:\\k.log /config=C:\\Cfg /s /Data=\\\\server\\korvu\\Data "
                           "/d=C:\\Korvu");
    EXPECT_EQ(unsigned(SWITCH_SILENT | SWITCH_DIR | SWITCH_DATA | SWITCH_CONFIG | SWITCH_LOG),
              c.given);
    EXPECT_STREQ("C:\\Korvu", c.dir);
    EXPECT_STREQ("\\\\server\\korvu\\Data", c.data);
    EXPECT_STREQ("C:\\Cfg", c.config);
    EXPECT_STREQ("C:\\k.log", c.log);

    EXPECT_EQ(unsigned(SWITCH_HELP), Parsed("/?").given);
    EXPECT_EQ(unsigned(SWITCH_SILENT | SWITCH_HELP), Parsed("\t/S\t/?  ").given);
}

TEST(CommandLine, QuotedValuesKeepTheirBlanks)
{
    EXPECT_STREQ("C:\\Program Files\\Korvu", Parsed("/S /D=\"C:\\Program Files\\Korvu\"").dir);
    // The whole switch quoted, as scripts and shortcuts often do.
    EXPECT_STREQ("C:\\Program Files\\Korvu", Parsed("\"/D=C:\\Program Files\\Korvu\" /S").dir);
    // Quotes inside a value, and a backslash right before the closing quote.
    EXPECT_STREQ("C:\\Program Files\\Korvu\\", Parsed("/D=C:\\\"Program Files\"\\Korvu\\\"\"").dir);
    EXPECT_STREQ("C:\\Korvu\\", Parsed("/D=\"C:\\Korvu\\\" /S").dir);
    // Blanks at the ends are kept here; the installation trims them as the
    // dialog does.
    EXPECT_STREQ("  C:\\K  ", Parsed("/D=\"  C:\\K  \"").dir);
    // A closing quote does not end the word: what follows it belongs to it
    // (and a directory with a slash in it is refused later, as typed).
    EXPECT_STREQ("C:\\a b/S", Parsed("/D=\"C:\\a b\"/S").dir);
    EXPECT_EQ(unsigned(SWITCH_DIR | SWITCH_SILENT), Parsed("/D=\"C:\\a b\" /S").given);
}

TEST(CommandLine, MalformedLinesAreUsageErrors)
{
    const char *lines[] = {
        "S",                           // not a switch
        "/X",                          // unknown
        "/Silent",                     // not /S
        "/S=1",                        // a flag switch with a value
        "/D",                          // a value switch without '='
        "/D=",                         // ... or without a value
        "/D=\"\"",                     // ... an empty quoted one
        "/D=C:\\Program Files\\Korvu", // blanks outside quotes leave a stray word
        "/D=\"C:\\Program Files",      // quote left open
        "/S /S",                       // given twice
        "/D=C:\\a /d=C:\\b",
        "-S",
        "/",
        "//S",
        "/?x",
    };
    for (const char *line : lines)
        ExpectRefused(line);
}

TEST(CommandLine, ARefusedLineStillTellsOfItsSilentSwitch)
{
    for (const char *line :
         {"/D=C:\\Program Files\\Korvu /S", "/X /s", "/S /X", "/S /D=\"C:\\open"}) {
        CommandLine c;
        EXPECT_EQ(0, ParseCommandLine(line, SETUP_SWITCHES, &c)) << line;
        EXPECT_TRUE(c.given & SWITCH_SILENT) << line;
    }
    CommandLine c;
    EXPECT_EQ(0, ParseCommandLine("/X /D=C:\\K", SETUP_SWITCHES, &c));
    EXPECT_FALSE(c.given & SWITCH_SILENT);
}

TEST(CommandLine, ValuesUpTo259Characters)
{
    std::string dir(259, 'a');
    EXPECT_EQ(dir, Parsed(("/D=" + dir).c_str()).dir);
    ExpectRefused(("/D=" + dir + "a").c_str());
    std::string huge(5000, 'b'); // longer than any word buffer
    ExpectRefused(("/LOG=" + huge).c_str());
    ExpectRefused(("/" + huge).c_str());
}

TEST(CommandLine, TheAcceptedSetLimitsTheSwitches)
{
    CommandLine c = Parsed("/s /LOG=\"C:\\My Logs\\remove.log\"", UNINSTALL_SWITCHES);
    EXPECT_EQ(unsigned(SWITCH_SILENT | SWITCH_LOG), c.given);
    EXPECT_STREQ("C:\\My Logs\\remove.log", c.log);
    EXPECT_EQ(unsigned(SWITCH_HELP), Parsed("/?", UNINSTALL_SWITCHES).given);
    ExpectRefused("/S /D=C:\\Korvu", UNINSTALL_SWITCHES);
    ExpectRefused("/DATA=C:\\x", UNINSTALL_SWITCHES);
    ExpectRefused("/S", 0);
    // The uninstaller's own runs, and setup.exe refusing them.
    c = Parsed("/REGISTER /S", REGISTER_SWITCHES);
    EXPECT_EQ(unsigned(SWITCH_REGISTER | SWITCH_SILENT), c.given);
    std::string program(259, 'p');
    c = Parsed(("/CLEANUP=124 \"/PROGRAM=" + program + "\" \"/D=C:\\Korvu Dir\"").c_str(),
               CLEANUP_SWITCHES);
    EXPECT_EQ(unsigned(CLEANUP_SWITCHES), c.given);
    EXPECT_STREQ("124", c.cleanup);
    EXPECT_EQ(program, c.program);
    EXPECT_STREQ("C:\\Korvu Dir", c.dir);
    ExpectRefused("/REGISTER");
    ExpectRefused("/CLEANUP=1 /PROGRAM=x");
}

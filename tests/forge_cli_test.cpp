// The forge's command line run as a separate process: misuse and unwritable
// outputs end with a message, and the contact sheet refuses the damaged
// meshes the show refuses.
#include "support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

std::string forge(const std::string& arguments)
{
    return std::string(DEMO_FORGE_PATH) + " " + arguments + " 2>&1";
}

// An option or a missing file name was once taken for the folder to forge into.
TEST(ForgeCommandLine, MisuseGivesUsageAndForgesNothing)
{
    const auto dir = makeTempDir("forge-misuse");
    for (const char* arguments : {"--help", "--sheet", "-x", "one two", "''", "--music-wav"}) {
        const CommandResult run = runCommand("cd " + dir.string() + " && " + forge(arguments));
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.output.find("usage: demo-forge"), std::string::npos) << arguments;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir));
}

TEST(ForgeCommandLine, OutputThatCannotBeCreatedEndsWithStatusOneNamingIt)
{
    const CommandResult folder = runCommand(forge("/proc/demo-forge-test/data"));
    EXPECT_EQ(folder.status, 1) << folder.output;
    EXPECT_NE(folder.output.find("cannot create /proc/demo-forge-test"), std::string::npos)
        << folder.output;
    if (!haveDataSet())
        GTEST_SKIP() << "no forged data set in data/";
    const CommandResult full = runCommand(forge("--sheet /dev/full data"));
    EXPECT_EQ(full.status, 1) << full.output;
    EXPECT_NE(full.output.find("cannot write /dev/full"), std::string::npos) << full.output;
}

// The sheet reads meshes with the show's reader: a face naming a vertex that
// does not exist is refused with the file's name, not drawn from stray memory.
TEST(ForgeCommandLine, SheetRefusesAMeshWithAFaceIndexOutOfRange)
{
    if (!haveDataSet())
        GTEST_SKIP() << "no forged data set in data/";
    const auto dir = makeTempDir("forge-sheet-mesh");
    for (const auto& entry : std::filesystem::directory_iterator("data"))
        if (entry.path().filename() != "knot.ob")
            std::filesystem::create_symlink(std::filesystem::absolute(entry.path()),
                                            dir / entry.path().filename());
    std::ifstream in("data/knot.ob");
    std::stringstream text;
    text << in.rdbuf();
    std::ofstream(dir / "knot.ob")
        << std::regex_replace(text.str(), std::regex("A: +0 "), "A: 9999 ",
                              std::regex_constants::format_first_only);
    const CommandResult run = runCommand(forge("--sheet " + (dir / "sheet.png").string() + " " + dir.string()));
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("knot.ob: vertex index 9999 outside 0..71"), std::string::npos)
        << run.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "sheet.png"));
}

}  // namespace

// The forge's command line run as a separate process: misuse and unwritable
// outputs end with a message naming the file and the reason, the whole data
// set is forged within a small board's memory, and the contact sheet refuses
// the damaged meshes the show refuses.
#include "support.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string forge(const std::string& arguments)
{
    return std::string(DEMO_FORGE_PATH) + " " + arguments + " 2>&1";
}

// An option or a missing file name was once taken for the folder to forge
// into. Asked for, the usage is the answer: on standard output, status 0.
TEST(ForgeCommandLine, MisuseGivesUsageAndForgesNothing)
{
    const auto dir = makeTempDir("forge-misuse");
    for (const char* arguments : {"--sheet", "-x", "one two", "''", "--music-wav"}) {
        const CommandResult run = runCommand("cd " + dir.string() + " && " + forge(arguments));
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.output.find("usage: demo-forge"), std::string::npos) << arguments;
    }
    const CommandResult help = runCommand(std::string(DEMO_FORGE_PATH) + " --help 2>/dev/null");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.output.rfind("usage: demo-forge", 0), 0u) << help.output;
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
    // A device is written in place, never replaced by a file renamed over it.
    const CommandResult full = runCommand(forge("--sheet /dev/full data"));
    EXPECT_EQ(full.status, 1) << full.output;
    EXPECT_NE(full.output.find("cannot write /dev/full: No space left on device"), std::string::npos)
        << full.output;
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

// The files a forge leaves in dir, other than `except`.
std::vector<std::string> filesIn(const std::filesystem::path& dir, const std::string& except = "")
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().filename() != except)
            names.push_back(entry.path().filename().string());
    return names;
}

TEST(ForgeCommandLine, AFileItMayNotReplaceStopsItWithTheReasonAndNoLitter)
{
    // A user's read-only file is refused, not renamed over. Root may write
    // anything, so the forge runs as nobody there, in a folder it may write.
    const auto dir = makeTempDir("forge-read-only");
    std::filesystem::permissions(dir, std::filesystem::perms::all);
    const auto kept = dir / "hedelmae.pal";   // the first file forged
    std::ofstream(kept) << "the user's own";
    std::filesystem::permissions(kept, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    const std::string asUser = getuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const CommandResult run = runCommand(asUser + forge(dir.string()));
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("forge: cannot write " + kept.string() + ": Permission denied"), std::string::npos)
        << run.output;
    std::ifstream in(kept);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "the user's own");
    EXPECT_EQ(filesIn(dir, "hedelmae.pal"), std::vector<std::string>{});
}

TEST(ForgeCommandLine, ForgesTheDataSetInSmallMemoryAndNeverLeavesHalfAFile)
{
    // A small board: 64 MB of address space for the whole data set (the
    // music used to take 523 MB at once). Killed while it writes the music,
    // the forge leaves that file only under its temporary name.
    const auto dir = makeTempDir("forge-small");
    const CommandResult run = runCommand("ulimit -v 65536 && " + forge(dir.string()));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "forge: wrote the data set into " + dir.string() + "\n");
    const auto music = dir / "music";
    ASSERT_TRUE(std::filesystem::exists(music));
    std::filesystem::remove(music);

    const CommandResult killed = runCommand(
        std::string(DEMO_FORGE_PATH) + " " + dir.string() + " 2>/dev/null & forge=$!; " +
        "for i in $(seq 600); do ls " + dir.string() + " | grep -q '^music.partial-' && break; sleep 0.1; done; " +
        "sleep 1; kill -KILL $forge; wait $forge; echo $?");
    EXPECT_EQ(killed.output, "137\n");
    EXPECT_FALSE(std::filesystem::exists(music));
    const std::vector<std::string> left = filesIn(dir);
    EXPECT_EQ(std::count_if(left.begin(), left.end(),
                            [](const std::string& name) { return name.starts_with("music.partial-"); }),
              1);
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

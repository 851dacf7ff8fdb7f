// Where the show's programs find the data set: --data, DAYLONG_DATA, data/ in
// the working directory, then ../share/daylong beside the executable. Each
// case runs a copy of the real recorder laid out as installed under a scratch
// prefix, from a scratch working directory.
#include "core/data_files.h"
#include "support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class DataFolder : public testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_DATA_SET();
        root = makeTempDir("data-folder");
        fs::create_directories(root / "prefix/bin");
        fs::create_directories(root / "prefix/share");
        fs::create_directories(root / "work");
        // A copy, not a link: the installed folder is found from the
        // executable's own path.
        fs::copy_file(DEMO_CAPTURE_PATH, recorder());
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path recorder() const { return root / "prefix/bin/daylong-record"; }
    void install() const { fs::create_directory_symlink(fs::absolute("data"), root / "prefix/share/daylong"); }
    // A folder holding one file of the data set: taken, then found wanting.
    fs::path partialSet(const std::string& name) const
    {
        const fs::path folder = root / name;
        fs::create_directories(folder);
        fs::copy_file("data/flare", folder / "flare");
        return folder;
    }
    // Runs the recorder just past start-up; `output` is standard error only
    // when `errorsOnly`, otherwise both streams.
    CommandResult run(const std::string& environment, const std::string& options, bool errorsOnly = false) const
    {
        const std::string streams = errorsOnly ? " 2>&1 >/dev/null" : " 2>&1";
        return runCommand("cd '" + (root / "work").string() + "' && env -u DAYLONG_DATA " + environment + " '" +
                          recorder().string() + "' --until 1 " + options + streams);
    }

    fs::path root;
};

TEST_F(DataFolder, LookupOrderIsOptionEnvironmentWorkingDirectoryThenInstalled)
{
    install();
    EXPECT_EQ(run("", "").status, 0) << "the installed set, from an unrelated folder";

    // An unrelated data/ is passed over.
    fs::create_directories(root / "work/data");
    std::ofstream(root / "work/data/notes.txt") << "not the show's\n";
    EXPECT_EQ(run("", "").status, 0);

    // A data/ holding part of the set is the one taken, before the installed set.
    fs::copy_file("data/flare", root / "work/data/flare");
    CommandResult result = run("", "");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("read from " + (root / "work/data").string()), std::string::npos) << result.output;

    // DAYLONG_DATA comes before data/, and --data before both.
    const fs::path fromEnvironment = partialSet("environment");
    result = run("DAYLONG_DATA='" + fromEnvironment.string() + "'", "");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find(fromEnvironment.string()), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("DAYLONG_DATA"), std::string::npos) << result.output;
    EXPECT_EQ(run("DAYLONG_DATA='" + fromEnvironment.string() + "'", "--data '" + fs::absolute("data").string() + "'")
                  .status,
              0);
}

TEST_F(DataFolder, WithoutADataSetOneLineSaysWhereItLookedAndHowToRun)
{
    const CommandResult result = run("", "", true);
    EXPECT_EQ(result.status, 1);
    const std::string& line = result.output;
    EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line on standard error: " << line;
    EXPECT_NE(line.find((root / "work/data").string()), std::string::npos) << line;
    EXPECT_NE(line.find((root / "prefix/share/daylong").string()), std::string::npos) << line;
    EXPECT_NE(line.find("repository's root"), std::string::npos) << line;
    EXPECT_NE(line.find("--data DIR"), std::string::npos) << line;

    // A folder the user names is taken as named, even one that is not there.
    const CommandResult named = run("", "--data '" + (root / "nowhere").string() + "'", true);
    EXPECT_EQ(named.status, 1);
    EXPECT_NE(named.output.find("no data set in " + (root / "nowhere").string()), std::string::npos)
        << named.output;
}

TEST_F(DataFolder, MissingFileSaysWhereTheSetIsReadFrom)
{
    fs::create_directories(root / "work/data");
    for (const DataFile& file : DataFiles)
        if (std::string(dataFileName(file)) != "music")
            fs::create_symlink(fs::absolute(file.path), root / "work" / file.path);
    const CommandResult result = run("", "", true);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "unable to open data/music: No such file or directory; the data set is read from " +
                                 (root / "work/data").string() +
                                 " (data/ in the working directory); run it from the repository's root, or give "
                                 "--data DIR\n");
}

}  // namespace

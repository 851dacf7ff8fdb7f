#include "core/data_folder.h"

#include "core/data_files.h"
#include "core/fatal.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view DataPrefix = "data/";
constexpr const char* WorkingDirectoryData = "data/ in the working directory";
constexpr const char* HowToRun = "run it from the repository's root, or give --data DIR";

// "data" until a program chooses; a path the data file names are appended to.
std::string Folder = "data";
std::string Hint;

bool isFolder(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool holdsAnyDataFile(const std::string& folder)
{
    if (!isFolder(folder))
        return false;
    for (const DataFile& file : DataFiles) {
        struct stat status;
        if (stat((folder + "/" + dataFileName(file)).c_str(), &status) == 0)
            return true;
    }
    return false;
}

std::string workingDirectory()
{
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    return error ? std::string(".") : here.string();
}

// ../share/daylong from the folder of the running executable, as installed
// under any prefix; empty when the executable cannot be found.
std::string installedFolder()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return (executable.parent_path() / ".." / "share" / "daylong").lexically_normal().string();
}

std::string hintFor(const std::string& shown, const char* how)
{
    return "the data set is read from " + shown + " (" + how + "); " + HowToRun;
}

// Every resolved path must fit a DataPath with the longest file name.
// `shown` is the folder as the messages name it.
void take(const char* program, const std::string& folder, const std::string& shown, const char* how)
{
    size_t longestName = 0;
    for (const DataFile& file : DataFiles)
        longestName = std::max(longestName, std::strlen(dataFileName(file)));
    if (folder.size() + 1 + longestName >= PATH_MAX)
        failWithMessage("%s: the data folder's name is too long: %s\n", program, folder.c_str());
    Folder = folder;
    Hint = hintFor(shown, how);
}

}  // namespace

void chooseDataFolder(const char* executable, const char* option)
{
    const char* slash = std::strrchr(executable, '/');
    const char* program = slash ? slash + 1 : executable;
    const char* environment = std::getenv("DAYLONG_DATA");
    if (option || (environment && *environment)) {
        const std::string folder = option ? option : environment;
        const char* how = option ? "given with --data" : "from DAYLONG_DATA";
        if (!holdsAnyDataFile(folder))
            failWithMessage("%s: no data set in %s (%s); %s\n", program, folder.c_str(), how, HowToRun);
        take(program, folder, folder, how);
        return;
    }
    const std::string here = workingDirectory();
    if (holdsAnyDataFile("data")) {
        take(program, "data", here + "/data", WorkingDirectoryData);
        return;
    }
    const std::string installed = installedFolder();
    if (!installed.empty() && holdsAnyDataFile(installed)) {
        take(program, installed, installed, "installed with the program");
        return;
    }
    failWithMessage("%s: no data set found, neither in %s/data nor in %s; %s\n", program, here.c_str(),
                    installed.empty() ? "the installed folder" : installed.c_str(), HowToRun);
}

bool isDataSetPath(const char* path)
{
    return std::string_view(path).starts_with(DataPrefix);
}

DataPath resolveDataPath(const char* path)
{
    DataPath resolved;
    const int length =
        isDataSetPath(path)
            ? std::snprintf(resolved.text, sizeof resolved.text, "%s/%s", Folder.c_str(), path + DataPrefix.size())
            : std::snprintf(resolved.text, sizeof resolved.text, "%s", path);
    // A cut-off path could name another file: none opens instead.
    if (length < 0 || size_t(length) >= sizeof resolved.text)
        resolved.text[0] = '\0';
    return resolved;
}

const char* dataFolderHint()
{
    if (Hint.empty())
        Hint = hintFor(workingDirectory() + "/data", WorkingDirectoryData);
    return Hint.c_str();
}

std::FILE* openDataFile(const char* path)
{
    const DataPath resolved = resolveDataPath(path);
    const char* name = resolved.text;
    struct stat status;
    if (stat(name, &status) != 0) {
        if (errno == ENOENT && isDataSetPath(path))
            failWithMessage("unable to open %s: %s; %s\n", name, std::strerror(ENOENT), dataFolderHint());
        failWithMessage("unable to open %s: %s\n", name, std::strerror(errno));
    }
    if (S_ISDIR(status.st_mode))
        failWithMessage("unable to open %s: %s\n", name, std::strerror(EISDIR));
    if (!S_ISREG(status.st_mode))
        failWithMessage("unable to open %s: not a regular file\n", name);
    std::FILE* file = std::fopen(name, "rb");
    if (!file)
        failWithMessage("unable to open %s: %s\n", name, std::strerror(errno));
    return file;
}

#include "core/palette.h"

#include "core/data_folder.h"
#include "core/fatal.h"

#include <cstdio>

// Opens a palette and reads its first byte, the only header byte the show
// checks; the file is left just past it.
static std::FILE* openPalette(const char* path)
{
    std::FILE* file = openDataFile(path);
    const int first = std::fgetc(file);
    if (first == 'R')
        return file;
    const bool unreadable = std::ferror(file);
    std::fclose(file);
    if (unreadable)
        failWithMessage("unable to read %s\n", path);
    if (first == EOF)
        failWithMessage("bad palette %s: empty file\n", path);
    failWithMessage("bad palette %s: starts with byte %d, not R\n", path, first);
}

void requirePaletteFile(const char* path)
{
    std::fclose(openPalette(path));
}

void loadPalette(Screen& screen, const char* path, uint16_t firstEntry, uint16_t count,
                 uint16_t firstSlot)
{
    std::FILE* file = openPalette(path);
    std::fseek(file, long(firstEntry) * 4 + 24, SEEK_SET);
    // A short file is not an error: EOF (-1) stored as a byte is 255.
    for (int i = 0; i < count; ++i) {
        screen.colours[i].r = uint8_t(std::fgetc(file));
        screen.colours[i].g = uint8_t(std::fgetc(file));
        screen.colours[i].b = uint8_t(std::fgetc(file));
        std::fgetc(file);
    }
    // A failing read, unlike the end of the file, is damage.
    const bool unreadable = std::ferror(file);
    std::fclose(file);
    if (unreadable)
        failWithMessage("unable to read %s\n", path);
    SDL_SetPalette(screen.surface, SDL_LOGPAL | SDL_PHYSPAL, screen.colours, firstSlot, count);
}

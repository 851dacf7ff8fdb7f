#include "core/palette.h"

#include "core/fatal.h"

#include <cstdio>

void loadPalette(Screen& screen, const char* path, uint16_t firstEntry, uint16_t count,
                 uint16_t firstSlot)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        failSilently();
    if (std::fgetc(file) != 'R') {
        std::fclose(file);
        failSilently();
    }
    std::fseek(file, long(firstEntry) * 4 + 24, SEEK_SET);
    // A short file is not an error: EOF (-1) stored as a byte is 255.
    for (int i = 0; i < count; ++i) {
        screen.colours[i].r = uint8_t(std::fgetc(file));
        screen.colours[i].g = uint8_t(std::fgetc(file));
        screen.colours[i].b = uint8_t(std::fgetc(file));
        std::fgetc(file);
    }
    SDL_SetPalette(screen.surface, SDL_LOGPAL | SDL_PHYSPAL, screen.colours, firstSlot, count);
    std::fclose(file);
}

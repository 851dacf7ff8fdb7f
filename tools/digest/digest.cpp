// demo-digest: prints, for every file of the data table but the music, a
// digest of what the show decodes from it, one line each:
//   data/flare picture 32x32 pixels 0123456789abcdef colours 0123456789abcdef
//   data/logo.pal palette colours 0123456789abcdef
//   data/knot.ob mesh numbers 0123456789abcdef
// Pictures are decoded by the image library without conversion (the stored
// indices and the stored palette), palettes and meshes by the show's own
// readers. The encoding (zlib's choices, padding chunks, number spelling)
// does not enter, so the regression frames are tied to what the show draws
// from, not to the bytes that carry it.
#include "core/data_files.h"
#include "core/screen.h"
#include "core/palette.h"
#include "core/tables.h"
#include "gfx3d/mesh.h"
#include "recording.h"

#include <SDL/SDL_image.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

uint64_t hashInt32s(const int32_t* values, int32_t count, uint64_t hash)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t v = static_cast<uint32_t>(values[i]);
        const uint8_t bytes[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        hash = hashBytes(bytes, 4, hash);
    }
    return hash;
}

void printPicture(const DataFile& file)
{
    SDL_Surface* surface = IMG_Load(file.path);
    if (!surface) {
        std::fprintf(stderr, "demo-digest: cannot decode %s: %s\n", file.path, IMG_GetError());
        std::exit(1);
    }
    // Only the visible bytes of each row: the pitch's padding is not picture.
    uint64_t pixels = HashStart;
    const uint8_t* row = static_cast<const uint8_t*>(surface->pixels);
    for (int y = 0; y < surface->h; ++y, row += surface->pitch)
        pixels = hashBytes(row, size_t(surface->w) * surface->format->BytesPerPixel, pixels);
    uint64_t colours = HashStart;
    if (const SDL_Palette* palette = surface->format->palette)
        for (int i = 0; i < palette->ncolors; ++i) {
            const uint8_t rgb[3] = {palette->colors[i].r, palette->colors[i].g, palette->colors[i].b};
            colours = hashBytes(rgb, 3, colours);
        }
    std::printf("%s picture %dx%d pixels %016" PRIx64 " colours %016" PRIx64 "\n", file.path, surface->w,
                surface->h, pixels, colours);
    SDL_FreeSurface(surface);
}

void printPalette(const DataFile& file)
{
    loadPalette(MainScreen, file.path, 0, 256, 0);
    uint64_t colours = HashStart;
    for (const SDL_Color& c : MainScreen.colours) {
        const uint8_t rgb[3] = {c.r, c.g, c.b};
        colours = hashBytes(rgb, 3, colours);
    }
    std::printf("%s palette colours %016" PRIx64 "\n", file.path, colours);
}

void printMesh(const DataFile& file)
{
    Picture texture{};
    Mesh mesh{};
    loadDataMesh(mesh, file, texture, MainScreen);
    uint64_t numbers = hashInt32s(mesh.vertices, 3 * mesh.vertexCount, HashStart);
    numbers = hashInt32s(mesh.faces, 3 * mesh.faceCount, numbers);
    numbers = hashInt32s(mesh.texCoords, 2 * mesh.texCoordCount, numbers);
    numbers = hashInt32s(mesh.texFaces, 3 * mesh.faceCount, numbers);
    std::printf("%s mesh numbers %016" PRIx64 "\n", file.path, numbers);
}

}  // namespace

static const char Usage[] =
    "usage: demo-digest [--help]\n"
    "Prints what the show decodes from each file of data/ (run where data/ is), one line each.\n";

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argc != 1) {
        std::fprintf(stderr, "demo-digest: unknown option: %s\n%s", argv[1], Usage);
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    createScreen(MainScreen, ScreenWidth, ScreenHeight, 8);
    buildTrigTables();
    for (const DataFile& file : DataFiles) {
        if (isPicture(file))
            printPicture(file);
        else if (file.kind == DataKind::Palette)
            printPalette(file);
        else if (file.kind == DataKind::Mesh)
            printMesh(file);
    }
    SDL_Quit();
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "demo-digest: cannot write the digest: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

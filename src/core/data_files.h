// Every file the show reads from data/, with what the show requires of it:
// one table that the show's loaders, the forge that makes the files and the
// tests all read. Rows stand in the order the show first reads the files.
// Plain data without SDL, so the forge can include it on its own.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

enum class DataKind : uint8_t {
    GrayPicture,       // decoded bytes are the indices, whatever the palette
    ConvertedPicture,  // mapped onto the palette in force when it loads
    Palette,           // RIFF PAL
    Mesh,              // .ob scene-export text
    Music,             // Ogg Vorbis
};

constexpr int AnyHeight = 0xFFFF;

struct DataFile {
    const char* path;           // relative to the show's working directory
    DataKind kind;
    uint32_t bytes;             // exact size in bytes; 0: any size
    // Pictures: the width every reader's row stride assumes, and the rows
    // they read (at least minHeight, at most maxHeight).
    int width = 0, minHeight = 0, maxHeight = AnyHeight;
    // Converted pictures: the palette in force when the show loads them.
    const char* paletteAtLoad = nullptr;
    // Meshes: the exact counts of the file.
    int vertices = 0, faces = 0, texCoords = 0;
};

constexpr DataFile grayRow(const char* path, uint32_t bytes, int width, int height, int maxHeight = AnyHeight)
{
    return {path, DataKind::GrayPicture, bytes, width, height, maxHeight};
}
constexpr DataFile convertedRow(const char* path, uint32_t bytes, int width, int height, const char* palette,
                             int maxHeight = AnyHeight)
{
    return {path, DataKind::ConvertedPicture, bytes, width, height, maxHeight, palette};
}
constexpr DataFile paletteRow(const char* path)
{
    return {path, DataKind::Palette, 0};
}
constexpr DataFile meshRow(const char* path, int vertices, int faces, int texCoords)
{
    return {path, DataKind::Mesh, 0, 0, 0, AnyHeight, nullptr, vertices, faces, texCoords};
}

inline constexpr DataFile DataFiles[] = {
    grayRow("data/flare", 494, 32, 32),
    grayRow("data/cloud1", 27248, 256, 256),
    grayRow("data/cloud2", 24607, 256, 256),
    grayRow("data/cloud3", 23988, 256, 256),
    grayRow("data/credits", 22384, 320, 512),
    grayRow("data/roto", 41675, 256, 256),
    grayRow("data/bird", 666, 192, 32),
    grayRow("data/lightning", 2170, 256, 192),
    paletteRow("data/rainsky.pal"),
    convertedRow("data/maasto", 13913, 320, 240, "data/rainsky.pal"),
    paletteRow("data/logo.pal"),
    grayRow("data/heightmap", 12926, 320, 240),
    convertedRow("data/hiekkalogo", 14334, 320, 240, "data/logo.pal"),
    paletteRow("data/sand.pal"),
    // Loaded under logo.pal's 0..127 with sand.pal's first 128 entries in
    // 128..255: a palette no single file holds.
    convertedRow("data/sand", 61479, 320, 240, nullptr),
    paletteRow("data/knot.pal"),
    convertedRow("data/knot", 10910, 256, 256, "data/knot.pal"),
    meshRow("data/knot.ob", 72, 144, 304),
    paletteRow("data/lehti.pal"),
    convertedRow("data/lehti", 18234, 256, 256, "data/lehti.pal"),
    meshRow("data/lehti.ob", 9, 12, 20),
    paletteRow("data/mask1.pal"),
    convertedRow("data/mask", 26316, 320, 240, "data/mask1.pal"),
    paletteRow("data/jungle2.pal"),
    convertedRow("data/jungle", 47107, 684, 248, "data/jungle2.pal"),
    paletteRow("data/girl.pal"),
    // Not size-checked: exactly 240 rows, as the portrait copies whole screens.
    convertedRow("data/girl", 0, 320, 240, "data/girl.pal", 240),
    convertedRow("data/stara", 0, 256, 256, "data/girl.pal"),
    meshRow("data/stara.ob", 160, 320, 386),
    paletteRow("data/forest.pal"),
    convertedRow("data/forest", 33883, 320, 240, "data/forest.pal"),
    convertedRow("data/spidey", 5018, 256, 256, "data/forest.pal"),
    meshRow("data/spidey.ob", 140, 276, 396),
    paletteRow("data/junkka.pal"),
    convertedRow("data/calendar", 13461, 256, 256, "data/junkka.pal"),
    paletteRow("data/cube.pal"),
    convertedRow("data/stoneblock", 22074, 256, 256, "data/cube.pal"),
    meshRow("data/calendar.ob", 30, 56, 66),
    meshRow("data/pyramid.ob", 41, 56, 46),
    convertedRow("data/puut", 17122, 256, 256, "data/junkka.pal"),
    convertedRow("data/lehdet", 11409, 256, 256, "data/junkka.pal"),
    meshRow("data/junkka.ob", 168, 168, 728),
    meshRow("data/plane.ob", 9, 8, 15),
    grayRow("data/tausta", 29000, 320, 240),
    // 256 x 64 holds codes 32..95; taller sheets are welcome.
    grayRow("data/font-16x16", 0, 256, 64),
    meshRow("data/cube.ob", 26, 48, 54),
    // Read only when their scenes start.
    paletteRow("data/hedelmae.pal"),
    paletteRow("data/flares.pal"),
    paletteRow("data/green.pal"),
    paletteRow("data/water.pal"),
    paletteRow("data/blue"),
    paletteRow("data/clouds.pal"),
    paletteRow("data/sparks.pal"),
    {"data/music", DataKind::Music, 0},
};

// The row of a path, found at compile time: a path without a row stops the
// build.
consteval const DataFile& dataFile(std::string_view path)
{
    for (const DataFile& file : DataFiles)
        if (std::string_view(file.path) == path)
            return file;
    throw "no such data file";
}

// The file's name inside the data folder ("data/flare" -> "flare").
constexpr const char* dataFileName(const DataFile& file)
{
    return file.path + 5;
}

constexpr bool isPicture(const DataFile& file)
{
    return file.kind == DataKind::GrayPicture || file.kind == DataKind::ConvertedPicture;
}

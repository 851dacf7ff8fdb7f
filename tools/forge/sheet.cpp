// The contact sheet: every picture of the data set under the palette its
// scene shows it with, and every mesh projected as its scene first shows it,
// each labelled with its file name; the page a person looks at to judge the
// art. It reads the forged files back, so it shows exactly what the show loads:
// meshes through the show's own reader, which refuses damaged files alike.
#include "forge.h"
#include "output_file.h"

#include "core/data_files.h"
#include "core/tables.h"
#include "gfx3d/mesh.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct RgbImage {
    int width;
    int height;
    std::vector<uint8_t> rgb;
};

[[noreturn]] void sheetFailure(const std::string& what)
{
    std::fprintf(stderr, "demo-forge --sheet: %s\n", what.c_str());
    std::exit(1);
}

// A palette as a scene installs it: runs of (file, count, first slot).
struct PaletteRun {
    const char* file;
    int count;
    int firstSlot;
};

Palette combinedPalette(const std::string& dir, std::initializer_list<PaletteRun> runs)
{
    Palette palette{};
    for (const PaletteRun& run : runs) {
        const Palette part = readPalette(dir + "/" + run.file);
        for (int i = 0; i < run.count; ++i)
            palette[run.firstSlot + i] = part[i];
    }
    return palette;
}

RgbImage blankImage(int width, int height, uint8_t grey)
{
    return {width, height, std::vector<uint8_t>(size_t(width) * height * 3, grey)};
}

void putPixel(RgbImage& image, int x, int y, Rgb colour)
{
    if (x < 0 || y < 0 || x >= image.width || y >= image.height)
        return;
    uint8_t* p = &image.rgb[(size_t(y) * image.width + x) * 3];
    p[0] = colour.r;
    p[1] = colour.g;
    p[2] = colour.b;
}

RgbImage colourise(const IndexedImage& image, const Palette& palette)
{
    RgbImage out = blankImage(image.width, image.height, 0);
    for (int i = 0; i < image.width * image.height; ++i)
        putPixel(out, i % image.width, i / image.width, palette[image.pixels[i]]);
    return out;
}

// Shows a grayscale-mode picture as the scene does: its values through the
// scene's palette, shifted first where the show shifts them (clouds >> 3).
RgbImage showGray(const IndexedImage& image, const Palette& palette, int shift, int offset)
{
    IndexedImage shown = image;
    for (uint8_t& v : shown.pixels)
        v = uint8_t(std::min(255, (v >> shift) + offset));
    return colourise(shown, palette);
}

struct MeshGeometry {
    std::vector<double> vertices;  // x, y, z in model units
    std::vector<int> faces;
};

// The mesh as the show reads it, with the counts of its row of the data
// table; the show's reader ends the forge on a damaged file, naming it.
MeshGeometry readMesh(const std::string& dir, const DataFile& file)
{
    static Screen screen;
    static Picture texture;
    Mesh mesh{};
    const std::string path = dir + "/" + dataFileName(file);
    loadMesh(mesh, path.c_str(), texture, screen, file.vertices, file.faces, file.texCoords);
    MeshGeometry geometry;
    for (int i = 0; i < 3 * mesh.vertexCount; ++i)
        geometry.vertices.push_back(mesh.vertices[i] / 256.0);
    geometry.faces.assign(mesh.faces, mesh.faces + 3 * mesh.faceCount);
    return geometry;
}

// Projects like the show (rotation about x, then z, angles as table indices
// from -pi, focal length 200) and fills the front faces with a shade by
// facing, nearest last, outlined.
RgbImage drawMeshTile(const MeshGeometry& mesh, int angleX, int angleZ, double eye, int size)
{
    RgbImage tile = blankImage(size, size, 24);
    const double a = -M_PI + 0.001533 * angleX, b = -M_PI + 0.001533 * angleZ;
    const int count = int(mesh.vertices.size() / 3);
    std::vector<double> sx(count), sy(count), depth(count);
    for (int i = 0; i < count; ++i) {
        const double x = mesh.vertices[3 * i], y = mesh.vertices[3 * i + 1], z = mesh.vertices[3 * i + 2];
        const double y1 = y * std::cos(a) - z * std::sin(a), z1 = y * std::sin(a) + z * std::cos(a);
        const double x2 = y1 * std::sin(b) + x * std::cos(b), d = y1 * std::cos(b) - x * std::sin(b);
        const double scale = 200.0 / std::max(d - eye, 1.0) * size / 240.0;
        sx[i] = size / 2 + x2 * scale;
        sy[i] = size / 2 + z1 * scale;
        depth[i] = d;
    }
    std::vector<int> order;
    for (int f = 0; f < int(mesh.faces.size() / 3); ++f)
        order.push_back(f);
    auto faceDepth = [&](int f) {
        return depth[mesh.faces[3 * f]] + depth[mesh.faces[3 * f + 1]] + depth[mesh.faces[3 * f + 2]];
    };
    std::sort(order.begin(), order.end(), [&](int l, int r) { return faceDepth(l) > faceDepth(r); });
    for (int f : order) {
        const int i0 = mesh.faces[3 * f], i1 = mesh.faces[3 * f + 1], i2 = mesh.faces[3 * f + 2];
        const double area = (sx[i1] - sx[i0]) * (sy[i2] - sy[i0]) - (sy[i1] - sy[i0]) * (sx[i2] - sx[i0]);
        if (area <= 0)
            continue;  // back face: the show skips it too
        const double length = std::hypot(sx[i1] - sx[i0], sy[i1] - sy[i0]) *
                              std::hypot(sx[i2] - sx[i0], sy[i2] - sy[i0]);
        const uint8_t shade = uint8_t(60 + 180 * std::min(1.0, area / std::max(length, 1e-9)));
        const int minX = int(std::floor(std::min({sx[i0], sx[i1], sx[i2]})));
        const int maxX = int(std::ceil(std::max({sx[i0], sx[i1], sx[i2]})));
        const int minY = int(std::floor(std::min({sy[i0], sy[i1], sy[i2]})));
        const int maxY = int(std::ceil(std::max({sy[i0], sy[i1], sy[i2]})));
        for (int y = std::max(minY, 0); y <= std::min(maxY, size - 1); ++y)
            for (int x = std::max(minX, 0); x <= std::min(maxX, size - 1); ++x) {
                auto edge = [&](int p, int q) {
                    return (sx[q] - sx[p]) * (y + 0.5 - sy[p]) - (sy[q] - sy[p]) * (x + 0.5 - sx[p]);
                };
                const double e0 = edge(i0, i1), e1 = edge(i1, i2), e2 = edge(i2, i0);
                if (e0 >= 0 && e1 >= 0 && e2 >= 0) {
                    const bool border = e0 < 120 || e1 < 120 || e2 < 120;
                    const uint8_t v = border ? uint8_t(shade * 3 / 4) : shade;
                    putPixel(tile, x, y, {uint8_t(v * 0.8), uint8_t(v * 0.9), v});
                }
            }
    }
    return tile;
}

// Labels with the forged font sheet: 16-pixel cells, codes 32..95.
void drawLabel(RgbImage& image, const IndexedImage& font, int x, int y, const std::string& text)
{
    for (char raw : text) {
        int code = std::toupper(static_cast<unsigned char>(raw));
        if (code < 32 || code > 95)
            code = '?';
        const int index = code - 32;
        const int cx = (index & 15) * 16, cy = (index >> 4) * 16;
        for (int r = 0; r < 16; ++r)
            for (int c = 0; c < 16; ++c)
                if (cy + r < font.height && font.pixels[size_t(cy + r) * font.width + cx + c])
                    putPixel(image, x + c, y + r, {255, 255, 255});
        x += 16;
    }
}

struct Tile {
    std::string label;
    RgbImage image;
};

void writeSheet(const std::string& path, const std::vector<Tile>& tiles, const IndexedImage& font)
{
    constexpr int SheetWidth = 1400, Gap = 12, LabelHeight = 20;
    struct Placed {
        int x, y;
    };
    std::vector<Placed> places;
    int x = Gap, y = Gap, shelf = 0;
    for (const Tile& tile : tiles) {
        const int width = std::max(tile.image.width, int(tile.label.size()) * 16);
        if (x + width + Gap > SheetWidth) {
            x = Gap;
            y += shelf + LabelHeight + Gap;
            shelf = 0;
        }
        places.push_back({x, y});
        x += width + Gap;
        shelf = std::max(shelf, tile.image.height);
    }
    RgbImage sheet = blankImage(SheetWidth, y + shelf + LabelHeight + Gap, 48);
    for (size_t i = 0; i < tiles.size(); ++i) {
        const RgbImage& image = tiles[i].image;
        for (int r = 0; r < image.height; ++r)
            std::copy_n(&image.rgb[size_t(r) * image.width * 3], image.width * 3,
                        &sheet.rgb[(size_t(places[i].y + LabelHeight + r) * SheetWidth + places[i].x) * 3]);
        drawLabel(sheet, font, places[i].x, places[i].y, tiles[i].label);
    }
    writeRgbPng(path, sheet.width, sheet.height, 3, sheet.rgb);
}

}  // namespace

void drawContactSheet(const std::string& dir, const std::string& path)
{
    const auto file = [&](const char* name) { return dir + "/" + name; };
    const auto picture = [&](const char* name) { return readIndices(file(name)); };
    const auto whole = [&](const char* name) { return combinedPalette(dir, {{name, 256, 0}}); };
    const Palette logoSand = combinedPalette(dir, {{"logo.pal", 128, 0}, {"sand.pal", 128, 128}});
    const Palette logoWater = combinedPalette(dir, {{"logo.pal", 128, 0}, {"water.pal", 128, 128}});
    const Palette greetings = combinedPalette(
        dir, {{"cube.pal", 256, 0}, {"clouds.pal", 100, 128}, {"sparks.pal", 24, 228}});

    std::vector<Tile> tiles;
    const auto add = [&](std::string label, RgbImage image) { tiles.push_back({std::move(label), std::move(image)}); };
    add("credits", colourise(picture("credits"), whole("hedelmae.pal")));
    add("flare", colourise(picture("flare"), whole("flares.pal")));
    add("jungle", colourise(picture("jungle"), whole("jungle2.pal")));
    add("calendar", colourise(picture("calendar"), whole("junkka.pal")));
    add("lehdet", colourise(picture("lehdet"), whole("junkka.pal")));
    add("puut", colourise(picture("puut"), whole("junkka.pal")));
    add("tausta", colourise(picture("tausta"), whole("green.pal")));
    add("knot", colourise(picture("knot"), whole("green.pal")));
    add("heightmap", colourise(picture("heightmap"), whole("green.pal")));
    add("hiekkalogo", colourise(picture("hiekkalogo"), logoSand));
    add("sand", colourise(picture("sand"), logoSand));
    add("hiekkalogo+water", colourise(picture("hiekkalogo"), logoWater));
    add("lehti", colourise(picture("lehti"), whole("lehti.pal")));
    add("forest", colourise(picture("forest"), whole("forest.pal")));
    add("spidey", colourise(picture("spidey"), whole("forest.pal")));
    add("girl", colourise(picture("girl"), whole("girl.pal")));
    add("stara", colourise(picture("stara"), whole("girl.pal")));
    add("maasto", colourise(picture("maasto"), whole("rainsky.pal")));
    add("mask", colourise(picture("mask"), whole("mask1.pal")));
    add("stoneblock", colourise(picture("stoneblock"), greetings));
    add("cloud1+128", showGray(picture("cloud1"), greetings, 3, 128));
    add("cloud2", showGray(picture("cloud2"), whole("blue"), 3, 0));
    add("cloud3", showGray(picture("cloud3"), whole("blue"), 3, 0));
    add("lightning", colourise(picture("lightning"), whole("blue")));
    add("bird", colourise(picture("bird"), whole("blue")));
    add("roto", colourise(picture("roto"), whole("hedelmae.pal")));
    add("font-16x16", colourise(picture("font-16x16"), whole("blue")));

    struct MeshView {
        const DataFile* file;
        int angleX, angleZ;
        double eye;
    };
    const MeshView meshes[] = {
        {&dataFile("data/knot.ob"), 150, 0, -120},    {&dataFile("data/lehti.ob"), 800, 1200, -170},
        {&dataFile("data/stara.ob"), 300, 200, -250}, {&dataFile("data/spidey.ob"), 1000, 300, -200},
        {&dataFile("data/calendar.ob"), 0, 640, -50}, {&dataFile("data/pyramid.ob"), 400, 800, -50},
        {&dataFile("data/junkka.ob"), 40, 0, -170},   {&dataFile("data/plane.ob"), 40, 0, -40},
        {&dataFile("data/cube.ob"), 100, 300, -60},
    };
    buildTrigTables();
    for (const MeshView& view : meshes)
        add(dataFileName(*view.file),
            drawMeshTile(readMesh(dir, *view.file), view.angleX, view.angleZ, view.eye, 240));

    const IndexedImage font = picture("font-16x16");
    if (font.width < 256)
        sheetFailure(file("font-16x16") + " is narrower than its 16 cells of 16 pixels");
    writeSheet(path, tiles, font);
}

void forgeFileFailure(const std::string& what)
{
    std::fprintf(stderr, "demo-forge: %s\n", what.c_str());
    std::exit(1);
}

// The raw 8-bit samples of a grayscale or indexed PNG (no palette expansion).
IndexedImage readIndices(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        forgeFileFailure("cannot open " + path + ": " + std::strerror(errno));
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
        forgeFileFailure("cannot decode " + path);
    png_init_io(png, file);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    IndexedImage image;
    image.width = int(png_get_image_width(png, info));
    image.height = int(png_get_image_height(png, info));
    if (png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != 1)
        forgeFileFailure(path + " is not an 8-bit picture");
    png_bytepp rows = png_get_rows(png, info);
    image.pixels.resize(size_t(image.width) * image.height);
    for (int y = 0; y < image.height; ++y)
        std::copy(rows[y], rows[y] + image.width, image.pixels.begin() + size_t(y) * image.width);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return image;
}

// An 8-bit RGB (3 channels) or RGBA (4) PNG, rows packed.
void writeRgbPng(const std::string& path, int width, int height, int channels,
                 const std::vector<uint8_t>& samples)
{
    OutputFile out(path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
        cannotWrite(path, errno);
    png_init_io(png, out.stream());
    png_set_IHDR(png, info, width, height, 8, channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int r = 0; r < height; ++r)
        png_write_row(png, &samples[size_t(r) * width * channels]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    out.finish();
}

// demo-bench: throughput of the drawing engine. Triangles of several sizes
// through both rasterisers, a whole mesh of the data set (or a built torus when
// data/ is absent) transformed and drawn, and each blitter.
//
// Run from the repository root so that data/ is found.
#include "gfx2d/blit.h"
#include "gfx2d/font.h"
#include "gfx3d/mesh.h"
#include "gfx3d/raster.h"
#include "core/screen.h"
#include "core/tables.h"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A screen record drawing into a plain buffer: no video mode is needed.
Screen& benchScreen()
{
    static Screen screen{};
    static std::vector<uint8_t> pixels(ScreenPixels, 0);
    static bool ready = false;
    if (!ready) {
        buildTrigTables();
        buildPlainTables();
        screen.pixels = pixels.data();
        screen.pixelCount = ScreenPixels;
        screen.width = ScreenWidth;
        screen.height = ScreenHeight;
        clearDepth(screen, 30000);
        ready = true;
    }
    return screen;
}

// A picture of `width` x `height` over its own pixels, values from a pattern.
struct OwnedPicture {
    OwnedPicture(int width, int height) : pixels(size_t(width) * height + 1)
    {
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint8_t((i * 37) ^ (i >> 8));
        picture.screen = &benchScreen();
        picture.pixels = pixels.data();
        picture.pixelCount = uint32_t(width * height);
        picture.width = uint16_t(width);
        picture.height = uint16_t(height);
        picture.right = uint16_t(width);
        picture.bottom = uint16_t(height);
        picture.limit = 255;
    }
    std::vector<uint8_t> pixels;
    Picture picture{};
};

Picture& benchTexture()
{
    static OwnedPicture texture(256, 256);
    return texture.picture;
}

// One face with its own arrays, corners given directly in screen space. Sizes
// stay below 181 pixels: beyond that the 32-bit area of a face wraps.
struct SingleFace {
    explicit SingleFace(int size)
    {
        const int32_t x0 = (160 - size / 2) * 256 + 77, y0 = (120 - size / 2) * 256 + 33;
        const int32_t s = size * 256;
        screenX = {x0, x0 + s, x0};
        screenY = {y0, y0 + s / 3, y0 + s};
        depth = {1000, 2000, 3000};
        texCoords = {0, 0, 255 << 8, 0, 0, 255 << 8};
        mesh.texture = &benchTexture();
        mesh.screen = &benchScreen();
        mesh.visible = 1;
        mesh.transparentColour = -1;
        mesh.faces = faces;
        mesh.texFaces = faces;
        mesh.texCoords = texCoords.data();
        mesh.faceArea = area;
        mesh.screenX = screenX.data();
        mesh.screenY = screenY.data();
        mesh.vertexDepth = depth.data();
        mesh.vertexCount = 3;
        mesh.faceCount = 1;
        mesh.texCoordCount = 3;
        mesh.clipRight = ScreenWidth;
        mesh.clipBottom = ScreenHeight;
        mesh.clipRightFixed = ScreenWidth * 256;
        mesh.clipBottomFixed = ScreenHeight * 256;
    }
    // Each draw comes one unit nearer, so every sample passes the depth test.
    void comeNearer()
    {
        for (int32_t& z : depth)
            z -= 1;
        if (depth[0] < -20000) {
            depth = {1000, 2000, 3000};
            clearDepth(benchScreen(), 30000);
        }
    }
    int32_t faces[3] = {0, 1, 2};
    int32_t area[1] = {0};
    std::vector<int32_t> screenX, screenY, depth, texCoords;
    Mesh mesh{};
};

void TexturedTriangle(benchmark::State& state)
{
    SingleFace face(int(state.range(0)));
    for (auto _ : state) {
        face.comeNearer();
        drawMesh(face.mesh);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["pixels/s"] = benchmark::Counter(
        double(state.range(0) * state.range(0)) / 2 * double(state.iterations()),
        benchmark::Counter::kIsRate);
}
BENCHMARK(TexturedTriangle)->Arg(4)->Arg(16)->Arg(64)->Arg(160);

void FlatTriangle(benchmark::State& state)
{
    SingleFace face(int(state.range(0)));
    for (auto _ : state)
        drawMeshFlat(face.mesh, 17);
    state.SetItemsProcessed(state.iterations());
    state.counters["pixels/s"] = benchmark::Counter(
        double(state.range(0) * state.range(0)) / 2 * double(state.iterations()),
        benchmark::Counter::kIsRate);
}
BENCHMARK(FlatTriangle)->Arg(4)->Arg(16)->Arg(64)->Arg(160);

[[noreturn]] void failToWrite(const std::string& path)
{
    std::fprintf(stderr, "demo-bench: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    std::exit(1);
}

// A torus written as .ob text, for when the data set has not been forged.
std::string writeTorus()
{
    const std::string path =
        (std::filesystem::temp_directory_path() / "demo-bench-torus.ob").string();
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        failToWrite(path);
    constexpr int Around = 24, Sides = 3;
    for (int i = 0; i < Around; ++i)
        for (int j = 0; j < Sides; ++j) {
            const double a = 2 * M_PI * i / Around, b = 2 * M_PI * j / Sides;
            const double r = 30 + 10 * std::cos(b);
            std::fprintf(file, "*MESH_VERTEX %d %f %f %f\n", i * Sides + j, r * std::cos(a),
                         r * std::sin(a), 10 * std::sin(b));
        }
    int face = 0;
    for (int i = 0; i < Around; ++i)
        for (int j = 0; j < Sides; ++j) {
            const int p = i * Sides + j, q = ((i + 1) % Around) * Sides + j;
            const int p1 = i * Sides + (j + 1) % Sides,
                      q1 = ((i + 1) % Around) * Sides + (j + 1) % Sides;
            std::fprintf(file, "*MESH_FACE %d: A: %d B: %d C: %d\n", face++, p, q, p1);
            std::fprintf(file, "*MESH_FACE %d: A: %d B: %d C: %d\n", face++, q, q1, p1);
        }
    for (int t = 0; t < 4; ++t)
        std::fprintf(file, "*MESH_TVERT %d %f %f 0\n", t, (t & 1) * 0.9, (t >> 1) * 0.9);
    for (int f = 0; f < face; ++f)
        std::fprintf(file, "*MESH_TFACE %d %d %d %d\n", f, f & 1, 2, 3);
    const bool failed = std::ferror(file) != 0;
    if (std::fclose(file) != 0 || failed)
        failToWrite(path);
    return path;
}

// The knot of the data set with its own texture, or the torus with the
// pattern texture: 72 vertices, 144 faces either way.
Mesh& benchMesh()
{
    static Mesh mesh{};
    static Picture knotTexture{};
    static bool ready = false;
    if (!ready) {
        Screen& screen = benchScreen();
        if (std::filesystem::exists("data/knot.ob") && std::filesystem::exists("data/knot")) {
            // The knot's texture is an indexed picture: its own indices are
            // what the show stores, so no palette is needed.
            loadPicture(knotTexture, "data/knot", screen, 10910, true);
            loadMesh(mesh, "data/knot.ob", knotTexture, screen, 72, 144, 304);
        } else {
            loadMesh(mesh, writeTorus().c_str(), benchTexture(), screen, 72, 144, 4);
        }
        mesh.cameraDepth = -30720;
        mesh.edgeSlopeLimit = 0;
        ready = true;
    }
    return mesh;
}

void WholeMeshFrame(benchmark::State& state)
{
    Mesh& mesh = benchMesh();
    Screen& screen = benchScreen();
    for (auto _ : state) {
        mesh.angleX += 23;
        mesh.angleZ += 31;
        transformMesh(mesh);
        clearDepth(screen, 200);
        drawMesh(mesh);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(WholeMeshFrame);

void WholeMeshTransform(benchmark::State& state)
{
    Mesh& mesh = benchMesh();
    for (auto _ : state) {
        mesh.angleX += 23;
        transformMesh(mesh);
    }
    state.SetItemsProcessed(state.iterations() * benchMesh().vertexCount);
}
BENCHMARK(WholeMeshTransform);

void ClearDepth(benchmark::State& state)
{
    Screen& screen = benchScreen();
    for (auto _ : state)
        clearDepth(screen, 100);
    state.SetBytesProcessed(state.iterations() * int64_t(sizeof screen.depth));
}
BENCHMARK(ClearDepth);

void DrawPictureFullScreen(benchmark::State& state)
{
    OwnedPicture picture(320, 240);
    for (auto _ : state) {
        drawPicture(picture.picture);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * ScreenPixels);
}
BENCHMARK(DrawPictureFullScreen);

void AddPicture256(benchmark::State& state)
{
    OwnedPicture picture(256, 256);
    for (auto _ : state) {
        addPicture(picture.picture, 32, -8);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 256 * 240);
}
BENCHMARK(AddPicture256);

void AddSprite32(benchmark::State& state)
{
    OwnedPicture sprite(32, 32);
    int32_t x = 0;
    for (auto _ : state) {
        addSprite32(sprite.picture, x, 100);
        x = (x + 7) & 255;
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 1024);
}
BENCHMARK(AddSprite32);

void DrawLine(benchmark::State& state)
{
    Screen& screen = benchScreen();
    const int32_t length = int32_t(state.range(0));
    int32_t step = 0;
    for (auto _ : state) {
        drawLine(screen, 10, 10 + step, 10 + length, 200 - step, 255);
        step = (step + 1) & 63;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * length);
}
BENCHMARK(DrawLine)->Arg(16)->Arg(300);

void StampGlyph(benchmark::State& state)
{
    OwnedPicture sheet(256, 64);
    OwnedPicture target(256, 256);
    Font font{256, 64, 15, 15, sheet.picture};
    uint8_t character = 'A';
    for (auto _ : state) {
        stampGlyph(font, 96, 96, target.picture, character, 0);
        character = uint8_t(character == 'Z' ? 'A' : character + 1);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 64 * 64);
}
BENCHMARK(StampGlyph);

}  // namespace

BENCHMARK_MAIN();

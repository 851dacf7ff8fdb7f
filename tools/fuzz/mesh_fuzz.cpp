// The mesh reader, then the transform and both rasterisers on what it
// accepted. Input: the name of a mesh of the data table (its counts are the
// ones the show reads it with) and a newline, two bytes each of the x and z
// angles, one byte of flags (bit 0: shaded faces), then the .ob text.
#include "fuzz_support.h"

#include "core/data_files.h"
#include "gfx3d/mesh.h"
#include "gfx3d/raster.h"

#include <vector>

namespace {

constexpr size_t HeaderBytes = 5;

bool isMesh(const DataFile& file)
{
    return file.kind == DataKind::Mesh;
}

// A texture of the shape the show's meshes use (256 x 256 and the spare
// byte), every texel different along a row.
Picture& texture()
{
    static std::vector<uint8_t> texels(65537);
    static Picture picture = [] {
        for (size_t i = 0; i < texels.size(); ++i)
            texels[i] = uint8_t(i * 7 + (i >> 8));
        Picture p{};
        p.pixels = texels.data();
        p.pixelCount = 65536;
        p.width = p.height = 256;
        p.right = p.bottom = 256;
        p.limit = 255;
        p.screen = &MainScreen;
        return p;
    }();
    return picture;
}

void freeArrays(Mesh& mesh)
{
    for (int32_t* array : {mesh.vertices, mesh.faces, mesh.texCoords, mesh.texFaces, mesh.faceArea,
                           mesh.screenX, mesh.screenY, mesh.vertexDepth})
        delete[] array;
}

uint16_t twoBytes(const uint8_t* data)
{
    return uint16_t(data[0] << 8 | data[1]);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startShowForFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const DataFile* row = takeDataRow(data, size, isMesh);
    if (!row || size < HeaderBytes)
        return -1;
    const std::string path = writeInputFile("mesh.ob", data + HeaderBytes, size - HeaderBytes);
    Mesh mesh{};
    try {
        loadMesh(mesh, path.c_str(), texture(), MainScreen, row->vertices, row->faces, row->texCoords);
    } catch (const Refused&) {
        freeArrays(mesh);
        return 0;
    }
    // The same mesh at the chosen angles, both ways the scenes draw meshes.
    mesh.angleX = twoBytes(data);
    mesh.angleZ = twoBytes(data + 2);
    mesh.shaded = data[4] & 1;
    transformMesh(mesh);
    clearDepth(MainScreen, 0x7FFF);
    drawMesh(mesh);
    drawMeshFlat(mesh, 200);
    freeArrays(mesh);
    return 0;
}

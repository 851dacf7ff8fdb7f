#include "gfx3d/mesh.h"

#include "core/fatal.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

// Placement every mesh starts with: a slight tilt, centred on the screen, the
// eye 170 units in front of the origin.
constexpr int32_t DefaultAngleX = 150;
constexpr int32_t DefaultCentreX = 160 * 256;  // 24.8
constexpr int32_t DefaultCentreY = 120 * 256;  // 24.8
constexpr int32_t DefaultCameraDepth = -170 * 256;  // 8.8

// A token longer than this is kept only in part; no keyword comes close.
constexpr int TokenCapacity = 80;

// Truncates toward zero like a float-to-int conversion. Values beyond the
// 32-bit range saturate and NaN gives 0 (what an ARM conversion does), so a
// malformed number never reaches an undefined conversion.
static int32_t truncateToInt32(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0f)
        return INT32_MAX;
    if (value <= -2147483648.0f)
        return INT32_MIN;
    return int32_t(value);
}

// Model coordinate: file value x 256 in single precision, truncated (8.8).
static int32_t toModelFixed(float value)
{
    return truncateToInt32(value * 256.0f);
}

// Texture coordinate: x 256 twice in single precision, truncated (16.16).
static int32_t toTextureFixed(float value)
{
    return truncateToInt32(value * 256.0f * 256.0f);
}

static void allocateArrays(Mesh& mesh, int32_t vertexCount, int32_t faceCount,
                           int32_t texCoordCount)
{
    // The spare entries past each count are never read; they keep the sizes
    // the rest of the show was written against.
    const int32_t perVertex = 3 * vertexCount + 9;
    const int32_t perFace = 3 * faceCount + 9;
    mesh.vertices = new int32_t[perVertex]();
    mesh.faces = new int32_t[perFace]();
    mesh.texCoords = new int32_t[2 * texCoordCount + 6]();
    mesh.texFaces = new int32_t[perFace]();
    mesh.faceArea = new int32_t[perFace]();
    mesh.screenX = new int32_t[perVertex]();
    mesh.screenY = new int32_t[perVertex]();
    mesh.vertexDepth = new int32_t[perVertex]();
}

static void setDefaults(Mesh& mesh, Picture& texture, Screen& screen, int32_t vertexCount,
                        int32_t faceCount, int32_t texCoordCount)
{
    mesh.texture = &texture;
    mesh.screen = &screen;
    mesh.vertexCount = vertexCount;
    mesh.faceCount = faceCount;
    mesh.texCoordCount = texCoordCount;
    mesh.visible = 1;
    mesh.shaded = 0;
    mesh.angleX = DefaultAngleX;
    mesh.angleZ = 0;
    mesh.offsetX = 0;
    mesh.offsetY = 0;
    mesh.offsetZ = 0;
    mesh.centreX = DefaultCentreX;
    mesh.centreY = DefaultCentreY;
    mesh.cameraDepth = DefaultCameraDepth;
    mesh.clipLeft = 0;
    mesh.clipRight = ScreenWidth;
    mesh.clipTop = 0;
    mesh.clipBottom = ScreenHeight;
    mesh.clipLeftFixed = 0;
    mesh.clipRightFixed = ScreenWidth * 256;
    mesh.clipTopFixed = 0;
    mesh.clipBottomFixed = ScreenHeight * 256;
    mesh.lastFace = 0;
    mesh.shadeOffset = 0;
}

// Reads one whitespace-separated token into `token`. A longer token keeps its
// first TokenCapacity - 1 characters and the rest of it is consumed, so the
// tail of a long token can never pose as a keyword.
static bool readToken(std::FILE* file, char (&token)[TokenCapacity])
{
    if (std::fscanf(file, "%79s", token) != 1)
        return false;
    if (std::strlen(token) == TokenCapacity - 1) {
        int c;
        while ((c = std::fgetc(file)) != EOF && !std::isspace(c)) {
        }
        if (c != EOF)
            std::ungetc(c, file);
    }
    return true;
}

// Write positions of the four kinds of entry, in entries.
struct ObReader {
    Mesh& mesh;
    const char* path;
    std::FILE* file;
    int32_t vertexCount = 0;
    int32_t faceCount = 0;
    int32_t texCoordCount = 0;
    int32_t texFaceCount = 0;
    // The scanned values persist from entry to entry: an entry cut short keeps
    // what the previous one left.
    float x = 0, y = 0, z = 0;
    int32_t a = 0, b = 0, c = 0;
};

static void refuseExtraEntry(const ObReader& reader, int32_t capacity, const char* kind)
{
    failWithMessage("bad mesh %s: more than %d %s\n", reader.path, int(capacity), kind);
}

static void requireIndex(const ObReader& reader, int32_t index, int32_t count, const char* kind)
{
    if (index < 0 || index >= count)
        failWithMessage("bad mesh %s: %s index %d outside 0..%d\n", reader.path, kind,
                        int(index), int(count) - 1);
}

static void readVertex(ObReader& r)
{
    std::fscanf(r.file, "%*s %f %f %f", &r.x, &r.y, &r.z);
    if (r.vertexCount == r.mesh.vertexCount)
        refuseExtraEntry(r, r.mesh.vertexCount, "vertices");
    int32_t* slot = r.mesh.vertices + 3 * r.vertexCount++;
    slot[0] = toModelFixed(r.x);
    slot[1] = toModelFixed(r.y);
    slot[2] = toModelFixed(r.z);
}

// Stores the scanned corners a, b, c as the next entry of a face list, after
// checking there is room and that every corner names an entry that exists.
static void storeCorners(ObReader& r, int32_t* list, int32_t& written, int32_t capacity,
                         const char* kind, int32_t cornerCount, const char* cornerKind)
{
    if (written == capacity)
        refuseExtraEntry(r, capacity, kind);
    for (int32_t index : {r.a, r.b, r.c})
        requireIndex(r, index, cornerCount, cornerKind);
    int32_t* slot = list + 3 * written++;
    slot[0] = r.a;
    slot[1] = r.b;
    slot[2] = r.c;
}

static void readFace(ObReader& r)
{
    std::fscanf(r.file, "%*s %*s %d %*s %d %*s %d", &r.a, &r.b, &r.c);
    storeCorners(r, r.mesh.faces, r.faceCount, r.mesh.faceCount, "faces", r.mesh.vertexCount,
                 "vertex");
}

static void readTexCoord(ObReader& r)
{
    std::fscanf(r.file, "%*s %f %f", &r.x, &r.y);
    if (r.texCoordCount == r.mesh.texCoordCount)
        refuseExtraEntry(r, r.mesh.texCoordCount, "texture vertices");
    int32_t* slot = r.mesh.texCoords + 2 * r.texCoordCount++;
    slot[0] = toTextureFixed(r.x);
    slot[1] = toTextureFixed(r.y);
}

static void readTexFace(ObReader& r)
{
    std::fscanf(r.file, "%*s %d %d %d", &r.a, &r.b, &r.c);
    storeCorners(r, r.mesh.texFaces, r.texFaceCount, r.mesh.faceCount, "texture faces",
                 r.mesh.texCoordCount, "texture vertex");
}

// Every token that is exactly a keyword starts an entry; all others are
// dropped one at a time, which also skips what a scan left unread.
static void readEntries(ObReader& reader)
{
    char token[TokenCapacity];
    while (readToken(reader.file, token)) {
        if (std::strcmp(token, "*MESH_VERTEX") == 0)
            readVertex(reader);
        else if (std::strcmp(token, "*MESH_FACE") == 0)
            readFace(reader);
        else if (std::strcmp(token, "*MESH_TVERT") == 0)
            readTexCoord(reader);
        else if (std::strcmp(token, "*MESH_TFACE") == 0)
            readTexFace(reader);
    }
}

// The rasterisers read every slot up to the counts: a file that fills fewer
// would leave faces pointing at vertices that were never read.
static void requireFullCount(const ObReader& reader, int32_t found, int32_t expected,
                             const char* kind)
{
    if (found < expected)
        failWithMessage("bad mesh %s: %d of %d %s\n", reader.path, int(found), int(expected),
                        kind);
}

void loadMesh(Mesh& mesh, const char* path, Picture& texture, Screen& screen,
              int32_t vertexCount, int32_t faceCount, int32_t texCoordCount)
{
    std::FILE* file = std::fopen(path, "r");
    allocateArrays(mesh, vertexCount, faceCount, texCoordCount);
    setDefaults(mesh, texture, screen, vertexCount, faceCount, texCoordCount);
    if (!file)
        failWithMessage("unable to open %s\n", path);

    ObReader reader{mesh, path, file};
    readEntries(reader);
    requireFullCount(reader, reader.vertexCount, vertexCount, "vertices");
    requireFullCount(reader, reader.faceCount, faceCount, "faces");
    requireFullCount(reader, reader.texCoordCount, texCoordCount, "texture vertices");
    requireFullCount(reader, reader.texFaceCount, faceCount, "texture faces");

    transformMesh(mesh);
    std::fclose(file);
    mesh.transparentColour = -1;
    mesh.edgeSlopeLimit = 1;
}

void loadDataMesh(Mesh& mesh, const DataFile& file, Picture& texture, Screen& screen)
{
    loadMesh(mesh, file.path, texture, screen, file.vertices, file.faces, file.texCoords);
}

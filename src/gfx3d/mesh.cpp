#include "gfx3d/mesh.h"

#include "core/data_folder.h"
#include "core/fatal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// Placement every mesh starts with: a slight tilt, centred on the screen, the
// eye 170 units in front of the origin.
constexpr int32_t DefaultAngleX = 150;
constexpr int32_t DefaultCentreX = 160 * 256;  // 24.8
constexpr int32_t DefaultCentreY = 120 * 256;  // 24.8
constexpr int32_t DefaultCameraDepth = -170 * 256;  // 8.8

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

// Array lengths for the counts. The spare entries past each count are never
// read; they keep the sizes the rest of the show was written against.
static int32_t perVertexLength(int32_t vertexCount) { return 3 * vertexCount + 9; }
static int32_t perFaceLength(int32_t faceCount) { return 3 * faceCount + 9; }
static int32_t texCoordLength(int32_t texCoordCount) { return 2 * texCoordCount + 6; }

static void allocateArrays(Mesh& mesh, int32_t vertexCount, int32_t faceCount,
                           int32_t texCoordCount)
{
    const int32_t perVertex = perVertexLength(vertexCount);
    const int32_t perFace = perFaceLength(faceCount);
    mesh.vertices = new int32_t[perVertex]();
    mesh.faces = new int32_t[perFace]();
    mesh.texCoords = new int32_t[texCoordLength(texCoordCount)]();
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

// The whole file in memory and a cursor over its whitespace-separated tokens,
// with the line numbers messages give.
struct ObReader {
    Mesh& mesh;
    const char* path;
    std::string text;  // NUL-terminated by std::string
    size_t at = 0;
    int32_t line = 1;       // of the last token read
    int32_t entryLine = 1;  // of the entry being read
    // Entries written so far, of each of the four kinds.
    int32_t vertexCount = 0;
    int32_t faceCount = 0;
    int32_t texCoordCount = 0;
    int32_t texFaceCount = 0;
};

struct Token {
    const char* begin;
    size_t length;
};

// The C locale's white space, as the tokens have always been split.
static bool isSpace(uint8_t c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

static void readWholeFile(ObReader& reader, std::FILE* file)
{
    char chunk[16384];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        reader.text.append(chunk, got);
    const bool failed = std::ferror(file);
    std::fclose(file);
    if (failed)
        failWithMessage("unable to read %s\n", reader.path);
}

static bool nextToken(ObReader& r, Token& token)
{
    const size_t size = r.text.size();
    while (r.at < size && isSpace(uint8_t(r.text[r.at]))) {
        r.line += r.text[r.at] == '\n';
        ++r.at;
    }
    if (r.at == size)
        return false;
    const size_t begin = r.at;
    while (r.at < size && !isSpace(uint8_t(r.text[r.at])))
        ++r.at;
    token = {r.text.data() + begin, r.at - begin};
    return true;
}

// Shows at most 32 characters of a token, anything unprintable as '?'.
static std::string printable(Token token)
{
    std::string shown(token.begin, std::min<size_t>(token.length, 32));
    for (char& c : shown)
        if (uint8_t(c) < 32 || uint8_t(c) > 126)
            c = '?';
    return shown;
}

// An entry's field: the next token, which must be there.
static Token fieldToken(ObReader& r, const char* keyword)
{
    Token token;
    if (!nextToken(r, token))
        failWithMessage("bad mesh %s: line %d: %s cut short by the end of the file\n", r.path,
                        int(r.entryLine), keyword);
    return token;
}

[[noreturn]] static void refuseNumber(const ObReader& r, Token token)
{
    failWithMessage("bad mesh %s: line %d: malformed number \"%s\"\n", r.path, int(r.line),
                    printable(token).c_str());
}

static void skipField(ObReader& r, const char* keyword)
{
    fieldToken(r, keyword);
}

bool shortDecimalToFloat(const char* text, size_t length, float& value)
{
    // 10^k for k <= 12 and every integer below 10^15 are exact doubles.
    static constexpr double PowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4,  1e5,  1e6,
                                             1e7, 1e8, 1e9, 1e10, 1e11, 1e12};
    const char* at = text;
    const char* end = text + length;
    const bool negative = at < end && *at == '-';
    at += negative;
    int64_t digits = 0;
    int count = 0, fraction = 0;
    bool point = false;
    for (; at < end; ++at) {
        if (*at == '.' && !point) {
            point = true;
        } else if (*at >= '0' && *at <= '9') {
            digits = digits * 10 + (*at - '0');
            ++count;
            fraction += point;
        } else {
            return false;
        }
    }
    if (count == 0 || count > 15 || fraction > 12)
        return false;
    const float magnitude = float(double(digits) / PowersOfTen[fraction]);
    value = negative ? -magnitude : magnitude;
    return true;
}

// A finite decimal (or hexadecimal) number that fills the whole token, read
// straight into single precision, rounded to nearest. The short decimals the
// files are made of take the quick conversion; strtof reads the rest.
static float readFloat(ObReader& r, const char* keyword)
{
    const Token token = fieldToken(r, keyword);
    float value;
    if (shortDecimalToFloat(token.begin, token.length, value))
        return value;
    char* end = nullptr;
    value = std::strtof(token.begin, &end);
    if (end != token.begin + token.length || !std::isfinite(value))
        refuseNumber(r, token);
    return value;
}

// A decimal integer within 32 bits that fills the whole token. Up to nine
// digits, with a minus sign or none, cannot leave that range and are read
// here; strtoll reads the rest.
static int32_t readInteger(ObReader& r, const char* keyword)
{
    const Token token = fieldToken(r, keyword);
    const bool negative = token.length > 1 && token.begin[0] == '-';
    const size_t digits = token.length - negative;
    if (digits >= 1 && digits <= 9 &&
        std::all_of(token.begin + negative, token.begin + token.length,
                    [](char c) { return c >= '0' && c <= '9'; })) {
        int32_t value = 0;
        for (size_t i = negative; i < token.length; ++i)
            value = value * 10 + (token.begin[i] - '0');
        return negative ? -value : value;
    }
    char* end = nullptr;
    const long long value = std::strtoll(token.begin, &end, 10);
    if (end != token.begin + token.length || value < INT32_MIN || value > INT32_MAX)
        refuseNumber(r, token);
    return int32_t(value);
}

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

constexpr const char* VertexKeyword = "*MESH_VERTEX";
constexpr const char* FaceKeyword = "*MESH_FACE";
constexpr const char* TexCoordKeyword = "*MESH_TVERT";
constexpr const char* TexFaceKeyword = "*MESH_TFACE";

// "*MESH_VERTEX label x y z"
static void readVertex(ObReader& r)
{
    skipField(r, VertexKeyword);
    float xyz[3];
    for (float& value : xyz)
        value = readFloat(r, VertexKeyword);
    if (r.vertexCount == r.mesh.vertexCount)
        refuseExtraEntry(r, r.mesh.vertexCount, "vertices");
    int32_t* slot = r.mesh.vertices + 3 * r.vertexCount++;
    for (int i = 0; i < 3; ++i)
        slot[i] = toModelFixed(xyz[i]);
}

// Stores corners a, b, c as the next entry of a face list, after checking
// there is room and that every corner names an entry that exists.
static void storeCorners(ObReader& r, const int32_t (&corners)[3], int32_t* list,
                         int32_t& written, int32_t capacity, const char* kind,
                         int32_t cornerCount, const char* cornerKind)
{
    if (written == capacity)
        refuseExtraEntry(r, capacity, kind);
    for (int32_t index : corners)
        requireIndex(r, index, cornerCount, cornerKind);
    int32_t* slot = list + 3 * written++;
    for (int i = 0; i < 3; ++i)
        slot[i] = corners[i];
}

// "*MESH_FACE label A: a B: b C: c": each corner follows a label of its own;
// edge flags after the corners are dropped with the other unknown tokens.
static void readFace(ObReader& r)
{
    skipField(r, FaceKeyword);
    int32_t corners[3];
    for (int32_t& corner : corners) {
        skipField(r, FaceKeyword);
        corner = readInteger(r, FaceKeyword);
    }
    storeCorners(r, corners, r.mesh.faces, r.faceCount, r.mesh.faceCount, "faces",
                 r.mesh.vertexCount, "vertex");
}

// "*MESH_TVERT label u v", any third coordinate dropped.
static void readTexCoord(ObReader& r)
{
    skipField(r, TexCoordKeyword);
    const float u = readFloat(r, TexCoordKeyword);
    const float v = readFloat(r, TexCoordKeyword);
    if (r.texCoordCount == r.mesh.texCoordCount)
        refuseExtraEntry(r, r.mesh.texCoordCount, "texture vertices");
    int32_t* slot = r.mesh.texCoords + 2 * r.texCoordCount++;
    slot[0] = toTextureFixed(u);
    slot[1] = toTextureFixed(v);
}

// "*MESH_TFACE label a b c"
static void readTexFace(ObReader& r)
{
    skipField(r, TexFaceKeyword);
    int32_t corners[3];
    for (int32_t& corner : corners)
        corner = readInteger(r, TexFaceKeyword);
    storeCorners(r, corners, r.mesh.texFaces, r.texFaceCount, r.mesh.faceCount,
                 "texture faces", r.mesh.texCoordCount, "texture vertex");
}

static bool isKeyword(Token token, const char* keyword)
{
    return token.length == std::strlen(keyword) &&
           std::memcmp(token.begin, keyword, token.length) == 0;
}

// Every token that is exactly a keyword starts an entry; all others are
// dropped one at a time.
static void readEntries(ObReader& reader)
{
    Token token;
    while (nextToken(reader, token)) {
        reader.entryLine = reader.line;
        if (isKeyword(token, VertexKeyword))
            readVertex(reader);
        else if (isKeyword(token, FaceKeyword))
            readFace(reader);
        else if (isKeyword(token, TexCoordKeyword))
            readTexCoord(reader);
        else if (isKeyword(token, TexFaceKeyword))
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
    const DataPath resolved = resolveDataPath(path);
    std::FILE* file = std::fopen(resolved.text, "rb");
    allocateArrays(mesh, vertexCount, faceCount, texCoordCount);
    setDefaults(mesh, texture, screen, vertexCount, faceCount, texCoordCount);
    if (!file)
        failWithMessage("unable to open %s\n", resolved.text);

    ObReader reader{mesh, path, {}};
    readWholeFile(reader, file);
    readEntries(reader);
    requireFullCount(reader, reader.vertexCount, vertexCount, "vertices");
    requireFullCount(reader, reader.faceCount, faceCount, "faces");
    requireFullCount(reader, reader.texCoordCount, texCoordCount, "texture vertices");
    requireFullCount(reader, reader.texFaceCount, faceCount, "texture faces");

    transformMesh(mesh);
    mesh.transparentColour = -1;
    mesh.texelRuns = nullptr;
    mesh.edgeSlopeLimit = 1;
}

void loadDataMesh(Mesh& mesh, const DataFile& file, Picture& texture, Screen& screen)
{
    loadMesh(mesh, file.path, texture, screen, file.vertices, file.faces, file.texCoords);
}

static int32_t* copyArray(const int32_t* original, int32_t length)
{
    int32_t* copy = new int32_t[length];
    std::memcpy(copy, original, sizeof(int32_t) * size_t(length));
    return copy;
}

void copyMesh(Mesh& copy, const Mesh& original, Picture& texture)
{
    const int32_t perVertex = perVertexLength(original.vertexCount);
    const int32_t perFace = perFaceLength(original.faceCount);
    copy = original;
    copy.texture = &texture;
    copy.vertices = copyArray(original.vertices, perVertex);
    copy.faces = copyArray(original.faces, perFace);
    copy.texCoords = copyArray(original.texCoords, texCoordLength(original.texCoordCount));
    copy.texFaces = copyArray(original.texFaces, perFace);
    copy.faceArea = copyArray(original.faceArea, perFace);
    copy.screenX = copyArray(original.screenX, perVertex);
    copy.screenY = copyArray(original.screenY, perVertex);
    copy.vertexDepth = copyArray(original.vertexDepth, perVertex);
}

// A textured triangle object read from a .ob file, its placement and its
// last projection. Model coordinates, offsets and depths are 8.8; texture
// coordinates 16.16; screen positions 24.8.
#pragma once

#include "gfx2d/picture.h"
#include "core/screen.h"

#include <cstddef>
#include <cstdint>

struct TexelRuns;

struct Mesh {
    Picture* texture;           // 256 wide, at least 256 rows
    Screen* screen;
    uint8_t visible;            // 0: transform and draws do nothing
    uint8_t shaded;             // 1: faces darken by shadeOffset
    uint8_t edgeSlopeLimit;     // 1: drawMesh limits the long edge's x slope
    int32_t angleX;             // table index, 4096 to a turn
    int32_t angleZ;
    int32_t transparentColour;  // texel not drawn; -1 matches none
    const TexelRuns* texelRuns; // null, or the texture's runs of transparentColour
    int32_t offsetX;            // 8.8, added before rotation
    int32_t offsetZ;
    int32_t offsetY;
    int32_t centreX;            // 24.8 screen position of the projection centre
    int32_t centreY;
    int32_t cameraDepth;        // 8.8 depth of the eye
    int32_t* vertices;          // x, y, z per vertex, 8.8
    int32_t* faces;             // three vertex indices per face
    int32_t* texCoords;         // u, v per texture vertex, 16.16
    int32_t* texFaces;          // three texCoords indices per face
    int32_t* faceArea;          // doubled signed screen area per face
    int32_t vertexCount;
    int32_t faceCount;
    int32_t texCoordCount;
    int32_t clipRight;          // drawMeshFlat column bounds (pixels)
    int32_t clipLeft;
    int32_t clipBottom;         // row bounds (pixels, inclusive test)
    int32_t clipTop;
    int32_t clipRightFixed;     // drawMesh bounds, 24.8
    int32_t clipLeftFixed;
    int32_t clipBottomFixed;
    int32_t clipTopFixed;
    int32_t* screenX;           // 24.8 per vertex
    int32_t* screenY;           // 24.8 per vertex
    int32_t* vertexDepth;       // 8.8 per vertex
    int16_t lastFace;           // face being drawn
    int32_t shadeOffset;        // darkening of the face being drawn
};

// Reads the .ob file into arrays sized for the given counts, sets every
// placement field to its default and projects the mesh once. A missing file
// ends the program with "unable to open %s\n"; damaged data (more entries
// than the counts, fewer entries than the counts, an index out of range)
// ends it with a one-line message naming the file, and a malformed number or
// an entry cut short by the end of the file with one naming the file and line.
void loadMesh(Mesh& mesh, const char* path, Picture& texture, Screen& screen,
              int32_t vertexCount, int32_t faceCount, int32_t texCoordCount);

// Loads a mesh of the data table with its counts.
void loadDataMesh(Mesh& mesh, const DataFile& file, Picture& texture, Screen& screen);

// A mesh of its own with the same entries, placement and projection as
// `original` (read by loadMesh), drawn with `texture`: one file read serves
// many copies.
void copyMesh(Mesh& copy, const Mesh& original, Picture& texture);

// Reads a token of the form [-]digits[.digits], with at most 15 digits of
// which at most 12 follow the point, as strtof would: the digits as an
// integer divided by a power of ten in double precision, whose rounding to
// single precision then matches rounding the decimal itself (with so few
// digits the quotient cannot fall nearer a single-precision halfway point
// than double precision resolves without being exactly on it). False, and
// `value` untouched, for any other token.
bool shortDecimalToFloat(const char* text, size_t length, float& value);

// Offsets, rotates about x then z, and projects every vertex towards the eye.
void transformMesh(Mesh& mesh);
// A rotated coordinate's screen offset (24.8) at `depth` (8.8, the vertex's
// depth less the eye's, never 0): coordinate times the focal length over
// depth, multiplied and divided in 64 bits, truncated toward zero, the low
// 32 bits of the quotient.
int32_t projectedOffset(int32_t coordinate, int32_t depth);

#include "gfx3d/mesh.h"

#include "core/divide.h"
#include "core/tables.h"

// Focal length of 200 units, times 256 so that an 8.8 coordinate divided by
// an 8.8 depth difference comes out as a 24.8 screen offset.
constexpr int64_t FocalLengthFixed = 200 * 256;

// Coordinates within +-41943 (8.8: about 164 units, every mesh of the show
// but a few far vertices) times 51200 stay within +-2147481600, never -2^31,
// so a 32-bit division gives the same quotient as the 64-bit one: both
// truncate toward zero and neither can overflow. An ARM9 has no divide
// instruction, and its 64-bit division costs three times the 32-bit one.
constexpr int32_t LargestNarrowCoordinate = int32_t(INT32_MAX / FocalLengthFixed);

static bool narrow(int32_t coordinate)
{
    return coordinate >= -LargestNarrowCoordinate && coordinate <= LargestNarrowCoordinate;
}

int32_t projectedOffset(int32_t coordinate, int32_t depth)
{
    if (narrow(coordinate))
        return coordinate * int32_t(FocalLengthFixed) / depth;
    return int32_t(coordinate * FocalLengthFixed / int64_t(depth));
}

// Offsets each vertex, turns it about the x axis and then about the z axis, and
// projects it towards the eye. Rotation products are 32-bit (wrapping) and each
// term is shifted right by 8 on its own, so the table scale of 256 drops out
// term by term. The projection multiplies and divides in 64 bits, truncating
// toward zero, and keeps the low 32 bits of the quotient.
void transformMesh(Mesh& mesh)
{
    if (mesh.visible == 0)
        return;
    mesh.angleX &= 4095;
    mesh.angleZ &= 4095;
    const int32_t sa = SineTable[mesh.angleX];
    const int32_t ca = CosineTable[mesh.angleX];
    const int32_t sb = SineTable[mesh.angleZ];
    const int32_t cb = CosineTable[mesh.angleZ];

    const int32_t* vertex = mesh.vertices;
    for (int32_t i = 0; i < mesh.vertexCount; ++i, vertex += 3) {
        const int32_t x = vertex[0] + mesh.offsetX;
        const int32_t y = vertex[1] + mesh.offsetY;
        const int32_t z = vertex[2] + mesh.offsetZ;
        const int32_t y1 = ((y * ca) >> 8) - ((z * sa) >> 8);
        const int32_t z1 = ((y * sa) >> 8) + ((z * ca) >> 8);
        const int32_t x2 = ((y1 * sb) >> 8) + ((x * cb) >> 8);
        int32_t depth = ((y1 * cb) >> 8) - ((x * sb) >> 8);
        // A vertex exactly at the eye would divide by zero; one unit (1/256)
        // in front of it is indistinguishable on screen.
        if (depth == mesh.cameraDepth)
            depth += 1;
        const int32_t divisor = depth - mesh.cameraDepth;
        if (divisor > 0 && narrow(x2) && narrow(z1)) {
            // Both 32-bit quotients by one prepared divisor: without a divide
            // instruction, one inversion and two multiplies instead of two
            // calls to the C library's division.
            const Divisor depthDivisor(divisor);
            mesh.screenX[i] = mesh.centreX + depthDivisor.divide(x2 * int32_t(FocalLengthFixed));
            mesh.screenY[i] = mesh.centreY + depthDivisor.divide(z1 * int32_t(FocalLengthFixed));
        } else {
            mesh.screenX[i] = mesh.centreX + projectedOffset(x2, divisor);
            mesh.screenY[i] = mesh.centreY + projectedOffset(z1, divisor);
        }
        mesh.vertexDepth[i] = depth;
    }
}

// Tables computed once before the music starts, so that no frame needs
// floating point, a square root or a trigonometric call.
#pragma once

#include <cstdint>

// Angle index i stands for -3.141592653589 + 0.001533 i radians; values are
// sin/cos x 256 truncated toward zero (-256..255); entry 4095 is 0.
extern int32_t SineTable[4096];
extern int32_t CosineTable[4096];
extern int32_t SineCopy[4095];        // SineTable[0..4094]
extern int32_t CosineQuarter[4095];   // CosineTable[i] * 64 >> 8, floor(cos / 4)
extern int32_t RowOffsets[1024];      // 320 * i; rows past 239 exist on purpose
extern int32_t TriangleRamp[256];     // 0, 4, .., 508, 512, 508, .., 4
extern int32_t IdentityRamp[256];     // i
extern int32_t FalloffRamp[256];      // 32768 - 128 i
extern uint8_t WhiteBufferA[76800];   // 255 at start, rewritten by the sand scene
extern uint8_t WhiteBufferB[76800];

constexpr int WebCapacity = 150;
extern int32_t webBaseX[WebCapacity];  // spiral points at rest, screen pixels
extern int32_t webBaseY[WebCapacity];
extern int32_t webX[WebCapacity];      // swayed copy the web scene rewrites
extern int32_t webY[WebCapacity];
extern int32_t webPointCount;          // 104
extern int32_t webTarget;              // 104

extern int32_t BirdX[5];               // screen column of each bird's left edge
extern int32_t BirdY[5];               // screen row of each bird's top
extern int64_t WaveParams[16];         // attractor coefficients, 20 fraction bits

extern uint8_t SpotMask[76800];        // 255 inside radius 40 around (220, 80)
extern uint8_t RingBackground[76800];  // rings around (160, 120)
extern int32_t DistanceMap[76800];     // floor distance from (160, 120)

// floor(sqrt(n)), exact for every 32-bit n.
uint32_t isqrt(uint32_t n);

void buildTrigTables();   // before the data files load
void buildPlainTables();  // after the data files: rows, ramps, white buffers
void buildSceneTables();  // after the clouds are darkened: web, birds, waves, maps

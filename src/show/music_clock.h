// The desktop show's clock while the music plays: the music's position,
// counted from the samples the mixer has played, carried on between the
// mixer's passes by the wall clock for at most MaxAheadOfMusic. A stall of the
// whole program (a stopped process, a suspended laptop) stops the music and
// this clock alike, so the picture comes back in step with the sound and the
// show ends with its music. Before the music starts, and in a show without
// sound, it is SDL's wall clock.
#pragma once

#include <SDL/SDL_mixer.h>

#include <cstdint>

// The page's allowance in the browser, and more than three of the mixer's
// passes (256 samples at 22050 Hz, 11.6 ms): the clock never runs further
// ahead of the last position the mixer reported, so a stalled stream holds
// the show instead of leaving it.
constexpr uint32_t MaxAheadOfMusic = 40;

// Starts counting what the mixer plays; right after Mix_OpenAudio.
void countMixedSamples();
// Mix_PlayMusic (played once), with the count's start taken in the same
// instant; its result.
int playMusicCounted(Mix_Music* music);
// Milliseconds: SDL's tick count when the music started plus the music's
// position; never goes back.
uint32_t musicClockTicks();

#include "show/music_clock.h"

#include <SDL/SDL.h>

// The mixer's output, from Mix_QuerySpec: the request may have been changed.
static uint32_t BytesPerFrame = 4;   // channels x bytes a sample
static uint32_t FramesPerSecond = 22050;

// The mixer's pass runs on the audio thread holding the audio lock; the main
// thread takes the same lock to start the count and to read a report, so the
// position and its tick count are always read together.
static uint64_t FramesMixed = 0;     // since the audio opened
static uint64_t FramesAtStart = 0;   // FramesMixed when the music started
static bool MusicStarted = false;
static uint32_t ReportedPosition = 0;  // ms of music played before the last pass
static uint32_t ReportedAt = 0;        // SDL's tick count at that pass

// The main thread's own.
static bool FollowingMusic = false;  // MusicStarted, without the lock
static uint32_t StartTicks = 0;      // SDL's tick count when the music started
static uint32_t LastReading = 0;     // the clock's last reading, ms

// After every pass of the mixer. The position is taken before this pass's
// samples: they are the ones to be heard next.
static void countPass(void*, Uint8*, int bytes)
{
    if (MusicStarted) {
        ReportedPosition = uint32_t((FramesMixed - FramesAtStart) * 1000 / FramesPerSecond);
        ReportedAt = SDL_GetTicks();
    }
    FramesMixed += uint64_t(bytes) / BytesPerFrame;
}

void countMixedSamples()
{
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    if (Mix_QuerySpec(&frequency, &format, &channels) && frequency > 0 && channels > 0) {
        FramesPerSecond = uint32_t(frequency);
        BytesPerFrame = uint32_t(channels) * ((format & 0xFF) / 8);
    }
    Mix_SetPostMix(countPass, nullptr);
}

int playMusicCounted(Mix_Music* music)
{
    SDL_LockAudio();
    const int result = Mix_PlayMusic(music, 1);
    if (result == 0) {
        FramesAtStart = FramesMixed;
        StartTicks = SDL_GetTicks();
        LastReading = StartTicks;
        ReportedPosition = 0;
        ReportedAt = StartTicks;
        MusicStarted = true;
        FollowingMusic = true;
    }
    SDL_UnlockAudio();
    return result;
}

// The tick count at the music's start, plus the position the mixer reported
// (ms), plus the time since it reported it (`reportedAt`), up to the
// allowance. Unsigned 32-bit throughout, so the tick count may wrap.
static uint32_t musicClockReading(uint32_t startTicks, uint32_t positionMs, uint32_t reportedAt,
                                  uint32_t now)
{
    uint32_t ahead = now - reportedAt;
    // A report taken after `now` was read (the audio thread ran in between)
    // wraps to a huge value: it counts as no time at all.
    if (int32_t(ahead) < 0)
        ahead = 0;
    if (ahead > MaxAheadOfMusic)
        ahead = MaxAheadOfMusic;
    return startTicks + positionMs + ahead;
}

uint32_t musicClockTicks()
{
    if (!FollowingMusic)
        return SDL_GetTicks();
    const uint32_t now = SDL_GetTicks();
    SDL_LockAudio();
    const uint32_t position = ReportedPosition, reportedAt = ReportedAt;
    SDL_UnlockAudio();
    const uint32_t reading = musicClockReading(StartTicks, position, reportedAt, now);
    // The mixer may report a position a little behind the last reading's
    // allowance: the show's time never goes back.
    if (int32_t(reading - LastReading) > 0)
        LastReading = reading;
    return LastReading;
}

// Jumps: where the arrow keys lead on the timeline, and that a picture
// reached through kept snapshots is the one a run from the start reaches.
#include "core/clock.h"
#include "core/screen.h"
#include "core/window.h"
#include "core/show_state.h"
#include "show/seek.h"
#include "support.h"

#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

TEST(SceneStarts, RightArrowGoesToTheNextRowsFirstStepTime)
{
    EXPECT_EQ(sceneStartAfter(0), 10u);         // the credits: DemoTime 1 passes row 0
    EXPECT_EQ(sceneStartAfter(10), 24010u);     // the pyramid: DemoTime 2401
    EXPECT_EQ(sceneStartAfter(24009), 24010u);
    EXPECT_EQ(sceneStartAfter(123510), 124510u);  // the black interlude's one second
    EXPECT_EQ(sceneStartAfter(246010), 246010u) << "no scene after the sun rays";
}

TEST(SceneStarts, LeftArrowGoesBackAScene2SecondsIntoOne)
{
    EXPECT_EQ(sceneStartBack(24010), 10u);
    EXPECT_EQ(sceneStartBack(26009), 10u);
    EXPECT_EQ(sceneStartBack(26010), 24010u) << "2 s in, the scene's own start";
    EXPECT_EQ(sceneStartBack(500), 0u);
    EXPECT_EQ(sceneStartBack(0), 0u);
    EXPECT_EQ(sceneStartBack(280000), 246010u);
}

std::vector<uint8_t> pictureAt(uint32_t showMs)
{
    runShowTo(showMs);
    return std::vector<uint8_t>(MainScreen.pixels, MainScreen.pixels + ScreenPixels);
}

// The far picture first from the start, then again from the snapshot kept
// at the greetings' start after a jump back that restored an earlier one.
TEST(Jumps, APictureReachedFromAKeptStateIsTheOneReachedFromTheStart)
{
    REQUIRE_DATA_SET();
    freshShow();
    const ClockChoice before = currentClock();
    const std::vector<uint8_t> fromStart = pictureAt(200000);
    const uint32_t ticks = TickCount;
    const std::vector<uint8_t> earlier = pictureAt(60000);
    EXPECT_NE(earlier, fromStart);
    EXPECT_EQ(pictureAt(200000), fromStart);
    EXPECT_EQ(uint32_t(TickCount), ticks);
    EXPECT_EQ(clockTicks(), 200001u) << "the virtual clock stands just past the time";
    useClock(before);
}

// In the original window the Screen's pixels are the surface shown: an
// overlay drawn there for the present must not stay in the picture the
// scenes draw over next.
void scribble(SDL_Surface* surface, int, int, int)
{
    std::memset(surface->pixels, 77, size_t(OverlayRows) * surface->pitch);
}

TEST(Caption, AnOverlayLeavesTheScreensPictureAsItWas)
{
    testScreen();
    ASSERT_EQ(MainScreen.window, nullptr);
    for (int i = 0; i < ScreenPixels; ++i)
        MainScreen.pixels[i] = uint8_t(i % 251);
    const std::vector<uint8_t> before(MainScreen.pixels, MainScreen.pixels + ScreenPixels);
    PresentOverlay = scribble;
    presentScreen(MainScreen);
    PresentOverlay = nullptr;
    EXPECT_EQ(std::vector<uint8_t>(MainScreen.pixels, MainScreen.pixels + ScreenPixels), before);
}

// What the mixer plays after Mix_SetMusicPosition, captured after its mix.
struct Captured {
    std::vector<int16_t> samples;  // interleaved stereo
};
Captured Heard;

void captureMix(void*, Uint8* stream, int length)
{
    const auto* samples = reinterpret_cast<const int16_t*>(stream);
    Heard.samples.insert(Heard.samples.end(), samples, samples + length / 2);
}

// The desktop's jump moves the music with Mix_SetMusicPosition: on the Ogg
// stream the mixer plays from the show time given, within 50 ms, as the
// whole file decoded shows. The best match of what is heard is sought within
// 0.2 s either way of the time asked for.
TEST(Jumps, TheMixerMovesTheOggMusicToTheShowTime)
{
    REQUIRE_DATA_SET();
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 256), 0) << SDL_GetError();
    Mix_Chunk* whole = Mix_LoadWAV("data/music");
    Mix_Music* music = Mix_LoadMUS("data/music");
    ASSERT_TRUE(whole && music) << SDL_GetError();
    const auto* decoded = reinterpret_cast<const int16_t*>(whole->abuf);
    const size_t decodedFrames = whole->alen / 4;

    constexpr double At = 100.0;
    constexpr size_t Frames = 4096, Reach = 4410;  // 0.19 s and 0.2 s at 22050 Hz
    SDL_LockAudio();
    Mix_PlayMusic(music, 1);
    Mix_SetMusicPosition(At);
    Heard.samples.clear();
    Mix_SetPostMix(captureMix, nullptr);
    SDL_UnlockAudio();
    for (int wait = 0; wait < 300 && Heard.samples.size() < 2 * Frames; ++wait)
        SDL_Delay(10);
    SDL_LockAudio();
    Mix_SetPostMix(nullptr, nullptr);
    const std::vector<int16_t> heard = Heard.samples;
    SDL_UnlockAudio();
    ASSERT_GE(heard.size(), 2 * Frames) << "the audio device played nothing";

    const size_t centre = size_t(At * 22050);
    ASSERT_LT(centre + Reach + Frames, decodedFrames);
    long bestLag = 0;
    double bestError = -1;
    for (long lag = -long(Reach); lag <= long(Reach); ++lag) {
        double error = 0;
        for (size_t i = 0; i < 2 * Frames; ++i) {
            const double d = double(heard[i]) - decoded[2 * (centre + lag) + i];
            error += d * d;
        }
        if (bestError < 0 || error < bestError) {
            bestError = error;
            bestLag = lag;
        }
    }
    EXPECT_LE(std::abs(bestLag), 1102) << "heard " << bestLag / 22.05 << " ms from the show time";
    EXPECT_LT(bestError / (2 * Frames), 100.0 * 100.0) << "what is heard is not the music there";
    Mix_HaltMusic();
    Mix_FreeMusic(music);
    Mix_FreeChunk(whole);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace

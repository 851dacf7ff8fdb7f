#include "show/startup.h"

#include "assets/assets.h"
#include "core/data_files.h"

#include "objects/forest.h"
#include "objects/greetings.h"
#include "show/load.h"
#include "show/snapshot.h"
#include "core/clock.h"
#include "core/fatal.h"
#include "core/palette.h"
#include "show/frame.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"

#include <cstring>

Mix_Music* music = nullptr;

static void startMixerMusic();
static void stopMixerMusic();
MusicSeams Music = {startMixerMusic, stopMixerMusic};

void constructShowObjects()
{
    createScreen(MainScreen, 320, 240, 8);
    SceneForest.screen = &MainScreen;
    createGreetings(SceneGreetings, MainScreen);
}

// The mixer tells a music file's format by its first bytes, and on a file
// too short to hold them fails without closing it: the music must start with
// a whole Ogg page header (27 bytes, "OggS" first).
static void requireOggStream(const char* path)
{
    std::FILE* file = openDataFile(path);
    uint8_t header[27];
    const size_t got = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    if (got == 0)
        failWithMessage("bad music %s: empty file\n", path);
    if (got < sizeof header || std::memcmp(header, "OggS", 4) != 0)
        failWithMessage("bad music %s: not an Ogg stream\n", path);
}

// Every file the show will read is there, a regular file that opens, and
// every palette and the music start as they must, before anything loads: a
// damaged file ends start-up at once, not when its scene begins. Each is still
// read at its own time. The music is a file only to the mixer; a front end
// that plays it itself may have none.
static void requireDataFiles()
{
    for (const DataFile& file : DataFiles) {
        if (file.kind == DataKind::Palette)
            requirePaletteFile(file.path);
        else if (file.kind != DataKind::Music)
            std::fclose(openDataFile(file.path));
        else if (Music.start == startMixerMusic)
            requireOggStream(file.path);
    }
}

void prepareShow()
{
    requireDataFiles();
    buildTrigTables();
    loadAssets();
    buildPlainTables();
    installStartPalette();
    buildGreetings(SceneGreetings, stoneBlockPicture);
    darkenClouds();
    buildSceneTables();
    prerenderCalendarFrames();
    keepStartOfShow();
}

static void startMixerMusic()
{
    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 256) < 0)
        failWithMessage("Error initializing SDL_mixer: %s\n", SDL_GetError());
    music = Mix_LoadMUS(MusicPath);
    if (!music)
        failWithMessage("Mix_LoadMUS: %s: %s\n", MusicPath, SDL_GetError());
    if (Mix_PlayMusic(music, 1) == -1)
        failWithMessage("Mix_PlayMusic: %s: %s\n", MusicPath, SDL_GetError());
}

void startMusic()
{
    Music.start();
    ShowStartTicks = clockTicks();
}

void handleEvent(const SDL_Event& event, bool& quit)
{
    switch (event.type) {
    case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_p)
            Paused = !Paused;
        else if (event.key.keysym.sym == SDLK_q)
            toggleTickPeriod();
        break;
    case SDL_KEYUP:
        // Backspace acts on release, so holding it does nothing yet.
        if (event.key.keysym.sym == SDLK_BACKSPACE)
            quit = true;
        break;
    case SDL_QUIT:
        quit = true;
        break;
    default:
        break;
    }
}

static void stopMixerMusic()
{
    Mix_HaltMusic();
    Mix_FreeMusic(music);
    Mix_CloseAudio();
}

void stopMusic()
{
    Music.stop();
}

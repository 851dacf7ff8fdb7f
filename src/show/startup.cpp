#include "show/startup.h"

#include "assets/assets.h"
#include "core/data_files.h"

#include "objects/forest.h"
#include "objects/greetings.h"
#include "show/load.h"
#include "show/music_clock.h"
#include "show/snapshot.h"
#include "core/clock.h"
#include "core/data_folder.h"
#include "core/fatal.h"
#include "core/palette.h"
#include "show/frame.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"

#include <cstring>

Mix_Music* music = nullptr;
SoundChoice RequestedSound = SoundChoice::On;
static bool AudioOpen = false;  // the mixer's audio is open and must be closed

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

// Only the opening of audio depends on the machine; a music file that does
// not load or play is the data's fault and ends the show whatever the choice.
static void startMixerMusic()
{
    if (RequestedSound == SoundChoice::Off)
        return;
    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 256) < 0) {
        if (RequestedSound == SoundChoice::On)
            failWithMessage("Error initializing SDL_mixer: %s (to watch without sound: --sound off, "
                            "or --sound auto)\n", SDL_GetError());
        std::fprintf(stderr, "demo: no sound (%s): the show plays without it\n", SDL_GetError());
        return;
    }
    AudioOpen = true;
    countMixedSamples();
    const DataPath musicFile = resolveDataPath(MusicPath);
    music = Mix_LoadMUS(musicFile.text);
    if (!music)
        failWithMessage("Mix_LoadMUS: %s: %s\n", musicFile.text, SDL_GetError());
    if (playMusicCounted(music) == -1)
        failWithMessage("Mix_PlayMusic: %s: %s\n", musicFile.text, SDL_GetError());
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
    if (!AudioOpen)
        return;
    Mix_HaltMusic();
    Mix_FreeMusic(music);
    Mix_CloseAudio();
}

void stopMusic()
{
    Music.stop();
}

#include "show/startup.h"

#include "assets/assets.h"
#include "core/data_files.h"

#include "objects/forest.h"
#include "objects/greetings.h"
#include "show/load.h"
#include "core/clock.h"
#include "core/fatal.h"
#include "show/frame.h"
#include "core/screen.h"
#include "core/tables.h"
#include "scenes/scenes.h"

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

void prepareShow()
{
    buildTrigTables();
    loadAssets();
    buildPlainTables();
    installStartPalette();
    buildGreetings(SceneGreetings, stoneBlockPicture);
    darkenClouds();
    buildSceneTables();
    prerenderCalendarFrames();
}

static void startMixerMusic()
{
    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 256) < 0)
        failWithMessage("Error initializing SDL_mixer: %s\n", SDL_GetError());
    music = Mix_LoadMUS(MusicPath);
    if (!music)
        failWithMessage("Mix_LoadMUS: %s\n", SDL_GetError());
    if (Mix_PlayMusic(music, 1) == -1)
        failWithMessage("Mix_PlayMusic: %s\n", SDL_GetError());
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

// The show's life: construction, the fixed start-up order, the music, the
// keys and the hand-over to the console's menu program.
#pragma once

#include "core/data_files.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

extern Mix_Music* music;
constexpr const char* MusicPath = dataFile("data/music").path;

// Before main: the Screen (which starts SDL), then the scene objects.
void constructShowObjects();
// Tables, data files, palettes, greetings and pre-rendering, in their order.
void prepareShow();
// Opens audio, starts the music and takes the show's start time.
void startMusic();
// Applies one input event; sets `quit` on backspace released or a quit request.
void handleEvent(const SDL_Event& event, bool& quit);
void stopMusic();

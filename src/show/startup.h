// The show's life: construction, the fixed start-up order, the music, the
// keys and the hand-over to the console's menu program.
#pragma once

#include "core/data_files.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

extern Mix_Music* music;
constexpr const char* MusicPath = dataFile("data/music").path;

// Where the music plays: SDL_mixer unless a front end plays it itself (the
// browser plays the Ogg file through its own audio). start ends the program
// when the music cannot play.
struct MusicSeams {
    void (*start)();
    void (*stop)();
};
extern MusicSeams Music;

// Sound on the desktop. On: the music plays, and the show ends with status 1
// where audio cannot be opened. Off: audio is never opened. Auto: where no
// audio device opens, the show plays silently after a one-line notice.
// Without sound the show's clock is the wall clock.
enum class SoundChoice { On, Off, Auto };
extern SoundChoice RequestedSound;

// Before main: the Screen (which starts SDL), then the scene objects.
void constructShowObjects();
// The check that every data file is there, then tables, data files,
// palettes, greetings and pre-rendering, in their order.
void prepareShow();
// Opens audio, starts the music and takes the show's start time.
void startMusic();
// Applies one input event; sets `quit` on backspace released or a quit request.
void handleEvent(const SDL_Event& event, bool& quit);
void stopMusic();

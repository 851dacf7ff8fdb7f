// Every scene's blocks, registered by bit in registry.cpp.
#pragma once

void updateCreditsIris();
void drawCreditsIris();
void updateFlarePyramid();
void drawFlarePyramid();
void drawZoomTrails();
void updateJungle();
void drawJungle();
void updateForestCalendar();
void drawForestCalendar();
void updateAttractor();
void drawAttractor();
void updateSandReveal();
void drawSandReveal();
void updateLeaves();
void drawLeaves();
void updateSpiderWeb();
void drawSpiderWeb();
void drawBlackInterlude();
void updatePortrait();
void drawPortrait();
void updateRain();
void drawRain();
void updateFlood();
void drawFlood();
void updateMaskFlash();
void drawMaskFlash();
void updateWaves();
void drawWaves();
void updateGreetingsClouds();
void drawGreetingsClouds();
void drawCloudFlight();
void updateKnot();
void drawKnot();
void updateRoto();
void drawRoto();
void updateSunRays();
void drawSunRays();

// The tables and maps the scenes keep in their own files, built once the
// clouds are darkened. None draws at random or reads a palette.
void buildSceneTables();

// Start-up work of the forest scene: the 64 views of the calendar, drawn
// through the Screen before the music starts.
void prerenderCalendarFrames();

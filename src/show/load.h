// The data files in their fixed load order.
#pragma once

// Loads every data file in its fixed order, with the palettes that converted
// pictures map to loaded in between. The leaves take the first 96 random
// draws of the program.
void loadAssets();
void installStartPalette();
// Cloud values become 0..31, so three layers and a base fit in a byte.
void darkenClouds();

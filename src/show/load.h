// The data files in their fixed load order.
#pragma once

// Loads the data files of start-up in the order of the data table's rows,
// the palettes that converted pictures map to among them. The leaves take
// the first 96 random draws of the program.
void loadAssets();
void installStartPalette();
// Cloud values become 0..31, so three layers and a base fit in a byte.
void darkenClouds();

// What the fuzz targets share: the show's fatal ends turned into an exception
// the target catches, so one process survives every refused input, and input
// bytes handed to the show's readers as a file in a RAM folder, since they
// read files by path.
#pragma once

#include "core/data_files.h"
#include "core/screen.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Thrown in place of the show's exit with status 1: the input was refused.
struct Refused {};

// Writes `size` bytes to a file named `name` in this process's RAM folder
// and returns its path.
std::string writeInputFile(const char* name, const uint8_t* data, size_t size);

// Inputs for a file of the data table start with its name in data/ and a
// newline ("knot.ob\n"), so corpora are seeded from the data set without
// repeating the table's order. Takes the name off the input and returns its
// row when it names a file of `kind`, else null.
const DataFile* takeDataRow(const uint8_t*& data, size_t& size, bool (*kind)(const DataFile&));

// SDL on its dummy drivers and the show's MainScreen created, the tables
// built: what start-up has done before any data file is read.
void startShowForFuzzing();

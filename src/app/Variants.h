#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "base/Failure.h"

// --variants N: the same parameters grown from N consecutive seeds, so that a user filling
// a forest has trees to pick from. Each tree is exported as a single export of its seed
// would be (--seed S --export OUT-S.glb) under the export's name with "-<seed>" before its
// extension; --render draws them all side by side into one contact sheet.

// The most trees one run grows.
inline constexpr int MaxVariants = 64;

// The largest seed there is.
inline constexpr uint32_t LargestSeed = 0xFFFFFFFFu;

// The export of the tree of `seed` among the variants of `path`: "OUT-<seed>.glb" for
// "OUT.glb" (an .obj's companions are named after it as ever).
std::string VariantPath(const std::string& path, uint32_t seed);

// The seeds of the run's trees, in the order they are grown and shown.
std::vector<uint32_t> VariantSeeds(const CommandLineOptions& options);

// Takes the value of --variants into `options`, once every other option is in: the count
// of trees, and a first seed. The seed given (by --seed or a --params file) is the first;
// without one it is drawn from the clock here (options.seedFromClock), low enough for the
// last seed to exist. Fails for a count other than 1 to 64, for a run that writes nothing
// (neither --export nor --render), and for seeds that would pass the largest.
Result<> ReadVariants(const std::string& text, CommandLineOptions& options);

// Fails when two of the run's files would be one: the exports of every seed and the
// contact sheet (the variants' form of the command line's check that outputs are apart).
Result<> VariantOutputsApart(const CommandLineOptions& options);

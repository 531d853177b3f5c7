#pragma once

#include <cstddef>
#include <optional>
#include <vector>

class GlContextState;
struct MeshDestination;
struct MeshPart;

// The wind's sway of the cached tree mesh (see TreeWind.h for the motion itself).
//
// While the wind blows, the mesh is built with its wind data, and the cache keeps the
// rest positions and one sway weight per vertex in client memory beside it. Every frame at
// a new sway time writes the displaced positions (rest + weight x amplitude x sway, along
// x and z) into the arrays the drawing reads anyway: the position buffer objects, mapped,
// or the mesh's own position arrays. So the drawing calls stay what they are, and the
// shadow, drawn from the same positions, sways with the tree. While the wind is still the
// mesh is built as it always was: none of this is held and nothing is written.
struct MeshSway {
    bool built = false;             // the mesh was built with the wind: the arrays hold it
    std::vector<float> barkRest;    // x, y, z per vertex, as the build wrote them
    std::vector<float> leafRest;    //
    std::vector<float> barkWeights; // one per vertex (0 at the trunk's foot, 1 at the tip)
    std::vector<float> leafWeights; //
    double amplitude = 0.0;         // WindAmplitude of the tree's height (its highest y)
    std::optional<double> shownAt;  // the sway time the drawn positions hold; none: unknown
};

// Sizes the sway's arrays for `barkVertices` and `leafVertices` and points the build at
// them: the rest positions and the wind data (weight and phase, two values a vertex, which
// FinishSway reduces to the weights).
void PrepareSway(MeshSway& sway, size_t barkVertices, size_t leafVertices, MeshDestination& to);
// After the build: keeps only the weights of the wind data and works out the amplitude.
void FinishSway(MeshSway& sway);
// The same for a mesh built into its own arrays with its wind data: the rest positions are
// copied from its two parts and the wind data taken out of them.
void TakeSway(MeshSway& sway, MeshPart& bark, MeshPart& leaves);

// Writes the positions of sway time `seconds` (seconds since the wind started) into the
// arrays the cached mesh of `state` is drawn from, unless they hold that time already.
// Nothing happens when the mesh was built without the wind.
void SwayTreeMesh(GlContextState& state, double seconds);

#pragma once

#include <array>
#include <cstdint>

// The geometry and motion rules of the turning object, as plain values.

// One interleaved vertex: position, normal, texture coordinate (32 bytes).
struct SceneVertex {
    float x, y, z;
    float nx, ny, nz;
    float s, t;
};
static_assert(sizeof(SceneVertex) == 32);

inline constexpr int kSceneVertexCount = 36;
inline constexpr int kVerticesPerFacePair = 12;
inline constexpr int kFaceSlotCount = 3;
inline constexpr int kObjectTypeCount = 8;

// Object types 6 and 7 are the thin square; the others are cubes.
inline bool IsSquareObject(int objectType) { return objectType > 5; }

// The vertices for one frame: the cube's table with every texture coordinate of 1 turned into
// 0.001 and every other into 0.999 (so that a picture whose first row is its bottom row shows
// upright on the front face), and z squashed to a hundredth for the square.
std::array<SceneVertex, kSceneVertexCount> BuildSceneVertices(int objectType);

// Whether the render target must be reopened: its size differs from the display size, or the
// object type went from 2 or more to below 2.
bool NeedsRenderTargetReopen(int targetWidth, int targetHeight, int displaySize, int previousObjectType,
                             int objectType);

// The shared animation counter starts at 10 and moves on 0.03 per frame of any display.
inline constexpr float kAnimationCounterStart = 10.0f;
inline float AdvanceAnimationCounter(float counter) { return static_cast<float>(counter + 0.03); }

// The move along z before the rotations.
float ObjectTranslationZ(int objectType);

struct SceneRotation {
    float angle;  // degrees
    float x, y, z;
};

// The rotations of one frame, first call first, for the motion angle `angle` (counter times
// speed). Returns how many of `rotations` are used (at most five).
int ObjectRotations(int objectType, float angle, std::array<SceneRotation, 5>& rotations);

// The constant alpha of a display at `opacityPercent` (100 = opaque).
inline uint8_t ConstantAlphaForOpacity(double opacityPercent) {
    return static_cast<uint8_t>(static_cast<int>(opacityPercent * 255 / 100));
}

// New pictures go to the face slots 1, 2, 0, 1, 2, 0 ...
inline int NextFaceSlot(int faceCounter) { return faceCounter >= kFaceSlotCount - 1 ? 0 : faceCounter + 1; }

#include "render/scene_geometry.h"

#include <cmath>

namespace {

struct StoredVertex {
    float x, y, z, s, t;
};

// The cube: front/back (slot 0), top/bottom (slot 1), right/left (slot 2), two triangles a face.
constexpr StoredVertex kCube[kSceneVertexCount] = {
    {0.5f, 0.5f, 0.5f, 0, 0},    {0.5f, -0.5f, 0.5f, 0, 1},   {-0.5f, 0.5f, 0.5f, 1, 0},
    {-0.5f, 0.5f, 0.5f, 1, 0},   {0.5f, -0.5f, 0.5f, 0, 1},   {-0.5f, -0.5f, 0.5f, 1, 1},
    {-0.5f, 0.5f, -0.5f, 0, 0},  {-0.5f, -0.5f, -0.5f, 0, 1}, {0.5f, 0.5f, -0.5f, 1, 0},
    {0.5f, 0.5f, -0.5f, 1, 0},   {-0.5f, -0.5f, -0.5f, 0, 1}, {0.5f, -0.5f, -0.5f, 1, 1},
    {-0.5f, 0.5f, 0.5f, 0, 0},   {-0.5f, 0.5f, -0.5f, 0, 1},  {0.5f, 0.5f, 0.5f, 1, 0},
    {0.5f, 0.5f, 0.5f, 1, 0},    {-0.5f, 0.5f, -0.5f, 0, 1},  {0.5f, 0.5f, -0.5f, 1, 1},
    {-0.5f, -0.5f, -0.5f, 0, 0}, {-0.5f, -0.5f, 0.5f, 0, 1},  {0.5f, -0.5f, -0.5f, 1, 0},
    {0.5f, -0.5f, -0.5f, 1, 0},  {-0.5f, -0.5f, 0.5f, 0, 1},  {0.5f, -0.5f, 0.5f, 1, 1},
    {0.5f, 0.5f, -0.5f, 0, 0},   {0.5f, -0.5f, -0.5f, 0, 1},  {0.5f, 0.5f, 0.5f, 1, 0},
    {0.5f, 0.5f, 0.5f, 1, 0},    {0.5f, -0.5f, -0.5f, 0, 1},  {0.5f, -0.5f, 0.5f, 1, 1},
    {-0.5f, 0.5f, 0.5f, 0, 0},   {-0.5f, -0.5f, 0.5f, 0, 1},  {-0.5f, 0.5f, -0.5f, 1, 0},
    {-0.5f, 0.5f, -0.5f, 1, 0},  {-0.5f, -0.5f, 0.5f, 0, 1},  {-0.5f, -0.5f, -0.5f, 1, 1},
};

constexpr float kFaceNormals[6][3] = {{0, 0, 1}, {0, 0, -1}, {0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}};

float MapTextureCoordinate(float stored) { return stored == 1.0f ? 0.001f : 0.999f; }

// sin(a * k) with a widened to double, rounded to single precision.
float Wave(float angle, double factor) { return static_cast<float>(std::sin(static_cast<double>(angle) * factor)); }

}  // namespace

std::array<SceneVertex, kSceneVertexCount> BuildSceneVertices(int objectType) {
    std::array<SceneVertex, kSceneVertexCount> vertices{};
    const bool square = IsSquareObject(objectType);
    for (int i = 0; i < kSceneVertexCount; ++i) {
        const StoredVertex& stored = kCube[i];
        const float* normal = kFaceNormals[i / 6];
        vertices[i] = {stored.x,  stored.y,  square ? static_cast<float>(stored.z * 0.01) : stored.z,
                       normal[0], normal[1], normal[2],
                       MapTextureCoordinate(stored.s), MapTextureCoordinate(stored.t)};
    }
    return vertices;
}

bool NeedsRenderTargetReopen(int targetWidth, int targetHeight, int displaySize, int previousObjectType,
                             int objectType) {
    if (targetWidth != displaySize || targetHeight != displaySize) return true;
    return previousObjectType >= 2 && objectType < 2;
}

float ObjectTranslationZ(int objectType) {
    if (objectType <= 0) return 0.0f;
    return IsSquareObject(objectType) ? 0.33f : -0.33f;
}

int ObjectRotations(int objectType, float a, std::array<SceneRotation, 5>& rotations) {
    int count = 0;
    const auto rotate = [&](double angle, float x, float y, float z) {
        rotations[count++] = {static_cast<float>(angle), x, y, z};
    };
    const auto aboutX = [&](double angle) { rotate(angle, 1, 0, 0); };
    const auto aboutY = [&](double angle) { rotate(angle, 0, 1, 0); };
    const auto aboutZ = [&](double angle) { rotate(angle, 0, 0, 1); };
    const double angle = a;

    switch (objectType) {
        case 0:
            aboutX(-2.0);
            aboutY(angle);
            break;
        case 1:
            aboutY(angle);
            aboutX(angle * 0.5);
            break;
        case 2:
            aboutY(angle);
            aboutX(angle * 0.5);
            aboutZ(-angle * 1.33);
            break;
        case 3:
            aboutX(-2.0);
            aboutY(angle);
            aboutX(-static_cast<float>(Wave(a, 0.1) * 12.5));
            break;
        case 4:
            aboutY(angle);
            aboutX(angle * 0.5);
            aboutX(Wave(a, 0.1) * 25.0);
            break;
        case 5: {
            const float r = static_cast<float>(static_cast<float>(Wave(a, 0.1) * 25.0) * 0.5);
            aboutY(angle);
            aboutX(angle * 0.5);
            aboutZ(-angle * 1.33);
            aboutZ(r);
            aboutX(r);
            break;
        }
        case 6:
            aboutY(angle);
            aboutX(static_cast<float>(Wave(a, 0.1) * 15.0) * 0.5);
            break;
        default: {  // 7
            const float r = static_cast<float>(static_cast<float>(Wave(a, 0.1) * 25.0) * 0.5);
            aboutX(r);
            aboutY(static_cast<float>(Wave(a, 0.111) * 15.0) * 0.5);
            aboutZ(r);
            break;
        }
    }
    return count;
}

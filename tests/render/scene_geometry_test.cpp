#include "render/scene_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(BuildSceneVertices, TextureCoordinatesStayInsideAndShowPicturesUpright) {
    const auto vertices = BuildSceneVertices(0);
    for (const SceneVertex& vertex : vertices) {
        EXPECT_TRUE(vertex.s == 0.001f || vertex.s == 0.999f);
        EXPECT_TRUE(vertex.t == 0.001f || vertex.t == 0.999f);
    }
    // Front face: lower left corner (vertex 5) and upper right corner (vertex 0).
    EXPECT_EQ(vertices[5].x, -0.5f);
    EXPECT_EQ(vertices[5].y, -0.5f);
    EXPECT_EQ(vertices[5].s, 0.001f);
    EXPECT_EQ(vertices[5].t, 0.001f);
    EXPECT_EQ(vertices[0].s, 0.999f);
    EXPECT_EQ(vertices[0].t, 0.999f);
}

TEST(BuildSceneVertices, NormalsPointOutOfTheirFaces) {
    const auto vertices = BuildSceneVertices(3);
    for (int i = 0; i < kSceneVertexCount; ++i) {
        SCOPED_TRACE(i);
        const SceneVertex& v = vertices[i];
        // The vertex lies on the face its normal points out of.
        EXPECT_FLOAT_EQ(v.x * v.nx + v.y * v.ny + v.z * v.nz, 0.5f);
    }
}

TEST(BuildSceneVertices, SquareIsTheCubeFlattened) {
    const auto cube = BuildSceneVertices(5);
    for (int type : {6, 7}) {
        SCOPED_TRACE(type);
        const auto square = BuildSceneVertices(type);
        for (int i = 0; i < kSceneVertexCount; ++i) {
            EXPECT_EQ(square[i].x, cube[i].x);
            EXPECT_FLOAT_EQ(square[i].z, cube[i].z * 0.01f);
        }
        EXPECT_FLOAT_EQ(square[0].z, 0.005f);
        EXPECT_FLOAT_EQ(square[6].z, -0.005f);
    }
}

TEST(NeedsRenderTargetReopen, SizeAndTypeChanges) {
    const struct {
        int width, height, size, previousType, type;
        bool expected;
    } cases[] = {
        {400, 400, 400, 3, 3, false}, {1024, 1024, 400, 3, 3, true}, {400, 300, 400, 3, 3, true},
        {400, 400, 400, 3, 1, true},  {400, 400, 400, 2, 0, true},   {400, 400, 400, 1, 0, false},
        {400, 400, 400, 0, 3, false}, {400, 400, 400, -1, 0, false}, {400, 400, 400, 7, 6, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " size " << c.size << " type "
                                        << c.previousType << "->" << c.type);
        EXPECT_EQ(NeedsRenderTargetReopen(c.width, c.height, c.size, c.previousType, c.type), c.expected);
    }
}

TEST(AnimationCounter, AccumulatesInSinglePrecision) {
    float counter = kAnimationCounterStart;
    for (int frame = 0; frame < 100; ++frame) counter = AdvanceAnimationCounter(counter);
    EXPECT_FLOAT_EQ(counter, 12.999973f);
    EXPECT_FLOAT_EQ(counter * 7.0f, 90.99982f);
}

TEST(ObjectRotations, OrderAndAxesPerType) {
    const float a = 90.0f;
    const float wave = static_cast<float>(std::sin(9.0));
    const struct {
        int type;
        std::vector<SceneRotation> expected;
    } cases[] = {
        {0, {{-2, 1, 0, 0}, {a, 0, 1, 0}}},
        {1, {{a, 0, 1, 0}, {45, 1, 0, 0}}},
        {2, {{a, 0, 1, 0}, {45, 1, 0, 0}, {static_cast<float>(-a * 1.33), 0, 0, 1}}},
        {3, {{-2, 1, 0, 0}, {a, 0, 1, 0}, {-(wave * 12.5f), 1, 0, 0}}},
        {4, {{a, 0, 1, 0}, {45, 1, 0, 0}, {wave * 25.0f, 1, 0, 0}}},
        {5,
         {{a, 0, 1, 0},
          {45, 1, 0, 0},
          {static_cast<float>(-a * 1.33), 0, 0, 1},
          {wave * 25.0f * 0.5f, 0, 0, 1},
          {wave * 25.0f * 0.5f, 1, 0, 0}}},
        {6, {{a, 0, 1, 0}, {wave * 15.0f * 0.5f, 1, 0, 0}}},
        {7,
         {{wave * 25.0f * 0.5f, 1, 0, 0},
          {static_cast<float>(std::sin(90.0 * 0.111)) * 15.0f * 0.5f, 0, 1, 0},
          {wave * 25.0f * 0.5f, 0, 0, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        std::array<SceneRotation, 5> rotations{};
        ASSERT_EQ(ObjectRotations(c.type, a, rotations), static_cast<int>(c.expected.size()));
        for (size_t i = 0; i < c.expected.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_FLOAT_EQ(rotations[i].angle, c.expected[i].angle);
            EXPECT_EQ(rotations[i].x, c.expected[i].x);
            EXPECT_EQ(rotations[i].y, c.expected[i].y);
            EXPECT_EQ(rotations[i].z, c.expected[i].z);
        }
    }
}

TEST(ObjectRotations, SquareNodsAtMostSevenAndAHalfDegrees) {
    float largest = 0;
    for (float a = 0; a < 720; a += 0.5f) {
        std::array<SceneRotation, 5> rotations{};
        ObjectRotations(6, a, rotations);
        largest = std::max(largest, std::fabs(rotations[1].angle));
    }
    EXPECT_LE(largest, 7.5f);
    EXPECT_GT(largest, 7.4f);
}

TEST(SceneRules, TranslationAlphaAndFaceOrder) {
    EXPECT_EQ(ObjectTranslationZ(0), 0.0f);
    for (int type = 1; type <= 5; ++type) EXPECT_EQ(ObjectTranslationZ(type), -0.33f);
    EXPECT_EQ(ObjectTranslationZ(6), 0.33f);
    EXPECT_EQ(ObjectTranslationZ(7), 0.33f);

    EXPECT_EQ(ConstantAlphaForOpacity(100), 255);
    EXPECT_EQ(ConstantAlphaForOpacity(10), 25);
    EXPECT_EQ(ConstantAlphaForOpacity(75), 191);

    int counter = 0;
    std::vector<int> order;
    for (int i = 0; i < 6; ++i) order.push_back(counter = NextFaceSlot(counter));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 0, 1, 2, 0}));
}

}  // namespace

#include "render/sample_pictures.h"

namespace {

TEST(SamplePictures, RestoredOnceToThePictureFiles) {
    const auto& first = SamplePictures();
    const auto& again = SamplePictures();
    for (int i = 0; i < kSamplePictureCount; ++i) {
        SCOPED_TRACE(i);
        ASSERT_GT(first[i].size, 1000u);
        // Every sample is a JPEG file: it starts with the SOI marker and ends with EOI.
        EXPECT_EQ(first[i].bytes[0], 0xFF);
        EXPECT_EQ(first[i].bytes[1], 0xD8);
        EXPECT_EQ(first[i].bytes[first[i].size - 2], 0xFF);
        EXPECT_EQ(first[i].bytes[first[i].size - 1], 0xD9);
        // A second call does not restore (shift) the bytes again.
        EXPECT_EQ(again[i].bytes, first[i].bytes);
        EXPECT_EQ(again[i].bytes[0], 0xFF);
    }
}

}  // namespace

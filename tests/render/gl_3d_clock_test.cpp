#include "render/gl_3d_clock.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/message_box_watcher.h"
#include "common/process_flags.h"
#include "common/test_files.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000;   // A, R, G, B as the bitmap stores them (B, G, R, A bytes)
constexpr uint32_t kBlue = 0xFF0000FF;

// A bottom-up 32-bit bitmap like the program's own pictures: the top half of the picture one
// colour, the bottom half another. The caller owns it.
HBITMAP MakeTwoColourPicture(int size, uint32_t top, uint32_t bottom) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = size;  // bottom-up: the first row in memory is the bottom row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) pixels[row * size + column] = row < size / 2 ? bottom : top;
    }
    return bitmap;
}

struct Pixel {
    uint8_t blue, green, red, alpha;
};

Pixel FramePixel(const GL3DClock& scene, int x, int y) {
    Pixel pixel;
    std::memcpy(&pixel, scene.FramePixels() + (static_cast<size_t>(y) * scene.FrameWidth() + x) * 4, 4);
    return pixel;
}

// The program's hidden main window hosts the render targets; the display shows the frames in a
// layered window. Both are stood up here.
class SceneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"OrbelinSceneTestHost";
        RegisterClassW(&windowClass);
    }
    void SetUp() override {
        m_host = CreateWindowExW(0, L"OrbelinSceneTestHost", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        m_display = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, L"OrbelinSceneTestHost", L"display", WS_POPUP,
                                    40, 40, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_host, nullptr);
        ASSERT_NE(m_display, nullptr);
        ShowWindow(m_display, SW_SHOWNOACTIVATE);
    }
    void TearDown() override {
        DestroyWindow(m_display);
        DestroyWindow(m_host);
    }
    // A scene as the display drives it: still (speed 0), facing the camera, at `size` pixels.
    void OpenScene(GL3DClock& scene, int size, int objectType = 0) {
        ASSERT_TRUE(scene.OpenRenderTarget(m_host));
        scene.SetDisplayWindow(m_display);
        scene.SetObjectType(objectType);
        scene.SetSourceMode(1);
        scene.SetSpeedFactor(0);
        scene.SetOpacity(100);
        scene.SetSize(size);
        scene.PrepareFrame(size);
        ASSERT_TRUE(scene.IsRenderTargetOpen());
    }

    HWND m_host = nullptr;
    HWND m_display = nullptr;
};

TEST_F(SceneTest, PlaceholderShowsUprightOnTheFrontFaceOverATransparentGround) {
    GL3DClock scene;
    OpenScene(scene, 256);
    HBITMAP placeholder = MakeTwoColourPicture(256, kRed, kBlue);
    scene.SetPlaceholder(placeholder);
    scene.DrawFrame();

    ASSERT_EQ(scene.FrameWidth(), 256);
    ASSERT_EQ(scene.FrameHeight(), 256);
    for (const auto& [x, y] : {std::pair{0, 0}, {255, 0}, {0, 255}, {255, 255}, {5, 128}}) {
        SCOPED_TRACE(testing::Message() << x << "," << y);
        const Pixel corner = FramePixel(scene, x, y);
        EXPECT_EQ(corner.red | corner.green | corner.blue | corner.alpha, 0);
    }
    const Pixel upper = FramePixel(scene, 128, 80);
    const Pixel lower = FramePixel(scene, 128, 176);
    EXPECT_GT(upper.red, 150);
    EXPECT_LT(upper.blue, 40);
    EXPECT_GT(lower.blue, 150);
    EXPECT_LT(lower.red, 40);
    EXPECT_EQ(upper.alpha, 255);

    // The placeholder went to all three faces and the scene deleted it afterwards.
    for (int slot = 0; slot < 3; ++slot) EXPECT_NE(scene.FaceTexture(slot), 0u);
    EXPECT_EQ(GetObjectType(placeholder), 0u);

    // The layered window took the frame's size.
    RECT window{};
    GetWindowRect(m_display, &window);
    EXPECT_EQ(window.right - window.left, 256);
    EXPECT_EQ(window.bottom - window.top, 256);
    scene.CloseRenderTarget();
}

TEST_F(SceneTest, MarkerInTheBottomLeftCornerShowsThereUnmirrored) {
    // A bottom-up picture, blue with a red marker in its bottom-left quarter (the first rows in
    // memory, the first columns of each row).
    HBITMAP picture = MakeTwoColourPicture(256, kBlue, kBlue);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(picture, sizeof(section), &section), static_cast<int>(sizeof(section)));
    auto* pixels = static_cast<uint32_t*>(section.dsBm.bmBits);
    for (int row = 0; row < 128; ++row) {
        for (int column = 0; column < 128; ++column) pixels[row * 256 + column] = kRed;
    }
    GL3DClock scene;
    OpenScene(scene, 256);
    scene.SetPlaceholder(picture);
    scene.DrawFrame();
    // Frame rows run top-down: the marker must be at the lower left of the window.
    const Pixel lowerLeft = FramePixel(scene, 90, 170);
    const Pixel lowerRight = FramePixel(scene, 166, 170);
    const Pixel upperLeft = FramePixel(scene, 90, 86);
    EXPECT_GT(lowerLeft.red, 150);
    EXPECT_LT(lowerLeft.blue, 40);
    EXPECT_GT(lowerRight.blue, 150);
    EXPECT_GT(upperLeft.blue, 150);
    scene.CloseRenderTarget();
}

TEST_F(SceneTest, PendingPicturesAreOwnedOnceAndFillTheFacesInTurn) {
    GL3DClock scene;
    OpenScene(scene, 128);
    HBITMAP neverTaken = MakeTwoColourPicture(64, kRed, kRed);
    HBITMAP first = MakeTwoColourPicture(64, kBlue, kBlue);
    scene.SetPendingPicture(neverTaken);
    scene.SetPendingPicture(first);
    EXPECT_EQ(GetObjectType(neverTaken), 0u) << "a picture replaced before it was taken must be deleted";
    EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_BITMAP));

    std::vector<int> slots;
    scene.DrawFrame();
    EXPECT_EQ(GetObjectType(first), 0u);
    slots.push_back(scene.FaceCounter());
    for (int i = 0; i < 2; ++i) {
        scene.SetPendingPicture(MakeTwoColourPicture(64, kRed, kBlue));
        scene.DrawFrame();
        slots.push_back(scene.FaceCounter());
    }
    EXPECT_EQ(slots, (std::vector<int>{1, 2, 0}));
    for (int slot = 0; slot < 3; ++slot) EXPECT_NE(scene.FaceTexture(slot), 0u);

    scene.CloseRenderTarget();

    // A picture handed over but never drawn is deleted with the scene that owns it.
    HBITMAP leftOver = MakeTwoColourPicture(64, kRed, kBlue);
    HBITMAP leftOverPlaceholder = MakeTwoColourPicture(64, kRed, kBlue);
    {
        GL3DClock unused;
        unused.SetPendingPicture(leftOver);
        unused.SetPlaceholder(leftOverPlaceholder);
        EXPECT_EQ(GetObjectType(leftOver), static_cast<DWORD>(OBJ_BITMAP));
    }
    EXPECT_EQ(GetObjectType(leftOver), 0u);
    EXPECT_EQ(GetObjectType(leftOverPlaceholder), 0u);
}

TEST_F(SceneTest, SizeAndTypeChangesReopenTheTarget) {
    GL3DClock scene;
    OpenScene(scene, 200, 3);
    EXPECT_EQ(scene.TargetWidth(), 200);
    EXPECT_EQ(scene.FrameWidth(), 200);

    const struct {
        int type, size;
        bool reopens;
    } steps[] = {{3, 200, false}, {1, 200, true}, {0, 200, false}, {3, 200, false}, {3, 320, true}};
    // Opening at the display's size already reopened the target once.
    EXPECT_TRUE(scene.TakePictureListRebuildRequest());
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << "type " << step.type << " size " << step.size);
        scene.UploadTexture(0, MakeTwoColourPicture(16, kRed, kBlue), true);
        ASSERT_NE(scene.FaceTexture(0), 0u);
        scene.SetObjectType(step.type);
        scene.PrepareFrame(step.size);
        // Reopening drops the textures and asks the workers for pictures again.
        EXPECT_EQ(scene.FaceTexture(0) == 0, step.reopens);
        EXPECT_EQ(scene.TakePictureListRebuildRequest(), step.reopens);
        EXPECT_TRUE(scene.IsRenderTargetOpen());
        EXPECT_EQ(scene.FrameWidth(), step.size);
    }
    scene.DrawFrame();
}

TEST_F(SceneTest, TwoDisplaysDrawIntoTheirOwnTargets) {
    GL3DClock small;
    GL3DClock large;
    OpenScene(small, 160);
    OpenScene(large, 300);
    small.SetPlaceholder(MakeTwoColourPicture(32, kRed, kRed));
    large.SetPlaceholder(MakeTwoColourPicture(32, kBlue, kBlue));
    small.DrawFrame();
    large.DrawFrame();
    small.DrawFrame();
    EXPECT_EQ(small.FrameWidth(), 160);
    EXPECT_EQ(large.FrameWidth(), 300);
    EXPECT_GT(FramePixel(small, 80, 80).red, 150);
    EXPECT_GT(FramePixel(large, 150, 150).blue, 150);
    small.CloseRenderTarget();
    large.CloseRenderTarget();
}

TEST_F(SceneTest, ClosingTwiceAndReopeningIsSafe) {
    GL3DClock scene;
    OpenScene(scene, 96);
    scene.CloseRenderTarget();
    EXPECT_FALSE(scene.IsRenderTargetOpen());
    EXPECT_EQ(scene.FrameBitmap(), nullptr);
    scene.CloseRenderTarget();
    scene.DrawFrame();  // without a target a frame does nothing
    ASSERT_TRUE(scene.OpenRenderTarget(m_host));
    scene.SetPlaceholder(MakeTwoColourPicture(16, kRed, kRed));
    scene.DrawFrame();
    EXPECT_GT(FramePixel(scene, 48, 48).red, 150);
    scene.CloseRenderTarget();
}

TEST_F(SceneTest, AnimationCounterIsSharedByAllDisplays) {
    GL3DClock first;
    GL3DClock second;
    OpenScene(first, 64);
    OpenScene(second, 64);
    GL3DClock::ResetAnimationCounter();
    for (int frame = 0; frame < 50; ++frame) {
        first.DrawFrame();
        second.DrawFrame();
    }
    EXPECT_FLOAT_EQ(GL3DClock::AnimationCounter(), 12.999973f);
    first.CloseRenderTarget();
    second.CloseRenderTarget();
}

TEST_F(SceneTest, FailedPbufferSaysSoAndLeavesNoTarget) {
    // The scene runs on a thread of its own while this thread answers its message box: under
    // Wine a watcher thread cannot reach a message box that a thread with an OpenGL context shows.
    bool openAfterFailure = true;
    HBITMAP bitmapAfterFailure = nullptr;
    bool reopened = false;
    const std::vector<SeenMessageBox> seen = RunAnsweringMessageBoxes(
        [&] {
            GL3DClock scene;
            if (!scene.OpenRenderTarget(m_host)) return;
            scene.SetDisplayWindow(m_display);
            scene.SetSize(64);
            scene.PrepareFrame(64);
            // No driver makes a pbuffer this large: the open fails at the pbuffer step.
            scene.PrepareFrame(60000);
            openAfterFailure = scene.IsRenderTargetOpen();
            bitmapAfterFailure = scene.FrameBitmap();
            scene.DrawFrame();  // a frame without a target does nothing
            // The next size change tries again and succeeds.
            scene.PrepareFrame(64);
            reopened = scene.IsRenderTargetOpen();
            scene.CloseRenderTarget();
        },
        30000);
    EXPECT_FALSE(openAfterFailure);
    EXPECT_EQ(bitmapAfterFailure, nullptr);
    EXPECT_TRUE(reopened);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Error");
    EXPECT_EQ(seen[0].text, L"wglCreatePbufferARB() failed");
}

}  // namespace

namespace {

TEST_F(SceneTest, SamplePicturesFillTheFacesOnTheFirstFrameAndRotate) {
    GL3DClock scene;
    OpenScene(scene, 128);
    scene.SetSourceMode(0);
    scene.DrawFrame();
    std::array<unsigned, 3> before{};
    for (int slot = 0; slot < 3; ++slot) {
        before[slot] = scene.FaceTexture(slot);
        EXPECT_NE(before[slot], 0u);
    }
    const Pixel centre = FramePixel(scene, 64, 64);
    EXPECT_EQ(centre.alpha, 255);
    EXPECT_GT(centre.red + centre.green + centre.blue, 60);

    // A rotate request moves every picture one face on.
    scene.RequestRotate();
    scene.DrawFrame();
    EXPECT_EQ(scene.FaceTexture(0), before[1]);
    EXPECT_EQ(scene.FaceTexture(1), before[2]);
    EXPECT_EQ(scene.FaceTexture(2), before[0]);

    // Another aspect mode reloads the samples at the next frame.
    scene.SetImageMode(0);
    scene.DrawFrame();
    scene.DrawFrame();
    for (int slot = 0; slot < 3; ++slot) {
        EXPECT_NE(scene.FaceTexture(slot), 0u);
        EXPECT_NE(scene.FaceTexture(slot), before[(slot + 1) % 3]);
    }
    scene.CloseRenderTarget();
}

}  // namespace

#include "common/shell_open_recorder.h"
#include "imaging/gdiplus_api.h"
#include "imaging/picture_holder.h"

namespace {

TEST_F(SceneTest, SnapshotWritesOnePngWithTheDisplaysOpacityAndOpensIt) {
    ShellOpenRecorder opener({L".png"});
    const std::wstring path = GL3DClock::SnapshotPath();
    DeleteFileW(path.c_str());
    GL3DClock first;
    GL3DClock second;
    OpenScene(first, 96);
    OpenScene(second, 64);
    first.SetOpacity(40);

    first.DrawFrame(true, true);
    second.DrawFrame();

    const auto png = ReadFileBytes(path);
    ASSERT_TRUE(png.has_value()) << "no snapshot file";
    ASSERT_GT(png->size(), 8u);
    EXPECT_EQ(std::vector<uint8_t>(png->begin(), png->begin() + 4), (std::vector<uint8_t>{0x89, 'P', 'N', 'G'}));
    // The file decodes at the frame's size and keeps the transparent ground.
    {
        PictureHolder holder;
        ASSERT_TRUE(holder.LoadFile(path.c_str()));
        EXPECT_EQ(holder.Width(), 96u);
        EXPECT_EQ(holder.Height(), 96u);
        GpArgb corner = 0xdeadbeef;
        ASSERT_EQ(Gdiplus().bitmapGetPixel(reinterpret_cast<GpBitmap*>(holder.Image()), 0, 0, &corner), 0);
        EXPECT_EQ(corner >> 24, 0u);
        // The opaque object carries the display's constant alpha: 40 % of 255.
        GpArgb centre = 0;
        ASSERT_EQ(Gdiplus().bitmapGetPixel(reinterpret_cast<GpBitmap*>(holder.Image()), 48, 48, &centre), 0);
        EXPECT_EQ(centre >> 24, 102u);
    }
    const auto opened = opener.WaitForOpened(1, 10000);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(lstrcmpiW(opened[0].c_str(), path.c_str()), 0) << std::string(opened[0].begin(), opened[0].end());
    first.CloseRenderTarget();
    second.CloseRenderTarget();
    DeleteFileW(path.c_str());
}

}  // namespace

#include <thread>

namespace {

TEST_F(SceneTest, HandOverUnderContentionUploadsOrDeletesEveryHandle) {
    GL3DClock scene;
    OpenScene(scene, 64);
    std::vector<HBITMAP> handed;
    std::atomic<bool> done{false};
    std::atomic<int> frames{0};
    std::thread worker([&] {
        for (int i = 0; i < 400; ++i) {
            HBITMAP picture = MakeTwoColourPicture(16, kRed, kBlue);
            handed.push_back(picture);
            if (i % 3 == 0) {
                scene.SetPlaceholder(picture);
            } else {
                scene.SetPendingPicture(picture);
            }
            // Every twentieth picture waits for a frame, so hand-over and taking overlap.
            for (int wait = 0; i % 20 == 0 && frames.load() <= i / 20 && wait < 2000; ++wait) Sleep(1);
        }
        done = true;
    });
    while (!done) {
        scene.DrawFrame();
        ++frames;
    }
    worker.join();
    scene.DrawFrame();
    EXPECT_GT(frames.load(), 20);
    ASSERT_EQ(handed.size(), 400u);
    // Everything handed over was taken and deleted by the scene, or deleted when replaced.
    int alive = 0;
    for (HBITMAP picture : handed) alive += GetObjectType(picture) != 0 ? 1 : 0;
    EXPECT_EQ(alive, 0);
    scene.CloseRenderTarget();
}

}  // namespace

#include <GL/gl.h>

#include "imaging/texture_picture.h"
#include "render/sample_decoding.h"
#include "render/sample_pictures.h"

namespace {

// The mean colour of an image's B, G, R bytes.
struct MeanColour {
    double blue = 0, green = 0, red = 0;
    double DistanceTo(const MeanColour& other) const {
        return std::abs(blue - other.blue) + std::abs(green - other.green) + std::abs(red - other.red);
    }
};

MeanColour MeanOf(const uint8_t* pixels, size_t count) {
    MeanColour mean;
    for (size_t i = 0; i < count; ++i) {
        mean.blue += pixels[i * 4];
        mean.green += pixels[i * 4 + 1];
        mean.red += pixels[i * 4 + 2];
    }
    mean.blue /= count;
    mean.green /= count;
    mean.red /= count;
    return mean;
}

// The mean colour of a face texture, read back from OpenGL (the scene's context is current after
// a frame).
MeanColour FaceTextureMean(const GL3DClock& scene, int slot) {
    GLint width = 0, height = 0;
    glBindTexture(GL_TEXTURE_2D, scene.FaceTexture(slot));
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, pixels.data());
    return MeanOf(pixels.data(), pixels.size() / 4);
}

// Which of the three sample pictures a face texture shows: the one whose colours are nearest.
int SampleShownBy(const GL3DClock& scene, int slot, const std::array<MeanColour, kSamplePictureCount>& samples) {
    const MeanColour face = FaceTextureMean(scene, slot);
    int nearest = -1;
    for (int sample = 0; sample < kSamplePictureCount; ++sample) {
        if (nearest < 0 || face.DistanceTo(samples[sample]) < face.DistanceTo(samples[nearest])) nearest = sample;
    }
    return nearest;
}

TEST_F(SceneTest, EachSampleLandsOnItsFacePairAlsoAfterTheTargetReopens) {
    // The sample pictures as texture pictures, to recognise them on the faces.
    std::array<MeanColour, kSamplePictureCount> samples{};
    for (int sample = 0; sample < kSamplePictureCount; ++sample) {
        const SamplePicture& picture = SamplePictures()[sample];
        HBITMAP texture = LoadTexturePictureMemory(picture.bytes, picture.size, 1);
        ASSERT_NE(texture, nullptr);
        DIBSECTION section{};
        ASSERT_EQ(GetObjectW(texture, sizeof(section), &section), static_cast<int>(sizeof(section)));
        samples[sample] = MeanOf(static_cast<const uint8_t*>(section.dsBm.bmBits), 1024u * 1024u);
        DeleteObject(texture);
    }
    for (int a = 0; a < kSamplePictureCount; ++a) {
        for (int b = a + 1; b < kSamplePictureCount; ++b) {
            ASSERT_GT(samples[a].DistanceTo(samples[b]), 20.0) << "samples " << a << " and " << b << " look alike";
        }
    }

    GL3DClock scene;
    OpenScene(scene, 128);
    scene.SetSourceMode(0);
    scene.DrawFrame();
    // Face pair k shows sample k.
    for (int slot = 0; slot < kSamplePictureCount; ++slot) EXPECT_EQ(SampleShownBy(scene, slot, samples), slot);

    // A rotation moves each sample one face pair on.
    scene.RequestRotate();
    scene.DrawFrame();
    for (int slot = 0; slot < kSamplePictureCount; ++slot) {
        EXPECT_EQ(SampleShownBy(scene, slot, samples), (slot + 1) % kSamplePictureCount);
    }

    // A new size reopens the render target, which drops every texture; the samples come back at
    // their first places, and the worker is not asked for pictures.
    scene.TakePictureListRebuildRequest();
    scene.PrepareFrame(160);
    scene.DrawFrame();
    EXPECT_EQ(scene.FrameWidth(), 160);
    EXPECT_FALSE(scene.TakePictureListRebuildRequest());
    for (int slot = 0; slot < kSamplePictureCount; ++slot) {
        ASSERT_NE(scene.FaceTexture(slot), 0u);
        EXPECT_EQ(SampleShownBy(scene, slot, samples), slot);
    }
    EXPECT_EQ(FramePixel(scene, 80, 80).alpha, 255) << "the object is missing after the reopen";
    scene.CloseRenderTarget();
}

// A picture of one colour, `bitsPerPixel` 32 or 24; the caller owns it.
HBITMAP MakeSolidPicture(int size, int bitsPerPixel, uint8_t red, uint8_t green, uint8_t blue) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, size, 1, static_cast<WORD>(bitsPerPixel), BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const int bytesPerPixel = bitsPerPixel / 8;
    const int stride = (size * bytesPerPixel + 3) & ~3;
    auto* rows = static_cast<uint8_t*>(bits);
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            uint8_t* pixel = rows + row * stride + column * bytesPerPixel;
            pixel[0] = blue;
            pixel[1] = green;
            pixel[2] = red;
            if (bytesPerPixel == 4) pixel[3] = 255;
        }
    }
    return bitmap;
}

// Each picture gives its face another texture than the face had, holding that picture, also when
// it is written into the texture a face gave up before (pictures of one size and depth after
// another), and after pictures of other sizes and depths.
TEST_F(SceneTest, EveryUploadGivesTheFaceAnotherTextureWithThePicture) {
    GL3DClock scene;
    OpenScene(scene, 128);
    scene.DrawFrame();
    const struct {
        int size, bits;
        uint8_t red, green, blue;
    } rows[] = {{64, 32, 200, 10, 10},   {64, 32, 10, 200, 10},  {64, 32, 10, 10, 200},
                {32, 32, 200, 200, 10},  {64, 24, 10, 200, 200}, {64, 24, 200, 10, 200},
                {64, 32, 120, 120, 120}, {1024, 32, 30, 60, 90}, {1024, 32, 90, 60, 30}};
    for (int slot : {0, 2}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(testing::Message()
                         << "slot " << slot << ", " << row.size << " pixels, " << row.bits << " bits, " << int(row.red)
                         << "/" << int(row.green) << "/" << int(row.blue));
            const unsigned before = scene.FaceTexture(slot);
            HBITMAP picture = MakeSolidPicture(row.size, row.bits, row.red, row.green, row.blue);
            scene.UploadTexture(slot, picture, true);
            EXPECT_EQ(GetObjectType(picture), 0u) << "the picture was not deleted";
            ASSERT_NE(scene.FaceTexture(slot), 0u);
            EXPECT_NE(scene.FaceTexture(slot), before);
            GLint width = 0;
            glBindTexture(GL_TEXTURE_2D, scene.FaceTexture(slot));
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
            EXPECT_EQ(width, row.size);
            const MeanColour face = FaceTextureMean(scene, slot);
            EXPECT_NEAR(face.red, row.red, 1.0);
            EXPECT_NEAR(face.green, row.green, 1.0);
            EXPECT_NEAR(face.blue, row.blue, 1.0);
        }
    }
    // The other faces keep what they had.
    EXPECT_NE(scene.FaceTexture(1), 0u);
    scene.CloseRenderTarget();
    for (int slot = 0; slot < 3; ++slot) EXPECT_EQ(scene.FaceTexture(slot), 0u);
}

// The sample pictures made ahead on their own thread are handed out once, and only in the aspect
// mode they were made in: they are the texture pictures of the samples.
TEST(SamplePictureDecoding, HandsOutThePicturesOnceInTheirAspectMode) {
    SamplePictureDecoding decoding;
    ASSERT_TRUE(decoding.Start(1));
    const SamplePictureDecoding::Pictures other = decoding.Take(0);
    for (HBITMAP picture : other) EXPECT_EQ(picture, nullptr);

    ASSERT_TRUE(decoding.Start(1));
    const SamplePictureDecoding::Pictures pictures = decoding.Take(1);
    for (int sample = 0; sample < kSamplePictureCount; ++sample) {
        SCOPED_TRACE(testing::Message() << "sample " << sample);
        ASSERT_NE(pictures[sample], nullptr);
        DIBSECTION section{};
        ASSERT_EQ(GetObjectW(pictures[sample], sizeof(section), &section), static_cast<int>(sizeof(section)));
        EXPECT_EQ(section.dsBm.bmWidth, 1024);
        EXPECT_EQ(section.dsBm.bmHeight, 1024);
        HBITMAP expected = LoadTexturePictureMemory(SamplePictures()[sample].bytes, SamplePictures()[sample].size, 1);
        ASSERT_NE(expected, nullptr);
        DIBSECTION expectedSection{};
        GetObjectW(expected, sizeof(expectedSection), &expectedSection);
        EXPECT_EQ(std::memcmp(section.dsBm.bmBits, expectedSection.dsBm.bmBits, 1024u * 1024u * 4u), 0);
        DeleteObject(expected);
        DeleteObject(pictures[sample]);
    }
    const SamplePictureDecoding::Pictures again = decoding.Take(1);
    for (HBITMAP picture : again) EXPECT_EQ(picture, nullptr);
}

}  // namespace

#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <string>
#include <vector>

#include "render/frame_composition.h"
#include "render/sample_decoding.h"
#include "render/scene_geometry.h"

// The 3D scene of one display: the turning object, its render target (an OpenGL pbuffer with
// its own context, sharing textures with a small host context on the program's hidden main
// window) and the frame bitmap that carries each frame to the display's layered window.
// Everything except the picture hand-over runs on the main thread.
class GL3DClock {
public:
    GL3DClock();
    virtual ~GL3DClock();
    GL3DClock(const GL3DClock&) = delete;
    GL3DClock& operator=(const GL3DClock&) = delete;

    // --- render target ---
    // Opens the pbuffer and the frame bitmap at the current width and height, on `hostWindow`'s
    // device context. On failure everything is closed again and false is returned.
    bool OpenRenderTarget(HWND hostWindow);
    // The pixel format of the host window's device context: RGBA, 32 colour and 32 depth bits,
    // drawn to a window with OpenGL, single-buffered.
    static PIXELFORMATDESCRIPTOR HostPixelFormat();
    // The size of the square the render target opens at (1024 until set). A target that is open
    // keeps its size; PrepareFrame reopens it at the display's size when that differs.
    void SetTargetSize(int size);
    void MakeCurrent();
    // Closes what is open; safe on a partly opened or already closed target.
    void CloseRenderTarget();
    bool IsRenderTargetOpen() const { return m_pbufferContext != nullptr; }

    // --- per-frame inputs, written by the display before every frame ---
    void SetSize(int size);
    void SetObjectType(int objectType);
    void SetSourceMode(int sourceMode) { m_sourceMode = sourceMode; }
    void SetSpeedFactor(float speedFactor) { m_speedFactor = speedFactor; }
    // The aspect mode in force (m_img_mode); read by both threads.
    void SetImageMode(int imageMode) { m_imageMode.store(imageMode, std::memory_order_relaxed); }
    int ImageMode() const { return m_imageMode.load(std::memory_order_relaxed); }
    void SetOpacity(double opacityPercent) { m_opacity = opacityPercent; }
    void SetDisplayWindow(HWND window) { m_displayWindow = window; }

    // Geometry and render target for a frame at `size` pixels; reopens the target when needed.
    void PrepareFrame(int size);
    // Draws the frame into the pbuffer and reads it back; shows it on the display window unless
    // `present` is false, and with `snapshot` saves it as the PNG snapshot and opens that.
    void DrawFrame(bool present = true, bool snapshot = false);

    // Where a frame's time goes, for the frame benchmark: with a record set, every frame waits for
    // OpenGL after each step (which costs time of its own) and adds each step's milliseconds.
    struct FrameStepTimes {
        double makeCurrent = 0;  // the context of this scene's pbuffer
        double state = 0;        // textures taken over, state, matrices
        double draw = 0;         // the faces
        double readBack = 0;     // glReadPixels into the frame bitmap
        double present = 0;      // UpdateLayeredWindow
        int frames = 0;
    };
    void MeasureFrameSteps(FrameStepTimes* record) { m_stepTimes = record; }

    // Starts making the sample pictures of the first frame, in the aspect mode in force, on a
    // thread of their own while the display is set up; the first frame waits for them.
    void StartSamplePictures() { m_sampleDecoding.Start(m_imageMode.load(std::memory_order_relaxed)); }

    // --- hand-over from the display's worker thread ---
    // The next picture: a texture picture that the worker decoded in the aspect mode in force
    // (ImageMode). The scene owns it from now on; a pending picture that was never taken is
    // deleted.
    void SetPendingPicture(HBITMAP picture);
    // A picture for all three faces; the scene owns it from now on.
    void SetPlaceholder(HBITMAP placeholder);
    // Moves the sample pictures one face on at the next frame.
    void RequestRotate() { m_rotateRequest.store(true, std::memory_order_relaxed); }
    // True once after the render target reopened with pictures from a list: the textures are
    // gone and this display's worker must hand its pictures over again.
    bool TakePictureListRebuildRequest() { return m_pictureListRebuildRequest.exchange(false, std::memory_order_relaxed); }
    // Whether such a request waits to be taken.
    bool HasPictureListRebuildRequest() const {
        return m_pictureListRebuildRequest.load(std::memory_order_relaxed);
    }

    // Uploads a 32- or 24-bit bitmap as the texture of `slot`, replacing the old texture; the slot
    // always gets another texture than it had. The replaced one is kept as the spare that the
    // next picture of its size and depth is written into. Deletes `bitmap` when `deleteBitmap`
    // is set.
    void UploadTexture(int slot, HBITMAP bitmap, bool deleteBitmap);

    // The frame as the window last received it: top-down B, G, R, A rows of width * 4 bytes.
    const uint8_t* FramePixels() const { return m_frame.Pixels(); }
    int FrameWidth() const { return m_frame.Width(); }
    int FrameHeight() const { return m_frame.Height(); }
    HBITMAP FrameBitmap() const { return m_frame.Bitmap(); }
    unsigned FaceTexture(int slot) const { return m_faceTextures[slot]; }
    int FaceCounter() const { return m_faceCounter; }
    // How many pictures from the worker the frames have taken so far.
    int PicturesTaken() const { return m_picturesTaken; }
    int TargetWidth() const { return m_width; }

    // Where the frame snapshots go: the temporary folder's "Orbelin_tmp.png".
    static std::wstring SnapshotPath() { return FrameBitmap::SnapshotPath(); }

    // The shared animation counter of all displays.
    static float AnimationCounter();
    static void ResetAnimationCounter();

private:
    bool CreateContexts();
    bool LoadWglExtensions();
    bool CreatePbuffer();
    void ApplyPendingTextures();
    void LoadSamplePictures();
    void DeleteFaceTextures();

    // Render target.
    HWND m_hostWindow = nullptr;
    HDC m_hostDC = nullptr;
    HGLRC m_hostContext = nullptr;
    void* m_pbuffer = nullptr;  // HPBUFFERARB
    HDC m_pbufferDC = nullptr;
    HGLRC m_pbufferContext = nullptr;
    int m_width = 1024;
    int m_height = 1024;

    // Frame bitmap.
    ::FrameBitmap m_frame;

    // Scene.
    // Width, height and bits per pixel of the picture in a texture; all 0 for one without.
    struct TextureShape {
        int width = 0;
        int height = 0;
        int bitsPerPixel = 0;
        bool operator==(const TextureShape&) const = default;
    };
    SamplePictureDecoding m_sampleDecoding;
    bool m_samplesLoaded = false;
    std::array<unsigned, 10> m_faceTextures{};
    std::array<TextureShape, 10> m_faceShapes{};
    unsigned m_spareTexture = 0;  // the texture a face gave up last, with its picture's shape
    TextureShape m_spareShape;
    std::atomic<int> m_facesImageMode{1};
    int m_sourceMode = 0;
    int m_previousSourceMode = 0;
    int m_objectType = 3;
    int m_previousObjectType = -1;
    std::atomic<int> m_imageMode{1};
    std::array<SceneVertex, kSceneVertexCount> m_vertices{};
    std::atomic<HBITMAP> m_pendingPicture{nullptr};
    std::atomic<HBITMAP> m_placeholder{nullptr};
    std::atomic<bool> m_rotateRequest{false};
    std::atomic<bool> m_pictureListRebuildRequest{false};
    int m_faceCounter = 0;
    int m_picturesTaken = 0;
    float m_viewportWidth = 1024.0f;
    float m_viewportHeight = 1024.0f;
    float m_speedFactor = 7.0f;
    double m_opacity = 75.0;
    HWND m_displayWindow = nullptr;
    FrameStepTimes* m_stepTimes = nullptr;
};

#include "render/gl_3d_clock.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <utility>

#include "common/process_flags.h"
#include "imaging/texture_picture.h"
#include "render/sample_pictures.h"

namespace {

// Touched only on the main thread, by every display's frames.
float g_animationCounter = kAnimationCounterStart;

void DeleteBitmap(HBITMAP bitmap) {
    if (bitmap != nullptr) DeleteObject(bitmap);
}

// Adds the time of each step of a frame to a record, when one is set: OpenGL finishes its work
// at each lap, so that the work is counted where it was asked for.
class StepClock {
public:
    explicit StepClock(GL3DClock::FrameStepTimes* record) : m_record(record) {
        if (m_record != nullptr) QueryPerformanceCounter(&m_last);
    }
    void Lap(double GL3DClock::FrameStepTimes::*step) {
        if (m_record == nullptr) return;
        glFinish();
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        m_record->*step += 1000.0 * static_cast<double>(now.QuadPart - m_last.QuadPart) / frequency.QuadPart;
        m_last = now;
    }
    void EndFrame() {
        if (m_record != nullptr) ++m_record->frames;
    }

private:
    GL3DClock::FrameStepTimes* m_record;
    LARGE_INTEGER m_last{};
};

}  // namespace

GL3DClock::GL3DClock() { m_vertices = BuildSceneVertices(m_objectType); }

GL3DClock::~GL3DClock() {
    DeleteBitmap(m_pendingPicture.exchange(nullptr));
    DeleteBitmap(m_placeholder.exchange(nullptr));
}

float GL3DClock::AnimationCounter() { return g_animationCounter; }
void GL3DClock::ResetAnimationCounter() { g_animationCounter = kAnimationCounterStart; }

void GL3DClock::SetSize(int size) {
    m_viewportWidth = static_cast<float>(size);
    m_viewportHeight = static_cast<float>(size);
}

void GL3DClock::SetObjectType(int objectType) {
    // A value from a hand-edited settings file outside the list falls back to the default.
    m_objectType = (objectType >= 0 && objectType < kObjectTypeCount) ? objectType : 3;
}

void GL3DClock::SetPendingPicture(HBITMAP picture) { DeleteBitmap(m_pendingPicture.exchange(picture)); }

void GL3DClock::SetPlaceholder(HBITMAP placeholder) { DeleteBitmap(m_placeholder.exchange(placeholder)); }

void GL3DClock::PrepareFrame(int size) {
    // The vertices depend on the object type only.
    if (m_objectType != m_previousObjectType) m_vertices = BuildSceneVertices(m_objectType);
    const bool reopen = NeedsRenderTargetReopen(m_width, m_height, size, m_previousObjectType, m_objectType);
    m_previousObjectType = m_objectType;
    if (!reopen || size <= 0) return;

    CloseRenderTarget();
    m_width = size;
    m_height = size;
    OpenRenderTarget(m_hostWindow);
    if (m_sourceMode != 0) {
        m_pictureListRebuildRequest.store(true, std::memory_order_relaxed);
    } else if (IsRenderTargetOpen()) {
        LoadSamplePictures();
    }
}

void GL3DClock::LoadSamplePictures() {
    const std::array<SamplePicture, kSamplePictureCount>& samples = SamplePictures();
    const int imageMode = m_imageMode.load(std::memory_order_relaxed);
    // Made ahead while the display was set up, when they are in the aspect mode in force.
    const SamplePictureDecoding::Pictures prepared = m_sampleDecoding.Take(imageMode);
    const bool wasPrepared = std::any_of(prepared.begin(), prepared.end(), [](HBITMAP picture) { return picture; });
    for (int slot = 0; slot < kSamplePictureCount; ++slot) {
        HBITMAP picture =
            wasPrepared ? prepared[slot] : LoadTexturePictureMemory(samples[slot].bytes, samples[slot].size, imageMode);
        if (picture != nullptr) UploadTexture(slot, picture, true);
    }
}

void GL3DClock::ApplyPendingTextures() {
    if (m_sourceMode == 0) {
        const int imageMode = m_imageMode.load(std::memory_order_relaxed);
        if (m_previousSourceMode != 0 || imageMode != m_facesImageMode.load(std::memory_order_relaxed)) {
            m_facesImageMode.store(imageMode, std::memory_order_relaxed);
            m_samplesLoaded = false;
        }
        if (m_rotateRequest.exchange(false, std::memory_order_relaxed)) {
            std::rotate(m_faceTextures.begin(), m_faceTextures.begin() + 1, m_faceTextures.begin() + kFaceSlotCount);
            std::rotate(m_faceShapes.begin(), m_faceShapes.begin() + 1, m_faceShapes.begin() + kFaceSlotCount);
        }
    }
    m_previousSourceMode = m_sourceMode;

    // A stand-in first: when the loading picture and the first picture found arrive for the same
    // frame, the picture goes onto its face over the stand-in.
    if (HBITMAP placeholder = m_placeholder.exchange(nullptr)) {
        UploadTexture(0, placeholder, false);
        UploadTexture(1, placeholder, false);
        UploadTexture(2, placeholder, true);
    }
    if (HBITMAP picture = m_pendingPicture.exchange(nullptr)) {
        m_faceCounter = NextFaceSlot(m_faceCounter);
        UploadTexture(m_faceCounter, picture, true);
        ++m_picturesTaken;
    }
}

void GL3DClock::UploadTexture(int slot, HBITMAP bitmap, bool deleteBitmap) {
    if (slot < 0 || slot >= static_cast<int>(m_faceTextures.size())) {
        if (deleteBitmap) DeleteBitmap(bitmap);
        return;
    }
    const unsigned oldTexture = m_faceTextures[slot];
    DIBSECTION section{};
    const bool described = GetObjectW(bitmap, sizeof(section), &section) == sizeof(section);
    const BITMAP& info = section.dsBm;
    const bool hasPixels = described && info.bmBits != nullptr && (info.bmBitsPixel == 32 || info.bmBitsPixel == 24);
    const TextureShape shape{info.bmWidth, info.bmHeight, info.bmBitsPixel};

    // The texture a face gave up last takes a picture of its shape in place: storage made and
    // freed anew for every picture leaves the OpenGL driver's heap ever fuller.
    GLuint texture = 0;
    const bool reused = hasPixels && m_spareTexture != 0 && m_spareShape == shape;
    if (reused) {
        texture = std::exchange(m_spareTexture, 0u);
    } else {
        glGenTextures(1, &texture);
    }
    m_faceTextures[slot] = texture;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (hasPixels) {
        const GLenum format = info.bmBitsPixel == 32 ? GL_BGRA_EXT : GL_BGR_EXT;
        if (reused) {
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, info.bmWidth, info.bmHeight, format, GL_UNSIGNED_BYTE, info.bmBits);
        } else {
            glTexImage2D(GL_TEXTURE_2D, 0, info.bmBitsPixel == 32 ? 4 : 3, info.bmWidth, info.bmHeight, 0, format,
                         GL_UNSIGNED_BYTE, info.bmBits);
        }
    }
    if (deleteBitmap) DeleteBitmap(bitmap);
    const TextureShape oldShape = m_faceShapes[slot];
    m_faceShapes[slot] = hasPixels ? shape : TextureShape{};
    if (oldTexture == 0) return;
    // The old texture becomes the spare, unless it holds no picture; the spare before it goes.
    if (m_spareTexture != 0) glDeleteTextures(1, &m_spareTexture);
    m_spareTexture = 0;
    if (oldShape.bitsPerPixel == 0) {
        glDeleteTextures(1, &oldTexture);
    } else {
        m_spareTexture = oldTexture;
        m_spareShape = oldShape;
    }
}

void GL3DClock::DrawFrame(bool present, bool snapshot) {
    if (!IsRenderTargetOpen()) return;
    StepClock steps(m_stepTimes);
    MakeCurrent();
    steps.Lap(&FrameStepTimes::makeCurrent);
    // The first frame of every scene starts with the sample pictures, whatever the source.
    if (!m_samplesLoaded) {
        m_samplesLoaded = true;
        LoadSamplePictures();
    }
    ApplyPendingTextures();

    glViewport(0, 0, static_cast<GLsizei>(m_viewportWidth), static_cast<GLsizei>(m_viewportHeight));
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Upside down, so that the read-back delivers the top row first (see FrameBitmap::ReadBack).
    glScalef(1.0f, -1.0f, 1.0f);
    gluPerspective(45.0, m_viewportWidth / m_viewportHeight, static_cast<double>(0.1f), 250.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 2, 0, 0, 0, 0, 1, 0);

    g_animationCounter = AdvanceAnimationCounter(g_animationCounter);
    const float angle = g_animationCounter * m_speedFactor;
    const float shift = ObjectTranslationZ(m_objectType);
    if (m_objectType > 0) glTranslatef(0, 0, shift);
    std::array<SceneRotation, 5> rotations{};
    const int rotationCount = ObjectRotations(m_objectType, angle, rotations);
    for (int i = 0; i < rotationCount; ++i) {
        glRotatef(rotations[i].angle, rotations[i].x, rotations[i].y, rotations[i].z);
    }
    steps.Lap(&FrameStepTimes::state);

    // The vertex, normal and texture arrays stay enabled in this context (see CreateContexts).
    const int groups = IsSquareObject(m_objectType) ? 1 : kFaceSlotCount;
    for (int group = 0; group < groups; ++group) {
        const SceneVertex* first = &m_vertices[group * kVerticesPerFacePair];
        glBindTexture(GL_TEXTURE_2D, m_faceTextures[group]);
        glTexCoordPointer(2, GL_FLOAT, sizeof(SceneVertex), &first->s);
        glNormalPointer(GL_FLOAT, sizeof(SceneVertex), &first->nx);
        glVertexPointer(3, GL_FLOAT, sizeof(SceneVertex), &first->x);
        glDrawArrays(GL_TRIANGLES, 0, kVerticesPerFacePair);
    }
    steps.Lap(&FrameStepTimes::draw);

    m_frame.ReadBack();
    steps.Lap(&FrameStepTimes::readBack);
    if (present) {
        m_frame.Present(m_displayWindow,
                        SIZE{static_cast<LONG>(m_viewportWidth), static_cast<LONG>(m_viewportHeight)},
                        ConstantAlphaForOpacity(m_opacity));
    }
    steps.Lap(&FrameStepTimes::present);
    steps.EndFrame();
    if (snapshot && m_frame.Bitmap() != nullptr) m_frame.TakeSnapshot(ConstantAlphaForOpacity(m_opacity));
}

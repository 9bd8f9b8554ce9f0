// The render target of GL3DClock (declared in render/gl_3d_clock.h): an OpenGL pbuffer with a
// context of its own, made on the device context of a host window whose context shares its
// textures, and opened, made current and closed again by the scene. The driver's entry points it
// is made with are declared in render/render_target.h.

#include "render/render_target.h"

#include <GL/gl.h>

#include "common/message_box.h"
#include "render/gl_3d_clock.h"

namespace {

WglExtensions g_wgl;

template <typename Function>
Function LookUpWgl(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(wglGetProcAddress(name)));
}

constexpr int kDrawToPbuffer = 0x202D;
constexpr int kSupportOpenGL = 0x2010;
constexpr int kDoubleBuffer = 0x2011;
constexpr int kRedBits = 0x2015;
constexpr int kGreenBits = 0x2017;
constexpr int kBlueBits = 0x2019;
constexpr int kAlphaBits = 0x201B;
constexpr int kDepthBits = 0x2022;
constexpr int kMaxPbufferWidth = 0x202F;
constexpr int kMaxPbufferHeight = 0x2030;

// Under Wine a single-buffered pbuffer with alpha takes the whole process down when its context
// stops being current (Mesa flushes the front buffer into a drawable of another depth and the
// X server refuses). Windows has no such fault, so only there the pbuffer is single-buffered;
// under Wine it is double-buffered and every frame is drawn into and read from the back buffer.
bool UseDoubleBufferedPbuffer() {
    static const bool underWine = RunsUnderWine();
    return underWine;
}

HPBUFFERARB AsPbuffer(void* pbuffer) { return static_cast<HPBUFFERARB>(pbuffer); }

}  // namespace

bool GL3DClock::LoadWglExtensions() {
    g_wgl.destroyPbuffer = LookUpWgl<WglDestroyPbuffer>("wglDestroyPbufferARB");
    g_wgl.queryPbuffer = LookUpWgl<WglQueryPbuffer>("wglQueryPbufferARB");
    g_wgl.getPbufferDC = LookUpWgl<WglGetPbufferDC>("wglGetPbufferDCARB");
    g_wgl.createPbuffer = LookUpWgl<WglCreatePbuffer>("wglCreatePbufferARB");
    g_wgl.releasePbufferDC = LookUpWgl<WglReleasePbufferDC>("wglReleasePbufferDCARB");
    g_wgl.choosePixelFormat = LookUpWgl<WglChoosePixelFormat>("wglChoosePixelFormatARB");
    g_wgl.getPixelFormatAttribfv = LookUpWgl<WglGetPixelFormatAttribfv>("wglGetPixelFormatAttribfvARB");
    g_wgl.getPixelFormatAttribiv = LookUpWgl<WglGetPixelFormatAttribiv>("wglGetPixelFormatAttribivARB");

    if (!g_wgl.destroyPbuffer || !g_wgl.queryPbuffer || !g_wgl.getPbufferDC || !g_wgl.createPbuffer ||
        !g_wgl.releasePbufferDC) {
        ShowErrorMessage(L"Required extension WGL_ARB_pbuffer not supported", L"Error");
        return false;
    }
    if (!g_wgl.choosePixelFormat || !g_wgl.getPixelFormatAttribfv || !g_wgl.getPixelFormatAttribiv) {
        ShowErrorMessage(L"Required extension WGL_ARB_pixel_format not supported", L"Error");
        return false;
    }
    return true;
}

bool GL3DClock::CreatePbuffer() {
    const int attributes[] = {kDrawToPbuffer, 1, kSupportOpenGL, 1, kDoubleBuffer, UseDoubleBufferedPbuffer() ? 1 : 0,
                              kRedBits,       8, kGreenBits,     8, kBlueBits,     8,
                              kAlphaBits,     8, kDepthBits,     16, 0};
    int format = 0;
    UINT formatCount = 0;
    if (!g_wgl.choosePixelFormat(m_hostDC, attributes, nullptr, 1, &format, &formatCount)) {
        ShowErrorMessage(L"wglChoosePixelFormatARB() failed", L"Error");
        return false;
    }
    // A size beyond what the driver can make is refused here: asking for it anyway makes some
    // drivers (Mesa under Wine) end the whole process instead of failing the call. Where the
    // driver names no pbuffer limit, the largest viewport of the host context is the bound.
    const int limitQuery[] = {kMaxPbufferWidth, kMaxPbufferHeight};
    int limits[2] = {0, 0};
    if (!g_wgl.getPixelFormatAttribiv(m_hostDC, format, 0, 2, limitQuery, limits) || limits[0] <= 0 ||
        limits[1] <= 0) {
        GLint viewport[2] = {0, 0};
        glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
        limits[0] = viewport[0];
        limits[1] = viewport[1];
    }
    const bool tooLarge = limits[0] > 0 && limits[1] > 0 && (m_width > limits[0] || m_height > limits[1]);
    if (!tooLarge) m_pbuffer = g_wgl.createPbuffer(m_hostDC, format, m_width, m_height, nullptr);
    if (m_pbuffer == nullptr) {
        ShowErrorMessage(L"wglCreatePbufferARB() failed", L"Error");
        return false;
    }
    m_pbufferDC = g_wgl.getPbufferDC(AsPbuffer(m_pbuffer));
    if (m_pbufferDC == nullptr) {
        ShowErrorMessage(L"wglGetPbufferDCARB() failed", L"Error");
        return false;
    }
    m_pbufferContext = wglCreateContext(m_pbufferDC);
    if (m_pbufferContext == nullptr) {
        ShowErrorMessage(L"wglCreateContext() failed for PBuffer", L"Error");
        return false;
    }
    return true;
}

bool GL3DClock::CreateContexts() {
    m_hostDC = GetDC(m_hostWindow);
    if (m_hostDC == nullptr) return false;

    const PIXELFORMATDESCRIPTOR descriptor = HostPixelFormat();
    const int hostFormat = ChoosePixelFormat(m_hostDC, &descriptor);
    if (!SetPixelFormat(m_hostDC, hostFormat, &descriptor)) {
        // A window keeps the pixel format it was given first; a second display on the same
        // host window finds it set already, which is fine when it is the same format.
        if (GetPixelFormat(m_hostDC) != hostFormat) return false;
    }

    m_hostContext = wglCreateContext(m_hostDC);
    if (m_hostContext == nullptr) return false;
    if (!wglMakeCurrent(m_hostDC, m_hostContext)) return false;
    if (!LoadWglExtensions()) return false;
    if (!CreatePbuffer()) return false;

    wglShareLists(m_hostContext, m_pbufferContext);
    wglMakeCurrent(m_pbufferDC, m_pbufferContext);
    if (UseDoubleBufferedPbuffer()) {
        glDrawBuffer(GL_BACK);
        glReadBuffer(GL_BACK);
    }
    // Every object is a closed box, seen from outside: with the faces turned away left out, no
    // two faces overlap, so no depth buffer is needed. The faces are clockwise seen from outside;
    // the frame is drawn upside down (see DrawFrame), which makes them counter-clockwise.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_COLOR_MATERIAL);
    // Only the faces are drawn in this context: their arrays stay enabled for every frame.
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    return true;
}

bool GL3DClock::OpenRenderTarget(HWND hostWindow) {
    m_hostWindow = hostWindow;
    if (!CreateContexts() || !m_frame.Create(m_width, m_height)) {
        CloseRenderTarget();
        return false;
    }
    return true;
}

PIXELFORMATDESCRIPTOR GL3DClock::HostPixelFormat() {
    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.nSize = sizeof(descriptor);
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 32;
    descriptor.cDepthBits = 32;
    descriptor.iLayerType = PFD_MAIN_PLANE;
    return descriptor;
}

void GL3DClock::SetTargetSize(int size) {
    if (IsRenderTargetOpen() || size <= 0) return;
    m_width = size;
    m_height = size;
}

void GL3DClock::MakeCurrent() {
    if (m_pbufferContext == nullptr) return;
    // With one display the context stays current from frame to frame; switching costs time.
    if (wglGetCurrentContext() == m_pbufferContext && wglGetCurrentDC() == m_pbufferDC) return;
    wglMakeCurrent(m_pbufferDC, m_pbufferContext);
}

void GL3DClock::CloseRenderTarget() {
    DeleteFaceTextures();
    if (m_pbuffer != nullptr) {
        if (m_pbufferContext != nullptr) {
            if (wglGetCurrentContext() == m_pbufferContext) wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(m_pbufferContext);
        }
        if (m_pbufferDC != nullptr) g_wgl.releasePbufferDC(AsPbuffer(m_pbuffer), m_pbufferDC);
        g_wgl.destroyPbuffer(AsPbuffer(m_pbuffer));
    }
    m_pbufferContext = nullptr;
    m_pbufferDC = nullptr;
    m_pbuffer = nullptr;

    if (m_hostDC != nullptr) {
        if (m_hostContext != nullptr) {
            wglMakeCurrent(m_hostDC, nullptr);
            wglDeleteContext(m_hostContext);
        }
        ReleaseDC(m_hostWindow, m_hostDC);
    }
    m_hostContext = nullptr;
    m_hostDC = nullptr;
    m_frame.Release();
}

void GL3DClock::DeleteFaceTextures() {
    // Texture names belong to the shared lists; they can only be deleted with a context current.
    if (m_pbufferContext != nullptr) {
        wglMakeCurrent(m_pbufferDC, m_pbufferContext);
        for (unsigned& texture : m_faceTextures) {
            if (texture != 0) glDeleteTextures(1, &texture);
        }
        if (m_spareTexture != 0) glDeleteTextures(1, &m_spareTexture);
    }
    m_faceTextures.fill(0);
    m_faceShapes.fill(TextureShape{});
    m_spareTexture = 0;
}

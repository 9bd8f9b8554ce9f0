#pragma once

#include <windows.h>

// The driver's side of a scene's render target (GL3DClock: OpenRenderTarget, MakeCurrent,
// CloseRenderTarget in render_target.cpp): the entry points of the WGL_ARB_pbuffer and
// WGL_ARB_pixel_format extensions, which wglGetProcAddress hands out only while an OpenGL
// context is current.

DECLARE_HANDLE(HPBUFFERARB);

using WglDestroyPbuffer = BOOL(WINAPI*)(HPBUFFERARB);
using WglQueryPbuffer = BOOL(WINAPI*)(HPBUFFERARB, int, int*);
using WglGetPbufferDC = HDC(WINAPI*)(HPBUFFERARB);
using WglCreatePbuffer = HPBUFFERARB(WINAPI*)(HDC, int, int, int, const int*);
using WglReleasePbufferDC = int(WINAPI*)(HPBUFFERARB, HDC);
using WglChoosePixelFormat = BOOL(WINAPI*)(HDC, const int*, const FLOAT*, UINT, int*, UINT*);
using WglGetPixelFormatAttribfv = BOOL(WINAPI*)(HDC, int, int, UINT, const int*, FLOAT*);
using WglGetPixelFormatAttribiv = BOOL(WINAPI*)(HDC, int, int, UINT, const int*, int*);

// The WGL extension entry points; looked up again each time a render target opens.
struct WglExtensions {
    WglDestroyPbuffer destroyPbuffer = nullptr;
    WglQueryPbuffer queryPbuffer = nullptr;
    WglGetPbufferDC getPbufferDC = nullptr;
    WglCreatePbuffer createPbuffer = nullptr;
    WglReleasePbufferDC releasePbufferDC = nullptr;
    WglChoosePixelFormat choosePixelFormat = nullptr;
    WglGetPixelFormatAttribfv getPixelFormatAttribfv = nullptr;
    WglGetPixelFormatAttribiv getPixelFormatAttribiv = nullptr;
};

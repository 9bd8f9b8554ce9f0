#pragma once

#include <windows.h>

#include <array>

#include "common/unique_handle.h"
#include "render/sample_pictures.h"

// The sample pictures made into texture pictures on a thread of their own, so that a display
// being set up (its window, its OpenGL context) need not wait for their decoding: the first
// frame takes them as they are ready. Started and taken on one thread (the main thread).
class SamplePictureDecoding {
public:
    using Pictures = std::array<HBITMAP, kSamplePictureCount>;

    SamplePictureDecoding() = default;
    // Waits for a decoding still running and deletes pictures that were never taken.
    ~SamplePictureDecoding();
    SamplePictureDecoding(const SamplePictureDecoding&) = delete;
    SamplePictureDecoding& operator=(const SamplePictureDecoding&) = delete;

    // Starts decoding in the aspect mode `aspectMode`; pictures of an earlier start that were
    // never taken are given up. False (and nothing started) when no thread can be made.
    bool Start(int aspectMode);

    // The pictures of the last start when it was in `aspectMode`, waiting for the decoding to
    // end; the caller owns them. All null when nothing was started in that mode (the caller
    // decodes them itself then); a single null entry is a picture that did not decode.
    Pictures Take(int aspectMode);

private:
    static DWORD WINAPI DecodeEntry(void* parameter);
    // Waits for the thread to end.
    void Finish();
    void DeletePictures();

    UniqueHandle m_thread;
    int m_aspectMode = -1;
    Pictures m_pictures{};  // written by the thread; read only after it ended
};

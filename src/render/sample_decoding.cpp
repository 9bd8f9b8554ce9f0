#include "render/sample_decoding.h"

#include "imaging/texture_picture.h"

SamplePictureDecoding::~SamplePictureDecoding() {
    Finish();
    DeletePictures();
}

bool SamplePictureDecoding::Start(int aspectMode) {
    Finish();
    DeletePictures();
    m_aspectMode = aspectMode;
    m_thread.Reset(CreateThread(nullptr, 0, DecodeEntry, this, 0, nullptr));
    if (!m_thread.IsValid()) m_aspectMode = -1;
    return m_thread.IsValid();
}

SamplePictureDecoding::Pictures SamplePictureDecoding::Take(int aspectMode) {
    Finish();
    Pictures taken{};
    if (aspectMode == m_aspectMode) std::swap(taken, m_pictures);
    DeletePictures();
    m_aspectMode = -1;
    return taken;
}

DWORD WINAPI SamplePictureDecoding::DecodeEntry(void* parameter) {
    auto* decoding = static_cast<SamplePictureDecoding*>(parameter);
    const std::array<SamplePicture, kSamplePictureCount>& samples = SamplePictures();
    for (int slot = 0; slot < kSamplePictureCount; ++slot) {
        decoding->m_pictures[slot] =
            LoadTexturePictureMemory(samples[slot].bytes, samples[slot].size, decoding->m_aspectMode);
    }
    return 0;
}

void SamplePictureDecoding::Finish() {
    if (!m_thread.IsValid()) return;
    // Three built-in pictures decode in well under a second. The thread is never ended by force:
    // one killed inside the decoder could leave its lock held for every display's worker.
    WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Reset();
}

void SamplePictureDecoding::DeletePictures() {
    for (HBITMAP& picture : m_pictures) {
        if (picture != nullptr) DeleteObject(picture);
        picture = nullptr;
    }
}

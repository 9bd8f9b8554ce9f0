#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstddef>
#include <cstdint>

#include "common/com_pointer.h"

// The encoded bytes of one picture in a movable global memory block, locked for the block's
// whole life. GDI+ reads pictures from a stream over such a block, so the block must live as
// long as the decoded picture. One owner; moving hands the block on.
class PictureBytes {
public:
    PictureBytes() = default;
    ~PictureBytes() { Free(); }
    PictureBytes(const PictureBytes&) = delete;
    PictureBytes& operator=(const PictureBytes&) = delete;
    PictureBytes(PictureBytes&& other) noexcept;
    PictureBytes& operator=(PictureBytes&& other) noexcept;

    // Allocates and locks a block of `count` bytes (at least one, so that an empty picture still
    // has a block). Returns false, holding nothing, when the block cannot be made or `count`
    // exceeds the largest picture file the program reads.
    bool Allocate(uint64_t count);
    // Allocate, then copy `count` bytes from `bytes`.
    bool CopyFrom(const void* bytes, uint64_t count);
    void Free();

    bool IsEmpty() const { return m_block == nullptr; }
    HGLOBAL Block() const { return m_block; }
    uint8_t* Data() const { return m_data; }
    size_t Size() const { return m_size; }

private:
    HGLOBAL m_block = nullptr;
    uint8_t* m_data = nullptr;
    size_t m_size = 0;
};

enum class PictureFileRead {
    kRead,        // the whole file is in the block
    kCannotOpen,  // no such file, or no access
    kCannotRead,  // opened, but too large for the program, no memory for it, or a read error
};

// Reads a whole file into `bytes` and closes it before returning; `bytes` is left empty unless
// the result is kRead.
PictureFileRead ReadPictureFile(const wchar_t* path, PictureBytes& bytes);

// The same from a file the caller opened (and closes), read from its start.
PictureFileRead ReadPictureFile(HANDLE file, PictureBytes& bytes);

// Opens a picture file for reading, letting others read, write and delete it meanwhile.
HANDLE OpenPictureFile(const wchar_t* path);

// A stream over the block that does not free the block when it is released; null on failure.
ComPointer<IStream> MakeStreamOnBytes(const PictureBytes& bytes);

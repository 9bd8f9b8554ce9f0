#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/picture_header.h"

// Reads an open picture file for the header reader through a small window of cached bytes, so
// that the few small reads of a header walk cost one or two file reads: the first window usually
// holds the whole header, and a JPEG with a large metadata segment needs one more. The file
// handle stays the caller's.
class PictureFileReader {
public:
    explicit PictureFileReader(HANDLE file) : m_file(file) {}
    PictureFileReader(const PictureFileReader&) = delete;
    PictureFileReader& operator=(const PictureFileReader&) = delete;

    // Up to `count` bytes at `offset`; returns how many it read (0 past the end or on an error).
    size_t Read(uint64_t offset, uint8_t* buffer, size_t count);

    // What the file's header says (see ReadPictureHeader).
    PictureHeader ReadHeader();

private:
    bool Fill(uint64_t offset, size_t count);

    HANDLE m_file;
    std::vector<uint8_t> m_window;
    uint64_t m_windowStart = 0;
};

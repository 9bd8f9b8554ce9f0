#pragma once

#include <cstdint>
#include <vector>

// Encodes bytes into an LZARI payload that the program's decoder (src/lang/lzari_decoder.h)
// reads back: the size as 4 bytes little-endian, then the code stream, padded with zero bits to
// a whole byte. Returns an empty vector for input of 4 GiB or more, which the size cannot hold.
std::vector<uint8_t> EncodeLzari(const std::vector<uint8_t>& input);

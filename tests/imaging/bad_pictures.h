#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Files that are no decodable picture, each named for what is wrong with it.
struct BadPicture {
    std::string what;
    std::vector<uint8_t> bytes;
};

// Zero bytes, text, truncated PNG and JPEG files; PNG, BMP, GIF and JPEG headers that claim
// 60000 x 60000 pixels (about 14 GB decoded) or more; headers that leave the size to the decoder
// (a JPEG whose height a DNL segment never sets, a GIF with an empty screen and a huge frame);
// small JPEG files stating 20000 x 16000 (over the decoding budget) behind junk bytes or many
// segments; an icon whose PNG claims as much; and a BMP header that breaks the format's rules.
std::vector<BadPicture> BadPictures();

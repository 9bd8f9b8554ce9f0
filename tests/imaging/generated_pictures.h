#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// Large picture files made at test time, quickly and without GDI+'s encoders.

// A baseline JPEG file of width x height whose 8 x 8 blocks are each one flat colour,
// colourOfBlock(blockX, blockY) as 0xRRGGBB. Only the blocks' mean values are coded, so a picture
// of a hundred megapixels is a file of a couple of megabytes made in a moment: the way the tests
// get real photos' sizes without storing or slowly encoding them.
std::vector<uint8_t> MakeBlockJpeg(int width, int height, const std::function<uint32_t(int, int)>& colourOfBlock);

// An uncompressed TIFF file of width x height with 8-bit red, green, blue and straight alpha,
// colourAt(x, y) as 0xAARRGGBB. Its image directory follows the picture data at the end of the
// file, as some cameras and scanners write it.
std::vector<uint8_t> MakeRgbaTiff(int width, int height, const std::function<uint32_t(int, int)>& colourAt);

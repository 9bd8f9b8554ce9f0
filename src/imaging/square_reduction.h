#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "imaging/texture_square.h"

// The layouts of picture rows that a SquareReduction reads, as the decoders hand them out.
enum class RowFormat {
    kPremultipliedBgra32,  // B, G, R, A with the colour premultiplied by alpha (0xAARRGGBB values)
    kBgra32,               // B, G, R, A with straight alpha
    kBgrx32,               // B, G, R and a byte that means nothing: opaque
    kBgr24,                // B, G, R: opaque
    kGray8,                // one grey level: opaque
    kIndexed8,             // one index into a palette of premultiplied 0xAARRGGBB values
};

// A straight 0xAARRGGBB colour with its colour premultiplied by its alpha (rounded).
uint32_t PremultipliedArgb(uint32_t straight);

// Puts a picture onto a square canvas (the 1024 x 1024 texture square, a thumbnail cell) while
// the picture streams past one row at a time, so that a large picture is never held whole a
// second time.
//
// A picture shrunk onto its place is area-averaged: each canvas pixel is the mean of the picture
// area it covers, every picture pixel weighted by how much of it falls inside, which keeps fine
// patterns (a 1-pixel checkerboard) from turning into moire. A picture enlarged onto its place is
// interpolated between the two nearest picture pixels in each direction (bilinear, from pixel
// centres, the picture's edge pixels repeated beyond its edge), as GDI+ draws it. Each direction
// is either, so a 1 x N line that fills the square is enlarged across and shrunk down.
//
// The picture is given as stored and turned upright by its orientation (picture_orientation.h)
// as its rows land on the canvas; `shown` is where the upright picture lies on the canvas (what
// overhangs the canvas is never read). The canvas is `background` (straight 0xAARRGGBB) with the
// picture laid over it, source over, as GDI+ draws.
//
// Use: ask which stored columns and rows land on the canvas, feed exactly those rows in order,
// then take the canvas.
class SquareReduction {
public:
    SquareReduction(uint32_t pictureWidth, uint32_t pictureHeight, int orientation, const TexturePlacement& shown,
                    int side, uint32_t background);

    // The stored picture columns [FirstColumn(), FirstColumn() + ColumnCount()) and rows
    // [FirstRow(), FirstRow() + RowCount()) that land on the canvas; counts are 0 when nothing of
    // the picture shows.
    uint32_t FirstColumn() const { return m_firstColumn; }
    uint32_t ColumnCount() const { return m_columnCount; }
    uint32_t FirstRow() const { return m_firstRow; }
    uint32_t RowCount() const { return m_rowCount; }

    // Adds stored picture row `row`: ColumnCount() pixels from FirstColumn() in `format` (a
    // palette of 256 entries for kIndexed8; a row of that format without one is ignored). Rows
    // come in ascending order; a row outside the range, or one that comes out of order, is
    // ignored.
    void AddRow(uint32_t row, const void* pixels, RowFormat format, const uint32_t* palette = nullptr);
    void AddRow(uint32_t row, const uint32_t* premultipliedPixels) {
        AddRow(row, premultipliedPixels, RowFormat::kPremultipliedBgra32);
    }

    // The side x side canvas, top-down, as straight 0xAARRGGBB values. Canvas rows whose picture
    // rows never came keep the background.
    std::vector<uint32_t> TakeSquare();

private:
    // The picture pixels [first, first + count) that one canvas pixel takes, relative to the
    // first picture column or row read; their weights start at `weightsAt`.
    struct Taps {
        uint32_t first;
        uint32_t count;
        uint32_t weightsAt;
    };

    template <RowFormat kFormat>
    void ReduceAcross(const uint8_t* pixels, const uint32_t* palette);
    void ReduceAcrossPremultiplied(const uint32_t* pixels);
    void FinishOpenRow();

    int m_side;
    int m_orientation;
    uint32_t m_background;
    float m_backgroundAlpha;      // 0..1
    float m_backgroundColour[3];  // B, G, R, 0..255
    TexturePlacement m_visible;   // the part of the stored-frame canvas the picture covers

    uint32_t m_firstColumn = 0, m_columnCount = 0, m_firstRow = 0, m_rowCount = 0;
    std::vector<Taps> m_columnTaps;         // one per visible canvas column
    std::vector<uint32_t> m_columnWeights;  // fixed point; each column's sum in m_columnScale
    std::vector<float> m_columnScale;       // 1 / the sum of each column's weights
    std::vector<Taps> m_rowTaps;            // one per visible canvas row (first relative to m_firstRow)
    std::vector<float> m_rowWeights;

    int64_t m_nextRow = -1;      // the next picture row expected; -1 before the first
    size_t m_firstOpenRow = 0;   // the first visible canvas row not finished
    size_t m_nextRowToOpen = 0;  // the first visible canvas row no picture row has reached yet
    // Premultiplied sums (B, G, R, A, 0..255) of the open canvas rows, m_visible.width pixels each.
    std::deque<std::vector<float>> m_openRows;
    std::vector<float> m_rowSums;         // the current picture row reduced to the canvas columns
    std::vector<uint32_t> m_expandedRow;  // a row of kBgra32 or kIndexed8 made premultiplied
    std::vector<uint32_t> m_square;
};

#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "imaging/texture_square.h"

// Puts a picture onto the texture square by area averaging while the picture streams past one
// row at a time, so that a very large picture is never held whole a second time: each square
// pixel is the average of the picture area it covers (every picture pixel weighted by how much
// of it falls inside), which keeps fine patterns from turning into moire when a photo of many
// thousand pixels shrinks to 1024. Placement and size are those of PlaceOnTextureSquare; what
// overhangs the square is never read. A picture smaller than its place is enlarged by the same
// rule (each square pixel takes the picture pixel under it, blending the two at a border).
//
// Use: ask which columns and rows land on the square, feed exactly those rows in order, then
// take the square.
class TextureReduction {
public:
    TextureReduction(uint32_t pictureWidth, uint32_t pictureHeight, int aspectMode);

    // The picture columns [FirstColumn(), FirstColumn() + ColumnCount()) and rows
    // [FirstRow(), FirstRow() + RowCount()) that land on the square; counts are 0 for a picture
    // without size.
    uint32_t FirstColumn() const { return m_firstColumn; }
    uint32_t ColumnCount() const { return m_columnCount; }
    uint32_t FirstRow() const { return m_firstRow; }
    uint32_t RowCount() const { return m_rowCount; }

    // Adds picture row `row`: ColumnCount() pixels from FirstColumn(), each a premultiplied
    // 32-bit value 0xAARRGGBB (memory order B, G, R, A). Rows come in ascending order; a row
    // outside the range, or one that comes out of order, is ignored.
    void AddRow(uint32_t row, const uint32_t* pixels);

    // The kTextureSide x kTextureSide square, top-down, as 0xAARRGGBB values that are not
    // premultiplied: the translucent grey kTextureBackground with the picture laid over it
    // (source over, as GDI+ draws). Rows never fed leave their part of the square grey.
    std::vector<uint32_t> TakeSquare();

private:
    // The span of picture columns that one square column covers, with the weight of each.
    struct ColumnSpan {
        uint32_t first;  // relative to m_firstColumn
        uint32_t count;
        uint32_t weightsAt;  // index into m_columnWeights
    };
    // The picture rows [top, bottom) that one square row covers, in picture row units.
    struct RowSpan {
        double top;
        double bottom;
    };

    void FinishRowsBefore(double pictureRow);
    void FinishOpenRow();

    TexturePlacement m_visible;  // the part of the square the picture covers (no overhang)
    uint32_t m_firstColumn = 0, m_columnCount = 0, m_firstRow = 0, m_rowCount = 0;
    std::vector<ColumnSpan> m_columns;  // one per visible square column
    std::vector<float> m_columnWeights;
    std::vector<RowSpan> m_rows;  // one per visible square row
    int64_t m_nextRow = -1;       // the next picture row expected; -1 before the first

    // Sums (B, G, R, A) of the visible square rows that picture rows still reach, from
    // m_firstOpenRow on; each row has m_visible.width pixels.
    std::deque<std::vector<float>> m_openRows;
    int m_firstOpenRow = 0;        // relative to m_visible.y
    std::vector<float> m_rowSums;  // the current picture row reduced to the square's columns
    std::vector<uint32_t> m_square;
};

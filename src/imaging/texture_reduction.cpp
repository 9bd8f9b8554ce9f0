#include "imaging/texture_reduction.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr float kGreyAlpha = static_cast<float>(kTextureBackground >> 24) / 255.0f;
constexpr float kGreyChannel = static_cast<float>(kTextureBackground & 0xFF);

// Lays the averaged premultiplied sums (0..255 each) over the translucent grey and returns the
// result as a straight (not premultiplied) 0xAARRGGBB value.
uint32_t OverGrey(const float* sums) {
    const float coverage = std::clamp(sums[3] / 255.0f, 0.0f, 1.0f);
    const float greyShare = kGreyAlpha * (1.0f - coverage);
    const float alpha = coverage + greyShare;
    uint32_t pixel = static_cast<uint32_t>(std::lround(alpha * 255.0f)) << 24;
    for (int channel = 0; channel < 3; ++channel) {
        const float value = (sums[channel] + kGreyChannel * greyShare) / alpha;
        pixel |= static_cast<uint32_t>(std::lround(std::clamp(value, 0.0f, 255.0f))) << (8 * channel);
    }
    return pixel;
}

}  // namespace

TextureReduction::TextureReduction(uint32_t pictureWidth, uint32_t pictureHeight, int aspectMode)
    : m_square(static_cast<size_t>(kTextureSide) * kTextureSide, kTextureBackground) {
    const uint32_t largest = static_cast<uint32_t>(std::numeric_limits<int>::max());
    if (pictureWidth == 0 || pictureHeight == 0 || pictureWidth > largest || pictureHeight > largest) return;
    const TexturePlacement place =
        PlaceOnTextureSquare(static_cast<int>(pictureWidth), static_cast<int>(pictureHeight), aspectMode);
    if (place.width <= 0 || place.height <= 0) return;
    const int64_t left = std::max<int64_t>(0, place.x);
    const int64_t right = std::min<int64_t>(kTextureSide, int64_t{place.x} + place.width);
    const int64_t top = std::max<int64_t>(0, place.y);
    const int64_t bottom = std::min<int64_t>(kTextureSide, int64_t{place.y} + place.height);
    if (left >= right || top >= bottom) return;
    m_visible = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                 static_cast<int>(bottom - top)};

    // Picture pixels per square pixel across and down.
    const double columnStep = static_cast<double>(pictureWidth) / place.width;
    const double rowStep = static_cast<double>(pictureHeight) / place.height;

    std::vector<double> starts, ends;
    for (int64_t column = left; column < right; ++column) {
        const double start = std::max(0.0, static_cast<double>(column - place.x) * columnStep);
        starts.push_back(start);
        ends.push_back(std::min<double>(pictureWidth, start + columnStep));
    }
    m_firstColumn = static_cast<uint32_t>(std::floor(starts.front()));
    const uint32_t endColumn = std::min<uint32_t>(pictureWidth, static_cast<uint32_t>(std::ceil(ends.back())));
    m_columnCount = std::max(endColumn, m_firstColumn + 1) - m_firstColumn;
    for (size_t i = 0; i < starts.size(); ++i) {
        const uint32_t first = std::min(static_cast<uint32_t>(std::floor(starts[i])), pictureWidth - 1);
        const uint32_t end = std::clamp(static_cast<uint32_t>(std::ceil(ends[i])), first + 1, pictureWidth);
        const double span = std::max(ends[i] - starts[i], 1e-12);
        m_columns.push_back({first - m_firstColumn, end - first, static_cast<uint32_t>(m_columnWeights.size())});
        for (uint32_t source = first; source < end; ++source) {
            const double covered = std::min<double>(ends[i], source + 1.0) - std::max<double>(starts[i], source);
            m_columnWeights.push_back(static_cast<float>(std::max(0.0, covered) / span));
        }
    }

    for (int64_t row = top; row < bottom; ++row) {
        const double start = std::max(0.0, static_cast<double>(row - place.y) * rowStep);
        m_rows.push_back({start, std::min<double>(pictureHeight, start + rowStep)});
    }
    m_firstRow = static_cast<uint32_t>(std::floor(m_rows.front().top));
    const uint32_t endRow = std::min<uint32_t>(pictureHeight, static_cast<uint32_t>(std::ceil(m_rows.back().bottom)));
    m_rowCount = std::max(endRow, m_firstRow + 1) - m_firstRow;
    m_rowSums.resize(static_cast<size_t>(m_visible.width) * 4);
}

void TextureReduction::AddRow(uint32_t row, const uint32_t* pixels) {
    if (pixels == nullptr || m_rows.empty() || row < m_firstRow || row - m_firstRow >= m_rowCount) return;
    if (row < m_nextRow) return;
    m_nextRow = int64_t{row} + 1;

    // Across: each square column averages the picture columns it covers.
    for (size_t column = 0; column < m_columns.size(); ++column) {
        const ColumnSpan& span = m_columns[column];
        const uint32_t* source = pixels + span.first;
        const float* weights = m_columnWeights.data() + span.weightsAt;
        float blue = 0, green = 0, red = 0, alpha = 0;
        for (uint32_t i = 0; i < span.count; ++i) {
            const uint32_t pixel = source[i];
            blue += static_cast<float>(pixel & 0xFF) * weights[i];
            green += static_cast<float>(pixel >> 8 & 0xFF) * weights[i];
            red += static_cast<float>(pixel >> 16 & 0xFF) * weights[i];
            alpha += static_cast<float>(pixel >> 24) * weights[i];
        }
        float* sums = m_rowSums.data() + column * 4;
        sums[0] = blue, sums[1] = green, sums[2] = red, sums[3] = alpha;
    }

    // Down: the row adds to every square row it overlaps, by the share of that row it covers.
    const double rowTop = row, rowBottom = row + 1.0;
    FinishRowsBefore(rowTop);
    for (size_t index = m_firstOpenRow; index < m_rows.size() && m_rows[index].top < rowBottom; ++index) {
        const RowSpan& span = m_rows[index];
        const double covered = std::min(span.bottom, rowBottom) - std::max(span.top, rowTop);
        if (covered <= 0) continue;
        const float weight = static_cast<float>(covered / std::max(span.bottom - span.top, 1e-12));
        const size_t open = index - m_firstOpenRow;
        while (m_openRows.size() <= open) m_openRows.emplace_back(m_rowSums.size(), 0.0f);
        std::vector<float>& sums = m_openRows[open];
        for (size_t i = 0; i < sums.size(); ++i) sums[i] += m_rowSums[i] * weight;
    }
}

void TextureReduction::FinishRowsBefore(double pictureRow) {
    while (static_cast<size_t>(m_firstOpenRow) < m_rows.size() && m_rows[m_firstOpenRow].bottom <= pictureRow) {
        FinishOpenRow();
    }
}

void TextureReduction::FinishOpenRow() {
    if (!m_openRows.empty()) {
        const std::vector<float>& sums = m_openRows.front();
        uint32_t* target =
            m_square.data() + static_cast<size_t>(m_visible.y + m_firstOpenRow) * kTextureSide + m_visible.x;
        for (int x = 0; x < m_visible.width; ++x) target[x] = OverGrey(sums.data() + x * 4);
        m_openRows.pop_front();
    }
    ++m_firstOpenRow;
}

std::vector<uint32_t> TextureReduction::TakeSquare() {
    FinishRowsBefore(std::numeric_limits<double>::infinity());
    return std::move(m_square);
}

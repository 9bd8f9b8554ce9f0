#include "imaging/square_reduction.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "imaging/picture_orientation.h"

namespace {

// Column weights are fixed point: a whole picture pixel of one canvas pixel's share is 2^23, so
// that 255 times a column's weights stays within 32 bits.
constexpr double kColumnWeightOne = 8388608.0;

// The picture pixels each canvas pixel takes along one direction, with their weights (summing to
// 1 per canvas pixel).
struct AxisTaps {
    uint32_t firstRead = 0;  // the first picture pixel any canvas pixel takes
    uint32_t readCount = 0;
    struct Tap {
        uint32_t first;  // absolute until the end, then relative to firstRead
        uint32_t count;
        uint32_t weightsAt;
    };
    std::vector<Tap> taps;
    std::vector<double> weights;
};

// Canvas pixels [begin, end) of a picture side of `length` pixels that lies at
// [offset, offset + placed) of the canvas. Shrinking averages the covered area. Enlarging
// interpolates between the two nearest pixels where GDI+ does (its default pixel offset): the
// n-th canvas pixel from the picture's upright start takes the picture at n * (length / placed)
// pixel centres from its first pixel's centre. `reversed`: the picture's side runs the other way
// once it is upright, so that its upright start is its far end here.
AxisTaps BuildAxisTaps(uint32_t length, int64_t offset, int64_t placed, int64_t begin, int64_t end, bool reversed) {
    AxisTaps axis;
    const double step = static_cast<double>(length) / static_cast<double>(placed);
    uint32_t readEnd = 0;
    axis.firstRead = length;
    for (int64_t pixel = begin; pixel < end; ++pixel) {
        const double local = static_cast<double>(pixel - offset);
        const uint32_t weightsAt = static_cast<uint32_t>(axis.weights.size());
        uint32_t first = 0, count = 0;
        if (step >= 1.0) {
            const double from = local * step;
            const double to = std::min<double>(length, from + step);
            first = std::min(static_cast<uint32_t>(from), length - 1);
            const uint32_t last = std::clamp(static_cast<uint32_t>(std::ceil(to)), first + 1, length);
            count = last - first;
            const double span = std::max(to - from, 1e-12);
            for (uint32_t source = first; source < last; ++source) {
                const double covered = std::min<double>(to, source + 1.0) - std::max<double>(from, source);
                axis.weights.push_back(std::max(0.0, covered) / span);
            }
        } else {
            // Counted from the far end, (placed - 1 - local) * step from the last pixel's centre.
            const double centre = reversed ? local * step + (step - 1.0) : local * step;
            if (centre <= 0.0 || length == 1) {
                first = 0, count = 1;
                axis.weights.push_back(1.0);
            } else if (centre >= length - 1.0) {
                first = length - 1, count = 1;
                axis.weights.push_back(1.0);
            } else {
                first = static_cast<uint32_t>(centre);
                const double fraction = centre - first;
                count = 2;
                axis.weights.push_back(1.0 - fraction);
                axis.weights.push_back(fraction);
            }
        }
        axis.taps.push_back({first, count, weightsAt});
        axis.firstRead = std::min(axis.firstRead, first);
        readEnd = std::max(readEnd, first + count);
    }
    if (axis.taps.empty()) return {};
    axis.readCount = readEnd - axis.firstRead;
    for (AxisTaps::Tap& tap : axis.taps) tap.first -= axis.firstRead;
    return axis;
}

float Channel(uint32_t pixel, int shift) { return static_cast<float>(pixel >> shift & 0xFF); }

uint32_t RoundChannel(float value) { return static_cast<uint32_t>(std::clamp(value, 0.0f, 255.0f) + 0.5f); }

}  // namespace

uint32_t PremultipliedArgb(uint32_t straight) {
    const uint32_t alpha = straight >> 24;
    if (alpha == 0xFF) return straight;
    uint32_t result = straight & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) result |= ((straight >> shift & 0xFF) * alpha + 127) / 255 << shift;
    return result;
}

SquareReduction::SquareReduction(uint32_t pictureWidth, uint32_t pictureHeight, int orientation,
                                 const TexturePlacement& shown, int side, uint32_t background)
    : m_side(std::max(side, 0)),
      m_orientation(orientation),
      m_background(background),
      m_backgroundAlpha(Channel(background, 24) / 255.0f),
      m_backgroundColour{Channel(background, 0), Channel(background, 8), Channel(background, 16)},
      m_square(static_cast<size_t>(m_side) * m_side, background) {
    const uint32_t largest = static_cast<uint32_t>(std::numeric_limits<int>::max());
    if (pictureWidth == 0 || pictureHeight == 0 || pictureWidth > largest || pictureHeight > largest) return;
    if (shown.width <= 0 || shown.height <= 0) return;
    const TexturePlacement place = StoredPlacement(shown, orientation, m_side);
    const int64_t left = std::max<int64_t>(0, place.x);
    const int64_t right = std::min<int64_t>(m_side, int64_t{place.x} + place.width);
    const int64_t top = std::max<int64_t>(0, place.y);
    const int64_t bottom = std::min<int64_t>(m_side, int64_t{place.y} + place.height);
    if (left >= right || top >= bottom) return;
    m_visible = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                 static_cast<int>(bottom - top)};

    // Whether the stored columns and rows run against the upright picture's.
    const GridPoint origin = ShownPoint(0, 0, m_side, m_side, orientation);
    const GridPoint acrossStep = ShownPoint(1, 0, m_side, m_side, orientation);
    const GridPoint downStep = ShownPoint(0, 1, m_side, m_side, orientation);
    const bool columnsReversed = (acrossStep.x - origin.x) + (acrossStep.y - origin.y) < 0;
    const bool rowsReversed = (downStep.x - origin.x) + (downStep.y - origin.y) < 0;
    const AxisTaps columns = BuildAxisTaps(pictureWidth, place.x, place.width, left, right, columnsReversed);
    const AxisTaps rows = BuildAxisTaps(pictureHeight, place.y, place.height, top, bottom, rowsReversed);
    m_firstColumn = columns.firstRead;
    m_columnCount = columns.readCount;
    m_firstRow = rows.firstRead;
    m_rowCount = rows.readCount;

    for (const AxisTaps::Tap& tap : columns.taps) {
        m_columnTaps.push_back({tap.first, tap.count, static_cast<uint32_t>(m_columnWeights.size())});
        uint64_t sum = 0;
        for (uint32_t i = 0; i < tap.count; ++i) {
            const uint32_t weight =
                static_cast<uint32_t>(std::lround(columns.weights[tap.weightsAt + i] * kColumnWeightOne));
            m_columnWeights.push_back(weight);
            sum += weight;
        }
        m_columnScale.push_back(sum > 0 ? static_cast<float>(1.0 / static_cast<double>(sum)) : 0.0f);
    }
    for (const AxisTaps::Tap& tap : rows.taps) m_rowTaps.push_back({tap.first, tap.count, tap.weightsAt});
    m_rowWeights.assign(rows.weights.begin(), rows.weights.end());
    m_rowSums.resize(static_cast<size_t>(m_visible.width) * 4);
}

template <RowFormat kFormat>
void SquareReduction::ReduceAcross(const uint8_t* pixels, const uint32_t*) {
    constexpr size_t kBytes = kFormat == RowFormat::kBgr24 ? 3 : kFormat == RowFormat::kGray8 ? 1 : 4;
    constexpr bool kHasAlpha = kFormat == RowFormat::kPremultipliedBgra32;
    for (size_t column = 0; column < m_columnTaps.size(); ++column) {
        const Taps& taps = m_columnTaps[column];
        const uint8_t* source = pixels + size_t{taps.first} * kBytes;
        const uint32_t* weights = m_columnWeights.data() + taps.weightsAt;
        uint32_t blue = 0, green = 0, red = 0, alpha = 0;
        for (uint32_t i = 0; i < taps.count; ++i, source += kBytes) {
            const uint32_t weight = weights[i];
            blue += source[0] * weight;
            if constexpr (kFormat != RowFormat::kGray8) {
                green += source[1] * weight;
                red += source[2] * weight;
            }
            if constexpr (kHasAlpha) alpha += source[3] * weight;
        }
        if constexpr (kFormat == RowFormat::kGray8) green = red = blue;
        const float scale = m_columnScale[column];
        float* sums = m_rowSums.data() + column * 4;
        sums[0] = static_cast<float>(blue) * scale;
        sums[1] = static_cast<float>(green) * scale;
        sums[2] = static_cast<float>(red) * scale;
        sums[3] = kHasAlpha ? static_cast<float>(alpha) * scale : 255.0f;
    }
}

void SquareReduction::ReduceAcrossPremultiplied(const uint32_t* pixels) {
    ReduceAcross<RowFormat::kPremultipliedBgra32>(reinterpret_cast<const uint8_t*>(pixels), nullptr);
}

void SquareReduction::AddRow(uint32_t row, const void* pixels, RowFormat format, const uint32_t* palette) {
    if (pixels == nullptr || m_rowTaps.empty() || row < m_firstRow || row - m_firstRow >= m_rowCount) return;
    if (format == RowFormat::kIndexed8 && palette == nullptr) return;
    if (row < m_nextRow) return;
    m_nextRow = int64_t{row} + 1;

    // Across: each canvas column takes the picture columns it covers.
    const auto* bytes = static_cast<const uint8_t*>(pixels);
    switch (format) {
        case RowFormat::kPremultipliedBgra32:
            ReduceAcross<RowFormat::kPremultipliedBgra32>(bytes, nullptr);
            break;
        case RowFormat::kBgrx32:
            ReduceAcross<RowFormat::kBgrx32>(bytes, nullptr);
            break;
        case RowFormat::kBgr24:
            ReduceAcross<RowFormat::kBgr24>(bytes, nullptr);
            break;
        case RowFormat::kGray8:
            ReduceAcross<RowFormat::kGray8>(bytes, nullptr);
            break;
        case RowFormat::kBgra32:
        case RowFormat::kIndexed8: {
            m_expandedRow.resize(m_columnCount);
            for (uint32_t i = 0; i < m_columnCount; ++i) {
                if (format == RowFormat::kIndexed8) {
                    m_expandedRow[i] = palette[bytes[i]];
                } else {
                    const uint8_t* pixel = bytes + size_t{i} * 4;
                    m_expandedRow[i] = PremultipliedArgb(uint32_t{pixel[0]} | uint32_t{pixel[1]} << 8 |
                                                         uint32_t{pixel[2]} << 16 | uint32_t{pixel[3]} << 24);
                }
            }
            ReduceAcrossPremultiplied(m_expandedRow.data());
            break;
        }
    }

    // Down: the row adds to every canvas row that takes it, by its weight there.
    const uint32_t relative = row - m_firstRow;
    while (m_nextRowToOpen < m_rowTaps.size() && m_rowTaps[m_nextRowToOpen].first <= relative) {
        m_openRows.emplace_back(m_rowSums.size(), 0.0f);
        ++m_nextRowToOpen;
    }
    for (size_t index = m_firstOpenRow; index < m_nextRowToOpen; ++index) {
        const Taps& taps = m_rowTaps[index];
        if (relative < taps.first || relative - taps.first >= taps.count) continue;
        const float weight = m_rowWeights[taps.weightsAt + relative - taps.first];
        if (weight == 0.0f) continue;
        std::vector<float>& sums = m_openRows[index - m_firstOpenRow];
        const float* rowSums = m_rowSums.data();
        for (size_t i = 0; i < sums.size(); ++i) sums[i] += rowSums[i] * weight;
    }
    while (m_firstOpenRow < m_nextRowToOpen &&
           m_rowTaps[m_firstOpenRow].first + m_rowTaps[m_firstOpenRow].count <= relative + 1) {
        FinishOpenRow();
    }
}

void SquareReduction::FinishOpenRow() {
    const std::vector<float>& sums = m_openRows.front();
    // The stored-frame row turns with the canvas: its pixels land a fixed step apart.
    const int64_t y = m_visible.y + static_cast<int64_t>(m_firstOpenRow);
    const GridPoint start = ShownPoint(m_visible.x, y, m_side, m_side, m_orientation);
    const GridPoint next = ShownPoint(m_visible.x + 1, y, m_side, m_side, m_orientation);
    const int64_t stride = (next.y - start.y) * m_side + (next.x - start.x);
    int64_t target = start.y * m_side + start.x;
    for (int x = 0; x < m_visible.width; ++x, target += stride) {
        const float* pixel = sums.data() + static_cast<size_t>(x) * 4;
        const float coverage = std::clamp(pixel[3] / 255.0f, 0.0f, 1.0f);
        uint32_t result;
        if (coverage >= 1.0f) {
            result = 0xFF000000u | RoundChannel(pixel[2]) << 16 | RoundChannel(pixel[1]) << 8 | RoundChannel(pixel[0]);
        } else {
            // Source over the background, back to straight alpha.
            const float backgroundShare = m_backgroundAlpha * (1.0f - coverage);
            const float alpha = coverage + backgroundShare;
            if (alpha <= 0.0f) {
                result = m_background;
            } else {
                result = RoundChannel(alpha * 255.0f) << 24;
                for (int channel = 0; channel < 3; ++channel) {
                    const float value = (pixel[channel] + m_backgroundColour[channel] * backgroundShare) / alpha;
                    result |= RoundChannel(value) << (8 * channel);
                }
            }
        }
        m_square[static_cast<size_t>(target)] = result;
    }
    m_openRows.pop_front();
    ++m_firstOpenRow;
}

std::vector<uint32_t> SquareReduction::TakeSquare() {
    while (m_firstOpenRow < m_nextRowToOpen) FinishOpenRow();
    return std::move(m_square);
}

// The 24 curve colours, used as 12 pairs (electrode 1, electrode 2); record n takes pair n mod 12.
#pragma once

#include <QColor>
#include <array>
#include <cstdint>

constexpr std::array<uint32_t, 24> curve_palette_rgb = {
    0x2abb9b, 0x239f86, 0xf0c386, 0xf19b2b, 0xe64d43, 0xbf3a31, 0x3b99d8, 0x3081b7,
    0x9a5bb3, 0x8e48ab, 0x95a5a5, 0x7e8c8c, 0x38ca73, 0x30ad64, 0x9a8c37, 0x75691e,
    0xb05266, 0x9c3d4e, 0x54bbd4, 0x439cc7, 0xeba0a0, 0xa48e97, 0xee9361, 0xb34a41,
};
constexpr int palette_pairs = 12;

inline QColor palette_colour(int index) { return QColor(QRgb(curve_palette_rgb[size_t(index) % 24])); }
// Electrode 1 and electrode 2 colours of a palette pair (0..11).
inline QColor pair_colour_ch1(int pair) { return palette_colour(2 * (pair % palette_pairs)); }
inline QColor pair_colour_ch2(int pair) { return palette_colour(2 * (pair % palette_pairs) + 1); }
// The pair an experiment in record n takes.
inline int palette_pair_for_record(int record) { return record % palette_pairs; }

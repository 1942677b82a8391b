// The pictures of res/images, compiled into the program (generated at build time).
#pragma once

#include <cstddef>

namespace qmres
{
extern const unsigned char kApp256Png[];
extern const std::size_t kApp256PngSize;
extern const unsigned char kApp16Png[];
extern const std::size_t kApp16PngSize;
extern const unsigned char kBannerPng[];
extern const std::size_t kBannerPngSize;
extern const unsigned char kListIconPng[];
extern const std::size_t kListIconPngSize;
extern const unsigned char kAboutBackgroundPng[];
extern const std::size_t kAboutBackgroundPngSize;
} // namespace qmres

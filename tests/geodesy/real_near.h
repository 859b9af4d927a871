#pragma once

// Closeness of extended-precision values, finer than GoogleTest's NEAR
// (which rounds to double first).

#include <gtest/gtest.h>

#include <cmath>

#define ASSERT_REAL_NEAR(a, b, tolerance)                                           \
    ASSERT_LE(std::fabs(static_cast<long double>(a) - static_cast<long double>(b)), \
              static_cast<long double>(tolerance))                                  \
        << #a " vs " #b
#define EXPECT_REAL_NEAR(a, b, tolerance)                                           \
    EXPECT_LE(std::fabs(static_cast<long double>(a) - static_cast<long double>(b)), \
              static_cast<long double>(tolerance))                                  \
        << #a " vs " #b

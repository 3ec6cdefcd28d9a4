#include "CartTestSupport.h"

#include <gtest/gtest.h>

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

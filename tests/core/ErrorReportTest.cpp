#include <string>

#include <gtest/gtest.h>

#include "core/ErrorReport.h"

TEST(ErrorReport, WritesTheThreeLineFailureForm)
{
    testing::internal::CaptureStderr();
    ReportError("Unknown message sent to object", "Object", 145);
    ReportError(std::string("Could not open x"), "World", 7);
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, "Unknown message sent to object\nFailed in file: Object\nOn line: 145\n"
                       "Could not open x\nFailed in file: World\nOn line: 7\n");

    testing::internal::CaptureStderr();
    const int line = __LINE__ + 1;
    REPORT_ERROR("here");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string("here\nFailed in file: ") + __FILE__ + "\nOn line: " + std::to_string(line) + "\n");
}

#include <string>

#include <gtest/gtest.h>

#include "core/ErrorReport.h"
#include "core/SpineTrace.h"

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

TEST(SpineTrace, RecordsOnlyWhileEnabled)
{
    SpineTrace::Clear();
    SpineTrace::Record("ignored");
    EXPECT_TRUE(SpineTrace::Calls().empty());
    SpineTrace::Enable(true);
    SpineTrace::Record("Input::Update");
    SpineTrace::Record("Player::Update");
    SpineTrace::Enable(false);
    SpineTrace::Record("late");
    EXPECT_EQ(SpineTrace::Calls(), (std::vector<std::string>{"Input::Update", "Player::Update"}));
    SpineTrace::Clear();
    EXPECT_TRUE(SpineTrace::Calls().empty());
}

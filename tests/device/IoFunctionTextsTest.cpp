#include "device/core/IoFunctionTexts.h"

#include <gtest/gtest.h>

using device::K0Function;
using device::K0FunctionOf;

TEST(IoFunctionTexts, OptionOrHashes)
{
    const std::vector<std::string> options{"Start", "Stop", "Reset"};
    EXPECT_EQ(device::FunctionOptionText(options, 0), "Start");
    EXPECT_EQ(device::FunctionOptionText(options, 2), "Reset");
    EXPECT_EQ(device::FunctionOptionText(options, 3), "########");
    EXPECT_EQ(device::FunctionOptionText(options, -1), "########");
    EXPECT_EQ(device::FunctionOptionText({}, 0), "########");
    EXPECT_EQ(device::InputFunctionParameter(1), 249);
    EXPECT_EQ(device::InputFunctionParameter(6), 254);
    EXPECT_EQ(device::OutputFunctionParameter(9), 397);
}

TEST(IoFunctionTexts, K0RuleInItsOrder)
{
    std::array<std::int32_t, 400> p{};
    EXPECT_EQ(K0FunctionOf(p), K0Function::Inactief);
    p[212] = 5;
    p[201] = 2;
    EXPECT_EQ(K0FunctionOf(p), K0Function::RefFijn);
    p[200] = 2; // Hold/Reset comes first
    EXPECT_EQ(K0FunctionOf(p), K0Function::HoldReset);
    p[200] = 3;
    EXPECT_EQ(K0FunctionOf(p), K0Function::RefFijn);
    p[201] = 1;
    p[218] = 4;
    EXPECT_EQ(K0FunctionOf(p), K0Function::SSIJustage);
    p[218] = 3;
    EXPECT_EQ(K0FunctionOf(p), K0Function::Inactief);
    p[212] = 0;
    p[201] = 0;
    EXPECT_EQ(K0FunctionOf(p), K0Function::Inactief);
}

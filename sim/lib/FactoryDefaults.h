// Factory defaults of a KM4x controller: the values a fresh unit holds.
#pragma once

#include <cstdint>

namespace km4x {

constexpr int ParameterCount = 400; // parameters 0..399
constexpr int SetpointCount = 48;   // setpoints 1..48

// Factory value of parameter n (0..399); 0 for a number outside that range.
int32_t FactoryParameter(int n);

// Factory value of setpoint n (1..48); 0 for a number outside that range.
int32_t FactorySetpoint(int n);

} // namespace km4x

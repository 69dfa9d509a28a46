#pragma once

#include <array>

namespace brazzle::validator
{
/** The plug-in's own parameters as the validator needs them: the ID to find the hosted
    parameter, and the plain range and step to choose legal values and to know how far
    a text round trip may drift. */
struct ParameterSpec
{
    const char* id;
    float start, end, step;

    float normalisedStep() const noexcept { return step / (end - start); }
};

inline constexpr std::array<ParameterSpec, 11> parameterTable { {
    { "crossover:bypass", 0.0f, 1.0f, 1.0f },
    { "crossover:cutoff", 200.0f, 16000.0f, 1.0f },
    { "crossover:band", 0.0f, 1.0f, 1.0f },
    { "saturator:tone", 0.0f, 1.0f, 0.001f },
    { "saturator:type", 0.0f, 5.0f, 1.0f },
    { "saturator:drive", 0.0f, 36.0f, 0.1f },
    { "pm:composite", 0.0f, 1.0f, 0.001f },
    { "pm:spread", -4.0f, 4.0f, 0.001f },
    { "global:agc", 0.0f, 1.0f, 1.0f },
    { "global:outputGain", -24.0f, 24.0f, 0.01f },
    { "global:mix", 0.0f, 1.0f, 0.001f },
} };
} // namespace brazzle::validator

#pragma once

#include "ValidationContext.h"

namespace brazzle::validator
{
/** The parameters' text forms as a host uses them: value to text and back, and
    whatever a user may type. */
class ParameterChecks
{
public:
    explicit ParameterChecks (ValidationContext& context) : ctx (context) {}

    void run();

private:
    void checkTextRoundTrip (juce::AudioPluginInstance& plugin);
    void checkTypedText (juce::AudioPluginInstance& plugin);

    ValidationContext& ctx;
};
} // namespace brazzle::validator

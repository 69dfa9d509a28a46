#pragma once

#include "ValidationContext.h"

namespace brazzle::validator
{
/** The host's saved state: read and restored, parameters coming back, the state read
    after a restore identical to the one restored, and unusable plug-in data ignored. */
class StateChecks
{
public:
    explicit StateChecks (ValidationContext& context) : ctx (context) {}

    void run();

private:
    void checkGetAndSet (juce::AudioPluginInstance& plugin);
    void checkParametersRestored (juce::AudioPluginInstance& plugin);
    void checkUnusableChunks (juce::AudioPluginInstance& plugin);

    ValidationContext& ctx;
};
} // namespace brazzle::validator

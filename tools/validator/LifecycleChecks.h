#pragma once

#include "ValidationContext.h"

namespace brazzle::validator
{
/** What a host asks right after loading: latency and tail, the programs, and the
    editor opened and closed, also while audio runs. */
class LifecycleChecks
{
public:
    explicit LifecycleChecks (ValidationContext& context) : ctx (context) {}

    void run();

private:
    void checkLatencyAndTail (juce::AudioPluginInstance& plugin);
    void checkPrograms (juce::AudioPluginInstance& plugin);
    void checkEditor (juce::AudioPluginInstance& plugin);

    ValidationContext& ctx;
};
} // namespace brazzle::validator

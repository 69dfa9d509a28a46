#pragma once

#include "ValidationContext.h"

namespace brazzle::validator
{
/** Counts the heap allocations made on the audio thread inside the hosted plug-in's
    processBlock, after a warm-up, with parameters moving between blocks. */
class AllocationChecks
{
public:
    explicit AllocationChecks (ValidationContext& context) : ctx (context) {}

    void run();

private:
    void checkInterceptionReachesPlugin (juce::AudioPluginInstance& plugin);
    void checkProcessBlock (double sampleRate, int blockSize);

    ValidationContext& ctx;
};
} // namespace brazzle::validator

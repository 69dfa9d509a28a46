#pragma once

#include "NoiseSource.h"
#include "SignalScan.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace brazzle::validator
{
/** Plays the host's audio thread: processes noise through a prepared plug-in, block
    after block, under the plug-in's callback lock as JUCE's own players do, until
    stopped, and watches the output. */
class AudioThread : private juce::Thread
{
public:
    AudioThread (juce::AudioPluginInstance& plugin, int blockSize, juce::int64 seed);
    ~AudioThread() override;

    void start();
    void stop();

    /** Blocks processed so far; safe to read while running. */
    int getBlocksProcessed() const noexcept { return blocksProcessed.load(); }

    /** The output scan; read it after stop(). */
    const SignalScan& getScan() const noexcept { return scan; }

private:
    void run() override;

    juce::AudioPluginInstance& plugin;
    const int blockSize;
    NoiseSource noise;
    SignalScan scan;
    std::atomic<int> blocksProcessed { 0 };
};
} // namespace brazzle::validator

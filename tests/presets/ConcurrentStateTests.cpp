#include "PresetTestSupport.h"

#include <atomic>
#include <cmath>
#include <thread>

namespace
{
using namespace brazzle::test;

juce::MemoryBlock stateWith (const std::vector<Setting>& settings)
{
    BrazzleAudioProcessor source;
    apply (source, settings);
    juce::MemoryBlock state;
    source.getStateInformation (state);
    return state;
}
} // namespace

// A host may restore state from a worker thread while its audio thread runs blocks and
// its message thread moves parameters. Run under ThreadSanitizer too: nothing here may
// race, and every block stays finite.
TEST (ConcurrentState, RestoresAndParameterChangesWhileAudioRuns)
{
    BrazzleAudioProcessor processor;
    processor.setRateAndBufferSizeDetails (48000.0, 64);
    processor.prepareToPlay (48000.0, 64);

    const juce::MemoryBlock states[] = { stateWith (nonDefaultSettings), stateWith ({ { "saturator:drive", 30.0f },
                                                                                      { "saturator:type", 5.0f },
                                                                                      { "pm:composite", 1.0f } }) };

    std::atomic<bool> stop { false };
    std::atomic<int> blocks { 0 }, nonFiniteBlocks { 0 };

    std::thread audio ([&] {
        juce::AudioBuffer<float> buffer (2, 64);
        juce::MidiBuffer midi;
        juce::Random random (7);

        while (! stop.load())
        {
            for (int channel = 0; channel < 2; ++channel)
                for (int n = 0; n < 64; ++n)
                    buffer.setSample (channel, n, random.nextFloat() * 2.0f - 1.0f);

            processor.processBlock (buffer, midi);

            for (int channel = 0; channel < 2; ++channel)
                for (int n = 0; n < 64; ++n)
                    if (! std::isfinite (buffer.getSample (channel, n)))
                    {
                        ++nonFiniteBlocks;
                        channel = 2;
                        break;
                    }

            ++blocks;
        }
    });

    std::thread restorer ([&] {
        for (int i = 0; i < 200; ++i)
        {
            const auto& state = states[i % 2];
            processor.setStateInformation (state.getData(), static_cast<int> (state.getSize()));
            juce::MemoryBlock saved;
            processor.getStateInformation (saved);
        }
    });

    juce::Random random (11);
    const auto& parameters = processor.getParameters();

    for (int i = 0; i < 2000; ++i)
    {
        parameters[random.nextInt (parameters.size())]->setValueNotifyingHost (random.nextFloat());

        // The parameter tree flushes values into its state from a timer here.
        if (i % 100 == 0)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }

    restorer.join();
    stop = true;
    audio.join();

    EXPECT_GT (blocks.load(), 0);
    EXPECT_EQ (nonFiniteBlocks.load(), 0);

    for (auto* p : parameters)
        if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p))
            EXPECT_TRUE (ranged->getValue() >= 0.0f && ranged->getValue() <= 1.0f) << ranged->paramID;
}

#include "ChainTestHelpers.h"
#include "support/RealtimeGuard.h"

#include <gtest/gtest.h>

namespace
{
using brazzle::test::ProcessorFixture;
using brazzle::test::RealtimeGuard;

juce::AudioBuffer<float> noise (int channels, int length, int seed, float amplitude)
{
    juce::Random random (seed);
    juce::AudioBuffer<float> buffer (channels, length);

    for (int ch = 0; ch < channels; ++ch)
        for (int n = 0; n < length; ++n)
            buffer.setSample (ch, n, amplitude * (random.nextFloat() * 2.0f - 1.0f));

    return buffer;
}

// Runs the buffer through a fresh processor prepared for blocks of announced samples,
// handing it over in host blocks of the given length.
juce::AudioBuffer<float> render (const std::map<juce::String, float>& settings, const juce::AudioBuffer<float>& input,
                                 double rate, int announced, int hostBlock)
{
    ProcessorFixture fixture (settings);
    fixture.prepare (rate, announced);
    juce::AudioBuffer<float> output;
    output.makeCopyOf (input);
    juce::MidiBuffer midi;

    for (int start = 0; start < output.getNumSamples(); start += hostBlock)
    {
        juce::AudioBuffer<float> block (output.getArrayOfWritePointers(), output.getNumChannels(), start,
                                        juce::jmin (hostBlock, output.getNumSamples() - start));
        fixture.processor.processBlock (block, midi);
    }

    return output;
}

// A block longer than announced is processed as the host would have sent it in blocks
// of the announced size: with settings that do not change, the output is the same bit
// for bit, glides, ramps and fades included.
TEST (HostBlocks, OversizedBlockMatchesBlocksOfTheAnnouncedSize)
{
    const std::map<juce::String, float> settingsCases[] = {
        {},
        { { "saturator:drive", 24.0f }, { "saturator:tone", 0.2f }, { "pm:composite", 0.9f }, { "pm:spread", -1.5f } },
        { { "saturator:drive", 12.0f }, { "saturator:type", 4.0f }, { "global:agc", 1.0f }, { "global:mix", 0.6f } },
        { { "crossover:bypass", 1.0f }, { "saturator:drive", 30.0f }, { "saturator:tone", 0.9f }, { "global:outputGain", -6.0f } },
    };

    for (const auto& settings : settingsCases)
    {
        for (const double rate : { 44100.0, 96000.0 })
        {
            for (const int announced : { 64, 512 })
            {
                SCOPED_TRACE (juce::String (rate) + " Hz, announced " + juce::String (announced)
                              + ", " + juce::String ((int) settings.size()) + " settings");
                const auto input = noise (2, 8 * announced, 7, 0.5f);
                const auto oversized = render (settings, input, rate, announced, 2 * announced);
                const auto announcedBlocks = render (settings, input, rate, announced, announced);

                for (int ch = 0; ch < 2; ++ch)
                    for (int n = 0; n < input.getNumSamples(); ++n)
                        ASSERT_EQ (oversized.getSample (ch, n), announcedBlocks.getSample (ch, n)) << ch << ", " << n;
            }
        }
    }
}

// Every parameter jumps at every host block, half of the time to an end of its range,
// on full-scale noise. The processed signal is at most about 4 before the output gain:
// the tone filter lifts by up to 6 dB, the shaping curves stay within 1.96 and the
// pass-through is compensated to unity, and the filters' overshoot on noise takes at
// most the same again. With +24 dB of output gain (15.85) that stays below 64.
TEST (HostBlocks, RandomAutomationOfEveryParameterStaysBounded)
{
    const auto input = noise (2, 176400, 11, 1.0f);

    for (const int hostBlock : { 32, 4096 })
    {
        ProcessorFixture fixture;
        fixture.prepare (176400.0, 4096);
        const auto& parameters = fixture.processor.getParameters();
        juce::Random random (hostBlock);
        juce::AudioBuffer<float> output;
        output.makeCopyOf (input);
        juce::MidiBuffer midi;
        float peak = 0.0f;

        for (int start = 0; start + hostBlock <= output.getNumSamples(); start += hostBlock)
        {
            for (auto* parameter : parameters)
            {
                const int choice = random.nextInt (4);
                parameter->setValue (choice < 2 ? static_cast<float> (choice) : random.nextFloat());
            }

            juce::AudioBuffer<float> block (output.getArrayOfWritePointers(), 2, start, hostBlock);
            fixture.processor.processBlock (block, midi);

            for (int ch = 0; ch < 2; ++ch)
                peak = juce::jmax (peak, block.getMagnitude (ch, 0, hostBlock));
        }

        EXPECT_LT (peak, 64.0f) << "host blocks of " << hostBlock;
    }
}
} // namespace

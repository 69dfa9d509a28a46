#include "DspTestHelpers.h"
#include "dsp/SignalFollowerModulator.h"

#include <gtest/gtest.h>

using brazzle::test::makeSpec;

namespace
{
using Follower = qv::SignalFollowerModulator<float>;
using Subscription = qv::ModulationSubscription<float>;

void process (Follower& follower, const juce::AudioBuffer<float>& buffer)
{
    follower.process (juce::dsp::AudioBlock<const float> (buffer));
}

std::vector<float> followerSignal (const float* input, int numSamples, float coefficient)
{
    std::vector<float> envelope ((size_t) numSamples);
    float state = 0.0f;

    for (int n = 0; n < numSamples; ++n)
    {
        state = (state - input[n]) * coefficient + input[n];
        envelope[(size_t) n] = state;
    }

    return envelope;
}
} // namespace

TEST (SignalFollower, StepReaches099AfterTenMilliseconds)
{
    for (const double sampleRate : { 44100.0, 48000.0, 96000.0, 192000.0 })
    {
        SCOPED_TRACE (sampleRate);
        const auto steps = (int) (10.0 * sampleRate * 0.001);

        Follower follower;
        follower.prepare (makeSpec (sampleRate, steps, 2));
        EXPECT_EQ (follower.smoothingCoefficient, (float) std::exp (-4.605170185988091 / (10.0 * sampleRate * 0.001)));

        juce::AudioBuffer<float> step (2, steps);
        juce::FloatVectorOperations::fill (step.getWritePointer (0), 1.0f, steps);
        juce::FloatVectorOperations::fill (step.getWritePointer (1), 1.0f, steps);
        process (follower, step);

        const auto block = follower.getBlock();
        ASSERT_EQ (block.getNumSamples(), (size_t) steps);
        EXPECT_NEAR (std::pow ((double) follower.smoothingCoefficient, steps), 0.01, 1.0e-6);

        // The recursion rounds at every sample, which leaves it a few ulps from 0.99.
        EXPECT_NEAR (block.getSample (0, steps - 1), 0.99f, 1.0e-6f);
        EXPECT_EQ (block.getSample (1, steps - 1), block.getSample (0, steps - 1));
        EXPECT_LT (block.getSample (0, steps - 2), 0.99f);
    }
}

TEST (SignalFollower, ZeroDelayGivesTheFollowerSignalOfTheSameSample)
{
    Follower follower;
    follower.prepare (makeSpec (48000.0, 512, 2));

    juce::AudioBuffer<float> input (2, 512);
    brazzle::test::fillWithNoise (input, 4);
    process (follower, input);

    for (int channel = 0; channel < 2; ++channel)
    {
        const auto expected = followerSignal (input.getReadPointer (channel), 512, follower.smoothingCoefficient);

        for (int n = 0; n < 512; ++n)
            ASSERT_EQ (follower.getBlock().getSample (channel, n), expected[(size_t) n]) << channel << ", " << n;
    }
}

TEST (SignalFollower, DelayOfTwoAndAHalfSamplesAveragesTheSamplesTwoAndThreeBack)
{
    Follower follower;
    follower.initialDelayMs = 2.5f;
    follower.prepare (makeSpec (1000.0, 64, 1));

    juce::AudioBuffer<float> input (1, 64);
    brazzle::test::fillWithNoise (input, 6);
    process (follower, input);

    const auto envelope = followerSignal (input.getReadPointer (0), 64, follower.smoothingCoefficient);
    auto at = [&] (int n) { return n < 0 ? 0.0f : envelope[(size_t) n]; };

    for (int n = 0; n < 64; ++n)
        ASSERT_EQ (follower.getBlock().getSample (0, n), (float) (0.5 * at (n - 2) + (double) (0.5f * at (n - 3)))) << n;
}

TEST (SignalFollower, DelayBufferHoldsAHundredMillisecondsRoundedUpToAPowerOfTwo)
{
    struct Case { double sampleRate; int length; };
    const Case cases[] = { { 1000.0, 128 }, { 44100.0, 8192 }, { 48000.0, 8192 }, { 96000.0, 16384 },
                           { 176400.0, 32768 }, { 192000.0, 32768 }, { 163840.0, 16384 } };

    for (const auto& c : cases)
    {
        Follower follower;
        follower.prepare (makeSpec (c.sampleRate, 64, 2));

        ASSERT_EQ (follower.delayLines.size(), 2);

        for (auto* line : follower.delayLines)
        {
            EXPECT_EQ (line->buffer.getNumSamples(), c.length) << c.sampleRate;
            EXPECT_EQ (line->mask, c.length - 1);
        }
    }
}

TEST (SignalFollower, DelayChangeGlidesFiftyMillisecondsThenLandsExactly)
{
    Follower follower;
    follower.prepare (makeSpec (48000.0, 2400, 1));

    auto& delay = follower.delayLines[0]->delayTimeMs;
    follower.delayLines[0]->setTargetValue (1.5f);
    EXPECT_EQ (delay.getCountdown(), 2400);

    juce::AudioBuffer<float> input (1, 2399);
    input.clear();
    process (follower, input);
    EXPECT_TRUE (delay.isSmoothing());
    EXPECT_NEAR (delay.getCurrentValue(), 1.5f, 0.011f * 1.5f);

    input.setSize (1, 1);
    input.clear();
    process (follower, input);
    EXPECT_FALSE (delay.isSmoothing());
    EXPECT_EQ (delay.getCurrentValue(), 1.5f);
}

TEST (SignalFollower, DelayBeyondTheBufferIsLimitedToWhatItHolds)
{
    Follower follower;
    follower.initialDelayMs = 500.0f;
    follower.prepare (makeSpec (1000.0, 256, 1));

    juce::AudioBuffer<float> input (1, 256);
    juce::FloatVectorOperations::fill (input.getWritePointer (0), 1.0f, 256);
    process (follower, input);

    const auto block = follower.getBlock();

    for (int n = 0; n < 256; ++n)
    {
        ASSERT_TRUE (std::isfinite (block.getSample (0, n)));
        ASSERT_EQ (block.getSample (0, n) == 0.0f, n < 126) << n;
    }
}

TEST (SignalFollower, RePrepareKeepsEnvelopesOnlyForTheSameChannelCount)
{
    Follower follower;
    follower.prepare (makeSpec (48000.0, 128, 2));

    juce::AudioBuffer<float> input (2, 128);
    juce::FloatVectorOperations::fill (input.getWritePointer (0), 0.5f, 128);
    juce::FloatVectorOperations::fill (input.getWritePointer (1), 0.5f, 128);
    process (follower, input);
    const auto reached = follower.envelopes[0];
    ASSERT_GT (reached, 0.0f);

    follower.prepare (makeSpec (96000.0, 128, 2));
    EXPECT_EQ (follower.envelopes[0], reached);

    follower.prepare (makeSpec (96000.0, 128, 1));
    ASSERT_EQ (follower.envelopes.size(), 1u);
    EXPECT_EQ (follower.envelopes[0], 0.0f);
    EXPECT_EQ (follower.delayLines.size(), 2);
}

TEST (SignalFollower, BlockLongerThanPreparedIsFollowedAsFarAsTheBufferReaches)
{
    Follower follower;
    follower.prepare (makeSpec (48000.0, 64, 2));

    juce::AudioBuffer<float> input (2, 1000);
    brazzle::test::fillWithNoise (input, 8);
    process (follower, input);

    EXPECT_EQ (follower.getBlock().getNumSamples(), 64u);
    EXPECT_EQ (follower.getBlock().getNumChannels(), 2u);
}

TEST (ModulationSubscription, SubscribersReceiveBlocksAndLeaveOnDestruction)
{
    Follower follower;
    auto first = std::make_unique<Subscription> ("@mod/SignalFollower", &follower);
    Subscription second ("@mod/SignalFollower", &follower);

    EXPECT_EQ (follower.subscriptions.size(), 2);
    EXPECT_TRUE (first->block.getNumSamples() == 0);
    EXPECT_EQ (second.sourceId, "@mod/SignalFollower");

    follower.prepare (makeSpec (48000.0, 32, 2));
    juce::AudioBuffer<float> input (2, 32);
    brazzle::test::fillWithNoise (input, 10);
    process (follower, input);

    EXPECT_EQ (first->block.getChannelPointer (0), follower.outputBuffer.getReadPointer (0));
    EXPECT_EQ (second.block.getNumSamples(), 32u);

    first.reset();
    EXPECT_EQ (follower.subscriptions.size(), 1);
    EXPECT_EQ (follower.subscriptions[0], &second);

    input.setSize (2, 16, true);
    process (follower, input);
    EXPECT_EQ (second.block.getNumSamples(), 16u);
}

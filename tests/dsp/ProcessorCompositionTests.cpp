#include "DspTestHelpers.h"
#include "dsp/ProcessorParallel.h"
#include "dsp/ProcessorSeries.h"

#include <gtest/gtest.h>

namespace
{
/** y = x * Multiply + Add, and a record of how it was called. */
template <int Multiply, int Add>
struct Affine
{
    void prepare (const juce::dsp::ProcessSpec& spec)
    {
        preparedSpec = spec;
        ++prepareCount;
    }

    template <typename ProcessContext>
    void process (const ProcessContext& context) noexcept
    {
        const auto& input = context.getInputBlock();
        const auto& output = context.getOutputBlock();
        sawSeparateBlocks = ProcessContext::usesSeparateInputAndOutputBlocks();
        sawBypassed = context.isBypassed;
        lastNumSamples = output.getNumSamples();

        for (size_t channel = 0; channel < output.getNumChannels(); ++channel)
            for (size_t n = 0; n < output.getNumSamples(); ++n)
                output.getChannelPointer (channel)[n] = input.getChannelPointer (channel)[n] * (float) Multiply + (float) Add;
    }

    juce::dsp::ProcessSpec preparedSpec {};
    int prepareCount = 0;
    bool sawSeparateBlocks = false, sawBypassed = false;
    size_t lastNumSamples = 0;
};

juce::AudioBuffer<float> makeRamp (int numChannels, int numSamples)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);

    for (int channel = 0; channel < numChannels; ++channel)
        for (int n = 0; n < numSamples; ++n)
            buffer.setSample (channel, n, (float) (n + 1000 * channel));

    return buffer;
}
} // namespace

TEST (ProcessorSeries, RunsMembersInOrderAndPreparesEach)
{
    qv::ProcessorSeries<float, Affine<1, 1>, Affine<3, 0>, Affine<1, 2>> series;
    const auto spec = brazzle::test::makeSpec (48000.0, 64, 2);
    series.prepare (spec);

    EXPECT_EQ (series.get<0>().prepareCount, 1);
    EXPECT_EQ (series.get<2>().preparedSpec, spec);

    auto buffer = makeRamp (2, 64);
    juce::dsp::AudioBlock<float> block (buffer);
    series.process (juce::dsp::ProcessContextReplacing<float> (block));

    for (int channel = 0; channel < 2; ++channel)
        for (int n = 0; n < 64; ++n)
            ASSERT_EQ (buffer.getSample (channel, n), ((float) (n + 1000 * channel) + 1.0f) * 3.0f + 2.0f);
}

TEST (ProcessorSeries, NonReplacingContextLeavesInputUntouched)
{
    qv::ProcessorSeries<float, Affine<2, 0>, Affine<1, 5>> series;
    series.prepare (brazzle::test::makeSpec (48000.0, 32, 2));

    const auto input = makeRamp (2, 32);
    juce::AudioBuffer<float> output (2, 32);
    output.clear();

    juce::dsp::AudioBlock<const float> inBlock (input);
    juce::dsp::AudioBlock<float> outBlock (output);
    juce::dsp::ProcessContextNonReplacing<float> context (inBlock, outBlock);
    context.isBypassed = true;
    series.process (context);

    EXPECT_TRUE (series.get<0>().sawSeparateBlocks);
    EXPECT_TRUE (series.get<0>().sawBypassed);
    EXPECT_FALSE (series.get<1>().sawSeparateBlocks);
    EXPECT_FALSE (series.get<1>().sawBypassed);

    for (int channel = 0; channel < 2; ++channel)
        for (int n = 0; n < 32; ++n)
        {
            ASSERT_EQ (input.getSample (channel, n), (float) (n + 1000 * channel));
            ASSERT_EQ (output.getSample (channel, n), (float) (n + 1000 * channel) * 2.0f + 5.0f);
        }
}

TEST (ProcessorSeries, Nests)
{
    qv::ProcessorSeries<float, qv::ProcessorSeries<float, Affine<2, 0>, Affine<1, 1>>, Affine<10, 0>> series;
    series.prepare (brazzle::test::makeSpec (48000.0, 8, 1));
    EXPECT_EQ (series.get<0>().get<1>().prepareCount, 1);

    auto buffer = makeRamp (1, 8);
    juce::dsp::AudioBlock<float> block (buffer);
    series.process (juce::dsp::ProcessContextReplacing<float> (block));

    for (int n = 0; n < 8; ++n)
        EXPECT_EQ (buffer.getSample (0, n), ((float) n * 2.0f + 1.0f) * 10.0f);
}

//==============================================================================
TEST (ProcessorParallel, WritesEachMembersResultIntoItsOwnSlice)
{
    qv::ProcessorParallel<float, Affine<1, 1>, Affine<2, 0>, Affine<0, 7>, Affine<-1, 0>> parallel;
    parallel.prepare (brazzle::test::makeSpec (48000.0, 64, 2));

    EXPECT_EQ (parallel.getBuffer().getNumChannels(), 8);
    EXPECT_EQ (parallel.getBuffer().getNumSamples(), 64);

    auto buffer = makeRamp (2, 40);
    const auto original = buffer;
    juce::dsp::AudioBlock<float> block (buffer);
    parallel.process (juce::dsp::ProcessContextReplacing<float> (block));

    EXPECT_TRUE (parallel.get<0>().sawSeparateBlocks);

    const std::function<float (float)> expected[] = {
        [] (float x) { return x + 1.0f; },
        [] (float x) { return x * 2.0f; },
        [] (float)   { return 7.0f; },
        [] (float x) { return -x; },
    };

    for (size_t member = 0; member < 4; ++member)
    {
        const auto slice = parallel.getSlice (member);
        ASSERT_EQ (slice.getNumChannels(), 2u);
        ASSERT_EQ (slice.getNumSamples(), 40u);
        EXPECT_EQ (slice.getChannelPointer (0), parallel.getBuffer().getReadPointer ((int) (2 * member)));

        for (size_t channel = 0; channel < 2; ++channel)
            for (size_t n = 0; n < 40; ++n)
                ASSERT_EQ (slice.getSample ((int) channel, (int) n), expected[member] (original.getSample ((int) channel, (int) n)));
    }

    for (int channel = 0; channel < 2; ++channel)
        for (int n = 0; n < 40; ++n)
            ASSERT_EQ (buffer.getSample (channel, n), original.getSample (channel, n));
}

TEST (ProcessorParallel, BlockLongerThanPreparedIsCutToTheBuffer)
{
    qv::ProcessorParallel<float, Affine<1, 1>, Affine<2, 0>> parallel;
    parallel.prepare (brazzle::test::makeSpec (48000.0, 16, 1));

    auto buffer = makeRamp (1, 100);
    juce::dsp::AudioBlock<float> block (buffer);
    parallel.process (juce::dsp::ProcessContextReplacing<float> (block));

    EXPECT_EQ (parallel.get<0>().lastNumSamples, 16u);
    EXPECT_EQ (parallel.getSlice (1).getNumSamples(), 16u);
    EXPECT_EQ (parallel.getSlice (1).getSample (0, 15), 30.0f);
    EXPECT_EQ (buffer.getSample (0, 99), 99.0f);
}

#include "DspTestHelpers.h"
#include "dsp/DCBlocker.h"
#include "dsp/FirstOrderAllpassCascade.h"
#include "dsp/LinkwitzRileyFilters.h"
#include "dsp/ProcessorParallel.h"
#include "dsp/ProcessorSeries.h"
#include "dsp/Saturator.h"
#include "dsp/SignalFollowerModulator.h"
#include "dsp/ToneFilter.h"
#include "support/RealtimeGuard.h"

#include <gtest/gtest.h>

namespace
{
using SaturatorStage = qv::ProcessorSeries<float, qv::ToneFilter<float>, qv::Saturator<float>, qv::DCBlocker<float>>;
using PhaseStage = qv::ProcessorSeries<float, qv::FirstOrderAllpassCascade<float>, qv::DCBlocker<float>>;
using ShapingPath = qv::ProcessorSeries<float, SaturatorStage, PhaseStage>;
using Crossover = qv::ProcessorParallel<float, qv::LinkwitzRileyLowpass<float>, qv::LinkwitzRileyHighpass<float>,
                                        juce::dsp::Gain<float>, juce::dsp::Gain<float>>;

/** Every block of the library wired the way the plug-in's chain wires it. */
struct Chain
{
    Chain()
    {
        for (auto* path : { &low, &high, &full })
            cascade (*path).subscriptions.add (new qv::ModulationSubscription<float> ("@mod/SignalFollower", &follower));
    }

    static qv::FirstOrderAllpassCascade<float>& cascade (ShapingPath& path)  { return path.get<1>().get<0>(); }

    void prepare (const juce::dsp::ProcessSpec& spec)
    {
        follower.prepare (spec);

        for (auto* path : { &low, &high, &full })
            path->prepare (spec);

        crossover.prepare (spec);
        wet.reset (spec.sampleRate);
    }

    void setParameters (int blockIndex)
    {
        const auto phase = (float) blockIndex * 0.37f;
        crossover.get<0>().setCutoff (200.0f + 1800.0f * (0.5f + 0.5f * std::sin (phase)));
        crossover.get<1>().setCutoff (200.0f + 1800.0f * (0.5f + 0.5f * std::sin (phase)));

        for (auto* path : { &low, &high, &full })
        {
            path->get<0>().get<0>().setTone (0.5f + 0.5f * std::sin (phase * 1.3f));
            path->get<0>().get<1>().setState ({ 1.0f + 7.0f * (0.5f + 0.5f * std::cos (phase)), 0.1f * std::sin (phase), (blockIndex / 7) % 6 });
            cascade (*path).amount.setTargetValue (6.0f * (0.5f + 0.5f * std::sin (phase * 0.7f)));
        }

        follower.delayLines[0]->setTargetValue (2.0f + std::sin (phase));
        follower.delayLines[1]->setTargetValue (2.0f - std::sin (phase));
        wet.setTargetValue (0.5f + 0.5f * std::cos (phase));
    }

    void process (juce::dsp::AudioBlock<float>& block)
    {
        follower.process (block);

        juce::dsp::ProcessContextReplacing<float> context (block);
        crossover.process (context);

        for (auto [path, slice] : { std::pair { &low, 0 }, std::pair { &high, 1 } })
        {
            auto band = crossover.getSlice ((size_t) slice);
            path->process (juce::dsp::ProcessContextReplacing<float> (band));
        }

        full.process (context);
        wet.applyGain (block);
    }

    qv::SignalFollowerModulator<float> follower;
    ShapingPath low, high, full;
    Crossover crossover;
    qv::PoleSmoothedValue<float> wet { 8.0f, 1.0f };
};

const float* coefficientStorage (const juce::dsp::IIR::Coefficients<float>& c)  { return c.coefficients.begin(); }
} // namespace

TEST (Realtime, ProcessingWithMovingParametersNeitherAllocatesNorLocks)
{
    if (! brazzle::test::RealtimeGuard::isAvailable())
        GTEST_SKIP() << "allocation counting is not compiled into this build";

    constexpr int blockSize = 512;
    auto chain = std::make_unique<Chain>();
    chain->prepare (brazzle::test::makeSpec (192000.0, blockSize, 2));
    chain->setParameters (0);

    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::Random random (1);

    const auto* lowStorage = coefficientStorage (chain->crossover.get<0>().getSectionCoefficients (0));
    const auto* toneStorage = coefficientStorage (*chain->low.get<0>().get<0>().bands[1]->channels[0]->coefficients);

    size_t allocations = 0, locks = 0;

    {
        brazzle::test::RealtimeGuard guard;

        for (int blockIndex = 0; blockIndex < 600; ++blockIndex)
        {
            chain->setParameters (blockIndex);

            for (int channel = 0; channel < 2; ++channel)
                for (int n = 0; n < blockSize; ++n)
                    buffer.setSample (channel, n, 0.8f * (2.0f * random.nextFloat() - 1.0f));

            // Hosts hand over shorter blocks too.
            juce::dsp::AudioBlock<float> block (buffer);
            auto part = block.getSubBlock (0, (size_t) (blockIndex % 3 == 0 ? blockSize : 97 + blockIndex % 200));
            chain->process (part);
        }

        allocations = guard.allocations();
        locks = guard.locks();
    }

    EXPECT_EQ (allocations, 0u);
    EXPECT_EQ (locks, 0u);

    // Coefficient arrays grow through malloc, which the guard does not see.
    EXPECT_EQ (coefficientStorage (chain->crossover.get<0>().getSectionCoefficients (0)), lowStorage);
    EXPECT_EQ (coefficientStorage (*chain->low.get<0>().get<0>().bands[1]->channels[0]->coefficients), toneStorage);

    for (int channel = 0; channel < 2; ++channel)
        for (int n = 0; n < blockSize; ++n)
            ASSERT_TRUE (std::isfinite (buffer.getSample (channel, n)));
}

// Each block of the DSP library at the highest oversampled rate, stereo. The
// "per_sample_channel" counter is the time for one sample of one channel.

#include "dsp/FirstOrderAllpassCascade.h"
#include "dsp/LinkwitzRileyFilters.h"
#include "dsp/ProcessorParallel.h"
#include "dsp/Saturator.h"
#include "dsp/SignalFollowerModulator.h"
#include "dsp/ToneFilter.h"

#include <benchmark/benchmark.h>

namespace
{
constexpr double sampleRate = 192000.0;
constexpr int numChannels = 2;
constexpr int blockSize = 512;

const juce::dsp::ProcessSpec spec { sampleRate, (juce::uint32) blockSize, (juce::uint32) numChannels };

juce::AudioBuffer<float> makeNoise (int seed)
{
    juce::AudioBuffer<float> buffer (numChannels, blockSize);
    juce::Random random (seed);

    for (int channel = 0; channel < numChannels; ++channel)
        for (int n = 0; n < blockSize; ++n)
            buffer.setSample (channel, n, 0.5f * (2.0f * random.nextFloat() - 1.0f));

    return buffer;
}

void setPerSampleCounter (benchmark::State& state)
{
    state.counters["per_sample_channel"] = benchmark::Counter ((double) blockSize * numChannels,
                                                               benchmark::Counter::kIsIterationInvariantRate
                                                                   | benchmark::Counter::kInvert);
}

struct FixedSource  : qv::ModulationSource<float>
{
    juce::dsp::AudioBlock<float> getBlock() override  { return juce::dsp::AudioBlock<float> (buffer); }
    juce::AudioBuffer<float> buffer = makeNoise (3);
};

//==============================================================================
void allpassCascade (benchmark::State& state)
{
    FixedSource source;
    qv::FirstOrderAllpassCascade<float> cascade;
    cascade.subscriptions.add (new qv::ModulationSubscription<float> ("@mod/SignalFollower", &source));
    cascade.prepare (spec);
    cascade.subscriptions[0]->block = source.getBlock();

    auto buffer = makeNoise (1);
    juce::dsp::AudioBlock<float> block (buffer);
    float amount = 0.0f;

    for (auto _ : state)
    {
        amount = amount > 5.0f ? 0.0f : amount + 0.25f;
        cascade.amount.setTargetValue (amount);
        cascade.process (juce::dsp::ProcessContextReplacing<float> (block));
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    setPerSampleCounter (state);
    cascade.subscriptions.clear();
}

void toneFilter (benchmark::State& state)
{
    const auto gliding = state.range (0) != 0;
    qv::ToneFilter<float> tone;
    tone.prepare (spec);
    tone.setTone (0.3f);

    auto buffer = makeNoise (2);
    juce::dsp::AudioBlock<float> block (buffer);
    float value = 0.0f;

    for (auto _ : state)
    {
        if (gliding)
            value = value > 0.95f ? 0.0f : value + 0.05f;

        tone.setTone (gliding ? value : 0.3f);
        tone.process (juce::dsp::ProcessContextReplacing<float> (block));
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    state.SetLabel (gliding ? "gliding" : "settled");
    setPerSampleCounter (state);
}

void saturator (benchmark::State& state)
{
    const auto curve = (int) state.range (0);
    qv::Saturator<float> saturator;
    saturator.prepare (spec);
    saturator.setState ({ 4.0f, 0.0f, curve });
    saturator.prepare (spec);

    const auto input = makeNoise (4);
    auto buffer = input;
    juce::dsp::AudioBlock<float> block (buffer);

    for (auto _ : state)
    {
        saturator.setState ({ 4.0f, 0.0f, curve });
        buffer.makeCopyOf (input, true);
        saturator.process (juce::dsp::ProcessContextReplacing<float> (block));
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    static const char* const names[] = { "identity", "tape", "tube", "crossover", "log", "sine fold-back" };
    state.SetLabel (names[curve]);
    setPerSampleCounter (state);
}

void crossover (benchmark::State& state)
{
    qv::ProcessorParallel<float, qv::LinkwitzRileyLowpass<float>, qv::LinkwitzRileyHighpass<float>,
                          juce::dsp::Gain<float>, juce::dsp::Gain<float>> parallel;
    parallel.prepare (spec);

    auto buffer = makeNoise (5);
    juce::dsp::AudioBlock<float> block (buffer);

    for (auto _ : state)
    {
        parallel.get<0>().setCutoff (1800.0f);
        parallel.get<1>().setCutoff (1800.0f);
        parallel.process (juce::dsp::ProcessContextReplacing<float> (block));
        benchmark::DoNotOptimize (parallel.getBuffer().getReadPointer (0));
    }

    setPerSampleCounter (state);
}

void follower (benchmark::State& state)
{
    qv::SignalFollowerModulator<float> follower;
    follower.prepare (spec);
    follower.delayLines[0]->setTargetValue (1.0f);
    follower.delayLines[1]->setTargetValue (3.0f);

    const auto buffer = makeNoise (6);
    const juce::dsp::AudioBlock<const float> block (buffer);

    for (auto _ : state)
    {
        follower.process (block);
        benchmark::DoNotOptimize (follower.getBlock().getChannelPointer (0));
    }

    setPerSampleCounter (state);
}
} // namespace

BENCHMARK (allpassCascade);
BENCHMARK (toneFilter)->Arg (0)->Arg (1);
BENCHMARK (saturator)->DenseRange (0, 5);
BENCHMARK (crossover);
BENCHMARK (follower);

BENCHMARK_MAIN();

// The cost of blocks of silence that follow a loud passage, against blocks during a
// loud passage, at 48 kHz with every stage active. While the filters' and follower's
// history decays after the passage, numbers too small for the normal range would make
// every operation on them many times slower if they were not flushed to zero; the
// silence must cost no more than the loud passage. Compare "per_block" of the two.

#include "BrazzleAudioProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
constexpr double rate = 48000.0;

// Long enough for the slowest history, the 5 Hz DC blockers', to decay well below the
// smallest normal number.
constexpr double passageSeconds = 3.0;

void activateEverything (BrazzleAudioProcessor& processor)
{
    const std::pair<const char*, float> settings[] = {
        { "saturator:drive", 36.0f }, { "saturator:type", 2.0f }, { "pm:composite", 1.0f }, { "pm:spread", 2.0f },
        { "global:agc", 1.0f },      { "global:mix", 0.5f },      { "saturator:tone", 0.3f },
    };

    for (const auto& [id, value] : settings)
    {
        auto* parameter = processor.getParameterTree().getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
    }
}

juce::AudioBuffer<float> loudPassage (int length)
{
    juce::AudioBuffer<float> passage (2, length);
    juce::Random random (3);

    for (int ch = 0; ch < 2; ++ch)
        for (int n = 0; n < length; ++n)
            passage.setSample (ch, n, 0.9f * (random.nextFloat() * 2.0f - 1.0f));

    return passage;
}

/** Feeds the passage through the processor block by block, as a host would copy its
    input into the buffer it hands over. */
void play (BrazzleAudioProcessor& processor, const juce::AudioBuffer<float>& passage, juce::AudioBuffer<float>& buffer)
{
    juce::MidiBuffer midi;
    const int blockSize = buffer.getNumSamples();

    for (int start = 0; start + blockSize <= passage.getNumSamples(); start += blockSize)
    {
        for (int ch = 0; ch < 2; ++ch)
            buffer.copyFrom (ch, 0, passage, ch, start, blockSize);

        processor.processBlock (buffer, midi);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }
}

void silenceBenchmark (benchmark::State& state)
{
    const int blockSize = static_cast<int> (state.range (0));
    const bool silence = state.range (1) != 0;
    const int length = static_cast<int> (passageSeconds * rate) / blockSize * blockSize;

    juce::ScopedJuceInitialiser_GUI juce;
    BrazzleAudioProcessor processor;
    activateEverything (processor);
    processor.prepareToPlay (rate, blockSize);

    const auto loud = loudPassage (length);
    juce::AudioBuffer<float> quiet (2, length);
    quiet.clear();
    juce::AudioBuffer<float> buffer (2, blockSize);

    play (processor, loud, buffer);

    for (auto _ : state)
    {
        if (silence)
        {
            state.PauseTiming();
            play (processor, loud, buffer);
            state.ResumeTiming();
        }

        play (processor, silence ? quiet : loud, buffer);
    }

    const auto blocks = static_cast<double> (state.iterations()) * (length / blockSize);
    state.SetLabel (silence ? "silence after loud" : "loud");
    state.counters["per_block"] = benchmark::Counter (blocks, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
} // namespace

BENCHMARK (silenceBenchmark)
    ->ArgNames ({ "block", "silence" })
    ->ArgsProduct ({ { 64, 512 }, { 0, 1 } })
    ->Unit (benchmark::kMillisecond);

BENCHMARK_MAIN();

// The whole plug-in's processBlock as a host drives it: stereo, at common rates and
// block sizes, with the default settings and with everything active. The counter
// "realtime" is audio seconds processed per CPU second of the benchmark's thread.

#include "BrazzleAudioProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
void configure (BrazzleAudioProcessor& processor, bool everythingActive)
{
    if (! everythingActive)
        return;

    const std::pair<const char*, const char*> settings[] = {
        { "pm:composite", "1" },   { "pm:spread", "R2ms" },      { "saturator:drive", "36" },
        { "saturator:type", "Tube" }, { "crossover:bypass", "1" }, { "global:agc", "1" },
    };

    for (const auto& [id, text] : settings)
    {
        auto* parameter = processor.getParameterTree().getParameter (id);
        parameter->setValueNotifyingHost (parameter->getValueForText (text));
    }
}

void processBlockBenchmark (benchmark::State& state)
{
    const double rate = static_cast<double> (state.range (0));
    const int blockSize = static_cast<int> (state.range (1));
    const bool everythingActive = state.range (2) != 0;

    juce::ScopedJuceInitialiser_GUI juce;
    BrazzleAudioProcessor processor;
    configure (processor, everythingActive);
    processor.prepareToPlay (rate, blockSize);

    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::Random random (1);
    juce::MidiBuffer midi;

    // Let the fades and glides that follow the settings finish before timing.
    for (int i = 0; i < static_cast<int> (rate * 0.2) / blockSize; ++i)
        processor.processBlock (buffer, midi);

    for (auto _ : state)
    {
        state.PauseTiming();
        for (int ch = 0; ch < 2; ++ch)
            for (int n = 0; n < blockSize; ++n)
                buffer.setSample (ch, n, 0.5f * (random.nextFloat() * 2.0f - 1.0f));
        state.ResumeTiming();

        processor.processBlock (buffer, midi);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    state.SetLabel (everythingActive ? "everything active" : "default settings");
    state.counters["realtime"] = benchmark::Counter (static_cast<double> (state.iterations()) * blockSize / rate,
                                                     benchmark::Counter::kIsRate);
}
} // namespace

BENCHMARK (processBlockBenchmark)
    ->ArgNames ({ "rate", "block", "active" })
    ->ArgsProduct ({ { 44100, 48000, 96000 }, { 64, 512 }, { 0, 1 } })
    ->Unit (benchmark::kMicrosecond);

BENCHMARK_MAIN();

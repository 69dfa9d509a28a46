// Processes a fixed number of stereo frames at 48 kHz in 512-sample blocks with
// everything active, for instruction counting under callgrind:
//   valgrind --tool=callgrind brazzle-process-frames 48000
// Two runs of different lengths give the cost per frame without the set-up.

#include "BrazzleAudioProcessor.h"

#include <cstdlib>

int main (int argc, char* argv[])
{
    const int frames = argc > 1 ? std::atoi (argv[1]) : 48000;
    constexpr int blockSize = 512;

    juce::ScopedJuceInitialiser_GUI juce;
    BrazzleAudioProcessor processor;

    const std::pair<const char*, float> settings[] = {
        { "pm:composite", 1.0f }, { "pm:spread", 2.0f },       { "saturator:drive", 36.0f },
        { "saturator:type", 2.0f }, { "crossover:bypass", 1.0f }, { "global:agc", 1.0f },
    };

    for (const auto& [id, value] : settings)
    {
        auto* parameter = processor.getParameterTree().getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
    }

    processor.prepareToPlay (48000.0, blockSize);
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;
    juce::Random random (1);

    for (int done = 0; done < frames; done += blockSize)
    {
        for (int ch = 0; ch < 2; ++ch)
            for (int n = 0; n < blockSize; ++n)
                buffer.setSample (ch, n, 0.5f * (random.nextFloat() * 2.0f - 1.0f));

        processor.processBlock (buffer, midi);
    }

    return 0;
}

#pragma once

#include "BrazzleAudioProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <cmath>
#include <map>

namespace brazzle::test
{
/** A processor with parameters set from plain values, run over generated signals. */
class ProcessorFixture
{
public:
    explicit ProcessorFixture (const std::map<juce::String, float>& plainValues = {}, bool mono = false)
    {
        if (mono)
        {
            juce::AudioProcessor::BusesLayout layout;
            layout.inputBuses.add (juce::AudioChannelSet::mono());
            layout.outputBuses.add (juce::AudioChannelSet::mono());
            processor.setBusesLayout (layout);
        }

        for (const auto& [id, value] : plainValues)
            set (id, value);
    }

    void set (const juce::String& id, float plainValue)
    {
        auto* parameter = processor.getParameterTree().getParameter (id);
        jassert (parameter != nullptr);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (plainValue));
    }

    void prepare (double rate, int blockSize)
    {
        sampleRate = rate;
        maximumBlockSize = blockSize;
        processor.prepareToPlay (rate, blockSize);
    }

    /** Processes the buffer in place in blocks of the prepared size. */
    void process (juce::AudioBuffer<float>& buffer)
    {
        juce::MidiBuffer midi;

        for (int start = 0; start < buffer.getNumSamples(); start += maximumBlockSize)
        {
            const int length = juce::jmin (maximumBlockSize, buffer.getNumSamples() - start);
            juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), start, length);
            processor.processBlock (block, midi);
        }
    }

    BrazzleAudioProcessor processor;
    double sampleRate = 0.0;
    int maximumBlockSize = 0;
};

inline juce::AudioBuffer<float> sine (int channels, int length, double frequency, double sampleRate, float amplitude = 0.5f)
{
    juce::AudioBuffer<float> buffer (channels, length);

    for (int ch = 0; ch < channels; ++ch)
        for (int n = 0; n < length; ++n)
            buffer.setSample (ch, n, amplitude * static_cast<float> (std::sin (juce::MathConstants<double>::twoPi
                                                                                 * frequency * n / sampleRate)));

    return buffer;
}

inline float rms (const juce::AudioBuffer<float>& buffer, int channel, int start)
{
    return buffer.getRMSLevel (channel, start, buffer.getNumSamples() - start);
}
} // namespace brazzle::test

#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>

namespace brazzle::tools
{
/** Runs a whole buffer through a prepared processor in blocks of a fixed size, as a
    host would. With latency compensation the processor's reported latency is trimmed
    from the start and flushed at the end, so the output lines up sample for sample
    with the input. */
struct OfflineRenderer
{
    int blockSize = 512;
    bool compensateLatency = true;

    /** Called now and then with the fraction done. */
    std::function<void (double)> onProgress;

    juce::AudioBuffer<float> render (juce::AudioProcessor& processor, const juce::AudioBuffer<float>& input) const
    {
        jassert (blockSize > 0);

        const int channels = input.getNumChannels();
        const int length = input.getNumSamples();
        const int latency = compensateLatency ? juce::jmax (0, processor.getLatencySamples()) : 0;
        const int total = length + latency;

        juce::AudioBuffer<float> output (channels, length);
        juce::AudioBuffer<float> block (juce::jmax (channels, processor.getTotalNumOutputChannels()), blockSize);
        juce::MidiBuffer midi;

        for (int start = 0; start < total; start += blockSize)
        {
            const int count = juce::jmin (blockSize, total - start);
            block.setSize (block.getNumChannels(), count, false, false, true);
            block.clear();

            for (int ch = 0; ch < channels; ++ch)
                if (start < length)
                    block.copyFrom (ch, 0, input, ch, start, juce::jmin (count, length - start));

            processor.processBlock (block, midi);
            midi.clear();

            // Output sample n of the block belongs to input sample start + n - latency.
            const int first = juce::jmax (0, latency - start);
            const int destination = start + first - latency;
            const int usable = juce::jmin (count - first, length - destination);

            if (usable > 0)
                for (int ch = 0; ch < channels; ++ch)
                    output.copyFrom (ch, destination, block, ch, first, usable);

            if (onProgress != nullptr)
                onProgress (static_cast<double> (start + count) / total);
        }

        return output;
    }
};
} // namespace brazzle::tools

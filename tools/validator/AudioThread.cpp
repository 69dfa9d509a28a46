#include "AudioThread.h"

namespace brazzle::validator
{
AudioThread::AudioThread (juce::AudioPluginInstance& pluginIn, int blockSizeIn, juce::int64 seed)
    : juce::Thread ("validator audio"), plugin (pluginIn), blockSize (blockSizeIn), noise (seed)
{
    jassert (blockSize > 0);
}

AudioThread::~AudioThread()
{
    stop();
}

void AudioThread::start()
{
    startThread (juce::Thread::Priority::high);
}

void AudioThread::stop()
{
    stopThread (10000);
}

void AudioThread::run()
{
    const int inputs = plugin.getTotalNumInputChannels();
    const int outputs = plugin.getTotalNumOutputChannels();
    juce::AudioBuffer<float> buffer (juce::jmax (inputs, outputs, 1), blockSize);
    juce::MidiBuffer midi;

    while (! threadShouldExit())
    {
        buffer.clear();
        noise.fill (buffer, inputs, 0, blockSize);

        {
            const juce::ScopedLock lock (plugin.getCallbackLock());
            plugin.processBlock (buffer, midi);
        }

        scan.scan (buffer, outputs, 0, blockSize);
        ++blocksProcessed;

        // A real audio thread waits for the device between blocks; this keeps the
        // thread from starving the message thread on a small machine.
        wait (1);
    }
}
} // namespace brazzle::validator

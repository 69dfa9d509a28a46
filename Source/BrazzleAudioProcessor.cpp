#include "BrazzleAudioProcessor.h"

#include "PluginParameters.h"

BrazzleAudioProcessor::BrazzleAudioProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      parameters (*this, nullptr)
{
    PluginParameters::attachParameters (parameters);
    parameters.state = juce::ValueTree (stateType);
    parameters.state.setProperty ("version", versionString, nullptr);
}

BrazzleAudioProcessor::~BrazzleAudioProcessor()
{
    oversampling.reset();
}

int BrazzleAudioProcessor::oversamplingOrderFor (double sampleRate) noexcept
{
    if (sampleRate < 50000.0)
        return 2;

    return sampleRate < 100000.0 ? 1 : 0;
}

void BrazzleAudioProcessor::prepareToPlay (double sampleRate, int maximumBlockSize)
{
    const int channels = juce::jmin (getMainBusNumInputChannels(), getMainBusNumOutputChannels());
    const int order = oversamplingOrderFor (sampleRate);

    // Refused layouts never get this far, but a host may prepare before it settles
    // its layout; the oversampler needs at least one channel and one sample.
    preparedChannels = juce::jmax (1, channels);
    preparedBlockSize = juce::jmax (1, maximumBlockSize);

    oversampling = std::make_unique<juce::dsp::Oversampling<float>> (
        static_cast<size_t> (preparedChannels),
        static_cast<size_t> (order),
        juce::dsp::Oversampling<float>::filterHalfBandPolyphaseIIR,
        false);
    oversampling->initProcessing (static_cast<size_t> (preparedBlockSize));

    const auto factor = static_cast<juce::uint32> (1 << order);
    chainSpec = { sampleRate * factor,
                  static_cast<juce::uint32> (preparedBlockSize) * factor,
                  static_cast<juce::uint32> (preparedChannels) };

    setLatencySamples (static_cast<int> (oversampling->getLatencyInSamples()));
}

void BrazzleAudioProcessor::releaseResources()
{
}

bool BrazzleAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto output = layouts.getMainOutputChannelSet();

    if (output != juce::AudioChannelSet::mono() && output != juce::AudioChannelSet::stereo())
        return false;

    return layouts.getMainInputChannelSet() == output;
}

bool BrazzleAudioProcessor::canApplyBusesLayout (const BusesLayout& layouts) const
{
    return isBusesLayoutSupported (layouts);
}

bool BrazzleAudioProcessor::canAddBus (bool) const
{
    return false;
}

bool BrazzleAudioProcessor::canRemoveBus (bool) const
{
    return false;
}

void BrazzleAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;

    const int numSamples = buffer.getNumSamples();
    const int bufferChannels = buffer.getNumChannels();
    const int inputChannels = juce::jmin (getTotalNumInputChannels(), bufferChannels);
    const int outputChannels = juce::jmin (getTotalNumOutputChannels(), bufferChannels);

    for (int channel = inputChannels; channel < outputChannels; ++channel)
        buffer.clear (channel, 0, numSamples);

    // Before the first prepare there is nothing to run the signal through: the
    // input passes unchanged rather than through an oversampler that does not exist.
    if (oversampling == nullptr || numSamples == 0)
        return;

    const int channels = juce::jmin (inputChannels, outputChannels, preparedChannels);

    if (channels <= 0)
        return;

    juce::dsp::AudioBlock<float> whole (buffer.getArrayOfWritePointers(),
                                        static_cast<size_t> (channels),
                                        static_cast<size_t> (numSamples));

    // Hosts sometimes send more samples than they announced; process such a block
    // in pieces of the prepared size so that no buffer sized in prepare overflows.
    for (int start = 0; start < numSamples; start += preparedBlockSize)
    {
        const int length = juce::jmin (preparedBlockSize, numSamples - start);
        processChunk (whole.getSubBlock (static_cast<size_t> (start), static_cast<size_t> (length)));
    }
}

void BrazzleAudioProcessor::processChunk (juce::dsp::AudioBlock<float> block)
{
    oversampling->processSamplesUp (block);
    oversampling->processSamplesDown (block);
}

juce::AudioProcessorEditor* BrazzleAudioProcessor::createEditor()
{
    return new juce::GenericAudioProcessorEditor (*this);
}

bool BrazzleAudioProcessor::hasEditor() const
{
    return true;
}

const juce::String BrazzleAudioProcessor::getName() const
{
    return "Brazzle";
}

bool BrazzleAudioProcessor::acceptsMidi() const
{
    return false;
}

bool BrazzleAudioProcessor::producesMidi() const
{
    return false;
}

bool BrazzleAudioProcessor::isMidiEffect() const
{
    return false;
}

double BrazzleAudioProcessor::getTailLengthSeconds() const
{
    return 0.0;
}

int BrazzleAudioProcessor::getNumPrograms()
{
    return juce::jmax (1, presetFiles.size());
}

int BrazzleAudioProcessor::getCurrentProgram()
{
    return currentProgram;
}

void BrazzleAudioProcessor::setCurrentProgram (int)
{
}

const juce::String BrazzleAudioProcessor::getProgramName (int)
{
    return {};
}

void BrazzleAudioProcessor::changeProgramName (int, const juce::String&)
{
}

void BrazzleAudioProcessor::getStateInformation (juce::MemoryBlock&)
{
}

void BrazzleAudioProcessor::setStateInformation (const void*, int)
{
    lastStateLoadMs = juce::Time::getMillisecondCounter();
}

int BrazzleAudioProcessor::getOversamplingFactor() const noexcept
{
    return oversampling != nullptr ? static_cast<int> (oversampling->getOversamplingFactor()) : 0;
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new BrazzleAudioProcessor();
}

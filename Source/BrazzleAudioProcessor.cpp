#include "BrazzleAudioProcessor.h"

#include "BrazzleAudioProcessorEditor.h"
#include "PluginParameters.h"
#include "presets/PresetLexicographicComparator.h"
#include "presets/PresetManager.h"
#include "presets/SemVer.h"
#include "presets/StateDocument.h"

namespace
{
// Program changes closer together than this to a state restore are ignored: hosts
// tend to follow a restore with a program change of their own.
constexpr juce::uint32 programChangeGuardMs = 201;

// +80 dBFS: far above anything a host carries, yet with the largest drive, tone boost
// and output gain every value in the chain stays decades away from overflow.
constexpr float inputLimit = 1.0e4f;

// Samples within the limit pass unchanged, bit for bit; NaN and infinities become
// silence, larger finite values the limit.
void limitInput (float* samples, int numSamples) noexcept
{
    jassert (samples != nullptr || numSamples == 0);

    for (int n = 0; n < numSamples; ++n)
    {
        const auto x = samples[n];
        samples[n] = std::abs (x) <= std::numeric_limits<float>::max() ? juce::jlimit (-inputLimit, inputLimit, x) : 0.0f;
    }
}

bool isFinite (const juce::dsp::AudioBlock<float>& block) noexcept
{
    int nonFinite = 0;

    for (size_t channel = 0; channel < block.getNumChannels(); ++channel)
    {
        const auto* samples = block.getChannelPointer (channel);

        for (size_t n = 0; n < block.getNumSamples(); ++n)
            nonFinite |= ! (std::abs (samples[n]) <= std::numeric_limits<float>::max());
    }

    return nonFinite == 0;
}
} // namespace

BrazzleAudioProcessor::BrazzleAudioProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      parameters (*this, nullptr),
      raw ((PluginParameters::attachParameters (parameters), parameters)),
      millisecondClock ([] { return juce::Time::getMillisecondCounter(); })
{
    for (auto* path : { &mainProcessor.lowBandPath, &mainProcessor.highBandPath, &mainProcessor.fullBandPath })
        MainProcessor::allpass (*path).subscriptions.add (
            new qv::ModulationSubscription<float> (followerSourceId, &mainProcessor.follower));

    parameters.state = juce::ValueTree (stateType);
    parameters.state.setProperty ("version", versionString, nullptr);

    refreshPresetFiles();
}

void BrazzleAudioProcessor::refreshPresetFiles()
{
    presetFiles.clear();
    qv::PresetManager::scanPresetFiles (presetFiles);

    if (presetFiles.size() >= 2)
    {
        PresetLexicographicComparator comparator;
        presetFiles.sort (comparator);
    }
}

void BrazzleAudioProcessor::setMillisecondClock (std::function<juce::uint32()> clock)
{
    jassert (clock != nullptr);
    millisecondClock = std::move (clock);
}

BrazzleAudioProcessor::~BrazzleAudioProcessor() = default;

BrazzleAudioProcessor::RawParameters::RawParameters (juce::AudioProcessorValueTreeState& tree)
    : bypass (*tree.getRawParameterValue (PluginParameters::crossoverBypass)),
      band (*tree.getRawParameterValue (PluginParameters::crossoverBand)),
      cutoff (*tree.getRawParameterValue (PluginParameters::crossoverCutoff)),
      tone (*tree.getRawParameterValue (PluginParameters::saturatorTone)),
      type (*tree.getRawParameterValue (PluginParameters::saturatorType)),
      drive (*tree.getRawParameterValue (PluginParameters::saturatorDrive)),
      composite (*tree.getRawParameterValue (PluginParameters::pmComposite)),
      spread (*tree.getRawParameterValue (PluginParameters::pmSpread)),
      agc (*tree.getRawParameterValue (PluginParameters::globalAgc)),
      outputGain (*tree.getRawParameterValue (PluginParameters::globalOutputGain)),
      mix (*tree.getRawParameterValue (PluginParameters::globalMix))
{
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
    mainProcessor.prepare (chainSpec);

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

    // One bad sample would otherwise stay in the filters' history for good.
    for (int channel = 0; channel < inputChannels; ++channel)
        limitInput (buffer.getWritePointer (channel), numSamples);

    // Before the first prepare there is nothing to run the signal through: the
    // input passes unchanged rather than through an oversampler that does not exist.
    // An empty block (LV2 hosts run one to read the latency) changes nothing either.
    if (oversampling == nullptr || numSamples == 0)
        return;

    float inputLevel = 0.0f;

    if (inputChannels > 0 && numSamples > 0)
    {
        const auto* first = buffer.getReadPointer (0);
        double sumOfSquares = 0.0;

        for (int n = 0; n < numSamples; ++n)
            sumOfSquares += static_cast<double> (first[n] * first[n]);

        inputLevel = static_cast<float> (std::sqrt (sumOfSquares / numSamples));
    }

    applySettings (inputLevel);

    // A buffer may carry more channels than were prepared (a layout change without a
    // new prepare); only the prepared ones fit the oversampler and the chain.
    const int channels = juce::jmin (inputChannels, outputChannels, preparedChannels);

    if (channels <= 0)
        return;

    juce::dsp::AudioBlock<float> whole (buffer.getArrayOfWritePointers(),
                                        static_cast<size_t> (channels),
                                        static_cast<size_t> (numSamples));

    // Hosts sometimes send more samples than they announced; process such a block
    // in pieces of the prepared size so that no buffer sized in prepare overflows.
    // Each piece after the first is handed the block's settings once more, as a host
    // sending blocks of the prepared size would have done before each of them. A tone
    // filter's update takes a step of its glide per call, so without this a glide
    // under way would run a different course in one long block than in two.
    for (int start = 0; start < numSamples; start += preparedBlockSize)
    {
        const int length = juce::jmin (preparedBlockSize, numSamples - start);

        if (start > 0)
            mainProcessor.reapplySettings();

        processChunk (whole.getSubBlock (static_cast<size_t> (start), static_cast<size_t> (length)));
    }
}

void BrazzleAudioProcessor::applySettings (float inputLevel) noexcept
{
    const float bypass = raw.bypass.load();
    const float band = raw.band.load();
    const float cutoff = raw.cutoff.load();
    const float tone = raw.tone.load();
    const float type = raw.type.load();
    const float drive = raw.drive.load();
    const float composite = raw.composite.load();
    const float spread = raw.spread.load();
    const float agc = raw.agc.load();
    const float outputGain = raw.outputGain.load();
    const float mix = raw.mix.load();

    MainProcessor::Settings settings;
    settings.bypassTarget = static_cast<float> (static_cast<int> (bypass));
    settings.bandTarget = static_cast<float> (static_cast<int> (band));
    settings.cutoff = cutoff;
    settings.tone = tone;

    const float driveGain = juce::Decibels::decibelsToGain (drive);
    const int curve = static_cast<int> (type);
    settings.driveDecibels = drive;
    settings.driveGain = driveGain;
    settings.curveType = curve;

    const float phaseAmount = 6.0f * (1.0f - (composite - 1.0f) * (composite - 1.0f));
    const float commonDelay = std::max (0.0f, 2.0f * (4.0f * (composite - 1.0f) + 1.0f));
    settings.phaseAmount = phaseAmount;
    settings.firstDelayMs = std::abs (std::min (spread, 0.0f)) + commonDelay;
    settings.secondDelayMs = std::max (spread, 0.0f) + commonDelay;

    settings.autoGainEnabled = static_cast<int> (agc) != 0;

    const float outputGainLinear = juce::Decibels::decibelsToGain (outputGain);
    settings.dryGain = 1.0f - mix;
    settings.wetGain = outputGainLinear * mix;

    mainProcessor.applySettings (settings);

    DisplayValues display;
    display.crossoverCutoff = cutoff;
    display.crossoverBand = static_cast<int> (band);
    display.curveType = curve;
    display.tone = tone;
    display.driveGain = driveGain;
    display.phaseAmount = phaseAmount;
    display.phaseDelay = commonDelay;
    display.spread = spread;
    display.inputLevel = inputLevel;
    display.outputGain = outputGainLinear;
    display.mix = mix;
    displayPublisher.publish (display);
}

void BrazzleAudioProcessor::processChunk (juce::dsp::AudioBlock<float> block) noexcept
{
    auto upsampled = oversampling->processSamplesUp (block);
    mainProcessor.process (juce::dsp::ProcessContextReplacing<float> (upsampled));
    oversampling->processSamplesDown (block);

    // The input is limited, so this only trips on a fault inside the chain; starting
    // afresh then costs this block, where a NaN kept in a filter would cost every
    // block from now on.
    if (! isFinite (block) || ! mainProcessor.hasFiniteModulation())
    {
        mainProcessor.reset();
        oversampling->reset();
        block.clear();
    }
}

juce::AudioProcessorEditor* BrazzleAudioProcessor::createEditor()
{
    return new BrazzleAudioProcessorEditor (*this, getParameterTree());
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

void BrazzleAudioProcessor::setCurrentProgram (int index)
{
    if (millisecondClock() - lastStateLoadMs < programChangeGuardMs)
        return;

    if (! juce::isPositiveAndBelow (index, presetFiles.size()) || index == currentProgram)
        return;

    const auto file = presetFiles[index];
    juce::MemoryBlock content;

    if (! qv::StateDocument::readPresetFile (file, content))
        return;

    setStateInformation (content.getData(), static_cast<int> (content.getSize()));

    // Also for content that was not a usable state: the program is taken as selected.
    parameters.state.setProperty ("presetPath", file.getFullPathName(), nullptr);
    currentProgram = index;
}

const juce::String BrazzleAudioProcessor::getProgramName (int index)
{
    if (! juce::isPositiveAndBelow (index, presetFiles.size()))
        return {};

    const auto file = presetFiles[index];
    juce::String relative;

    for (const auto& root : { qv::PresetManager::getUserPresetDirectory(), qv::PresetManager::getSystemPresetDirectory() })
    {
        if (file.isAChildOf (root))
        {
            relative = file.getRelativePathFrom (root);
            break;
        }
    }

    return relative.containsChar ('.') ? relative.upToLastOccurrenceOf (".", false, false) : relative;
}

void BrazzleAudioProcessor::changeProgramName (int, const juce::String&)
{
}

void BrazzleAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    const auto state = parameters.copyState();

    if (const auto xml = state.createXml())
        copyXmlToBinary (*xml, destData);
}

void BrazzleAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    const auto xml = qv::StateDocument::read (data, sizeInBytes);
    lastStateLoadMs = millisecondClock();

    if (xml == nullptr || ! xml->getTagName().equalsIgnoreCase (parameters.state.getType().toString()))
        return;

    auto restored = juce::ValueTree::fromXml (*xml);

    if (! restored.isValid())
        return;

    if (qv::SemVer (restored.getProperty ("version").toString()) < qv::SemVer ("0.9.5"))
    {
        // Before 0.9.5 the curves were numbered from tape; pass-through came last.
        const auto curve = restored.getChildWithProperty ("id", PluginParameters::saturatorType);
        auto* parameter = parameters.getParameter (PluginParameters::saturatorType);

        if (curve.isValid() && parameter != nullptr)
        {
            const juce::int64 stored = qv::SemVer::readLeadingInteger (curve.getProperty ("value").toString());
            const int migrated = stored + 1 < parameter->getNumSteps() ? static_cast<int> (stored + 1) : 0;
            restored.getChildWithProperty ("id", PluginParameters::saturatorType)
                .setProperty ("value", migrated, nullptr);
        }
    }

    restored.setProperty ("version", versionString, nullptr);

    if (parameters.state.hasProperty ("darkMode") && ! restored.hasProperty ("darkMode"))
        restored.setProperty ("darkMode", static_cast<bool> (parameters.state.getProperty ("darkMode")), nullptr);

    if (restored.hasProperty ("presetPath"))
    {
        const auto path = restored.getProperty ("presetPath").toString();

        // A relative or empty path names no file; it is not resolved against the
        // working directory.
        if (juce::File::isAbsolutePath (path) && juce::File (path).exists() && ! presetFiles.isEmpty())
        {
            for (int i = 0; i < presetFiles.size(); ++i)
            {
                if (presetFiles[i].getFullPathName().equalsIgnoreCase (juce::File (path).getFullPathName()))
                {
                    currentProgram = i;
                    break;
                }
            }
        }
    }

    qv::StateDocument::keepCurrentValuesForNonNumbers (restored, parameters);
    parameters.replaceState (restored);
}

int BrazzleAudioProcessor::getOversamplingFactor() const noexcept
{
    return oversampling != nullptr ? static_cast<int> (oversampling->getOversamplingFactor()) : 0;
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new BrazzleAudioProcessor();
}

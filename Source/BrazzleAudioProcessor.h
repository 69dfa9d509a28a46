#pragma once

#include "DisplayValuePublisher.h"
#include "MainProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_dsp/juce_dsp.h>

/** The object the host talks to: parameters, oversampling, block processing, state and programs. */
class BrazzleAudioProcessor final : public juce::AudioProcessor
{
public:
    BrazzleAudioProcessor();
    ~BrazzleAudioProcessor() override;

    static constexpr const char* stateType = "BrazzleParameterRoot";
    static constexpr const char* versionString = "1.2.1";

    /** Oversampling order (factor 2^k) used for a host sample rate. */
    static int oversamplingOrderFor (double sampleRate) noexcept;

    void prepareToPlay (double sampleRate, int maximumBlockSize) override;
    void releaseResources() override;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;
    bool canApplyBusesLayout (const BusesLayout& layouts) const override;
    bool canAddBus (bool isInput) const override;
    bool canRemoveBus (bool isInput) const override;

    using AudioProcessor::processBlock;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    const juce::String getName() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;
    double getTailLengthSeconds() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    juce::AudioProcessorValueTreeState& getParameterTree() noexcept { return parameters; }

    /** The oversampling factor chosen by the last prepare, 0 before the first one. */
    int getOversamplingFactor() const noexcept;

    /** The chain's specification from the last prepare (all zero before the first one). */
    juce::dsp::ProcessSpec getChainSpec() const noexcept { return chainSpec; }

    /** Where the open editor's wave display attaches to receive the display values. */
    DisplayValuePublisher& getDisplayPublisher() noexcept { return displayPublisher; }

    MainProcessor& getMainProcessor() noexcept { return mainProcessor; }

    static constexpr const char* followerSourceId = "@mod/SignalFollower";

    /** The preset files behind the programs, in program order. */
    const juce::Array<juce::File>& getPresetFiles() const noexcept { return presetFiles; }

    /** Rescans the preset folders into the program list; the current program keeps its number. */
    void refreshPresetFiles();

    /** The millisecond counter that paces program changes; replaceable for tests. */
    void setMillisecondClock (std::function<juce::uint32()> clock);

private:
    struct RawParameters
    {
        explicit RawParameters (juce::AudioProcessorValueTreeState&);

        std::atomic<float>& bypass;
        std::atomic<float>& band;
        std::atomic<float>& cutoff;
        std::atomic<float>& tone;
        std::atomic<float>& type;
        std::atomic<float>& drive;
        std::atomic<float>& composite;
        std::atomic<float>& spread;
        std::atomic<float>& agc;
        std::atomic<float>& outputGain;
        std::atomic<float>& mix;
    };

    void applySettings (float inputLevel) noexcept;
    void processChunk (juce::dsp::AudioBlock<float> block) noexcept;

    juce::AudioProcessorValueTreeState parameters;
    juce::Array<juce::File> presetFiles;
    int currentProgram = 0;
    juce::uint32 lastStateLoadMs = 0;
    std::unique_ptr<juce::dsp::Oversampling<float>> oversampling;
    MainProcessor mainProcessor;

    RawParameters raw;
    DisplayValuePublisher displayPublisher;
    std::function<juce::uint32()> millisecondClock;
    juce::dsp::ProcessSpec chainSpec {};
    int preparedBlockSize = 0;
    int preparedChannels = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrazzleAudioProcessor)
};

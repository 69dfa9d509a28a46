#pragma once

#include "DisplayValuePublisher.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

/** Three scrolling sine waves over a grid picture, bent through the selected curve so
    that the settings and the input level can be seen. Clicking it calls onClick.

    The published members are stored by the audio thread through storeDisplayValues,
    each on its own, and read while painting; everything else belongs to the message
    thread. The animation advances one frame per paint.
*/
class WaveAnimationComponent : public juce::Component,
                               public juce::Timer,
                               public DisplayValueReceiver
{
public:
    struct Wave
    {
        float phase;
        float phaseIncrement;
        float amplitude;
        float alpha;
    };

    WaveAnimationComponent();
    ~WaveAnimationComponent() override;

    void storeDisplayValues (const DisplayValues& values) noexcept override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;
    void timerCallback() override;

    std::function<void()> onClick;

    std::vector<Wave> waves;

    std::atomic<float> crossoverCutoff { 0.0f };
    std::atomic<std::int32_t> crossoverBand { 0 };
    std::atomic<std::int32_t> curveType { 0 };
    std::atomic<float> tone { 0.0f };
    std::atomic<float> driveGain { 0.0f };
    std::atomic<float> phaseAmount { 0.0f };
    std::atomic<float> phaseDelay { 0.0f };
    std::atomic<float> spread { 0.0f };
    std::atomic<float> inputLevel { 0.0f };

    /** The display gain, eased over three paints as the input level moves. */
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> levelSmoother { 0.0f };

    std::atomic<float> outputGain { 0.0f };
    std::atomic<float> mix { 0.0f };

private:
    const juce::Image& getScaledGrid (juce::Colour background, float scale);

    // Stretching the grid picture costs more than drawing the waves, and the stretched
    // picture only changes with the size, the display scale or the skin.
    juce::Image scaledGrid;
    juce::Colour scaledGridBackground;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WaveAnimationComponent)
};

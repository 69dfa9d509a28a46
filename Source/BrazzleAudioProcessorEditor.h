#pragma once

#include "BrazzleLookAndFeel.h"
#include "GraphContainerComponent.h"
#include "ParticleXYAttachment.h"
#include "PresetBrowserComponent.h"
#include "SliderPanelComponent.h"

#include <juce_audio_processors/juce_audio_processors.h>

class BrazzleAudioProcessor;

/** The plug-in window: preset bar, graph area with the wave display and the XY pad,
    control panel, help page and the Help and Skin buttons, at a fixed 911 × 459.

    It owns the look and feel every child draws with, keeps the skin in step with the
    state tree's "darkMode" flag and takes the processor's display values into the wave
    display for as long as it lives.
*/
class BrazzleAudioProcessorEditor : public juce::AudioProcessorEditor,
                                    private juce::ValueTree::Listener
{
public:
    BrazzleAudioProcessorEditor (BrazzleAudioProcessor&, juce::AudioProcessorValueTreeState&);
    ~BrazzleAudioProcessorEditor() override;

    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    bool keyPressed (const juce::KeyPress&) override;
    void resized() override;

    static constexpr int windowWidth = 911;
    static constexpr int windowHeight = 459;

    PresetBrowserComponent& getPresetBrowser() noexcept { return presetBrowser; }
    GraphContainerComponent& getGraphContainer() noexcept { return graphContainer; }
    SliderPanelComponent& getSliderPanel() noexcept { return sliderPanel; }
    juce::Component& getHelpPage() noexcept { return *helpImage; }

private:
    void valueTreePropertyChanged (juce::ValueTree&, const juce::Identifier&) override;
    void valueTreeRedirected (juce::ValueTree&) override;

    bool shouldDrawDarkSkin() const;
    void stateChanged();
    void setButtonImages();
    void showHelp();
    void hideHelp();
    void toggleSkin();
    void stepCurve();
    const juce::Image& getScaledBackground (float scale);

    BrazzleAudioProcessor& audioProcessor;
    juce::AudioProcessorValueTreeState& valueTreeState;

    BrazzleLookAndFeel lookAndFeel;
    PresetBrowserComponent presetBrowser;
    GraphContainerComponent graphContainer;
    SliderPanelComponent sliderPanel;

    std::unique_ptr<juce::DrawableImage> helpImage;
    std::unique_ptr<juce::DrawableButton> helpButton;
    std::unique_ptr<juce::DrawableButton> skinButton;

    std::unique_ptr<ParticleXYAttachment> xAttachment;
    std::unique_ptr<ParticleXYAttachment> yAttachment;
    std::unique_ptr<juce::Value> xValue;
    std::unique_ptr<juce::Value> yValue;

    // The artwork is twice the window's size; stretching it costs far more than the rest
    // of a frame, so the stretched picture is kept until the skin or the size changes.
    juce::Image scaledBackground;
    bool scaledBackgroundIsDark = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrazzleAudioProcessorEditor)
};

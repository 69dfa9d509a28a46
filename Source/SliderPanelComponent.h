#pragma once

#include "StepSlider.h"

class BrazzleAudioProcessor;

/** The control panel under the graph area: five knobs, the band, bypass and auto gain
    toggles, the curve selector and the two amount labels.

    The children sit at fixed window positions, whatever the panel's own position, so
    that they land on the captions and knob bodies of the background artwork.
*/
class SliderPanelComponent : public juce::Component,
                             private juce::ValueTree::Listener
{
public:
    SliderPanelComponent (BrazzleAudioProcessor&, juce::AudioProcessorValueTreeState&);
    ~SliderPanelComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void moved() override;

    /** The label after a caption of the amount strip: 0 for phase, 1 for drive. Its text
        value is meant to be referred to the value shown.
    */
    juce::Label& getAmountLabel (int index) noexcept;

    static constexpr int phaseAmount = 0;
    static constexpr int driveAmount = 1;

private:
    void valueTreePropertyChanged (juce::ValueTree&, const juce::Identifier&) override;

    void setButtonImages();

    BrazzleAudioProcessor& audioProcessor;
    juce::AudioProcessorValueTreeState& valueTreeState;

    juce::OwnedArray<juce::Slider> sliders;
    std::unique_ptr<juce::DrawableButton> bandButton, bypassButton, agcButton;
    StepSlider stepSlider;

    juce::OwnedArray<juce::AudioProcessorValueTreeState::SliderAttachment> sliderAttachments;
    juce::OwnedArray<juce::AudioProcessorValueTreeState::ButtonAttachment> buttonAttachments;
    juce::OwnedArray<juce::Label> amountLabels;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SliderPanelComponent)
};

#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** The curve selector: the current curve's name between an up and a down arrow,
    stepping "saturator:type" with wrap-around.

    It is not a framework slider. The name and the arrow images follow the parameter
    tree's state, so a step shows once the tree reports the new value.
*/
class StepSlider : public juce::Component,
                   private juce::ValueTree::Listener
{
public:
    explicit StepSlider (juce::AudioProcessorValueTreeState&);
    ~StepSlider() override;

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    void valueTreePropertyChanged (juce::ValueTree&, const juce::Identifier&) override;

    void stateChanged();
    void step (bool up);

    juce::AudioProcessorValueTreeState& valueTreeState;
    std::unique_ptr<juce::DrawableButton> nextButton, previousButton;
    juce::Label typeLabel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StepSlider)
};

#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A small arrow button drawn from a stroked chevron, scaled to fit inside a 6-pixel margin.

    The rotation is in turns: 0 points left, 0.5 points right. The owner assigns the
    two colours directly.
*/
class ChevronButton : public juce::Button
{
public:
    ChevronButton (const juce::String& name, float rotationInTurns);
    ~ChevronButton() override;

    juce::Colour fillColour { juce::Colours::transparentWhite };
    juce::Colour chevronColour { juce::Colours::black };

protected:
    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

private:
    juce::Path chevronPath;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ChevronButton)
};

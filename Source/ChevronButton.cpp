#include "ChevronButton.h"

ChevronButton::ChevronButton (const juce::String& name, float rotationInTurns)
    : juce::Button (name)
{
    juce::Path centreLine;
    centreLine.startNewSubPath (22.05f, 10.12f);
    centreLine.lineTo (14.0f, 18.0f);
    centreLine.lineTo (22.05f, 25.95f);

    juce::PathStrokeType (4.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt)
        .createStrokedPath (chevronPath, centreLine, {}, 1.0f);

    chevronPath.applyTransform (juce::AffineTransform::rotation (rotationInTurns * juce::MathConstants<float>::twoPi, 0.5f, 0.5f));
}

ChevronButton::~ChevronButton() = default;

void ChevronButton::paintButton (juce::Graphics& g, bool, bool shouldDrawButtonAsDown)
{
    auto chevron = chevronPath;
    const juce::Rectangle<float> area (6.0f, 6.0f,
                                       static_cast<float> (juce::jmax (getWidth() - 12, 0)),
                                       static_cast<float> (juce::jmax (getHeight() - 12, 0)));

    if (! chevron.getBounds().isEmpty() && ! area.isEmpty())
        chevron.applyTransform (chevron.getTransformToScaleToFit (area, true, juce::Justification::centred));

    g.fillAll (fillColour);
    g.setColour (shouldDrawButtonAsDown ? chevronColour.darker (0.4f) : chevronColour);
    g.fillPath (chevron);
}

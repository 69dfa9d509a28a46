#include "GraphContainerComponent.h"

GraphContainerComponent::GraphContainerComponent()
{
    addAndMakeVisible (xyPad);
    addAndMakeVisible (waveAnimation);
}

GraphContainerComponent::~GraphContainerComponent() = default;

void GraphContainerComponent::resized()
{
    const int waveWidth = juce::jmin (getWidth(), maximumWaveWidth);

    waveAnimation.setBounds (0, 0, waveWidth, getHeight());
    xyPad.setBounds (waveWidth, 0, getWidth() - waveWidth, getHeight());
}

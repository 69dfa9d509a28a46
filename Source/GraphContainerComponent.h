#pragma once

#include "ParticleXYComponent.h"
#include "WaveAnimationComponent.h"

/** The graph area: the wave display on the left, at most 379 pixels wide, and the XY
    pad filling the rest. It draws nothing itself.
*/
class GraphContainerComponent : public juce::Component
{
public:
    GraphContainerComponent();
    ~GraphContainerComponent() override;

    void resized() override;

    static constexpr int maximumWaveWidth = 379;

    ParticleXYComponent xyPad;
    WaveAnimationComponent waveAnimation;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GraphContainerComponent)
};

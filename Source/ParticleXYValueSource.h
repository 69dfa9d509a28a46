#pragma once

#include "ParticleXYComponent.h"

#include <juce_data_structures/juce_data_structures.h>

/** One axis of a ParticleXYComponent as a read-only juce::Value: the puck position as a
    whole percentage followed by "%", 100 at the right and at the top edge.

    Hold it in a juce::Value, e.g. juce::Value (new ParticleXYValueSource (pad, axis)),
    and let labels refer to that value. Every change of either axis tells all the values
    that refer to this source, synchronously.
*/
class ParticleXYValueSource : public juce::Value::ValueSource,
                              public ParticleXYComponent::Listener
{
public:
    ParticleXYValueSource (ParticleXYComponent& component, Axis axis);
    ~ParticleXYValueSource() override;

    juce::var getValue() const override;
    void setValue (const juce::var&) override;

    void sliderValueChanged (ParticleXYComponent*, Axis) override;
    void gridDimensionsChanged (ParticleXYComponent*) override;
    void sliderDragStarted (ParticleXYComponent*) override;
    void sliderDragEnded (ParticleXYComponent*) override;

    /** The text for a puck position on a pad of the given extent along the axis. Along an
        axis without extent the puck reads as being at position 0, the left or top edge.
    */
    static juce::String positionToText (Axis axis, int position, int extent);

private:
    // The labels that refer to this source share its ownership and may keep it past the
    // pad's life, so the pointer must notice the pad going away.
    juce::Component::SafePointer<ParticleXYComponent> component;
    Axis axis;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ParticleXYValueSource)
};

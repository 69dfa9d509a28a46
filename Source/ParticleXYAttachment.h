#pragma once

#include "ParticleXYComponent.h"

#include <juce_audio_processors/juce_audio_processors.h>

/** Binds one axis of a ParticleXYComponent to one parameter of a parameter tree, in both
    directions: dragging sets the parameter with host notification and change gestures,
    and any change of the parameter moves the puck.

    Creating the binding does not move the puck; the pad's next resize does. Changes
    that arrive off the message thread are deferred to it. The pad and the tree must
    outlive the binding.
*/
class ParticleXYAttachment : public juce::AudioProcessorValueTreeState::Listener,
                             public ParticleXYComponent::Listener,
                             public juce::AsyncUpdater
{
public:
    ParticleXYAttachment (juce::AudioProcessorValueTreeState& state,
                          ParticleXYComponent& component,
                          const juce::String& parameterID,
                          ParticleXYComponent::Listener::Axis axis);
    ~ParticleXYAttachment() override;

    /** Any thread. */
    void parameterChanged (const juce::String& parameterID, float newValue) override;

    void sliderValueChanged (ParticleXYComponent* pad, Axis changedAxis) override;
    void gridDimensionsChanged (ParticleXYComponent*) override;

    /** Every press and release opens and closes a gesture on both bound parameters,
        whichever axis moves, because each axis has its own binding listening.
    */
    void sliderDragStarted (ParticleXYComponent*) override;
    void sliderDragEnded (ParticleXYComponent*) override;

    void handleAsyncUpdate() override;

    /** Moves the puck to the pixel that the parameter's current value maps to. */
    void pushParameterValueToSlider();

private:
    juce::AudioProcessorValueTreeState& state;
    ParticleXYComponent& component;
    juce::String parameterID;
    const Axis axis;

    // Re-entrant: setting the parameter during a drag calls parameterChanged on the
    // same thread, which pushes the value straight back under this lock.
    juce::CriticalSection callbackLock;
    bool ignoreCallbacks = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ParticleXYAttachment)
};

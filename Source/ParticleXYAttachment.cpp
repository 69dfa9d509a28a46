#include "ParticleXYAttachment.h"

ParticleXYAttachment::ParticleXYAttachment (juce::AudioProcessorValueTreeState& stateToUse,
                                            ParticleXYComponent& componentToUse,
                                            const juce::String& parameterIDToUse,
                                            ParticleXYComponent::Listener::Axis axisToUse)
    : state (stateToUse),
      component (componentToUse),
      parameterID (parameterIDToUse),
      axis (axisToUse)
{
    jassert (state.getParameter (parameterID) != nullptr);

    component.addListener (this);
    state.addParameterListener (parameterID, this);
}

ParticleXYAttachment::~ParticleXYAttachment()
{
    component.removeListener (this);
    state.removeParameterListener (parameterID, this);
}

void ParticleXYAttachment::parameterChanged (const juce::String&, float)
{
    if (juce::MessageManager::existsAndIsCurrentThread())
    {
        cancelPendingUpdate();
        pushParameterValueToSlider();
    }
    else
    {
        triggerAsyncUpdate();
    }
}

void ParticleXYAttachment::sliderValueChanged (ParticleXYComponent*, Axis changedAxis)
{
    // The axis never changes after construction, so it can be tested before the lock.
    // Taking this lock for the other binding's axis would nest the two bindings' locks
    // in both orders, since each one's push notifies the other under its own lock.
    if (changedAxis != axis)
        return;

    {
        // Not held while the parameter is set below: setting it takes the parameter
        // tree's listener lock, under which a change arriving from the tree takes this
        // one, and the two must never nest in both orders.
        const juce::ScopedLock lock (callbackLock);

        if (ignoreCallbacks)
            return;
    }

    auto* parameter = state.getParameter (parameterID);

    if (parameter == nullptr)
        return;

    const int extent = axis == X ? component.getWidth() : component.getHeight();

    // A pad without extent on this axis has no position to speak of.
    if (extent <= 0)
        return;

    const float value = axis == X ? static_cast<float> (component.xPosition) / static_cast<float> (extent)
                                  : 1.0f - static_cast<float> (component.yPosition) / static_cast<float> (extent);

    parameter->setValue (value);
    parameter->sendValueChangedMessageToListeners (value);
}

void ParticleXYAttachment::gridDimensionsChanged (ParticleXYComponent*)
{
    pushParameterValueToSlider();
}

void ParticleXYAttachment::sliderDragStarted (ParticleXYComponent*)
{
    if (auto* parameter = state.getParameter (parameterID))
        parameter->beginChangeGesture();
}

void ParticleXYAttachment::sliderDragEnded (ParticleXYComponent*)
{
    if (auto* parameter = state.getParameter (parameterID))
        parameter->endChangeGesture();
}

void ParticleXYAttachment::handleAsyncUpdate()
{
    pushParameterValueToSlider();
}

void ParticleXYAttachment::pushParameterValueToSlider()
{
    JUCE_ASSERT_MESSAGE_THREAD

    const juce::ScopedLock lock (callbackLock);
    const juce::ScopedValueSetter<bool> ignoring (ignoreCallbacks, true);

    auto* rawValue = state.getRawParameterValue (parameterID);

    if (rawValue == nullptr)
        return;

    const float normalised = state.getParameterRange (parameterID).convertTo0to1 (rawValue->load());

    if (axis == X)
    {
        component.xPosition = static_cast<int> (normalised * static_cast<float> (component.getWidth()));
    }
    else
    {
        const int height = component.getHeight();
        component.yPosition = height - static_cast<int> (normalised * static_cast<float> (height));
    }

    component.sendValueChanged (axis);
}

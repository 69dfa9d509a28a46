#include "ParticleXYValueSource.h"

ParticleXYValueSource::ParticleXYValueSource (ParticleXYComponent& componentToUse, Axis axisToUse)
    : component (&componentToUse),
      axis (axisToUse)
{
    componentToUse.addListener (this);
}

ParticleXYValueSource::~ParticleXYValueSource()
{
    if (auto* pad = component.getComponent())
        pad->removeListener (this);
}

juce::var ParticleXYValueSource::getValue() const
{
    const auto* pad = component.getComponent();

    if (pad == nullptr)
        return {};

    return axis == X ? positionToText (X, pad->xPosition, pad->getWidth())
                     : positionToText (Y, pad->yPosition, pad->getHeight());
}

void ParticleXYValueSource::setValue (const juce::var&)
{
}

void ParticleXYValueSource::sliderValueChanged (ParticleXYComponent*, Axis)
{
    sendChangeMessage (true);
}

void ParticleXYValueSource::gridDimensionsChanged (ParticleXYComponent*)
{
}

void ParticleXYValueSource::sliderDragStarted (ParticleXYComponent*)
{
}

void ParticleXYValueSource::sliderDragEnded (ParticleXYComponent*)
{
}

juce::String ParticleXYValueSource::positionToText (Axis axisToShow, int position, int extent)
{
    // Zero divided by zero has no whole number to truncate to.
    const float fraction = extent > 0 ? static_cast<float> (position) / static_cast<float> (extent) : 0.0f;
    const float shown = axisToShow == X ? fraction : 1.0f - fraction;

    return juce::String (static_cast<int> (shown * 100.0f)) + "%";
}

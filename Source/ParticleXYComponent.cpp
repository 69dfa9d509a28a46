#include "ParticleXYComponent.h"

#include "BrazzleLookAndFeel.h"

#include <BinaryData.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
constexpr int puckRadius = 22;
} // namespace

ParticleXYComponent::ParticleXYComponent()
{
    // Every frame covers the whole pad, so whatever lies beneath need not be painted.
    setOpaque (true);
    startTimer (33);
}

ParticleXYComponent::~ParticleXYComponent()
{
    stopTimer();
}

void ParticleXYComponent::addListener (Listener* listener)
{
    if (listener != nullptr)
        listeners.add (listener);
}

void ParticleXYComponent::removeListener (Listener* listener)
{
    listeners.remove (listener);
}

void ParticleXYComponent::sendValueChanged (Listener::Axis axis)
{
    listeners.call ([this, axis] (Listener& l) { l.sliderValueChanged (this, axis); });
}

void ParticleXYComponent::stepParticle (Particle& particle, juce::Point<float> puck) noexcept
{
    const float dx = puck.x - particle.position.x;
    const float dy = puck.y - particle.position.y;
    const float distanceSquared = dx * dx + dy * dy;

    if (distanceSquared < 1024.0f)
    {
        // At distance 0 the quotient is infinite and the cap takes over; atan2 (0, 0) is 0.
        const float force = std::min (1024.0f / distanceSquared, 1000000.0f);
        const float angle = std::atan2 (dy, dx);
        particle.velocity.x -= std::cos (angle) * force;
        particle.velocity.y -= std::sin (angle) * force;
    }

    particle.position.x += particle.velocity.x + 0.25f * (particle.home.x - particle.position.x);
    particle.position.y += particle.velocity.y + 0.25f * (particle.home.y - particle.position.y);

    particle.velocity.x *= 0.95f;
    particle.velocity.y *= 0.95f;

    // The spring alone only approaches home; snapping lets a particle come to rest.
    if (std::round (particle.position.x) == particle.home.x)
        particle.position.x = particle.home.x;

    if (std::round (particle.position.y) == particle.home.y)
        particle.position.y = particle.home.y;
}

void ParticleXYComponent::paint (juce::Graphics& g)
{
    auto background = juce::Colours::black;
    auto particleColour = juce::Colours::white;

    if (auto* skin = dynamic_cast<BrazzleLookAndFeel*> (&getLookAndFeel()))
    {
        background = skin->padColour;
        particleColour = skin->foregroundColour;
    }

    jassert (background.isOpaque());
    g.fillAll (background);
    g.setColour (particleColour.withAlpha (static_cast<juce::uint8> (0x99)));

    const juce::Point<float> puck (static_cast<float> (xPosition), static_cast<float> (yPosition));

    for (auto& particle : particles)
    {
        g.fillRect (static_cast<int> (particle.position.x), static_cast<int> (particle.position.y), 1, 1);
        stepParticle (particle, puck);
    }

    // Drawn while the particles' translucent colour is still current, so the puck takes its opacity.
    const auto scale = g.getInternalContext().getPhysicalPixelScaleFactor();
    g.drawImageTransformed (getScaledPuck (scale),
                            juce::AffineTransform::scale (1.0f / scale)
                                .translated (static_cast<float> (xPosition - puckRadius),
                                             static_cast<float> (yPosition - puckRadius)));

    g.setColour (particleColour);
    g.drawEllipse (static_cast<float> (xPosition - 10), static_cast<float> (yPosition - 10), 20.0f, 20.0f, 1.4f);
}

const juce::Image& ParticleXYComponent::getScaledPuck (float scale)
{
    jassert (scale > 0.0f);

    const int size = juce::roundToInt (static_cast<float> (2 * puckRadius) * scale);

    if (scaledPuck.getWidth() != size)
    {
        scaledPuck = juce::Image (juce::Image::ARGB, size, size, true);
        juce::Graphics g (scaledPuck);
        g.drawImage (juce::ImageCache::getFromMemory (BinaryData::xy_puck_png, BinaryData::xy_puck_pngSize),
                     scaledPuck.getBounds().toFloat());
    }

    return scaledPuck;
}

void ParticleXYComponent::resized()
{
    const int columns = getWidth() / 3 + 1;
    const int rows = getHeight() / 3 + 1;

    particles.clear();
    particles.reserve (static_cast<size_t> (rows) * static_cast<size_t> (columns));

    for (int row = 0; row < rows; ++row)
    {
        for (int column = 0; column < columns; ++column)
        {
            const juce::Point<float> home (static_cast<float> (3 * column), static_cast<float> (3 * row));
            particles.push_back ({ home, home, {} });
        }
    }

    xPosition = juce::jlimit (0, getWidth(), xPosition);
    yPosition = juce::jlimit (0, getHeight(), yPosition);

    listeners.call ([this] (Listener& l) { l.gridDimensionsChanged (this); });
}

void ParticleXYComponent::mouseDown (const juce::MouseEvent&)
{
    listeners.call ([this] (Listener& l) { l.sliderDragStarted (this); });
}

void ParticleXYComponent::mouseDrag (const juce::MouseEvent& e)
{
    if (! e.mods.isLeftButtonDown())
        return;

    const auto position = e.getEventRelativeTo (this).getPosition();
    const int newX = juce::jlimit (0, getWidth(), position.x);
    const int newY = juce::jlimit (0, getHeight(), position.y);
    const auto heldKeys = getCurrentModifierKeys();

    if (! heldKeys.isAltDown())
    {
        const int previous = std::exchange (xPosition, newX);

        if (newX != previous)
            sendValueChanged (Listener::X);
    }

    if (! heldKeys.isShiftDown())
    {
        const int previous = std::exchange (yPosition, newY);

        if (newY != previous)
            sendValueChanged (Listener::Y);
    }
}

void ParticleXYComponent::mouseUp (const juce::MouseEvent&)
{
    listeners.call ([this] (Listener& l) { l.sliderDragEnded (this); });
}

void ParticleXYComponent::timerCallback()
{
    repaint();
}

juce::ModifierKeys ParticleXYComponent::getCurrentModifierKeys() const
{
    return juce::ModifierKeys::getCurrentModifiersRealtime();
}

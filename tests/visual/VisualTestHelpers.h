#pragma once

#include "ParticleXYComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

namespace visualtest
{
/** A mouse event on a component, at a position relative to it, with the given buttons
    and keys in the event's own modifiers.
*/
inline juce::MouseEvent mouseEventAt (juce::Component& component, juce::Point<float> position,
                                      juce::ModifierKeys modifiers, bool movedSinceMouseDown = false)
{
    const auto now = juce::Time::getCurrentTime();
    return { juce::Desktop::getInstance().getMainMouseSource(),
             position,
             modifiers,
             juce::MouseInputSource::defaultPressure,
             juce::MouseInputSource::defaultOrientation,
             juce::MouseInputSource::defaultRotation,
             juce::MouseInputSource::defaultTiltX,
             juce::MouseInputSource::defaultTiltY,
             &component,
             &component,
             now,
             position,
             now,
             1,
             movedSinceMouseDown };
}

inline const juce::ModifierKeys leftButton { juce::ModifierKeys::leftButtonModifier };

/** A pad whose held keys the test chooses instead of the keyboard. */
struct PadWithHeldKeys : ParticleXYComponent
{
    juce::ModifierKeys heldKeys;

protected:
    juce::ModifierKeys getCurrentModifierKeys() const override { return heldKeys; }
};

/** Writes down every notification a pad sends, with the puck position at that moment. */
struct RecordingListener : ParticleXYComponent::Listener
{
    enum Kind
    {
        valueChanged,
        gridChanged,
        dragStarted,
        dragEnded
    };

    struct Event
    {
        Kind kind;
        int axis;
        int x, y;

        bool operator== (const Event& other) const
        {
            return kind == other.kind && axis == other.axis && x == other.x && y == other.y;
        }
    };

    void sliderValueChanged (ParticleXYComponent* pad, Axis axis) override { add (pad, valueChanged, axis); }
    void gridDimensionsChanged (ParticleXYComponent* pad) override { add (pad, gridChanged, -1); }
    void sliderDragStarted (ParticleXYComponent* pad) override { add (pad, dragStarted, -1); }
    void sliderDragEnded (ParticleXYComponent* pad) override { add (pad, dragEnded, -1); }

    int count (Kind kind, int axis = -1) const
    {
        int n = 0;

        for (const auto& e : events)
            if (e.kind == kind && (axis < 0 || e.axis == axis))
                ++n;

        return n;
    }

    std::vector<Event> events;

private:
    void add (ParticleXYComponent* pad, Kind kind, int axis)
    {
        events.push_back ({ kind, axis, pad->xPosition, pad->yPosition });
    }
};

inline void pumpMessages (int milliseconds = 50)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}
} // namespace visualtest

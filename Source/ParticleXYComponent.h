#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

/** A puck dragged inside a rectangle over a field of particles that scatter from it and
    spring back to their grid places.

    The pad knows nothing about parameters: it keeps the puck position in whole pixels and
    tells its listeners when the position, the gesture or its size changes. Listeners are
    not owned and must remove themselves before they die. Message thread only.
*/
class ParticleXYComponent : public juce::Component,
                            public juce::Timer
{
public:
    class Listener
    {
    public:
        enum Axis
        {
            X = 0,
            Y = 1
        };

        virtual ~Listener() = default;

        /** The puck position on one axis was set; it may or may not have changed. */
        virtual void sliderValueChanged (ParticleXYComponent* pad, Axis axis) = 0;

        /** The pad was resized and its grid rebuilt; positions are now in the new size. */
        virtual void gridDimensionsChanged (ParticleXYComponent*) {}

        virtual void sliderDragStarted (ParticleXYComponent*) {}
        virtual void sliderDragEnded (ParticleXYComponent*) {}
    };

    struct Particle
    {
        juce::Point<float> position, home, velocity;
    };

    ParticleXYComponent();
    ~ParticleXYComponent() override;

    /** A null listener, or one already registered, is ignored. */
    void addListener (Listener* listener);
    void removeListener (Listener* listener);

    /** Tells every listener, most recently added first, that one axis was set. */
    void sendValueChanged (Listener::Axis axis);

    /** One frame of a particle: pushed away from the puck by an inverse square law within
        32 pixels, pulled a quarter of the way home, damped, and snapped home once it
        rounds to it.
    */
    static void stepParticle (Particle& particle, juce::Point<float> puck) noexcept;

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void timerCallback() override;

    std::vector<Particle> particles;

    /** Puck position in pixels, 0 to the width and 0 to the height (downwards). Set from
        outside only together with a sendValueChanged for the axis.
    */
    int xPosition = 0;
    int yPosition = 0;

protected:
    /** The keys held right now, which lock the axes during a drag. Virtual so that a
        test can hold keys without a keyboard.
    */
    virtual juce::ModifierKeys getCurrentModifierKeys() const;

private:
    const juce::Image& getScaledPuck (float scale);

    juce::ListenerList<Listener> listeners;

    // The puck picture is stored at more than twice the size it is drawn at; shrinking it
    // once per display scale spares resampling it in every frame.
    juce::Image scaledPuck;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ParticleXYComponent)
};

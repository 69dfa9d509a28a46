#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <cmath>
#include <functional>

namespace editortest
{
/** What a component shows on a transparent ground, at scale 1. */
inline juce::Image render (juce::Component& component)
{
    return component.createComponentSnapshot (component.getLocalBounds(), true, 1.0f);
}

inline juce::Image paintInto (int width, int height, const std::function<void (juce::Graphics&)>& paint)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    juce::Graphics g (image);
    paint (g);
    return image;
}

inline bool sameColour (juce::Colour a, juce::Colour b, int tolerance = 0)
{
    return std::abs (a.getRed() - b.getRed()) <= tolerance
        && std::abs (a.getGreen() - b.getGreen()) <= tolerance
        && std::abs (a.getBlue() - b.getBlue()) <= tolerance
        && std::abs (a.getAlpha() - b.getAlpha()) <= tolerance;
}

inline bool sameImage (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return false;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;

    return true;
}

/** Where the painted pixels (alpha above a threshold) of an area lie. */
struct Ink
{
    juce::Rectangle<int> bounds;
    juce::Point<float> centroid;
    int count = 0;
    int maximumAlpha = 0;
};

inline Ink findInk (const juce::Image& image, juce::Rectangle<int> area,
                    const std::function<bool (int x, int y)>& include = nullptr, int alphaThreshold = 0)
{
    Ink ink;
    double weight = 0.0, sumX = 0.0, sumY = 0.0;
    area = area.getIntersection (image.getBounds());

    for (int y = area.getY(); y < area.getBottom(); ++y)
    {
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const int alpha = image.getPixelAt (x, y).getAlpha();

            if (alpha <= alphaThreshold || (include != nullptr && ! include (x, y)))
                continue;

            ink.bounds = ink.count == 0 ? juce::Rectangle<int> (x, y, 1, 1)
                                        : ink.bounds.getUnion ({ x, y, 1, 1 });
            ++ink.count;
            ink.maximumAlpha = juce::jmax (ink.maximumAlpha, alpha);
            weight += alpha;
            sumX += alpha * (x + 0.5);
            sumY += alpha * (y + 0.5);
        }
    }

    if (weight > 0.0)
        ink.centroid = { static_cast<float> (sumX / weight), static_cast<float> (sumY / weight) };

    return ink;
}

/** A point at a distance from a centre, at an angle clockwise from 12 o'clock. */
inline juce::Point<float> onCircle (juce::Point<float> centre, float radius, float angle)
{
    return { centre.x + radius * std::sin (angle), centre.y - radius * std::cos (angle) };
}
} // namespace editortest

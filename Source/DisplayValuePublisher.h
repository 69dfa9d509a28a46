#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

/** What the audio callback shows the editor's wave display once per block. */
struct DisplayValues
{
    float crossoverCutoff = 0.0f;
    std::int32_t crossoverBand = 0;
    std::int32_t curveType = 0;
    float tone = 0.0f;
    float driveGain = 0.0f;
    float phaseAmount = 0.0f;
    float phaseDelay = 0.0f;
    float spread = 0.0f;
    float inputLevel = 0.0f;
    float outputGain = 0.0f;
    float mix = 0.0f;
};

/** Something on the message thread that takes display values with atomic stores. */
class DisplayValueReceiver
{
public:
    virtual ~DisplayValueReceiver() = default;

    /** Called on the audio thread; must only store atomics. */
    virtual void storeDisplayValues (const DisplayValues& values) noexcept = 0;
};

/** Hands display values from the audio thread to whichever receiver is attached.

    The audio thread announces that it is publishing before it looks at the receiver,
    and a receiver that detaches waits until no publication that may have seen it is
    still running. So once detach returns, the audio thread will never touch that
    receiver again and it can be destroyed. The audio thread never waits, locks or
    allocates; the message thread waits at most for one publication, a handful of
    atomic stores.
*/
class DisplayValuePublisher
{
public:
    DisplayValuePublisher() = default;
    DisplayValuePublisher (const DisplayValuePublisher&) = delete;
    DisplayValuePublisher& operator= (const DisplayValuePublisher&) = delete;

    /** Message thread. Replaces any receiver attached before. */
    void attach (DisplayValueReceiver* newReceiver) noexcept
    {
        receiver.store (newReceiver);
        waitForPublicationsInFlight();
    }

    /** Message thread. Does nothing if another receiver has been attached since. */
    void detach (DisplayValueReceiver* oldReceiver) noexcept
    {
        auto* expected = oldReceiver;
        receiver.compare_exchange_strong (expected, nullptr);
        waitForPublicationsInFlight();
    }

    /** Audio thread. */
    void publish (const DisplayValues& values) noexcept
    {
        publishing.fetch_add (1);

        if (auto* current = receiver.load())
            current->storeDisplayValues (values);

        publishing.fetch_sub (1);
    }

    bool hasReceiver() const noexcept { return receiver.load() != nullptr; }

private:
    void waitForPublicationsInFlight() const noexcept
    {
        // Sequentially consistent on both sides: either the publication started after
        // the receiver changed and sees the new one, or this loop sees it running.
        while (publishing.load() != 0)
            std::this_thread::yield();
    }

    std::atomic<DisplayValueReceiver*> receiver { nullptr };
    std::atomic<int> publishing { 0 };
};

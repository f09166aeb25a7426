// The sound device under the output stream: a WASAPI shared-mode stream woken
// by the device's events, or a DirectSound looping buffer written ahead of its
// play cursor. Both are used only on the stream's render thread.
#pragma once

#include <memory>

#include "engine/SoundConversion.h"

class IStreamDevice {
public:
    virtual ~IStreamDevice() = default;

    virtual StreamFormat GetFormat() const = 0;
    virtual const char* GetName() const = 0;
    // The most frames WaitForRoom ever asks for.
    virtual unsigned GetMaxFrames() const = 0;
    // Waits, at most about one device period, until frames can be written and
    // returns how many to write now to keep the device's lead; -1 when the
    // device is lost.
    virtual long WaitForRoom() = 0;
    // Frames of time the device lost since the last call (it played silence
    // because the stream was late, or its position stood still): the
    // stream's clock moves on by them to stay in time.
    virtual unsigned TakeSkippedFrames() = 0;
    // Writes interleaved float frames in the device's format; false when the
    // device is lost.
    virtual bool Write(const float* frames, unsigned count) = 0;
    // Frames written and not heard yet: the stream's latency now.
    virtual unsigned GetQueuedFrames() = 0;
};

// The default render device, or null when there is none (or the system has no
// WASAPI). The render thread has entered COM's multithreaded apartment.
std::unique_ptr<IStreamDevice> OpenWasapiDevice();
std::unique_ptr<IStreamDevice> OpenDirectSoundDevice();

// Listening to the player: a WASAPI shared-mode capture stream from the
// default input device, open only while the timing coach listens. Its thread
// finds the hits in what it takes (COnsetFinder) and tells the listener when
// each was taken, on the steady clock that the output stream's heard times
// use. When the device goes away listening ends there; nothing else does.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/Handle.h"

class IInputListener {
public:
    // On the capture thread: a hit taken at atUs (microseconds on the steady
    // clock), the loudest sample of its beginning 0 to 1.
    virtual void OnInputOnset(std::int64_t atUs, float peak) = 0;
    // Once, on the capture thread (in the constructor when that could not
    // start): the device could not be opened or went away. The stream takes
    // nothing more.
    virtual void OnInputEnded() = 0;

protected:
    ~IInputListener() = default;
};

class CInputStream {
public:
    // Why the coach cannot listen ("No input device"), or "" when it can.
    // On the window thread.
    static std::string CheckInputDevice();

    // Opens the device and starts listening on a thread of its own.
    explicit CInputStream(IInputListener& listener);
    CInputStream(const CInputStream&) = delete;
    CInputStream& operator=(const CInputStream&) = delete;
    // Once it returns the listener is not called any more.
    ~CInputStream();

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Listen();

    IInputListener& m_listener;
    pw::UniqueKernelHandle m_hQuit;
    pw::UniqueKernelHandle m_hThread;
};

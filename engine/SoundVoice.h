// One sound of the program ready to play: its WAVE resource handed once to
// an output stream, which converts it to the device's format when it opens
// and mixes it in at the sample it is asked to start at.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/OutputStream.h"

class CSoundVoice {
public:
    // The stream plays the voice and must outlive it.
    explicit CSoundVoice(COutputStream& stream) : m_stream(stream) {}

    // Takes the WAVE resource of this id (181, 180, 129 to 150) as the
    // voice's sound; true when it can play. No device is needed: the stream
    // opens one when something plays. Called once, on the window thread.
    bool Load(UINT resourceId);
    // Cuts the sound off at the sample if it still plays and starts it from
    // its beginning there (a sample of the stream), or as soon as possible.
    // Any thread: no allocation, no waiting.
    void Retrigger(std::int64_t sample = kAsSoonAsPossible);
    bool IsReady() const { return m_nSoundId != 0; }

private:
    COutputStream& m_stream;
    int m_nSoundId = 0;
};

// One sound of the program ready to play: a WAVE resource in a static
// DirectSound buffer, filled once, so that playing only rewinds and starts.
#pragma once

#include <windows.h>

#include <dsound.h>

#include <cstdint>
#include <vector>

#include "engine/DeviceOpening.h"
#include "framework/Handle.h"

class CWnd;

class CSoundVoice {
public:
    CSoundVoice();
    CSoundVoice(const CSoundVoice&) = delete;
    CSoundVoice& operator=(const CSoundVoice&) = delete;
    virtual ~CSoundVoice();

    // Loads within one pass share a single attempt at opening the device
    // (CDeviceOpening): once it has failed the rest of the pass stays silent
    // without trying again. A Load outside any pass is a pass of its own.
    class CLoadingPass {
    public:
        CLoadingPass();
        CLoadingPass(const CLoadingPass&) = delete;
        CLoadingPass& operator=(const CLoadingPass&) = delete;
        ~CLoadingPass();
    };

    // Prepares the WAVE resource of this id; true when the voice can play.
    // The device's cooperative level is tied to the window, by default the
    // application's main window. Called once, on the window thread.
    bool Load(UINT resourceId, CWnd* window = nullptr);
    // Starts the sound at a byte position, once or looping; a position at or
    // past the end plays nothing. Safe on the tick thread.
    void Play(DWORD position, bool loop);
    // Stops the sound; the position stays where it stopped.
    void Stop();
    // Cuts the sound off if it still plays and starts it from the beginning.
    void Retrigger() {
        Stop();
        Play(0, false);
    }
    bool IsReady() const;

    IDirectSoundBuffer* GetBuffer() const { return m_pBuffer.Get(); }
    static IDirectSound* GetDevice() { return s_pDirectSound; }

    // Set by the owner before Load: the sound goes on while another program
    // is in front.
    BOOL m_bGlobalFocus = FALSE;

private:
    static bool CreateDevice(HWND window);
    // The format record is at least a whole WAVEFORMATEX (MakeFormatRecord).
    bool CreateBuffer(std::vector<std::uint8_t> format);
    bool FillBuffer();

    // The sample bytes inside the locked resource, kept to refill a lost buffer.
    const BYTE* m_pData = nullptr;
    DWORD m_nDataSize = 0;
    pw::ComPtr<IDirectSoundBuffer> m_pBuffer;

    // The device is shared by all voices and goes with the last of them.
    static IDirectSound* s_pDirectSound;
    static int s_nVoiceCount;
    static CDeviceOpening s_deviceOpening;
};

#include "engine/SoundVoice.h"

#include <cstring>

#include "engine/WaveImage.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

IDirectSound* CSoundVoice::s_pDirectSound = nullptr;
int CSoundVoice::s_nVoiceCount = 0;
CDeviceOpening CSoundVoice::s_deviceOpening;

CSoundVoice::CLoadingPass::CLoadingPass() {
    s_deviceOpening.BeginPass();
}

CSoundVoice::CLoadingPass::~CLoadingPass() {
    s_deviceOpening.EndPass();
}

CSoundVoice::CSoundVoice() {
    ++s_nVoiceCount;
}

CSoundVoice::~CSoundVoice() {
    m_pBuffer.Reset();
    if (--s_nVoiceCount == 0 && s_pDirectSound) {
        s_pDirectSound->Release();
        s_pDirectSound = nullptr;
    }
}

bool CSoundVoice::IsReady() const {
    return s_pDirectSound && m_pBuffer && m_pData && m_nDataSize != 0;
}

bool CSoundVoice::CreateDevice(HWND window) {
    const auto attempt = [] {
        const HRESULT result = ::DirectSoundCreate(nullptr, &s_pDirectSound, nullptr);
        if (SUCCEEDED(result) && s_pDirectSound)
            return DeviceOutcome::Created;
        s_pDirectSound = nullptr;
        return result == DSERR_ALLOCATED ? DeviceOutcome::Held : DeviceOutcome::Failed;
    };
    if (!s_deviceOpening.Open(attempt, [](unsigned ms) { ::Sleep(ms); }))
        return false;
    // Without any window the desktop stands in: DirectSound wants a window
    // for its cooperative level before it makes buffers.
    s_pDirectSound->SetCooperativeLevel(window ? window : ::GetDesktopWindow(), DSSCL_NORMAL);
    return true;
}

bool CSoundVoice::Load(UINT resourceId, CWnd* window) {
    const HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC info = ::FindResourceA(module, MAKEINTRESOURCEA(resourceId), "WAVE");
    HGLOBAL resource = info ? ::LoadResource(module, info) : nullptr;
    const void* image = resource ? ::LockResource(resource) : nullptr;
    if (!image)
        return false;
    const DWORD imageSize = ::SizeofResource(module, info);

    if (!window)
        window = AfxGetMainWnd();
    if (!s_pDirectSound && !CreateDevice(window ? window->GetSafeHwnd() : nullptr))
        return false;

    WaveImage wave;
    if (!ParseWave(image, imageSize, wave) || wave.nDataSize == 0)
        return false;
    m_pData = wave.pData;
    m_nDataSize = wave.nDataSize;
    return CreateBuffer(MakeFormatRecord(wave)) && FillBuffer();
}

bool CSoundVoice::CreateBuffer(std::vector<std::uint8_t> format) {
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_STATIC | (m_bGlobalFocus ? DSBCAPS_GLOBALFOCUS : 0);
    desc.dwBufferBytes = m_nDataSize;
    desc.lpwfxFormat = reinterpret_cast<WAVEFORMATEX*>(format.data());
    return SUCCEEDED(s_pDirectSound->CreateSoundBuffer(&desc, m_pBuffer.Receive(), nullptr)) && m_pBuffer;
}

bool CSoundVoice::FillBuffer() {
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstSize = 0;
    DWORD secondSize = 0;
    HRESULT result = m_pBuffer->Lock(0, 0, &first, &firstSize, &second, &secondSize, DSBLOCK_ENTIREBUFFER);
    if (result == DSERR_BUFFERLOST) {
        m_pBuffer->Restore();
        result = m_pBuffer->Lock(0, 0, &first, &firstSize, &second, &secondSize, DSBLOCK_ENTIREBUFFER);
    }
    if (FAILED(result))
        return false;
    std::memcpy(first, m_pData, firstSize < m_nDataSize ? firstSize : m_nDataSize);
    return SUCCEEDED(m_pBuffer->Unlock(first, firstSize, second, secondSize));
}

void CSoundVoice::Play(DWORD position, bool loop) {
    if (!IsReady())
        return;
    // Starting at the end would sound nothing: a sounding voice just ends.
    if (position >= m_nDataSize) {
        m_pBuffer->Stop();
        return;
    }
    m_pBuffer->SetCurrentPosition(position);
    const DWORD flags = loop ? DSBPLAY_LOOPING : 0;
    if (m_pBuffer->Play(0, 0, flags) == DSERR_BUFFERLOST) {
        FillBuffer();
        m_pBuffer->Play(0, 0, flags);
    }
}

void CSoundVoice::Stop() {
    if (IsReady())
        m_pBuffer->Stop();
}

// The user's preferences, kept in the registry between runs: machine-wide
// where that key can be written, else the user's own. Read and written only
// when asked; in between, windows read and change the fields directly.
#pragma once

#include <windows.h>

#include <string>

#include "model/PracticeLimits.h"

inline constexpr char kSettingsKey[] = "Software\\KOVEN\\Pulsewick";

// The registry's keys as the settings open them; tests stand in for a
// registry that refuses the machine-wide key (see framework/CommonDialogs.h
// for how tests replace a piece of the platform).
class IRegistry {
public:
    // As RegOpenKeyExA and RegCreateKeyExA (no class, non-volatile).
    virtual LONG OpenKey(HKEY root, const char* path, REGSAM access, HKEY& key) = 0;
    virtual LONG CreateKey(HKEY root, const char* path, REGSAM access, HKEY& key) = 0;

protected:
    ~IRegistry() = default;
};
IRegistry& SystemRegistry();

class CSettings {
public:
    explicit CSettings(IRegistry& registry = SystemRegistry());
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;
    virtual ~CSettings() = default;

    void SetDefaults();
    // The machine-wide values, then the user's own over them: each user finds
    // what they stored. A missing or unreadable key gives all defaults, a
    // missing value its own.
    void Load();
    // Machine-wide where that key can be created, else under the user's own
    // key; the user's own key, where there is one, is kept equal so that it
    // hides nothing newer. ERROR_SUCCESS, or why the last place failed.
    LONG Save() const;
    // Where Save wrote last, or tried to: "HKEY_LOCAL_MACHINE\..." or
    // "HKEY_CURRENT_USER\...".
    std::string GetStorePlace() const;

    // The running program's directory with a trailing backslash, in UTF-8, or
    // "" if it cannot be found out.
    static std::string GetAppDirectory();

    int m_bToolbarSound = 1;
    int m_bShowSplash = 1;
    int m_bShowCleanConfirm = 1;
    int m_bUserBeatMode = 0;
    // The practice tools (PracticeLimits.h gives their ranges).
    int m_nCountInBars = practice::kCountInBars.nDefault;
    int m_nTrainerStepBpm = practice::kTrainerStepBpm.nDefault;
    int m_nTrainerEveryBars = practice::kTrainerEveryBars.nDefault;
    int m_nTrainerTargetBpm = practice::kTrainerTargetBpm.nDefault;
    int m_nMutePlayBars = practice::kMutePlayBars.nDefault;
    int m_nMuteSilentBars = practice::kMuteSilentBars.nDefault;
    int m_nPracticeMinutes = practice::kPracticeMinutes.nDefault;
    // The timing coach: whether it listens, the round trip from the speakers
    // to the microphone, and how loud the metronome's clicks come back in
    // 1/10000 of full scale (0 until calibrated).
    int m_bCoachOn = 0;
    int m_nCoachLatencyMs = 0;
    int m_nCoachEchoLevel = 0;

private:
    void LoadFrom(HKEY root);
    LONG SaveTo(HKEY key) const;

    IRegistry& m_registry;
    mutable HKEY m_hStoreRoot = HKEY_LOCAL_MACHINE;
};

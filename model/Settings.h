// The four user preferences, kept machine-wide in the registry between runs.
// Read when the object is built, written when it is destroyed, and never in
// between: windows read and change the fields directly.
#pragma once

#include <string>

inline constexpr char kSettingsKey[] = "Software\\KOVEN\\Pulsewick";

class CSettings {
public:
    CSettings();
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;
    virtual ~CSettings();

    void SetDefaults();
    // A missing or unreadable key gives all defaults, a missing value its own.
    void Load();
    // Failures are silent: the next run starts from what was stored before.
    void Save() const;

    // The running program's directory with a trailing backslash, or "" if it
    // cannot be found out.
    static std::string GetAppDirectory();

    int m_bToolbarSound = 1;
    int m_bShowSplash = 1;
    int m_bShowCleanConfirm = 1;
    int m_bUserBeatMode = 0;
};

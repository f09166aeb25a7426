#include "model/Settings.h"

#include <windows.h>

#include <vector>

#include "framework/Handle.h"

namespace {

struct SettingValue {
    const char* name;
    int CSettings::*field;
    int defaultValue;
};

// In the order they are read and written. "Toobar" is how earlier versions
// spelt it, so stored settings keep working.
constexpr SettingValue kValues[] = {
    {"Toobar Sound On", &CSettings::m_bToolbarSound, 1},
    {"Show Splash", &CSettings::m_bShowSplash, 1},
    {"Show MsgBox CleanBtn", &CSettings::m_bShowCleanConfirm, 1},
    {"User Beat Mode", &CSettings::m_bUserBeatMode, 0},
};

constexpr char kAppPathValue[] = "App Path";

} // namespace

CSettings::CSettings() {
    Load();
}

CSettings::~CSettings() {
    Save();
}

void CSettings::SetDefaults() {
    for (const SettingValue& value : kValues)
        this->*value.field = value.defaultValue;
}

void CSettings::Load() {
    HKEY raw = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) {
        SetDefaults();
        return;
    }
    pw::UniqueRegKey key(raw);
    for (const SettingValue& value : kValues) {
        DWORD data = 0;
        DWORD size = sizeof data;
        // The type is not checked, but a value of any other size than a DWORD
        // would leave part of the field unread: it counts as missing.
        LONG result = ::RegQueryValueExA(key.Get(), value.name, nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(&data), &size);
        this->*value.field =
            result == ERROR_SUCCESS && size == sizeof data ? static_cast<int>(data) : value.defaultValue;
    }
}

void CSettings::Save() const {
    HKEY raw = nullptr;
    LONG result = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_ALL_ACCESS, nullptr, &raw, nullptr);
    // A user without full rights on the machine-wide key may still write it.
    if (result == ERROR_ACCESS_DENIED)
        result = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_WRITE, nullptr, &raw, nullptr);
    if (result != ERROR_SUCCESS)
        return;
    pw::UniqueRegKey key(raw);

    std::string appPath = GetAppDirectory();
    ::RegSetValueExA(key.Get(), kAppPathValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(appPath.c_str()),
                     static_cast<DWORD>(appPath.size() + 1));
    for (const SettingValue& value : kValues) {
        DWORD data = static_cast<DWORD>(this->*value.field);
        ::RegSetValueExA(key.Get(), value.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                         sizeof data);
    }
}

std::string CSettings::GetAppDirectory() {
    // Grown until the whole path fits: a cut path would name another folder.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            std::string path(buffer.data(), length);
            std::size_t slash = path.find_last_of('\\');
            return slash == std::string::npos ? std::string() : path.substr(0, slash) + '\\';
        }
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

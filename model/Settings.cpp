#include "model/Settings.h"

#include <vector>

#include "framework/Handle.h"
#include "framework/Text.h"

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
    {"Count In Bars", &CSettings::m_nCountInBars, practice::kCountInBars.nDefault},
    {"Trainer Step BPM", &CSettings::m_nTrainerStepBpm, practice::kTrainerStepBpm.nDefault},
    {"Trainer Every Bars", &CSettings::m_nTrainerEveryBars, practice::kTrainerEveryBars.nDefault},
    {"Trainer Target BPM", &CSettings::m_nTrainerTargetBpm, practice::kTrainerTargetBpm.nDefault},
    {"Mute Play Bars", &CSettings::m_nMutePlayBars, practice::kMutePlayBars.nDefault},
    {"Mute Silent Bars", &CSettings::m_nMuteSilentBars, practice::kMuteSilentBars.nDefault},
    {"Practice Minutes", &CSettings::m_nPracticeMinutes, practice::kPracticeMinutes.nDefault},
    {"Coach On", &CSettings::m_bCoachOn, 0},
    {"Coach Latency Ms", &CSettings::m_nCoachLatencyMs, 0},
    {"Coach Echo Level", &CSettings::m_nCoachEchoLevel, 0},
};

constexpr wchar_t kAppPathValue[] = L"App Path";

class SystemRegistryKeys : public IRegistry {
public:
    LONG OpenKey(HKEY root, const char* path, REGSAM access, HKEY& key) override {
        return ::RegOpenKeyExA(root, path, 0, access, &key);
    }
    LONG CreateKey(HKEY root, const char* path, REGSAM access, HKEY& key) override {
        return ::RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                                 nullptr);
    }
};

} // namespace

IRegistry& SystemRegistry() {
    static SystemRegistryKeys registry;
    return registry;
}

CSettings::CSettings(IRegistry& registry) : m_registry(registry) {}

void CSettings::SetDefaults() {
    for (const SettingValue& value : kValues)
        this->*value.field = value.defaultValue;
}

void CSettings::Load() {
    SetDefaults();
    LoadFrom(HKEY_LOCAL_MACHINE);
    LoadFrom(HKEY_CURRENT_USER);
}

void CSettings::LoadFrom(HKEY root) {
    HKEY raw = nullptr;
    if (m_registry.OpenKey(root, kSettingsKey, KEY_QUERY_VALUE, raw) != ERROR_SUCCESS)
        return;
    pw::UniqueRegKey key(raw);
    for (const SettingValue& value : kValues) {
        DWORD data = 0;
        DWORD size = sizeof data;
        // The type is not checked, but a value of any other size than a DWORD
        // would leave part of the field unread: it counts as missing.
        LONG result = ::RegQueryValueExA(key.Get(), value.name, nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(&data), &size);
        if (result == ERROR_SUCCESS)
            this->*value.field = size == sizeof data ? static_cast<int>(data) : value.defaultValue;
    }
}

LONG CSettings::Save() const {
    HKEY raw = nullptr;
    LONG result = m_registry.CreateKey(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_ALL_ACCESS, raw);
    // A user without full rights on the machine-wide key may still write it.
    if (result == ERROR_ACCESS_DENIED)
        result = m_registry.CreateKey(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_WRITE, raw);
    if (result == ERROR_SUCCESS) {
        m_hStoreRoot = HKEY_LOCAL_MACHINE;
        result = SaveTo(raw);
        HKEY own = nullptr;
        if (result == ERROR_SUCCESS &&
            m_registry.OpenKey(HKEY_CURRENT_USER, kSettingsKey, KEY_WRITE, own) == ERROR_SUCCESS) {
            m_hStoreRoot = HKEY_CURRENT_USER;
            result = SaveTo(own);
        }
        return result;
    }
    m_hStoreRoot = HKEY_CURRENT_USER;
    result = m_registry.CreateKey(HKEY_CURRENT_USER, kSettingsKey, KEY_WRITE, raw);
    return result == ERROR_SUCCESS ? SaveTo(raw) : result;
}

LONG CSettings::SaveTo(HKEY raw) const {
    pw::UniqueRegKey key(raw);
    std::wstring appPath = pw::Widen(GetAppDirectory());
    LONG failed =
        ::RegSetValueExW(key.Get(), kAppPathValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(appPath.c_str()),
                         static_cast<DWORD>((appPath.size() + 1) * sizeof(wchar_t)));
    for (const SettingValue& value : kValues) {
        DWORD data = static_cast<DWORD>(this->*value.field);
        LONG result = ::RegSetValueExA(key.Get(), value.name, 0, REG_DWORD,
                                       reinterpret_cast<const BYTE*>(&data), sizeof data);
        if (failed == ERROR_SUCCESS)
            failed = result;
    }
    return failed;
}

std::string CSettings::GetStorePlace() const {
    return std::string(m_hStoreRoot == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") +
           kSettingsKey;
}

std::string CSettings::GetAppDirectory() {
    // Grown until the whole path fits: a cut path would name another folder.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            std::size_t slash = path.find_last_of(L'\\');
            return slash == std::wstring::npos ? std::string() : pw::Narrow(path.substr(0, slash + 1));
        }
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

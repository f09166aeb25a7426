#include <gtest/gtest.h>

#include <aclapi.h>

#include <array>
#include <cstring>

#include "RegistryBackup.h"
#include "TestFiles.h"
#include "framework/Handle.h"
#include "model/Settings.h"

namespace {

using pwtest::GetRegistryValue;
using pwtest::RegistryKeyExists;
using pwtest::SetRegistryDword;
using pwtest::SetRegistryValue;

constexpr const char* kNames[] = {"Toobar Sound On", "Show Splash", "Show MsgBox CleanBtn", "User Beat Mode"};

class SettingsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pwtest::DeleteRegistryKey(HKEY_LOCAL_MACHINE, kSettingsKey));
        ASSERT_TRUE(pwtest::DeleteRegistryKey(HKEY_CURRENT_USER, kSettingsKey));
    }

    static std::array<int, 4> Fields(const CSettings& settings) {
        return {settings.m_bToolbarSound, settings.m_bShowSplash, settings.m_bShowCleanConfirm,
                settings.m_bUserBeatMode};
    }

    // The stored DWORD, or -1 when the value is missing or not a 4-byte DWORD.
    static long long Stored(const char* name, HKEY root = HKEY_LOCAL_MACHINE) {
        DWORD type = 0;
        std::vector<BYTE> data;
        if (!GetRegistryValue(root, kSettingsKey, name, type, data) || type != REG_DWORD || data.size() != 4)
            return -1;
        DWORD value;
        std::memcpy(&value, data.data(), 4);
        return value;
    }

    pwtest::RegistryBackup m_backup{HKEY_LOCAL_MACHINE, kSettingsKey};
    pwtest::RegistryBackup m_userBackup{HKEY_CURRENT_USER, kSettingsKey};
};

// A registry where the machine-wide key cannot be created, as for a user
// without administrator rights; Wine enforces no such rights.
class UserOnlyRegistry : public IRegistry {
public:
    LONG OpenKey(HKEY root, const char* path, REGSAM access, HKEY& key) override {
        return SystemRegistry().OpenKey(root, path, access, key);
    }
    LONG CreateKey(HKEY root, const char* path, REGSAM access, HKEY& key) override {
        if (root == HKEY_LOCAL_MACHINE) {
            ++m_nRefused;
            return ERROR_ACCESS_DENIED;
        }
        return SystemRegistry().CreateKey(root, path, access, key);
    }
    int m_nRefused = 0;
};

TEST_F(SettingsTest, FirstRunHasDefaultsAndWritesNothingUntilSaved) {
    {
        CSettings settings;
        settings.Load();
        EXPECT_EQ(Fields(settings), (std::array{1, 1, 1, 0}));
        settings.m_bShowSplash = 0;
        settings.m_bUserBeatMode = 1;
        EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kSettingsKey));
        EXPECT_EQ(settings.Save(), ERROR_SUCCESS);
    }
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_EQ(Stored("Toobar Sound On"), 1);
    EXPECT_EQ(Stored("Show Splash"), 0);
    EXPECT_EQ(Stored("Show MsgBox CleanBtn"), 1);
    EXPECT_EQ(Stored("User Beat Mode"), 1);
}

TEST_F(SettingsTest, StoredValuesAreReadBack) {
    const DWORD stored[] = {0, 0, 0, 1};
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(SetRegistryDword(HKEY_LOCAL_MACHINE, kSettingsKey, kNames[i], stored[i]));
    CSettings settings;
    settings.Load();
    EXPECT_EQ(Fields(settings), (std::array{0, 0, 0, 1}));
}

TEST_F(SettingsTest, EachMissingValueFallsBackAloneToItsDefault) {
    const std::array defaults = {1, 1, 1, 0};
    for (int missing = 0; missing < 4; ++missing) {
        SCOPED_TRACE(kNames[missing]);
        ASSERT_TRUE(pwtest::DeleteRegistryKey(HKEY_LOCAL_MACHINE, kSettingsKey));
        std::array<int, 4> expected{};
        for (int i = 0; i < 4; ++i) {
            // Every stored value differs from its default.
            expected[i] = i == missing ? defaults[i] : 1 - defaults[i];
            if (i != missing) {
                ASSERT_TRUE(SetRegistryDword(HKEY_LOCAL_MACHINE, kSettingsKey, kNames[i], 1 - defaults[i]));
            }
        }
        CSettings settings;
        settings.Load();
        EXPECT_EQ(Fields(settings), expected);
    }
}

TEST_F(SettingsTest, ValuesOfAnotherSizeFallBackButTheTypeIsNotChecked) {
    const unsigned long long wide = 0;
    const BYTE narrow[2] = {0, 0};
    const DWORD binaryZero = 0;
    ASSERT_TRUE(SetRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, "Toobar Sound On", REG_QWORD, &wide, 8));
    ASSERT_TRUE(SetRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, "Show Splash", REG_BINARY, narrow, 2));
    ASSERT_TRUE(SetRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, "Show MsgBox CleanBtn", REG_BINARY,
                                 &binaryZero, 4));
    ASSERT_TRUE(SetRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, "User Beat Mode", REG_SZ, "1", 2));
    CSettings settings;
    settings.Load();
    EXPECT_EQ(Fields(settings), (std::array{1, 1, 0, 0}));
}

TEST_F(SettingsTest, SaveWritesDwordsAndRewritesTheAppPath) {
    const char elsewhere[] = "C:\\Elsewhere\\";
    ASSERT_TRUE(
        SetRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, "App Path", REG_SZ, elsewhere, sizeof elsewhere));
    CSettings settings;
    settings.m_bToolbarSound = 0;
    ASSERT_EQ(settings.Save(), ERROR_SUCCESS);
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(GetRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, "App Path", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    std::string expected = pwtest::ExeFolder();
    ASSERT_EQ(data.size(), expected.size() + 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.data())), expected);
    EXPECT_EQ(expected.back(), '\\');
    EXPECT_EQ(Stored("Toobar Sound On"), 0);
    for (const char* name : kNames)
        EXPECT_NE(Stored(name), -1) << name;
}

TEST_F(SettingsTest, AppDirectoryIsTheProgramsFolderWithItsBackslash) {
    EXPECT_EQ(CSettings::GetAppDirectory(), pwtest::ExeFolder());
}

// Grants everyone only write access (and the right to put the DACL back).
bool RestrictKeyToWriting(const char* path, bool restrict) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, WRITE_DAC, &raw) != ERROR_SUCCESS)
        return false;
    pw::UniqueRegKey key(raw);
    char sidBuffer[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sidBuffer;
    if (!::CreateWellKnownSid(WinWorldSid, nullptr, sidBuffer, &sidSize))
        return false;
    EXPLICIT_ACCESS_A access{};
    access.grfAccessPermissions = restrict ? KEY_WRITE | WRITE_DAC | DELETE : KEY_ALL_ACCESS;
    access.grfAccessMode = SET_ACCESS;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.ptstrName = reinterpret_cast<char*>(sidBuffer);
    PACL acl = nullptr;
    if (::SetEntriesInAclA(1, &access, nullptr, &acl) != ERROR_SUCCESS)
        return false;
    DWORD result = ::SetSecurityInfo(key.Get(), SE_REGISTRY_KEY,
                                     DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                     nullptr, acl, nullptr);
    ::LocalFree(acl);
    return result == ERROR_SUCCESS;
}

TEST_F(SettingsTest, WriteOnlyKeyIsStillWritten) {
    ASSERT_TRUE(SetRegistryDword(HKEY_LOCAL_MACHINE, kSettingsKey, "User Beat Mode", 0));
    ASSERT_TRUE(RestrictKeyToWriting(kSettingsKey, true));
    HKEY probe = nullptr;
    LONG full = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_ALL_ACCESS, &probe);
    if (probe)
        ::RegCloseKey(probe);
    {
        CSettings settings;
        settings.Load();
        // Not readable: the defaults.
        EXPECT_EQ(Fields(settings), (std::array{1, 1, 1, 0}));
        settings.m_bUserBeatMode = 1;
        settings.Save();
    }
    ASSERT_TRUE(RestrictKeyToWriting(kSettingsKey, false));
    ASSERT_EQ(full, ERROR_ACCESS_DENIED) << "the system does not enforce the key's access list";
    EXPECT_EQ(Stored("User Beat Mode"), 1);
}

TEST_F(SettingsTest, RefusedMachineKeyStoresTheUsersOwnWhichIsReadOverTheMachines) {
    ASSERT_TRUE(SetRegistryDword(HKEY_LOCAL_MACHINE, kSettingsKey, "Show Splash", 1));
    ASSERT_TRUE(SetRegistryDword(HKEY_LOCAL_MACHINE, kSettingsKey, "Toobar Sound On", 0));
    UserOnlyRegistry registry;
    {
        CSettings settings(registry);
        settings.Load();
        settings.m_bShowSplash = 0;
        settings.m_bUserBeatMode = 1;
        EXPECT_EQ(settings.Save(), ERROR_SUCCESS);
        EXPECT_EQ(settings.GetStorePlace(), "HKEY_CURRENT_USER\\Software\\KOVEN\\Pulsewick");
    }
    EXPECT_EQ(registry.m_nRefused, 2) << "all access, then write access only";
    EXPECT_EQ(Stored("Show Splash"), 1) << "the machine-wide key is left alone";
    EXPECT_EQ(Stored("User Beat Mode"), -1);
    EXPECT_EQ(Stored("Show Splash", HKEY_CURRENT_USER), 0);
    EXPECT_EQ(Stored("Toobar Sound On", HKEY_CURRENT_USER), 0);
    EXPECT_EQ(Stored("User Beat Mode", HKEY_CURRENT_USER), 1);
    DWORD type = 0;
    std::vector<BYTE> appPath;
    ASSERT_TRUE(GetRegistryValue(HKEY_CURRENT_USER, kSettingsKey, "App Path", type, appPath));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(appPath.data())), pwtest::ExeFolder());

    // The next start finds the user's own values over the machine's.
    CSettings next(registry);
    next.Load();
    EXPECT_EQ(Fields(next), (std::array{0, 0, 1, 1}));
    // A later run that may write the machine-wide key keeps the user's own
    // up with it, so that it hides nothing newer.
    CSettings admin;
    admin.Load();
    admin.m_bShowSplash = 1;
    ASSERT_EQ(admin.Save(), ERROR_SUCCESS);
    EXPECT_EQ(Stored("Show Splash"), 1);
    EXPECT_EQ(Stored("Show Splash", HKEY_CURRENT_USER), 1);
}

} // namespace

TEST_F(SettingsTest, PracticeToolsAreOffAtFirstAndStoredAsDwordsOfTheirNamesAndReadBack) {
    struct Field {
        const char* name;
        int CSettings::*field;
        int stored;
    };
    constexpr Field kFields[] = {
        {"Count In Bars", &CSettings::m_nCountInBars, 2},
        {"Trainer Step BPM", &CSettings::m_nTrainerStepBpm, 5},
        {"Trainer Every Bars", &CSettings::m_nTrainerEveryBars, 3},
        {"Trainer Target BPM", &CSettings::m_nTrainerTargetBpm, 140},
        {"Mute Play Bars", &CSettings::m_nMutePlayBars, 6},
        {"Mute Silent Bars", &CSettings::m_nMuteSilentBars, 1},
        {"Practice Minutes", &CSettings::m_nPracticeMinutes, 25},
    };
    CSettings settings;
    settings.Load();
    EXPECT_EQ(settings.m_nCountInBars, 0);
    EXPECT_EQ(settings.m_nTrainerStepBpm, 0);
    EXPECT_EQ(settings.m_nMuteSilentBars, 0);
    EXPECT_EQ(settings.m_nPracticeMinutes, 0);
    for (const Field& f : kFields)
        settings.*f.field = f.stored;
    ASSERT_EQ(settings.Save(), ERROR_SUCCESS);
    CSettings again;
    again.Load();
    for (const Field& f : kFields) {
        EXPECT_EQ(Stored(f.name), f.stored) << f.name;
        EXPECT_EQ(again.*f.field, f.stored) << f.name;
    }
}

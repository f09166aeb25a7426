#include "RegistryBackup.h"

#include "framework/Handle.h"

namespace pwtest {

RegistryBackup::RegistryBackup(HKEY root, const char* path) : m_root(root), m_path(path) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExA(root, path, 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return;
    pw::UniqueRegKey key(raw);
    m_existed = true;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD nameSize = sizeof name;
        Value value;
        DWORD size = 0;
        if (::RegEnumValueA(key.Get(), index, name, &nameSize, nullptr, &value.type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        value.name = name;
        value.data.resize(size);
        ::RegQueryValueExA(key.Get(), name, nullptr, nullptr, value.data.data(), &size);
        m_values.push_back(std::move(value));
    }
}

RegistryBackup::~RegistryBackup() {
    DeleteRegistryKey(m_root, m_path.c_str());
    if (!m_existed)
        return;
    HKEY raw = nullptr;
    if (::RegCreateKeyExA(m_root, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS)
        return;
    pw::UniqueRegKey key(raw);
    for (const Value& value : m_values)
        ::RegSetValueExA(key.Get(), value.name.c_str(), 0, value.type, value.data.data(),
                         static_cast<DWORD>(value.data.size()));
}

bool DeleteRegistryKey(HKEY root, const char* path) {
    ::RegDeleteTreeA(root, path);
    return !RegistryKeyExists(root, path);
}

bool RegistryKeyExists(HKEY root, const char* path) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(raw);
    return true;
}

bool SetRegistryDword(HKEY root, const char* path, const char* name, DWORD value) {
    return SetRegistryValue(root, path, name, REG_DWORD, &value, sizeof value);
}

bool SetRegistryValue(HKEY root, const char* path, const char* name, DWORD type, const void* data,
                      DWORD size) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return false;
    pw::UniqueRegKey key(raw);
    return ::RegSetValueExA(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool GetRegistryValue(HKEY root, const char* path, const char* name, DWORD& type, std::vector<BYTE>& data) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
        return false;
    pw::UniqueRegKey key(raw);
    DWORD size = 0;
    if (::RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data.resize(size);
    return ::RegQueryValueExA(key.Get(), name, nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
}

} // namespace pwtest

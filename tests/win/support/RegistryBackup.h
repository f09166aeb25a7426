// Lets tests change a registry key freely: the key is put back as it was.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pwtest {

class RegistryBackup {
public:
    RegistryBackup(HKEY root, const char* path);
    RegistryBackup(const RegistryBackup&) = delete;
    RegistryBackup& operator=(const RegistryBackup&) = delete;
    ~RegistryBackup();

private:
    struct Value {
        std::string name;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    HKEY m_root;
    std::string m_path;
    bool m_existed = false;
    std::vector<Value> m_values;
};

// Deletes a key with everything below it; true if it is gone.
bool DeleteRegistryKey(HKEY root, const char* path);
bool RegistryKeyExists(HKEY root, const char* path);
// Sets a value, creating the key; false on failure.
bool SetRegistryDword(HKEY root, const char* path, const char* name, DWORD value);
bool SetRegistryValue(HKEY root, const char* path, const char* name, DWORD type, const void* data,
                      DWORD size);
// Reads a value; false if missing. type and data receive what is stored.
bool GetRegistryValue(HKEY root, const char* path, const char* name, DWORD& type, std::vector<BYTE>& data);

} // namespace pwtest

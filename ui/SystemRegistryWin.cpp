// The Windows registry, read through the advanced API.
#include "ui/SystemRegistry.h"

#include <windows.h>

namespace {

HKEY RootKey(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::LocalMachine:
        break;
    }
    return HKEY_LOCAL_MACHINE;
}

class WindowsRegistry : public SystemRegistry {
  public:
    bool GetKeyValue(RegistryRoot KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                     std::string& KeyVal) override {
        KeyVal.clear();
        HKEY key = nullptr;
        if (RegOpenKeyExA(RootKey(KeyRoot), KeyName.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return false;
        char buffer[1024];
        DWORD size = sizeof buffer;
        DWORD type = 0;
        const LONG read =
            RegQueryValueExA(key, SubKeyRef.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return false;
        std::string value(buffer, size);
        while (!value.empty() && value.back() == '\0')
            value.pop_back();
        KeyVal = value;
        return true;
    }
};

} // namespace

std::unique_ptr<SystemRegistry> MakePlatformRegistry() {
    return std::make_unique<WindowsRegistry>();
}

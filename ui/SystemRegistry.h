#pragma once
// The registry lookups behind "System Info...". On Windows they read the real registry; elsewhere
// every lookup fails, so the about window reports that system information is unavailable.
#include <functional>
#include <memory>
#include <string>

enum class RegistryRoot { LocalMachine };

class SystemRegistry {
  public:
    virtual ~SystemRegistry() = default;
    // Reads the text value SubKeyRef of key KeyName under KeyRoot into KeyVal (without its terminating
    // zero). Any failure, a value that is not text included, leaves KeyVal empty and returns false.
    virtual bool GetKeyValue(RegistryRoot KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                             std::string& KeyVal) = 0;
};

std::unique_ptr<SystemRegistry> MakePlatformRegistry();

// The full path of the system information program, found through its two registry entries; "" when
// neither leads to it. fileExists answers for the program file under the second entry's folder.
std::string FindSysInfoPath(SystemRegistry& registry,
                            const std::function<bool(const std::string&)>& fileExists);

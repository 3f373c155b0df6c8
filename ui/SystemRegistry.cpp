#include "ui/SystemRegistry.h"

std::string FindSysInfoPath(SystemRegistry& registry,
                            const std::function<bool(const std::string&)>& fileExists) {
    std::string value;
    if (registry.GetKeyValue(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                             value))
        return value;
    if (registry.GetKeyValue(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location",
                             "MSINFO", value)) {
        const std::string path = value + "\\MSINFO32.EXE";
        if (fileExists(path))
            return path;
    }
    return {};
}

#ifndef _WIN32
namespace {
class NoRegistry : public SystemRegistry {
  public:
    bool GetKeyValue(RegistryRoot, const std::string&, const std::string&, std::string& KeyVal) override {
        KeyVal.clear();
        return false;
    }
};
} // namespace

std::unique_ptr<SystemRegistry> MakePlatformRegistry() {
    return std::make_unique<NoRegistry>();
}
#endif

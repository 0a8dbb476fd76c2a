/*
 * module_loader.h - finds, checks and starts procedure modules.
 *
 * A module `name` is the shared library `name.so` in one of the search
 * directories.  Loading checks the image record (label and magic) and the
 * procedure control record, then calls mcn_main once.  Modules stay loaded
 * for the life of the process.
 */
#ifndef ORV_PLATFORM_MODULE_LOADER_H
#define ORV_PLATFORM_MODULE_LOADER_H

#include <map>
#include <string>
#include <vector>

#include "host/host_records.h"
#include "host/module_records.h"

namespace orvhost {

struct LoadedModule {
    std::string name;
    std::string path;
    const IMAGE_INFO *image = nullptr;
    const PROC_CONTROL_RECORD *procedure = nullptr;
};

class ModuleLoader {
public:
    ModuleLoader(std::vector<std::string> searchPath, GCB *controlBlock, void *processAnchor);

    /* The module, loaded and started on first use; null with `error` set
     * when it cannot be found, loaded, checked or started. */
    const LoadedModule *load(const std::string &name, std::string &error);

private:
    std::vector<std::string> searchPath_;
    GCB *controlBlock_;
    void *processAnchor_;
    std::map<std::string, LoadedModule> loaded_;
};

}  // namespace orvhost

#endif

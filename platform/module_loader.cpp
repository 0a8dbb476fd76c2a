/*
 * module_loader.cpp - dlopen of a module and the checks of its records.
 */
#include "platform/module_loader.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/log.h"

namespace orvhost {
namespace {

using mcn_main_fn = const IMAGE_INFO *(*)(GCB *, void *);

std::string hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

/* What is wrong with a module's image and procedure records ("" when
 * nothing is). */
std::string checkRecords(const std::string &name, const IMAGE_INFO *image)
{
    if (std::memcmp(image->label, ORV_IMAGE_LABEL, sizeof ORV_IMAGE_LABEL) != 0)
        return "its image record does not begin with the label " + std::string{ORV_IMAGE_LABEL};
    if (image->magic != ORV_IMAGE_MAGIC)
        return "its image record has the magic number " + hex(image->magic) + " in place of " +
               hex(ORV_IMAGE_MAGIC);
    if (image->procedures == nullptr || image->procedures[0] == nullptr)
        return "its image record lists no procedure";
    const PROC_CONTROL_RECORD *procedure = image->procedures[0];
    if (std::string(procedure->name.text, sizeof procedure->name.text) != name)
        return "its procedure is named '" +
               std::string(procedure->name.text, sizeof procedure->name.text) + "', not '" +
               name + "'";
    if (procedure->entry == nullptr) return "its procedure control record has no entry";
    return {};
}

}  // namespace

ModuleLoader::ModuleLoader(std::vector<std::string> searchPath, GCB *controlBlock,
                           void *processAnchor)
    : searchPath_(std::move(searchPath)), controlBlock_(controlBlock),
      processAnchor_(processAnchor)
{
}

const LoadedModule *ModuleLoader::load(const std::string &name, std::string &error)
{
    if (auto found = loaded_.find(name); found != loaded_.end()) return &found->second;

    std::string path;
    for (const std::string &directory : searchPath_) {
        std::filesystem::path candidate = std::filesystem::path(directory) / (name + ".so");
        /* A path that cannot be looked at (a symbolic link loop, a directory
         * that may not be searched, a path too long) is reported, not
         * passed over: the module the user meant may be the one there. */
        std::error_code failure;
        std::filesystem::file_status status = std::filesystem::status(candidate, failure);
        if (failure && failure != std::errc::no_such_file_or_directory &&
            failure != std::errc::not_a_directory) {
            error = "The module " + name + " cannot be looked for at " +
                    shownPath(candidate.string()) + ": " + failure.message() +
                    "; check the --module-path directories and their permissions.";
            return nullptr;
        }
        if (std::filesystem::exists(status)) {
            path = candidate.string();
            break;
        }
    }
    if (path.empty()) {
        error = "The module " + name + " was not found (looked for " + name + ".so in";
        for (size_t i = 0; i < searchPath_.size(); ++i)
            error += (i == 0 ? " " : ", ") + shownPath(searchPath_[i]);
        error += "): give its directory with --module-path.";
        return nullptr;
    }

    /* Modules are never unloaded: their records and the control block
     * anchors they hold must outlive every step. */
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle == nullptr) {
        error = "The module " + name + " could not be loaded: " + dlerror();
        return nullptr;
    }
    auto entry = reinterpret_cast<mcn_main_fn>(dlsym(handle, "mcn_main"));
    auto *image = static_cast<const IMAGE_INFO *>(dlsym(handle, "vi_mcn"));
    if (entry == nullptr || image == nullptr) {
        error = "The module " + name + " (" + path + ") has no " +
                (entry == nullptr ? "entry mcn_main" : "image record vi_mcn") + ".";
        return nullptr;
    }
    if (std::string fault = checkRecords(name, image); !fault.empty()) {
        error = "The module " + name + " (" + path + ") is not a procedure module: " + fault + ".";
        return nullptr;
    }
    if (entry(controlBlock_, processAnchor_) != image) {
        error = "The module " + name + " (" + path +
                ") did not return its image record from mcn_main.";
        return nullptr;
    }
    LoadedModule module{name, path, image, image->procedures[0]};
    return &loaded_.emplace(name, module).first->second;
}

}  // namespace orvhost

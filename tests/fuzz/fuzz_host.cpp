/*
 * fuzz_host.cpp - the scratch library, the step run and the read-back of
 * the harnesses (tests/fuzz/fuzz_host.h).
 */
#include "tests/fuzz/fuzz_host.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "host/host_records.h"
#include "platform/dataset/data_set_store.h"
#include "platform/parser/parse_environment.h"
#include "platform/service_table.h"
#include "tests/support/module_host.h"

namespace orvfuzz {
namespace fs = std::filesystem;

namespace {
/* The directory of T, made and assigned on first use. */
const std::string &libraryDirectory()
{
    static const std::string dir = [] {
        char pattern[] = "/tmp/orv-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr) abort();
        std::string error;
        if (!orvtest::moduleHost().dataSets().libraries().assign("T", pattern, error)) abort();
        return std::string(pattern);
    }();
    return dir;
}

/* The seed data sets' files by name, with their text, read once.  They
 * are written with streams rather than copied: a copy through the kernel
 * fails when libFuzzer's timer signal interrupts it, where a stream writes
 * again. */
const std::vector<std::pair<std::string, std::string>> &seedFiles()
{
    static const std::vector<std::pair<std::string, std::string>> files = [] {
        std::vector<std::pair<std::string, std::string>> read;
        for (const char *file : {"sales.csv", "sales.meta.json", "stores.csv", "stores.meta.json"}) {
            std::ifstream in(fs::path(ORV_SOURCE_DIR) / "examples/data" / file, std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            if (!in) abort();
            read.emplace_back(file, text.str());
        }
        return read;
    }();
    return files;
}
}  // namespace

const std::string &resetLibrary()
{
    const std::string &dir = libraryDirectory();
    for (const fs::directory_entry &entry : fs::directory_iterator(dir)) fs::remove_all(entry);
    for (const auto &[file, text] : seedFiles()) {
        std::ofstream out(dir + "/" + file, std::ios::binary);
        if (!(out << text)) abort();
    }
    return dir;
}

int runStep(const orvhost::StepSource &step, void (*entry)())
{
    orvhost::ParseEnvironment &environment = orvhost::parseEnvironment();
    environment.step = &step;
    int returnCode = orvtest::moduleHost().runStep(entry);
    environment.step = nullptr;
    orvtest::takeLog();
    return returnCode;
}

void writeDataSet(const std::string &file, std::string_view text)
{
    const std::string path = libraryDirectory() + "/" + file;
    size_t split = text.find("\n%%\n");
    if (split != std::string_view::npos) {
        std::ofstream(path + ".meta.json", std::ios::binary) << text.substr(0, split);
        text.remove_prefix(split + 4);
    }
    std::ofstream(path + ".csv", std::ios::binary) << text;
}

int readBack(const std::string &member, bool byFirst)
{
    std::string error;
    DATA_SET_HANDLE *handle =
        orvhost::openDataSet("T", member, orvhost::DataSetMode::Input, error);
    if (handle == nullptr) return 0;
    if (byFirst) orvtest::moduleHost().dataSets().setByList(handle, {1}, false);
    void *ref = handle;
    int status = 0;
    /* A read failure ends the groups; the cap only keeps a faulty store
     * from looping for ever. */
    for (int groups = 0; groups < 100000 && host_routines::xbynext(handle) > 0; ++groups) {
        while ((status = host_routines::xybyget(&ref)) == 0) {
        }
        if (status < 0) break;
    }
    orvtest::moduleHost().dataSets().endStep(0);
    orvtest::takeLog();
    return status < 0 ? status : 0;
}

}  // namespace orvfuzz

/*
 * module_records_test.cpp - the records through which the host finds each
 * built module, read byte for byte from the loaded library.
 */
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "host/module_records.h"

namespace {

struct ModuleCase {
    const char *name;
    const char *procedureSymbol;
    uint64_t moduleId;
    const char *component;
};

constexpr ModuleCase kModules[] = {
    {"orvkeydf", "pcn_ORVKEYDF", 542220743, "base"},
    {"orvocrdf", "pcn_ORVOCRDF", 575669431, "kiv"},
};

void *openModule(const char *name)
{
    std::string path = std::string{ORV_MODULE_DIR} + "/" + name + ".so";
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(handle, nullptr) << dlerror();
    return handle;
}

const unsigned char *bytesOf(void *handle, const char *symbol)
{
    void *address = dlsym(handle, symbol);
    EXPECT_NE(address, nullptr) << symbol;
    return static_cast<const unsigned char *>(address);
}

uint64_t word(const unsigned char *record, size_t offset)
{
    uint64_t value;
    std::memcpy(&value, record + offset, sizeof value);
    return value;
}

TEST(ModuleRecords, ImageRecord)
{
    for (const ModuleCase &m : kModules) {
        SCOPED_TRACE(m.name);
        void *handle = openModule(m.name);
        ASSERT_NE(handle, nullptr);
        const unsigned char *image = bytesOf(handle, "vi_mcn");
        EXPECT_EQ(std::memcmp(image, "ORV_Image_Information=\0\0", 24), 0);
        uint32_t magic;
        std::memcpy(&magic, image + 24, 4);
        EXPECT_EQ(magic, 0xB0BDEBEDu);
        EXPECT_EQ(word(image, 28) & 0xFFFFFFFF, 0u);
        EXPECT_EQ(word(image, 28) >> 32, 8u);
        EXPECT_EQ(std::strlen(reinterpret_cast<const char *>(image + 40)), 4u) << "release";
        EXPECT_EQ(std::strlen(reinterpret_cast<const char *>(image + 46)), 16u) << "build id";
        EXPECT_EQ(std::strlen(reinterpret_cast<const char *>(image + 66)), 11u) << "build date";
        EXPECT_EQ(word(image, 96), reinterpret_cast<uint64_t>(bytesOf(handle, "mcn_pcns")));
        EXPECT_STREQ(reinterpret_cast<const char *>(image + 112), "001");
    }
}

TEST(ModuleRecords, ProcedureControlRecord)
{
    for (const ModuleCase &m : kModules) {
        SCOPED_TRACE(m.name);
        void *handle = openModule(m.name);
        ASSERT_NE(handle, nullptr);
        const unsigned char *list = bytesOf(handle, "mcn_pcns");
        const unsigned char *pcn = bytesOf(handle, m.procedureSymbol);
        EXPECT_EQ(word(list, 0), reinterpret_cast<uint64_t>(pcn));
        EXPECT_EQ(word(list, 8), 0u) << "list ends with a null pointer";
        EXPECT_EQ(word(pcn, 0), 0xFFFFFFFFFFFF0000u);
        EXPECT_EQ(word(pcn, 8), 1024u);
        EXPECT_EQ(word(pcn, 16), 1024u);
        EXPECT_EQ(std::string(reinterpret_cast<const char *>(pcn + 24), 8), m.name);
        for (int i = 0; i < 8; ++i) EXPECT_TRUE(std::islower(pcn[24 + i]));
        EXPECT_EQ(word(pcn, 32), 0u);
        EXPECT_NE(word(pcn, 40), 0u) << "procedure entry";
        EXPECT_EQ(word(pcn, 48), 3u);
        EXPECT_EQ(word(pcn, 56), 9683u);
        EXPECT_EQ(word(pcn, 64), m.moduleId);
        EXPECT_EQ(word(pcn, 72), 15u);
    }
}

TEST(ModuleRecords, VersionRecord)
{
    for (const ModuleCase &m : kModules) {
        SCOPED_TRACE(m.name);
        void *handle = openModule(m.name);
        ASSERT_NE(handle, nullptr);
        auto copyVersion = reinterpret_cast<void (*)(void *)>(dlsym(handle, "qxvercn1"));
        ASSERT_NE(copyVersion, nullptr);
        uint64_t words[27];
        std::memset(words, 0xCC, sizeof words);
        copyVersion(words);
        EXPECT_EQ(words[26], 0xCCCCCCCCCCCCCCCCu) << "copies exactly 208 bytes";
        for (int w = 17; w < 26; ++w) EXPECT_EQ(words[w], 0u) << "word " << w;
        auto text = [&](int w) { return std::string(reinterpret_cast<const char *>(words[w])); };
        const char *buildId = reinterpret_cast<const char *>(bytesOf(handle, "vi_mcn") + 46);
        EXPECT_EQ(text(0).size(), 18u);
        EXPECT_EQ(text(0).substr(0, 12), std::string(buildId, 12));
        EXPECT_EQ(text(1).size(), 30u);
        EXPECT_EQ(text(2), "");
        EXPECT_EQ(words[3] >> 32, 0u) << "build time fits 32 bits";
        EXPECT_GT(words[3], 1735689600u) << "built after 2025";
        EXPECT_EQ(text(4), m.component);
        EXPECT_EQ(text(6), "kiv");
        EXPECT_EQ(text(9), "version");
        EXPECT_EQ(text(10), "::");
        EXPECT_EQ(text(12), "ORV_VERSION_HOTFIX_NUMBER=" + std::string(65 - 26, ' '));
        EXPECT_EQ(text(14), "BLDREC_IMAGE_DESCRIPTION=" + std::string(65 - 25, ' '));
        EXPECT_EQ(text(15).size(), 5u);
        EXPECT_EQ(text(16).size(), 28u);
        for (int w : {5, 7, 13}) EXPECT_FALSE(text(w).empty()) << "build token " << w;
    }
}

}  // namespace

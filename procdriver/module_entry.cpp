/*
 * module_entry.cpp - the module entry mcn_main and the records the host reads.
 *
 * Built into each module with that module's build stamp; the module's own
 * entry file supplies the procedure control record, mcn_pcns and the component
 * text.  Exports: vi_mcn, mcn_main, qxvercn1, Exported_QXHandle (and the
 * anchors, kept inside the module).
 */
#include <array>
#include <cstring>

#include "build_stamp.h"
#include "host/module_records.h"

namespace {

/* A text of exactly N characters: `head` followed by blanks. */
template <size_t N>
consteval std::array<char, N + 1> blankPadded(const char *head)
{
    std::array<char, N + 1> text{};
    size_t i = 0;
    for (; head[i] != '\0' && i < N; ++i) text[i] = head[i];
    for (; i < N; ++i) text[i] = ' ';
    return text;
}

constexpr auto kHotfix = blankPadded<65>("ORV_VERSION_HOTFIX_NUMBER=");
constexpr auto kImageDescription = blankPadded<65>("BLDREC_IMAGE_DESCRIPTION=");
constexpr auto kBuildPath = blankPadded<30>("orv/modules");

constexpr VERSION_RECORD info = {
    ORV_VERSION_TEXT, kBuildPath.data(), "",  ORV_BUILD_TIME, ORV_MODULE_COMPONENT,
    ORV_BUILD_TOKEN_A, "kiv",           ORV_BUILD_TOKEN_B, "", "version",
    "::",             "",               kHotfix.data(),    ORV_BUILD_TOKEN_C,
    kImageDescription.data(), "orvbh",   ORV_BUILD_DATETIME, {}};
static_assert(ORV_BUILD_TIME <= 0xFFFFFFFFu, "build time must fit 32 unsigned bits");

}  // namespace

/* The start of this module's mapped image, provided by the linker. */
extern "C" const char __ehdr_start[] __attribute__((visibility("hidden")));

extern "C" {

GCB *v_global_gcb_anchor = nullptr;
void *v_global_pidb_anchor = nullptr;
__attribute__((visibility("default"))) void *Exported_QXHandle = nullptr;

__attribute__((visibility("default"))) extern const IMAGE_INFO vi_mcn = {
    "ORV_Image_Information=", ORV_IMAGE_MAGIC, 0, 8, 0, "1.00", ORV_BUILD_ID, ORV_BUILD_DATE,
    mcn_pcns, __ehdr_start, "001"};

void himodcn() {}

__attribute__((visibility("default"))) const IMAGE_INFO *mcn_main(GCB *controlBlock,
                                                                  void *processAnchor)
{
    v_global_gcb_anchor = controlBlock;
    v_global_pidb_anchor = processAnchor;
    himodcn();
    Exported_QXHandle = controlBlock->kernelHandle;
    return &vi_mcn;
}

__attribute__((visibility("default"))) void qxvercn1(void *buffer)
{
    std::memcpy(buffer, &info, sizeof info);
}

}  // extern "C"

/*
 * module_records.h - the records through which the host finds a module.
 *
 * IMAGE_INFO (vi_mcn), the procedure list (mcn_pcns), the procedure control
 * record (pcn_ORVKEYDF, pcn_ORVOCRDF) and the version record `info` that
 * qxvercn1 hands out.  The host reads them byte for byte, so they are plain
 * structs with every offset pinned.  Also the module globals that mcn_main
 * sets.
 */
#ifndef ORV_MODULE_RECORDS_H
#define ORV_MODULE_RECORDS_H

#include <cstddef>
#include <cstdint>

#include "host/host_records.h"

constexpr uint32_t ORV_IMAGE_MAGIC = 0xB0BDEBEDu;
constexpr char ORV_IMAGE_LABEL[] = "ORV_Image_Information=";
static_assert(sizeof(ORV_IMAGE_LABEL) - 1 == 22);

struct PROC_CONTROL_RECORD;

struct IMAGE_INFO {
    char label[24];           /* 0: label text, NUL-padded */
    uint32_t magic;           /* 24 */
    uint32_t word28;          /* 28: 0 */
    uint32_t word32;          /* 32: 8 */
    uint32_t word36;          /* 36: 0 */
    char release[6];          /* 40: 4 characters, NUL-padded */
    char buildId[20];         /* 46: 16 characters, NUL-padded */
    char buildDate[30];       /* 66: "Mon DD YYYY", NUL-padded */
    const PROC_CONTROL_RECORD *const *procedures; /* 96: mcn_pcns */
    const void *readOnlyData; /* 104: start of the module's read-only image */
    char format[8];           /* 112: "001" */
};
static_assert(offsetof(IMAGE_INFO, label) == 0);
static_assert(offsetof(IMAGE_INFO, magic) == 24);
static_assert(offsetof(IMAGE_INFO, word28) == 28);
static_assert(offsetof(IMAGE_INFO, word32) == 32);
static_assert(offsetof(IMAGE_INFO, word36) == 36);
static_assert(offsetof(IMAGE_INFO, release) == 40);
static_assert(offsetof(IMAGE_INFO, buildId) == 46);
static_assert(offsetof(IMAGE_INFO, buildDate) == 66);
static_assert(offsetof(IMAGE_INFO, procedures) == 96);
static_assert(offsetof(IMAGE_INFO, readOnlyData) == 104);
static_assert(offsetof(IMAGE_INFO, format) == 112);
static_assert(sizeof(IMAGE_INFO) == 120);

/* The procedure name: exactly 8 characters, no terminator. */
struct PROC_NAME {
    char text[8];
};

consteval PROC_NAME procName(const char (&name)[9])
{
    PROC_NAME result{};
    for (int i = 0; i < 8; ++i) result.text[i] = name[i];
    return result;
}

using orv_procedure_entry = void (*)();

struct PROC_CONTROL_RECORD {
    uint16_t word0;        /* 0: 0 */
    uint8_t allOnes[6];    /* 2: 0xFF bytes */
    uint64_t word8;        /* 8: 1024 */
    uint64_t word16;       /* 16: 1024 */
    PROC_NAME name;        /* 24: lower case, 8 characters */
    uint64_t word32;       /* 32: 0 */
    orv_procedure_entry entry; /* 40 */
    uint64_t word48;       /* 48: 3 */
    uint64_t word56;       /* 56: 9683 */
    uint64_t moduleId;     /* 64 */
    uint64_t word72;       /* 72: 15 */
};
static_assert(offsetof(PROC_CONTROL_RECORD, word0) == 0);
static_assert(offsetof(PROC_CONTROL_RECORD, allOnes) == 2);
static_assert(offsetof(PROC_CONTROL_RECORD, word8) == 8);
static_assert(offsetof(PROC_CONTROL_RECORD, word16) == 16);
static_assert(offsetof(PROC_CONTROL_RECORD, name) == 24);
static_assert(offsetof(PROC_CONTROL_RECORD, word32) == 32);
static_assert(offsetof(PROC_CONTROL_RECORD, entry) == 40);
static_assert(offsetof(PROC_CONTROL_RECORD, word48) == 48);
static_assert(offsetof(PROC_CONTROL_RECORD, word56) == 56);
static_assert(offsetof(PROC_CONTROL_RECORD, moduleId) == 64);
static_assert(offsetof(PROC_CONTROL_RECORD, word72) == 72);
static_assert(sizeof(PROC_CONTROL_RECORD) == 80);

constexpr PROC_CONTROL_RECORD procControlRecord(PROC_NAME name, orv_procedure_entry entry,
                                                uint64_t moduleId)
{
    return PROC_CONTROL_RECORD{0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 1024, 1024, name, 0,
                               entry, 3, 9683, moduleId, 15};
}

/* Version record: 26 words; words 0 to 16 used, 17 to 25 zero.  Every used
 * word is a text pointer except word 3, the build time as an unsigned 32-bit
 * count of seconds since 1970 (so it does not wrap in 2038), upper half 0. */
struct VERSION_RECORD {
    const char *version;          /* 0 */
    const char *buildPath;        /* 1 */
    const char *empty2;           /* 2 */
    uint64_t buildTime;           /* 3 */
    const char *component;        /* 4: "base" or "kiv" */
    const char *tokenA;           /* 5 */
    const char *productLine;      /* 6: "kiv" */
    const char *tokenB;           /* 7 */
    const char *empty8;           /* 8 */
    const char *versionWord;      /* 9: "version" */
    const char *separator;        /* 10: "::" */
    const char *empty11;          /* 11 */
    const char *hotfix;           /* 12 */
    const char *tokenC;           /* 13 */
    const char *imageDescription; /* 14 */
    const char *buildHost;        /* 15 */
    const char *buildDateTime;    /* 16 */
    uint64_t unused[9];           /* 17..25: zero */
};
static_assert(offsetof(VERSION_RECORD, buildTime) == 3 * 8);
static_assert(offsetof(VERSION_RECORD, component) == 4 * 8);
static_assert(offsetof(VERSION_RECORD, hotfix) == 12 * 8);
static_assert(offsetof(VERSION_RECORD, buildDateTime) == 16 * 8);
static_assert(offsetof(VERSION_RECORD, unused) == 17 * 8);
static_assert(sizeof(VERSION_RECORD) == 208);

/* What each module's own entry file supplies to the shared module records. */
extern const char ORV_MODULE_COMPONENT[];

extern "C" {
extern const IMAGE_INFO vi_mcn;
extern const PROC_CONTROL_RECORD *const mcn_pcns[2];
extern void *Exported_QXHandle;
const IMAGE_INFO *mcn_main(GCB *controlBlock, void *processAnchor);
void qxvercn1(void *buffer);
void himodcn();
}


#endif

/*
 * stub_abi_test.cpp - the service call stubs: every argument register, the
 * stack, AL and the result pass through untouched, R11 carries the service
 * identifier, the vector's in-call flag is cleared, and a service that ends
 * the step leaves its caller.  Also the trap of services the host lacks, and
 * the service list itself.
 */
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/host_records.h"
#include "platform/host.h"
#include "platform/service_table.h"

extern "C" {
/* The stubs' control block anchor, which a module's mcn_main sets. */
GCB *v_global_gcb_anchor = nullptr;

struct RecordedRegisters {
    uint64_t rdi, rsi, rdx, rcx, r8, r9, r11, rax, stackArgument;
    double xmm[8];
} orv_test_registers;

long orv_test_record_registers();

/* The stubs under test, declared with test signatures: six integer
 * registers, then variadic doubles (AL = 8) and one stack argument. */
long xpmlog(long, long, long, long, long, long, ...);
long _xpmlog_39_70(long, long, long, long, long, long, ...);
long wkread(long, long, long, long, long, long, ...);
long _wkread_0_95(long, long, long, long, long, long, ...);
void xexit(int, int);
void _xexit_39_4(int, int);
}

namespace {

constexpr uint32_t kVectorCount = 213;
constexpr uint32_t kSlotCount = 512;

/* A control block whose every slot routes to the register recorder. */
class RecordingControlBlock {
public:
    RecordingControlBlock() : tables_(kVectorCount), vectors_(kVectorCount), flags_(256, 0xFF)
    {
        for (uint32_t v = 0; v < kVectorCount; ++v) {
            tables_[v].assign(kSlotCount, reinterpret_cast<void *>(&orv_test_record_registers));
            vectors_[v] = tables_[v].data();
        }
        gcb_.vectors = vectors_.data();
        gcb_.inCallFlags = flags_.data();
        v_global_gcb_anchor = &gcb_;
    }
    ~RecordingControlBlock() { v_global_gcb_anchor = nullptr; }

    void route(uint32_t vector, uint32_t slot, void *routine) { tables_[vector][slot] = routine; }
    uint8_t flag(uint32_t vector) const { return flags_[vector]; }

private:
    std::vector<std::vector<void *>> tables_;
    std::vector<orv_routine_table> vectors_;
    std::vector<uint8_t> flags_;
    GCB gcb_{};
};

using VariadicStub = long (*)(long, long, long, long, long, long, ...);

TEST(ServiceStub, ArgumentsReachTheHostRoutineUnchanged)
{
    struct Case {
        const char *id;
        VariadicStub stub;
        uint32_t vector, slot;
    } cases[] = {
        {"xpmlog", &xpmlog, 39, 70},
        {"_xpmlog_39_70", &_xpmlog_39_70, 39, 70},
        {"wkread (vector 0)", &wkread, 0, 95},
        {"_wkread_0_95 (vector 0)", &_wkread_0_95, 0, 95},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        RecordingControlBlock block;
        std::memset(&orv_test_registers, 0, sizeof orv_test_registers);
        long result = c.stub(0x1111111111111111, 0x2222222222222222, 0x3333333333333333,
                             0x4444444444444444, 0x5555555555555555, 0x6666666666666666, 0.5,
                             1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5, 0x7777777777777777L);
        EXPECT_EQ(result, 0x5EED);
        EXPECT_EQ(orv_test_registers.rdi, 0x1111111111111111u);
        EXPECT_EQ(orv_test_registers.rsi, 0x2222222222222222u);
        EXPECT_EQ(orv_test_registers.rdx, 0x3333333333333333u);
        EXPECT_EQ(orv_test_registers.rcx, 0x4444444444444444u);
        EXPECT_EQ(orv_test_registers.r8, 0x5555555555555555u);
        EXPECT_EQ(orv_test_registers.r9, 0x6666666666666666u);
        EXPECT_EQ(orv_test_registers.stackArgument, 0x7777777777777777u);
        EXPECT_EQ(orv_test_registers.rax & 0xFF, 8u) << "AL counts the vector registers";
        for (int i = 0; i < 8; ++i) EXPECT_EQ(orv_test_registers.xmm[i], 0.5 + i);
        EXPECT_EQ(orv_test_registers.r11, orvServiceId(c.vector, c.slot));
        EXPECT_EQ(block.flag(c.vector), 0) << "in-call flag of the vector";
        EXPECT_EQ(block.flag(c.vector + 1), 0xFF) << "other vectors' flags stay";
    }
}

struct EndOfStep {
    int returnCode;
};

[[noreturn]] void endStepRoutine(int rc, int) { throw EndOfStep{rc}; }

TEST(ServiceStub, ExitLeavesTheCaller)
{
    using ExitStub = void (*)(int, int);
    for (ExitStub stub : {&xexit, &_xexit_39_4}) {
        RecordingControlBlock block;
        block.route(39, 4, reinterpret_cast<void *>(&endStepRoutine));
        volatile bool statementAfterCallRan = false;
        int returnCode = -1;
        try {
            stub(1016, 0);
            statementAfterCallRan = true;
        } catch (const EndOfStep &end) {
            returnCode = end.returnCode;
        }
        EXPECT_FALSE(statementAfterCallRan);
        EXPECT_EQ(returnCode, 1016);
    }
}

TEST(ServiceStub, ServiceWithoutRoutineEndsTheStepNamingIt)
{
    std::ostringstream log;
    orvhost::Host host(log);
    GCB *gcb = host.controlBlock().gcb();
    v_global_gcb_anchor = gcb;
    gcb->vectors[39][70] = reinterpret_cast<void *>(&orv_service_trap);
    int returnCode = host.runStep(+[] {
        xpmlog(1, 2, 3, 4, 5, 6);
        xexit(0, 0);
    });
    v_global_gcb_anchor = nullptr;
    EXPECT_EQ(returnCode, 9999);
    EXPECT_NE(log.str().find("ERROR: The host service xpmlog (vector 39, slot 70) is not available"),
              std::string::npos)
        << log.str();
}

TEST(ServiceList, EveryServiceHasItsOwnNameAndSlot)
{
    std::set<std::string> names;
    std::set<uint64_t> ids;
    for (const orvhost::ServiceInfo &service : orvhost::serviceList()) {
        EXPECT_TRUE(names.insert(service.name).second) << service.name;
        EXPECT_TRUE(ids.insert(orvServiceId(service.vector, service.slot)).second) << service.name;
    }
    EXPECT_EQ(names.size(), 102u);
}

TEST(ServiceList, HostRoutinesSitAtTheirSlots)
{
    std::ostringstream log;
    orvhost::Host host(log);
    orv_routine_table *vectors = host.controlBlock().gcb()->vectors;
    EXPECT_EQ(vectors[39][4], reinterpret_cast<void *>(&host_routines::xexit));
    EXPECT_EQ(vectors[39][70], reinterpret_cast<void *>(&host_routines::xpmlog));
    EXPECT_EQ(vectors[0][95], reinterpret_cast<void *>(&host_routines::wkread));
}

}  // namespace

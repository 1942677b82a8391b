// Test hooks of the messaging layer: make a named call fail, watch which calls were made,
// and count the objects and allocations still alive.
//
// Operations are named "Interface::Method" ("IMAPISession::OpenMsgStore",
// "IMAPITable::QueryRows") or by the function's name ("MAPILogonEx", "MAPIAdminProfiles",
// "MAPIInitialize", "MAPIUninitialize", "MAPIAllocateBuffer", "RegFlushKey"). A fault or a
// count may name the method alone ("OpenMsgStore"): it then applies to every interface's
// method of that name.
//
// A call hit by a fault does nothing: it sets its out-pointers to null and returns the
// fault's result. With a failure result that is a failed call; with S_OK (NoObject) it is
// the success without an object that some providers give. PpropFindProp hit by a fault
// finds nothing; its flags word in the log is the tag asked for.
#pragma once

#include "platform/base/WinTypes.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace winplat::mapi
{

struct Fault
{
    HRESULT result = static_cast<HRESULT>(0x80004005); // MAPI_E_CALL_FAILED
    unsigned nth = 1;   // the first call hit, counted from 1 since the fault was set
    unsigned count = 1; // how many calls in a row are hit; 0: every call from nth on
};

struct CallRecord
{
    std::string operation; // "IMAPISession::OpenMsgStore"
    ULONG flags = 0;       // the flags word of the call, where it has one
    std::string detail;    // the text argument that names the target (UTF-8), where any
};

// Kinds of live objects.
enum class MapiObject
{
    ProfAdmin,
    ServiceAdmin,
    ProfSect,
    Table,
    Session,
    MsgStore,
    Folder,
};

class MapiFaults final
{
public:
    MapiFaults() = delete;

    static void Inject(std::string_view operation, Fault fault);
    static void Fail(std::string_view operation, HRESULT result, unsigned nth = 1,
                     unsigned count = 1)
    {
        Inject(operation, Fault{result, nth, count});
    }
    static void NoObject(std::string_view operation, unsigned nth = 1, unsigned count = 1)
    {
        Inject(operation, Fault{0, nth, count});
    }
    // Runs the action when the nth call of the operation starts, before the call does
    // anything: lets a test act at a precise point of the code under test.
    static void OnCall(std::string_view operation, std::function<void()> action, unsigned nth = 1);
    // Every call of the operation first waits this long: a slow server.
    static void Slow(std::string_view operation, std::chrono::microseconds delay);
    // Removes every fault and action, stops recording and forgets the recorded calls.
    static void Clear();

    // While on, every call is counted and logged in order. Off by default: it costs time.
    static void Record(bool on);
    static std::vector<CallRecord> Calls();
    static unsigned CallCount(std::string_view operation);

    static long LiveObjects();
    static long LiveObjects(MapiObject kind);
    // Blocks from MAPIAllocateBuffer and MAPIAllocateMore not yet freed.
    static long LiveAllocations();
    // How many MAPIInitialize calls are not yet matched by MAPIUninitialize.
    static long InitCount();

    // For the layer: records the call and answers whether a fault hits it.
    [[nodiscard]] static bool Hit(const char* operation, ULONG flags, HRESULT* result,
                                  std::string_view detail = {});
    static void ObjectCreated(MapiObject kind) noexcept;
    static void ObjectDestroyed(MapiObject kind) noexcept;
    static void AllocationCountChanged(long delta) noexcept;
};

} // namespace winplat::mapi

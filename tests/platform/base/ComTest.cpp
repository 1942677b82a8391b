#include "platform/base/ComObject.h"
#include "platform/base/ComPtr.h"

#include <gtest/gtest.h>
#include <thread>

namespace
{

inline constexpr IID IID_IUnknownOther = {0x9, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
inline constexpr IID IID_IProbe = {0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}};
struct IProbe : IUnknown
{
    virtual int Value() = 0;
};

int g_live = 0;
class Probe final : public winplat::ComObject<IProbe>
{
public:
    Probe() { ++g_live; }
    int Value() override { return 42; }

private:
    ~Probe() override { --g_live; }
};

} // namespace

template <> struct winplat::InterfaceId<IProbe>
{
    static constexpr const IID& value = IID_IProbe;
};

TEST(Com, QueryInterfaceCountsAndReleases)
{
    auto* p = new Probe;
    IProbe* q = nullptr;
    ASSERT_EQ(p->QueryInterface(IID_IProbe, reinterpret_cast<void**>(&q)), S_OK);
    EXPECT_EQ(q->Value(), 42);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(p->QueryInterface(IID_IUnknownOther, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(q->Release(), 1u);
    EXPECT_EQ(p->Release(), 0u);
    EXPECT_EQ(g_live, 0);
}

TEST(Com, OutParameterAddressReleasesWhatWasHeld)
{
    CComPtr<IProbe> ptr;
    ptr.Attach(new Probe);
    EXPECT_EQ(g_live, 1);
    IProbe** out = &ptr; // reuse for an out-parameter
    EXPECT_EQ(g_live, 0);
    *out = new Probe;
    EXPECT_EQ(ptr->Value(), 42);
    ptr.Release();
    EXPECT_EQ(g_live, 0);
}

TEST(Com, CoInitializeIsCountedPerThread)
{
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    std::thread([] { EXPECT_EQ(CoInitialize(nullptr), S_OK); }).join();
    CoUninitialize();
    CoUninitialize();
}

#include "platform/mapi/Mapi.h"
#include "platform/mapi/MapiFaults.h"

#include <gtest/gtest.h>

using winplat::mapi::MapiFaults;

TEST(MapiInit, UninitializeWithoutInitializeIsHarmless)
{
    MAPIUninitialize();
    EXPECT_EQ(MapiFaults::InitCount(), 0);
    ASSERT_EQ(MAPIInitialize(nullptr), S_OK);
    ASSERT_EQ(MAPIInitialize(nullptr), S_OK);
    MAPIUninitialize();
    EXPECT_EQ(MapiFaults::InitCount(), 1);
    MAPIUninitialize();
    MAPIUninitialize();
    EXPECT_EQ(MapiFaults::InitCount(), 0);
}

TEST(MapiInit, RejectsUnknownVersion)
{
    MAPIINIT_0 init{1, 0};
    EXPECT_EQ(MAPIInitialize(&init), MAPI_E_VERSION);
    EXPECT_EQ(MapiFaults::InitCount(), 0);
}

TEST(MapiAlloc, LinkedBlocksGoWithTheirRoot)
{
    long before = MapiFaults::LiveAllocations();
    void* root = nullptr;
    ASSERT_EQ(MAPIAllocateBuffer(16, &root), S_OK);
    void* more = nullptr;
    ASSERT_EQ(MAPIAllocateMore(32, root, &more), S_OK);
    void* more2 = nullptr;
    ASSERT_EQ(MAPIAllocateMore(8, more, &more2), S_OK);
    EXPECT_EQ(MapiFaults::LiveAllocations(), before + 3);
    MAPIFreeBuffer(more); // linked: stays until the root goes
    EXPECT_EQ(MapiFaults::LiveAllocations(), before + 3);
    MAPIFreeBuffer(root);
    EXPECT_EQ(MapiFaults::LiveAllocations(), before);
}

TEST(MapiProps, FindPropMatchesTagOrIdentifierOnly)
{
    SPropValue props[2]{};
    props[0].ulPropTag = PR_DISPLAY_NAME_A;
    props[1].ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(PR_SERVICE_UID));
    EXPECT_EQ(PpropFindProp(props, 2, PR_DISPLAY_NAME_A), &props[0]);
    EXPECT_EQ(PpropFindProp(props, 2, PR_SERVICE_UID), nullptr);
    EXPECT_EQ(PpropFindProp(props, 2, PROP_TAG(PT_UNSPECIFIED, 0x3D0C)), &props[1]);
    EXPECT_EQ(PpropFindProp(nullptr, 2, PR_SERVICE_UID), nullptr);
}

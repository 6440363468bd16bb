// The host's window list on Windows: published through the header's helper, found by the library.
#include <gtest/gtest.h>

#include "support/CZelShareData.h"
#include "support/WndMsgList.h"
#include "tessaly/tessaly.h"

namespace tessaly {
namespace {

TEST(WndMsgListWin32, TheHeadersPublishedListIsTheLibrarysAndTakesItsWindow)
{
    TessalyWndMsgList list{};
    ASSERT_EQ(TessalyPublishWndMsgList(&list), 0);
    const platform::SharedMemoryBlock view =
        platform::SharedMemoryBlock::OpenExisting(CZelShareData::BlockName(), TESSALY_SHARED_BLOCK_SIZE);
    EXPECT_TRUE(view.valid());
    EXPECT_TRUE(view.privateToUser()) << "the host's block belongs to its own user";
    EXPECT_TRUE(CZelShareData::CarriesOwnIdentity(view));
    EXPECT_TRUE(IsPlausibleList(&list));
    EXPECT_EQ(GetWndMsgList(), &list);
    EXPECT_EQ(RegisterCloseWindow(GetWndMsgList(), 0x10203), 1);
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(UnregisterCloseWindow(GetWndMsgList(), 0x10203), 1);
    TessalyPublishWndMsgList(nullptr);
    EXPECT_EQ(GetWndMsgList(), nullptr);
    HeapFree(GetProcessHeap(), 0, list.items);
}

}  // namespace
}  // namespace tessaly

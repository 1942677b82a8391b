// A scripted directory in place of the real client: ADsOpenObject hands out a search object
// that returns the rows and results a test sets, and records what it was asked.
#pragma once

#include "platform/ads/Ads.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qmfake
{

struct FakeRow
{
    std::optional<std::u16string> cn;
    std::optional<std::u16string> dn; // legacyExchangeDN
    std::optional<bool> hidden;       // msExchHideFromAddressLists
};

struct DirectoryScript
{
    HRESULT bindResult = S_OK;
    HRESULT prefsResult = S_OK;
    HRESULT executeResult = S_OK;
    std::vector<FakeRow> rows;
    // What the row after the last one answers: the end, or a failure that ends the search early.
    HRESULT endResult = S_ADS_NOMORE_ROWS;
    // Called when row i becomes the current row, and after the bind and the search start.
    std::function<void(size_t)> onRow;
    std::function<void()> afterBind;
    std::function<void()> afterExecute;
};

struct DirectoryLog
{
    std::u16string path, user, password;
    DWORD flags = 0;
    std::vector<ADS_SEARCHPREF_INFO> prefs;
    std::u16string filter;
    std::vector<std::u16string> attributes;
    std::vector<std::string> calls;
    int liveObjects = 0;
    int openColumns = 0;
    int openHandles = 0;
};

DirectoryScript& Script();
DirectoryLog& Log();
void ResetDirectory();

} // namespace qmfake

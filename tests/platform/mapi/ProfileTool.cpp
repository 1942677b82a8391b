// A second program working on the same profiles, for the tests that need another process.
//
//   profile_tool list                 the profile names, one a line
//   profile_tool create NAME          creates NAME with a configured Exchange service
//   profile_tool server NAME          prints the server configured in NAME's service
//   profile_tool churn PREFIX COUNT   creates PREFIX-i for every i, deletes the even ones,
//                                     and tries to create Shared-i; prints how many of the
//                                     Shared-i it created
//   profile_tool crash NAME           creates NAME, then dies without any clean-up
//
// Exit 0 on success; errors are printed as HRESULTs.
#include "platform/base/ComPtr.h"
#include "platform/mapi/Mapi.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace
{

int Fail(const char* what, HRESULT hr)
{
    std::fprintf(stderr, "profile_tool: %s: 0x%08X\n", what, static_cast<unsigned>(hr));
    return 1;
}

HRESULT AddService(IProfAdmin* admin, std::string name)
{
    CComPtr<IMsgServiceAdmin> services;
    HRESULT hr = admin->AdminServices(name.data(), nullptr, 0, 0, &services);
    if (FAILED(hr))
        return hr;
    char svc[] = "MSEMS";
    if (FAILED(hr = services->CreateMsgService(svc, svc, 0, 0)))
        return hr;
    CComPtr<IMAPITable> table;
    if (FAILED(hr = services->GetMsgServiceTable(0, &table)))
        return hr;
    SizedSPropTagArray(1, cols) = {1, {PR_SERVICE_UID}};
    LPSRowSet rows = nullptr;
    if (FAILED(hr = HrQueryAllRows(table, reinterpret_cast<LPSPropTagArray>(&cols), nullptr,
                                   nullptr, 0, &rows)))
        return hr;
    char server[] = "EXCH01";
    char account[] = "Administrator";
    SPropValue values[2]{};
    values[0].ulPropTag = PR_PROFILE_UNRESOLVED_SERVER;
    values[0].Value.lpszA = server;
    values[1].ulPropTag = PR_PROFILE_UNRESOLVED_NAME;
    values[1].Value.lpszA = account;
    hr = services->ConfigureMsgService(
        reinterpret_cast<LPMAPIUID>(rows->aRow[0].lpProps[0].Value.bin.lpb), 0, 0, 2, values);
    FreeProws(rows);
    return hr;
}

int List(IProfAdmin* admin)
{
    CComPtr<IMAPITable> table;
    HRESULT hr = admin->GetProfileTable(0, &table);
    if (FAILED(hr))
        return Fail("GetProfileTable", hr);
    SizedSPropTagArray(1, cols) = {1, {PR_DISPLAY_NAME_A}};
    LPSRowSet rows = nullptr;
    if (FAILED(hr = HrQueryAllRows(table, reinterpret_cast<LPSPropTagArray>(&cols), nullptr,
                                   nullptr, 0, &rows)))
        return Fail("HrQueryAllRows", hr);
    for (ULONG i = 0; i < rows->cRows; ++i)
        std::printf("%s\n", rows->aRow[i].lpProps[0].Value.lpszA);
    FreeProws(rows);
    return 0;
}

int Server(IProfAdmin* admin, std::string name)
{
    CComPtr<IMsgServiceAdmin> services;
    HRESULT hr = admin->AdminServices(name.data(), nullptr, 0, 0, &services);
    if (FAILED(hr))
        return Fail("AdminServices", hr);
    CComPtr<IMAPITable> table;
    if (FAILED(hr = services->GetMsgServiceTable(0, &table)))
        return Fail("GetMsgServiceTable", hr);
    SizedSPropTagArray(1, cols) = {1, {PR_SERVICE_UID}};
    LPSRowSet rows = nullptr;
    if (FAILED(hr = HrQueryAllRows(table, reinterpret_cast<LPSPropTagArray>(&cols), nullptr,
                                   nullptr, 0, &rows)) ||
        rows->cRows != 1)
    {
        FreeProws(rows);
        return Fail("HrQueryAllRows", hr);
    }
    CComPtr<IProfSect> section;
    hr = services->OpenProfileSection(
        reinterpret_cast<LPMAPIUID>(rows->aRow[0].lpProps[0].Value.bin.lpb), nullptr, 0, &section);
    FreeProws(rows);
    if (FAILED(hr))
        return Fail("OpenProfileSection", hr);
    SizedSPropTagArray(1, tags) = {1, {PR_PROFILE_UNRESOLVED_SERVER}};
    ULONG count = 0;
    LPSPropValue values = nullptr;
    if (FAILED(
            hr = section->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count, &values)) ||
        hr != S_OK)
    {
        MAPIFreeBuffer(values);
        return Fail("GetProps", hr);
    }
    std::printf("%s\n", values[0].Value.lpszA);
    MAPIFreeBuffer(values);
    return 0;
}

int Churn(IProfAdmin* admin, const std::string& prefix, int count)
{
    int shared = 0;
    for (int i = 0; i < count; ++i)
    {
        std::string own = prefix + "-" + std::to_string(i);
        HRESULT hr = admin->CreateProfile(own.data(), nullptr, 0, 0);
        if (hr != S_OK)
            return Fail("CreateProfile", hr);
        if (FAILED(hr = AddService(admin, own)))
            return Fail("AddService", hr);
        std::string common = "Shared-" + std::to_string(i);
        hr = admin->CreateProfile(common.data(), nullptr, 0, 0);
        if (hr == S_OK)
            ++shared;
        else if (hr != MAPI_E_NO_ACCESS)
            return Fail("CreateProfile of a shared name", hr);
        if (i % 2 == 0 && FAILED(hr = admin->DeleteProfile(own.data(), 0)))
            return Fail("DeleteProfile", hr);
    }
    std::printf("%d\n", shared);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    if (argc < 2)
        return 2;
    std::string command = argv[1];
    if (FAILED(MAPIInitialize(nullptr)))
        return Fail("MAPIInitialize", E_FAIL);
    int rc = 2;
    {
        CComPtr<IProfAdmin> admin;
        HRESULT hr = MAPIAdminProfiles(0, &admin);
        if (FAILED(hr))
            return Fail("MAPIAdminProfiles", hr);
        if (command == "list")
            rc = List(admin);
        else if (command == "server" && argc == 3)
            rc = Server(admin, argv[2]);
        else if (command == "churn" && argc == 4)
            rc = Churn(admin, argv[2], std::atoi(argv[3]));
        else if ((command == "create" || command == "crash") && argc == 3)
        {
            std::string name = argv[2];
            if (FAILED(hr = admin->CreateProfile(name.data(), nullptr, 0, 0)))
                return Fail("CreateProfile", hr);
            if (FAILED(hr = AddService(admin, name)))
                return Fail("AddService", hr);
            if (command == "crash")
                ::_exit(3); // no release, no end of the subsystem, no flush
            rc = 0;
        }
    }
    MAPIUninitialize();
    return rc;
}

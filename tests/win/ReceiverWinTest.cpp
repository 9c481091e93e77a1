// The receiver sources against the real system: without the receiver's driver nothing is found and
// nothing polls; the network receiver keeps trying a server that is not there.
#include <winsock2.h> // before windows.h

#include "fakes/FakeFileSystem.h"
#include "platform/IrDevice.h"
#include "platform/Platform.h"
#include "receivers/Receivers.h"
#include "receivers/SrcIrServer.h"
#include "receivers/SrcRcVistar.h"
// After the program's headers: windows.h renames some of their names.
#include "platform/win32/GraphBase.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace lm {
namespace {

// Runs a test body with COM initialised on the test thread, as the program's main thread has it.
class ReceiverWinTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

int32_t NoteEvent(void* context, const tagIREVENT*) {
    ++*static_cast<int*>(context);
    return 1;
}

TEST_F(ReceiverWinTest, FindFilterFindsNoReceiverAndLeavesTheName) {
    IBaseFilter* filter = reinterpret_cast<IBaseFilter*>(1);
    wchar_t name[16] = L"untouched";
    EXPECT_EQ(win32::CGraphBase::FindFilter(win32::kCategoryBdaReceiverComponent, L"Vistar S USB", &filter,
                                            name, 16),
              win32::kVfwENotFound);
    EXPECT_EQ(filter, nullptr);
    EXPECT_STREQ(name, L"untouched");
}

TEST_F(ReceiverWinTest, APartOfAFriendlyNameFindsAnInstalledFilter) {
    // The system's own DirectShow filters stand in for a receiver: "Renderer" is part of a longer name.
    IBaseFilter* filter = nullptr;
    wchar_t name[8] = {};
    HRESULT hr = win32::CGraphBase::FindFilter(win32::kCategoryLegacyFilters, L"Renderer", &filter, name, 8);
    if (hr == win32::kVfwENotFound)
        GTEST_SKIP() << "no DirectShow renderer registered";
    ASSERT_EQ(hr, S_OK);
    ASSERT_NE(filter, nullptr);
    filter->Release();
    EXPECT_EQ(std::wcslen(name), 7u); // cut to the buffer
    EXPECT_EQ(win32::CGraphBase::FindFilter(win32::kCategoryLegacyFilters, L"renderer", &filter, nullptr, 0),
              win32::kVfwENotFound)
        << "the match is case-sensitive";
}

class NoSettings final : public IReceiverHost {
public:
    uint32_t ReceiverSelection() override { return CReceivers::kDefaultSelection; }
    void SaveReceiverSettings() override { saved = true; }
    void ReceiverFreeing(CSrc&) override {}
    bool saved = false;
};

TEST_F(ReceiverWinTest, WithoutTheReceiverTheDeviceSourceDoesNotStartAndNothingIsFound) {
    int events = 0;
    tagSRCSERVICES services{NativePlatform().clock, NativePlatform().threads, nullptr};
    CSrcRcVistar_S_USB source(services, NativeIrDevices().CreateDevice());
    EXPECT_EQ(source.Init(&events, NoteEvent), 0);
    EXPECT_FALSE(source.IsInitialised() || source.IsPolling());
    auto device = NativeIrDevices().CreateDevice();
    EXPECT_FALSE(device->Open({L"Vistar S USB"}, nullptr));
    EXPECT_EQ(device->QueryCode(), 0u); // nothing open: the preset reply

    test::FakeFileSystem files;
    CReceiverFactory factory(services, NativeIrDevices(), files);
    NoSettings host;
    CReceivers receivers(factory, host, &events, NoteEvent);
    EXPECT_EQ(receivers.InitReceivers(), 0);
    EXPECT_EQ(receivers.FoundMask() + receivers.Ready(), 0u);
    EXPECT_EQ(receivers.Source(12), nullptr);
    EXPECT_TRUE(host.saved);
}

TEST_F(ReceiverWinTest, TheNetworkReceiverRetriesAPortNobodyListensOn) {
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof(address);
    bind(probe, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    closesocket(probe); // the port is free now
    const uint16_t port = ntohs(address.sin_port);
    char buffer[4];
    auto socket = NativeSockets().NewSocket();
    EXPECT_FALSE(socket->Connect(L"127.0.0.1", port, 1000));
    EXPECT_EQ(socket->Receive(buffer, sizeof buffer, 10), kSocketClosed);

    int events = 0;
    CSrcIrServer source({NativePlatform().clock, NativePlatform().threads, nullptr}, NativeSockets(),
                        tagIRSERVERCONFIG{L"127.0.0.1", port, {}});
    ASSERT_EQ(source.Init(&events, NoteEvent), 1);
    const DWORD start = GetTickCount();
    while (source.State() != IrServerState::Retrying && GetTickCount() - start < 5000)
        Sleep(10);
    EXPECT_EQ(source.State(), IrServerState::Retrying);
    EXPECT_EQ(source.Connections() + static_cast<uint32_t>(events), 0u);
    WSACleanup();
}

} // namespace
} // namespace lm

// The receiver of the DVB-S box: its filter among the BDA receiver components, and the driver's
// kernel-streaming property that holds the infrared code.
#include "platform/IrDevice.h"

#include "base/Text.h"
// After the program's headers: windows.h renames some of their names.
#include "platform/win32/GraphBase.h"

#include <oaidl.h>
#include <ocidl.h>
#include <oleauto.h>

#include <string>

namespace lm {
namespace win32 {

namespace {

// {423C13A2-2070-11D0-9EF7-00AA00A216A1}
constexpr GUID kIidKsObject = {0x423C13A2, 0x2070, 0x11D0, {0x9E, 0xF7, 0x00, 0xAA, 0x00, 0xA2, 0x16, 0xA1}};
// The property set of the receiver's code {DC0A8DCA-2C9C-45D5-81F9-DDB3F2BA7EA6}
constexpr GUID kIrCodePropertySet = {
    0xDC0A8DCA, 0x2C9C, 0x45D5, {0x81, 0xF9, 0xDD, 0xB3, 0xF2, 0xBA, 0x7E, 0xA6}};
constexpr DWORD kIoctlKsProperty = 0x002F0003; // IOCTL_KS_PROPERTY
constexpr DWORD kRequestTimeoutMs = 1000;
constexpr size_t kFriendlyNameChars = 256;

// The kernel-streaming object interface of a filter.
struct IKsObjectApi : public IUnknown {
    virtual HANDLE STDMETHODCALLTYPE KsGetObjectHandle() = 0;
};

template <class T>
void Release(T*& p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}

bool ReadFriendlyName(IMoniker* moniker, std::wstring& name) {
    IPropertyBag* bag = nullptr;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, kIidPropertyBag, reinterpret_cast<void**>(&bag))) ||
        !bag)
        return false;
    VARIANT value;
    VariantInit(&value);
    bool ok = SUCCEEDED(bag->Read(L"FriendlyName", &value, nullptr)) && value.vt == VT_BSTR && value.bstrVal;
    if (ok)
        name = CutTo(std::wstring(value.bstrVal, SysStringLen(value.bstrVal)), kFriendlyNameChars);
    VariantClear(&value);
    bag->Release();
    return ok;
}

// One request to the driver, as the kernel-streaming proxy sends it: overlapped, waited for. A driver
// that does not answer within the time-out is cancelled, so the polling thread never hangs on it.
void DeviceControl(HANDLE device, HANDLE event, DWORD code, void* in, DWORD inBytes, void* out,
                   DWORD outBytes) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    ResetEvent(event);
    DWORD returned = 0;
    if (DeviceIoControl(device, code, in, inBytes, out, outBytes, &returned, &overlapped))
        return;
    if (GetLastError() != ERROR_IO_PENDING)
        return;
    if (WaitForSingleObject(event, kRequestTimeoutMs) != WAIT_OBJECT_0)
        CancelIo(device);
    GetOverlappedResult(device, &overlapped, &returned, TRUE);
}

class KsIrDevice final : public IIrDevice {
public:
    ~KsIrDevice() override {
        Close();
        if (event_)
            CloseHandle(event_);
    }
    bool Open(const std::vector<std::wstring>& nameParts, std::vector<tagIRFILTER>* seen) override {
        Close();
        for (const std::wstring& part : nameParts) {
            IBaseFilter* filter = nullptr;
            if (FAILED(CGraphBase::FindFilter(kCategoryBdaReceiverComponent, part.c_str(), &filter, nullptr,
                                              0, seen)) ||
                !filter)
                continue;
            filter->QueryInterface(kIidKsObject, reinterpret_cast<void**>(&ks_));
            filter->Release();
            if (ks_) {
                handle_ = ks_->KsGetObjectHandle();
                return true;
            }
        }
        return false;
    }
    void Close() override {
        handle_ = nullptr; // owned by the filter
        Release(ks_);
    }
    bool IsOpen() const override { return ks_ != nullptr; }
    uint32_t QueryCode() override {
        uint32_t reply = 0;
        if (!handle_ || handle_ == INVALID_HANDLE_VALUE)
            return reply;
        if (!event_)
            event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!event_)
            return reply;
        GUID request = kIrCodePropertySet; // the request is the 16 bytes of the set identifier alone
        DeviceControl(handle_, event_, kIoctlKsProperty, &request, sizeof(request), &reply, sizeof(reply));
        return reply;
    }

private:
    IKsObjectApi* ks_ = nullptr;
    HANDLE handle_ = nullptr;
    HANDLE event_ = nullptr; // used by the polling thread only
};

class KsIrDevices final : public IIrDevices {
public:
    std::unique_ptr<IIrDevice> CreateDevice() override { return std::make_unique<KsIrDevice>(); }
};

} // namespace

HRESULT CGraphBase::FindFilter(const GUID& category, const wchar_t* name, IBaseFilter** filter,
                               wchar_t* friendlyName, size_t friendlyNameChars,
                               std::vector<tagIRFILTER>* seen) {
    if (!name || !filter)
        return kEPointer;
    *filter = nullptr;
    ICreateDevEnum* devices = nullptr;
    IEnumMoniker* monikers = nullptr;
    HRESULT result = kVfwENotFound;
    HRESULT hr = CoCreateInstance(kClsidSystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, kIidCreateDevEnum,
                                  reinterpret_cast<void**>(&devices));
    if (SUCCEEDED(hr) && devices)
        hr = devices->CreateClassEnumerator(category, &monikers, 0);
    // S_FALSE: the category is missing or empty.
    if (hr == S_OK && monikers) {
        monikers->Reset();
        IMoniker* moniker = nullptr;
        while (result != S_OK && monikers->Next(1, &moniker, nullptr) == S_OK) {
            tagIRFILTER met;
            met.searchedFor = name;
            met.nameRead = ReadFriendlyName(moniker, met.friendlyName);
            met.matched = met.friendlyName.find(name) != std::wstring::npos;
            const std::wstring& friendly = met.friendlyName;
            if (met.matched) {
                IBaseFilter* bound = nullptr;
                HRESULT bind = E_FAIL;
                try {
                    bind = moniker->BindToObject(nullptr, nullptr, kIidBaseFilter,
                                                 reinterpret_cast<void**>(&bound));
                } catch (...) {
                    bind = E_FAIL;
                }
                if (SUCCEEDED(bind) && bound) {
                    *filter = bound;
                    if (friendlyName && friendlyNameChars > 0)
                        CopyBounded(friendlyName, friendlyNameChars, friendly);
                    result = S_OK;
                } else {
                    met.bindError = FAILED(bind) ? static_cast<int32_t>(bind) : static_cast<int32_t>(E_FAIL);
                }
            }
            if (seen)
                seen->push_back(std::move(met));
            Release(moniker);
        }
    }
    Release(monikers);
    Release(devices);
    return result;
}

} // namespace win32

IIrDevices& NativeIrDevices() {
    static win32::KsIrDevices devices;
    return devices;
}

} // namespace lm

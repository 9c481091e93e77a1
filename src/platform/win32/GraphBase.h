// DirectShow helpers: finding a filter of a device category by its friendly name.
#pragma once
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <objbase.h>
#include <strmif.h>

#include <cstddef>
#include <vector>

#include "platform/IrDevice.h"

namespace lm::win32 {

// Identifiers, spelled out so that no import library or compiler extension is needed.
// {62BE5D10-60EB-11D0-BD3B-00A0C911CE86}
constexpr GUID kClsidSystemDeviceEnum = {
    0x62BE5D10, 0x60EB, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
// {29840822-5B84-11D0-BD3B-00A0C911CE86}
constexpr GUID kIidCreateDevEnum = {
    0x29840822, 0x5B84, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
// {56A86895-0AD4-11CE-B03A-0020AF0BA770}
constexpr GUID kIidBaseFilter = {
    0x56A86895, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
// {55272A00-42CB-11CE-8135-00AA004BB851}
constexpr GUID kIidPropertyBag = {
    0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
// KSCATEGORY_BDA_RECEIVER_COMPONENT {FD0A5AF4-B41D-11D2-9C95-00C04F7971E0}
constexpr GUID kCategoryBdaReceiverComponent = {
    0xFD0A5AF4, 0xB41D, 0x11D2, {0x9C, 0x95, 0x00, 0xC0, 0x4F, 0x79, 0x71, 0xE0}};
// CLSID_LegacyAmFilterCategory {083863F1-70DE-11D0-BD40-00A0C911CE86}
constexpr GUID kCategoryLegacyFilters = {
    0x083863F1, 0x70DE, 0x11D0, {0xBD, 0x40, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};

constexpr HRESULT kVfwENotFound = static_cast<HRESULT>(0x80040216L); // VFW_E_NOT_FOUND
constexpr HRESULT kEPointer = static_cast<HRESULT>(0x80004003L);     // E_POINTER

class CGraphBase {
public:
    // Finds the first filter of `category` whose friendly name contains `name` (case-sensitive) and that
    // can be bound. S_OK with the filter (and its friendly name when a buffer is given, cut to
    // `friendlyNameChars`); E_POINTER when `name` or `filter` is null; VFW_E_NOT_FOUND when none
    // matches or the enumeration cannot be set up. Every filter looked at is added to `seen` when given.
    static HRESULT FindFilter(const GUID& category, const wchar_t* name, IBaseFilter** filter,
                              wchar_t* friendlyName, size_t friendlyNameChars,
                              std::vector<tagIRFILTER>* seen = nullptr);
};

} // namespace lm::win32

#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The few platform calls the drive probe makes, so that the probe's order,
// its records and its decisions can run against drives of a test's making.
// The values passed are those of the Win32 calls they stand for.

// An opened device; destroying it closes the device.
class IDriveDevice {
public:
    virtual ~IDriveDevice() = default;
    // DeviceIoControl: true when the driver accepted the request. `in` and
    // `out` may be the same buffer.
    virtual bool Control(uint32_t code, const void* in, uint32_t inSize, void* out,
                         uint32_t outSize) = 0;
};

class IDriveQuery {
public:
    virtual ~IDriveQuery() = default;
    // dwPlatformId of GetVersionExA.
    virtual uint32_t PlatformId() = 0;
    // CreateFileA; null when the device does not open.
    virtual std::unique_ptr<IDriveDevice> Open(const std::string& name, uint32_t access,
                                               uint32_t share, uint32_t creation,
                                               uint32_t flags) = 0;
    // SetPriorityClass of the current process.
    virtual void SetProcessPriority(uint32_t priorityClass) = 0;
    // The error box of the Windows 9x driver path; returns when dismissed.
    virtual void ShowDriverMissing(const char* text) = 0;
};

// The platform's values the probe passes through the calls above.
namespace drive_io {
const uint32_t kGenericRead = 0x80000000;
const uint32_t kGenericWrite = 0x40000000;
const uint32_t kShareRead = 0x1;
const uint32_t kShareWrite = 0x2;
const uint32_t kShareDelete = 0x4;
const uint32_t kOpenExisting = 3;
const uint32_t kDeleteOnClose = 0x04000000;
const uint32_t kPlatformNt = 2;
const uint32_t kRealtimePriority = 0x100;
const uint32_t kNormalPriority = 0x20;

const uint32_t kSmartGetVersion = 0x00074080;
const uint32_t kSmartRcvDriveData = 0x0007c088;
const uint32_t kScsiMiniport = 0x0004d008;
const uint32_t kScsiMiniportIdentify = 0x001b0501;
const uint32_t kStorageQueryProperty = 0x002d1400;
// The Windows 9x IDE driver's one request.
const uint32_t kIdeDriverIdentify = 1;
} // namespace drive_io

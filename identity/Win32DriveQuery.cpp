#include "identity/Win32DriveQuery.h"

#include "identity/DriveProbe.h"
#include "identity/DriveRecords.h"
#include "win/Handle.h"
#include "win/MessageBox.h"

#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

// The probe builds its records from its own declarations; they must be the
// platform's, byte for byte, in the 32-bit and the 64-bit build alike.
static_assert(sizeof(GETVERSIONINPARAMS) == sizeof(GetVersionInParams), "GETVERSIONINPARAMS");
static_assert(sizeof(IDEREGS) == sizeof(IdeRegisters), "IDEREGS");
static_assert(sizeof(SENDCMDINPARAMS) == sizeof(SendCmdInParams), "SENDCMDINPARAMS");
static_assert(sizeof(DRIVERSTATUS) == sizeof(DriverStatus), "DRIVERSTATUS");
static_assert(sizeof(SENDCMDOUTPARAMS) == sizeof(SendCmdOutParams), "SENDCMDOUTPARAMS");
static_assert(sizeof(SRB_IO_CONTROL) == sizeof(SrbIoControl), "SRB_IO_CONTROL");
static_assert(sizeof(STORAGE_PROPERTY_QUERY) == sizeof(StoragePropertyQuery),
              "STORAGE_PROPERTY_QUERY");
static_assert(sizeof(STORAGE_DEVICE_DESCRIPTOR) == sizeof(StorageDeviceDescriptor),
              "STORAGE_DEVICE_DESCRIPTOR");
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, SerialNumberOffset) ==
                  offsetof(StorageDeviceDescriptor, SerialNumberOffset),
              "STORAGE_DEVICE_DESCRIPTOR serial offset");
static_assert(offsetof(SENDCMDOUTPARAMS, bBuffer) == kIdentifyDataOffset, "SENDCMDOUTPARAMS");
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA");

static_assert(SMART_GET_VERSION == drive_io::kSmartGetVersion, "SMART_GET_VERSION");
static_assert(SMART_RCV_DRIVE_DATA == drive_io::kSmartRcvDriveData, "SMART_RCV_DRIVE_DATA");
static_assert(IOCTL_SCSI_MINIPORT == drive_io::kScsiMiniport, "IOCTL_SCSI_MINIPORT");
static_assert(IOCTL_STORAGE_QUERY_PROPERTY == drive_io::kStorageQueryProperty,
              "IOCTL_STORAGE_QUERY_PROPERTY");
static_assert(GENERIC_READ == drive_io::kGenericRead && GENERIC_WRITE == drive_io::kGenericWrite,
              "access rights");
static_assert(FILE_SHARE_READ == drive_io::kShareRead &&
                  FILE_SHARE_WRITE == drive_io::kShareWrite &&
                  FILE_SHARE_DELETE == drive_io::kShareDelete,
              "share modes");
static_assert(OPEN_EXISTING == drive_io::kOpenExisting, "OPEN_EXISTING");
static_assert(FILE_FLAG_DELETE_ON_CLOSE == drive_io::kDeleteOnClose, "FILE_FLAG_DELETE_ON_CLOSE");
static_assert(VER_PLATFORM_WIN32_NT == drive_io::kPlatformNt, "VER_PLATFORM_WIN32_NT");
static_assert(REALTIME_PRIORITY_CLASS == drive_io::kRealtimePriority &&
                  NORMAL_PRIORITY_CLASS == drive_io::kNormalPriority,
              "priority classes");

namespace {

class Win32DriveDevice : public IDriveDevice {
public:
    explicit Win32DriveDevice(HANDLE handle) : m_handle(handle) {}

    bool Control(uint32_t code, const void* in, uint32_t inSize, void* out,
                 uint32_t outSize) override {
        DWORD returned = 0;
        return ::DeviceIoControl(m_handle.Get(), code, const_cast<void*>(in), inSize, out, outSize,
                                 &returned, nullptr) != FALSE;
    }

private:
    win::ScopedHandle m_handle;
};

} // namespace

uint32_t Win32DriveQuery::PlatformId() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ::GetVersionExA(&version);
    return version.dwPlatformId;
}

std::unique_ptr<IDriveDevice> Win32DriveQuery::Open(const std::string& name, uint32_t access,
                                                    uint32_t share, uint32_t creation,
                                                    uint32_t flags) {
    const HANDLE handle =
        ::CreateFileA(name.c_str(), access, share, nullptr, creation, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32DriveDevice>(handle);
}

void Win32DriveQuery::SetProcessPriority(uint32_t priorityClass) {
    ::SetPriorityClass(::GetCurrentProcess(), priorityClass);
}

void Win32DriveQuery::ShowDriverMissing(const char* text) {
    win::ShowMessage(text, MB_ICONERROR);
}

const char* ReadDriveSerial() {
    Win32DriveQuery query;
    return ReadDriveSerial(query);
}

#pragma once

#include <cstddef>
#include <cstdint>

// The records the disk drivers read and write, laid out byte for byte as the
// drivers expect them, whatever the build's pointer size. The Win32 shell
// checks each against the platform's own declaration.

#pragma pack(push, 1)

struct GetVersionInParams {
    uint8_t bVersion;
    uint8_t bRevision;
    uint8_t bReserved;
    uint8_t bIDEDeviceMap;
    uint32_t fCapabilities;
    uint32_t dwReserved[4];
};

struct IdeRegisters {
    uint8_t bFeaturesReg;
    uint8_t bSectorCountReg;
    uint8_t bSectorNumberReg;
    uint8_t bCylLowReg;
    uint8_t bCylHighReg;
    uint8_t bDriveHeadReg;
    uint8_t bCommandReg;
    uint8_t bReserved;
};

struct SendCmdInParams {
    uint32_t cBufferSize;
    IdeRegisters irDriveRegs;
    uint8_t bDriveNumber;
    uint8_t bReserved[3];
    uint32_t dwReserved[4];
    uint8_t bBuffer[1];
};

struct DriverStatus {
    uint8_t bDriverError;
    uint8_t bIDEError;
    uint8_t bReserved[2];
    uint32_t dwReserved[2];
};

struct SendCmdOutParams {
    uint32_t cBufferSize;
    DriverStatus driverStatus;
    uint8_t bBuffer[1];
};

struct SrbIoControl {
    uint32_t HeaderLength;
    uint8_t Signature[8];
    uint32_t Timeout;
    uint32_t ControlCode;
    uint32_t ReturnCode;
    uint32_t Length;
};

// What the Windows 9x IDE driver fills: which controllers and drives exist
// (drive i sits on controller i / 2) and each drive's IDENTIFY block.
struct IdeDriverRecord {
    uint8_t controllerPresent[4];
    uint8_t drivePresent[8];
    uint8_t identifyBlocks[8][512];
};

#pragma pack(pop)

// The storage query records keep the platform's natural alignment.
struct StoragePropertyQuery {
    uint32_t PropertyId; // StorageDeviceProperty, 0
    uint32_t QueryType;  // PropertyStandardQuery, 0
    uint8_t AdditionalParameters[1];
};

struct StorageDeviceDescriptor {
    uint32_t Version;
    uint32_t Size;
    uint8_t DeviceType;
    uint8_t DeviceTypeModifier;
    uint8_t RemovableMedia;
    uint8_t CommandQueueing;
    uint32_t VendorIdOffset;
    uint32_t ProductIdOffset;
    uint32_t ProductRevisionOffset;
    uint32_t SerialNumberOffset;
    uint32_t BusType;
    uint32_t RawPropertiesLength;
    uint8_t RawDeviceProperties[1];
};

static_assert(sizeof(GetVersionInParams) == 24, "GETVERSIONINPARAMS");
static_assert(sizeof(IdeRegisters) == 8, "IDEREGS");
static_assert(sizeof(SendCmdInParams) == 33, "SENDCMDINPARAMS");
static_assert(sizeof(DriverStatus) == 12, "DRIVERSTATUS");
static_assert(sizeof(SendCmdOutParams) == 17, "SENDCMDOUTPARAMS");
static_assert(sizeof(SrbIoControl) == 28, "SRB_IO_CONTROL");
static_assert(sizeof(IdeDriverRecord) == 4108, "the IDE driver's record");
static_assert(sizeof(StoragePropertyQuery) == 12, "STORAGE_PROPERTY_QUERY");
static_assert(sizeof(StorageDeviceDescriptor) == 40, "STORAGE_DEVICE_DESCRIPTOR");

// The buffers the probe paths hand to the drivers.
const uint32_t kIdentifyBlockSize = 512;
// SENDCMDOUTPARAMS with the 512 IDENTIFY bytes in place of its one-byte buffer.
const uint32_t kSmartOutputSize = sizeof(SendCmdOutParams) - 1 + kIdentifyBlockSize;
// SRB_IO_CONTROL, then room for a SENDCMDOUTPARAMS and 512 data bytes.
const uint32_t kScsiBufferSize =
    sizeof(SrbIoControl) + sizeof(SendCmdOutParams) + kIdentifyBlockSize;
// SENDCMDINPARAMS followed by 512 bytes, used for the command and its answer.
const uint32_t kSmartSharedBufferSize = sizeof(SendCmdInParams) + kIdentifyBlockSize;
const uint32_t kDescriptorBufferSize = 10000;
// Where the IDENTIFY data begins in a SENDCMDOUTPARAMS answer.
const uint32_t kIdentifyDataOffset = 16;

static_assert(kSmartOutputSize == 528, "SMART answer area");
static_assert(kScsiBufferSize == 557, "SCSI miniport buffer");
static_assert(kSmartSharedBufferSize == 545, "shared SMART buffer");
static_assert(offsetof(SendCmdOutParams, bBuffer) == kIdentifyDataOffset, "IDENTIFY data offset");

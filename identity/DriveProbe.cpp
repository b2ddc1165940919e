#include "identity/DriveProbe.h"

#include "identity/DriveRecords.h"

#include <cstdio>
#include <cstring>
#include <vector>

char g_driveSerial[kDriveTextSize];
char g_driveModel[kDriveTextSize];

namespace {

using namespace drive_io;

// Physical drives and SCSI ports are each tried by the numbers 0 to 15.
const int kDeviceNumbers = 16;
const int kIdeDrives = 8;
const int kIdeAttempts = 10;
const uint8_t kIdentifyDevice = 0xec;
const uint8_t kIdentifyPacketDevice = 0xa1;
// Byte 54 of the IDENTIFY data is the first character of the model.
const int kModelOffset = 2 * kModelFirstWord;

std::string DeviceName(const char* format, int number) {
    char name[32];
    std::snprintf(name, sizeof name, format, number);
    return name;
}

void CopyText(char* destination, const char* text) {
    std::snprintf(destination, kDriveTextSize, "%s", text);
}

bool IsSerialRecorded() {
    return g_driveSerial[0] != '\0';
}

// A descriptor serial counts when it starts with a letter or digit, or, when
// right-aligned in a 20-character field, ends there with one.
bool RecordDescriptorData(const char* serial, const char* model) {
    const bool usable =
        IsAlphanumeric(serial[0]) || (std::strlen(serial) >= 20 && IsAlphanumeric(serial[19]));
    if (IsSerialRecorded() || !usable)
        return false;
    CopyText(g_driveSerial, serial);
    CopyText(g_driveModel, model);
    return true;
}

} // namespace

void RecordIdentifyData(int32_t /*driveNumber*/, const IdentifyWords& words) {
    char serial[2 * (kSerialLastWord - kSerialFirstWord + 1) + 1];
    char model[2 * (kModelLastWord - kModelFirstWord + 1) + 1];
    IdentifyWordsToText(words, kSerialFirstWord, kSerialLastWord, serial);
    IdentifyWordsToText(words, kModelFirstWord, kModelLastWord, model);
    // The 20th byte is looked at even past an earlier NUL: a right-aligned
    // serial starts with blanks and is usable only through its last character.
    if (IsSerialRecorded() || !(IsAlphanumeric(serial[0]) || IsAlphanumeric(serial[19])))
        return;
    CopyText(g_driveSerial, serial);
    CopyText(g_driveModel, model);
}

namespace {

const char kPhysicalDrive[] = "\\\\.\\PhysicalDrive%d";
const char kScsiPort[] = "\\\\.\\Scsi%d:";

// Opens each of the 16 devices of a kind in turn, hands the open ones to
// `visit` and closes each before the next; true when any visit got data.
template <typename Visit>
bool ForEachDevice(IDriveQuery& query, const char* format, uint32_t access, uint32_t share,
                   Visit visit) {
    bool found = false;
    for (int number = 0; number < kDeviceNumbers; ++number) {
        const auto device = query.Open(DeviceName(format, number), access, share, kOpenExisting, 0);
        if (device && visit(*device, number))
            found = true;
    }
    return found;
}

} // namespace

bool ProbeSmartIdentify(IDriveQuery& query) {
    return ForEachDevice(
        query, kPhysicalDrive, kGenericRead | kGenericWrite, kShareRead | kShareWrite,
        [](IDriveDevice& device, int drive) {
            GetVersionInParams version = {};
            if (!device.Control(kSmartGetVersion, nullptr, 0, &version, sizeof version))
                version = GetVersionInParams();
            if (version.bIDEDeviceMap == 0)
                return false;

            SendCmdInParams command = {};
            unsigned char answer[kSmartOutputSize] = {};
            command.cBufferSize = kIdentifyBlockSize;
            command.irDriveRegs.bSectorCountReg = 1;
            command.irDriveRegs.bDriveHeadReg = static_cast<uint8_t>((drive & 1) ? 0xb0 : 0xa0);
            // The device map marks ATAPI drives (CD, DVD) with bit 4 onwards.
            command.irDriveRegs.bCommandReg =
                ((version.bIDEDeviceMap >> drive) & 0x10) ? kIdentifyPacketDevice : kIdentifyDevice;
            command.bDriveNumber = static_cast<uint8_t>(drive);
            if (!device.Control(kSmartRcvDriveData, &command, sizeof command - 1, answer,
                                sizeof answer))
                return false;
            RecordIdentifyData(drive, IdentifyWordsFromBytes(answer + kIdentifyDataOffset));
            return true;
        });
}

bool ProbeScsiMiniport(IDriveQuery& query) {
    return ForEachDevice(
        query, kScsiPort, kGenericRead | kGenericWrite, kShareRead | kShareWrite,
        [](IDriveDevice& device, int port) {
            bool found = false;
            for (int drive = 0; drive < 2; ++drive) {
                unsigned char buffer[kScsiBufferSize] = {};
                SrbIoControl header = {};
                header.HeaderLength = sizeof header;
                std::memcpy(header.Signature, "SCSIDISK", sizeof header.Signature);
                header.Timeout = 10000;
                header.ControlCode = kScsiMiniportIdentify;
                header.Length = kScsiBufferSize - sizeof header;
                SendCmdInParams command = {};
                command.irDriveRegs.bCommandReg = kIdentifyDevice;
                command.bDriveNumber = static_cast<uint8_t>(drive);
                std::memcpy(buffer, &header, sizeof header);
                std::memcpy(buffer + sizeof header, &command, sizeof command);

                const unsigned char* data = buffer + sizeof header + kIdentifyDataOffset;
                if (device.Control(kScsiMiniport, buffer, sizeof header + sizeof command - 1,
                                   buffer, sizeof buffer) &&
                    data[kModelOffset] != 0) {
                    RecordIdentifyData(port * 2 + drive, IdentifyWordsFromBytes(data));
                    found = true;
                }
            }
            return found;
        });
}

bool ProbeStorageQuery(IDriveQuery& query) {
    return ForEachDevice(
        query, kPhysicalDrive, 0, kShareRead | kShareWrite, [](IDriveDevice& device, int) {
            const StoragePropertyQuery request = {};
            std::vector<unsigned char> buffer(kDescriptorBufferSize);
            if (!device.Control(kStorageQueryProperty, &request, sizeof request, buffer.data(),
                                kDescriptorBufferSize))
                return false;
            StorageDeviceDescriptor descriptor;
            std::memcpy(&descriptor, buffer.data(), sizeof descriptor);
            char model[kDescriptorTextSize];
            char serial[kDescriptorTextSize];
            DecodeDescriptorText(buffer.data(), buffer.size(),
                                 static_cast<int32_t>(descriptor.ProductIdOffset), false, model);
            DecodeDescriptorText(buffer.data(), buffer.size(),
                                 static_cast<int32_t>(descriptor.SerialNumberOffset), true, serial);
            return RecordDescriptorData(serial, model);
        });
}

bool ProbeSmartShared(IDriveQuery& query) {
    return ForEachDevice(
        query, kPhysicalDrive, kGenericRead | kGenericWrite,
        kShareRead | kShareWrite | kShareDelete, [](IDriveDevice& device, int drive) {
            GetVersionInParams version = {};
            if (!device.Control(kSmartGetVersion, nullptr, 0, &version, sizeof version))
                return false;
            std::vector<unsigned char> buffer(kSmartSharedBufferSize);
            buffer[offsetof(SendCmdInParams, irDriveRegs) + offsetof(IdeRegisters, bCommandReg)] =
                kIdentifyDevice;
            if (!device.Control(kSmartRcvDriveData, buffer.data(), sizeof(SendCmdInParams),
                                buffer.data(), kSmartSharedBufferSize))
                return false;
            RecordIdentifyData(drive, IdentifyWordsFromBytes(buffer.data() + kIdentifyDataOffset));
            return true;
        });
}

bool ProbeIdeVxd(IDriveQuery& query) {
    query.SetProcessPriority(kRealtimePriority);
    IdeDriverRecord record = {};
    if (const auto device = query.Open("\\\\.\\IDE21201.VXD", 0, 0, 0, kDeleteOnClose)) {
        // The driver fills the whole record whatever length it is told.
        device->Control(kIdeDriverIdentify, nullptr, 0, &record, 4);
    } else {
        query.ShowDriverMissing("ERROR: Could not open IDE21201.VXD file");
    }
    bool found = false;
    for (int drive = 0; drive < kIdeDrives; ++drive) {
        if (record.drivePresent[drive] && record.controllerPresent[drive / 2]) {
            RecordIdentifyData(drive, IdentifyWordsFromBytes(record.identifyBlocks[drive]));
            found = true;
        }
    }
    // Back to normal, not to whatever class the process had before.
    query.SetProcessPriority(kNormalPriority);
    return found;
}

const char* ReadDriveSerial(IDriveQuery& query) {
    g_driveSerial[0] = '\0';
    if (query.PlatformId() == kPlatformNt) {
        // All four run whatever each finds; a later path cannot replace a
        // recorded serial, so the first usable one in this order wins.
        ProbeSmartIdentify(query);
        ProbeScsiMiniport(query);
        ProbeStorageQuery(query);
        ProbeSmartShared(query);
    } else {
        for (int attempt = 0; attempt < kIdeAttempts; ++attempt) {
            if (ProbeIdeVxd(query) || IsSerialRecorded())
                break;
        }
    }
    return g_driveSerial;
}

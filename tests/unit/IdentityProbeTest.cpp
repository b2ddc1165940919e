#include "identity/DriveProbe.h"
#include "identity/DriveRecords.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace drive_io;

// 512 IDENTIFY bytes (little-endian words) with a serial and a model.
std::vector<unsigned char> IdentifyBlock(const std::string& serial, const std::string& model) {
    std::vector<unsigned char> block(512, 0);
    auto put = [&](std::string text, int firstWord, size_t size) {
        if (text.empty())
            return; // no field at all: zero bytes
        text.resize(size, ' ');
        for (size_t i = 0; i < size; i += 2) {
            block[2 * firstWord + i] = uint8_t(text[i + 1]); // low byte: second character
            block[2 * firstWord + i + 1] = uint8_t(text[i]);
        }
    };
    put(serial, 10, 20);
    put(model, 27, 40);
    return block;
}

// Drives of a test's making, answering the four paths' requests; the
// requests' input bytes are kept.
struct FakeDrives : IDriveQuery {
    struct Drive {
        uint8_t deviceMap = 0;                 // SMART_GET_VERSION; 0 = the request fails
        std::vector<unsigned char> identify;   // SMART_RCV_DRIVE_DATA; empty = fails
        std::vector<unsigned char> descriptor; // storage query; empty = fails
        bool opensForWrite = true;
    };
    std::map<std::string, Drive> devices;
    std::vector<std::vector<unsigned char>> inputs;
    uint32_t platform = kPlatformNt;
    bool driverPresent = false;
    IdeDriverRecord ideRecord = {};

    struct Device : IDriveDevice {
        Device(FakeDrives& owner, const std::string& name) : owner(owner), name(name) {}
        bool Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t) override {
            const auto* inBytes = static_cast<const unsigned char*>(in);
            owner.inputs.emplace_back(inBytes, inBytes + inSize);
            auto* outBytes = static_cast<unsigned char*>(out);
            if (code == kIdeDriverIdentify)
                return std::memcpy(out, &owner.ideRecord, sizeof owner.ideRecord), true;
            const Drive& drive = owner.devices[name];
            if (code == kSmartGetVersion && drive.deviceMap != 0)
                return outBytes[3] = drive.deviceMap, true;
            // The data follows the 16-byte answer header, after the SCSI
            // request header on that path.
            const size_t at = (code == kScsiMiniport ? sizeof(SrbIoControl) : 0) + 16;
            if ((code == kSmartRcvDriveData || code == kScsiMiniport) && !drive.identify.empty())
                return std::memcpy(outBytes + at, drive.identify.data(), 512), true;
            if (code == kStorageQueryProperty && !drive.descriptor.empty())
                return std::memcpy(out, drive.descriptor.data(), drive.descriptor.size()), true;
            return false;
        }
        FakeDrives& owner;
        std::string name;
    };

    uint32_t PlatformId() override { return platform; }
    std::unique_ptr<IDriveDevice> Open(const std::string& name, uint32_t access, uint32_t, uint32_t,
                                       uint32_t) override {
        if (name == "\\\\.\\IDE21201.VXD")
            return driverPresent ? std::make_unique<Device>(*this, name) : nullptr;
        const auto found = devices.find(name);
        if (found == devices.end() || (access != 0 && !found->second.opensForWrite))
            return nullptr;
        return std::make_unique<Device>(*this, name);
    }
    void SetProcessPriority(uint32_t) override {}
    void ShowDriverMissing(const char*) override { ++driverMissingShown; }
    int driverMissingShown = 0;
};

// A storage descriptor with the product and serial strings after the record.
std::vector<unsigned char> Descriptor(const std::string& product, const std::string& serial) {
    std::vector<unsigned char> bytes(sizeof(StorageDeviceDescriptor));
    StorageDeviceDescriptor record = {};
    record.ProductIdOffset = static_cast<uint32_t>(bytes.size());
    bytes.insert(bytes.end(), product.begin(), product.end());
    bytes.push_back(0);
    record.SerialNumberOffset = static_cast<uint32_t>(bytes.size());
    bytes.insert(bytes.end(), serial.begin(), serial.end());
    bytes.push_back(0);
    std::memcpy(bytes.data(), &record, sizeof record);
    return bytes;
}

const char kDrive0[] = "\\\\.\\PhysicalDrive0";
const char kDrive1[] = "\\\\.\\PhysicalDrive1";

// Without administrator rights only the query-only open succeeds.
TEST(DriveProbe, SerialFoundOnlyByTheStorageQuery) {
    FakeDrives drives;
    drives.devices[kDrive0] = {1, IdentifyBlock("NOT-REACHED", "m"),
                               Descriptor("Samsung SSD", "S1AB2CD3"), false};
    std::strcpy(g_driveSerial, "left over");
    EXPECT_STREQ(ReadDriveSerial(drives), "1SBAC23D"); // serials come pairwise swapped
    EXPECT_STREQ(g_driveModel, "Samsung SSD");
    FakeDrives none;
    EXPECT_STREQ(ReadDriveSerial(none), "");
}

// SMART first, then the SCSI ports, then the storage query: the first
// usable serial wins.
TEST(DriveProbe, FirstPathWins) {
    FakeDrives drives;
    drives.devices[kDrive0].descriptor = Descriptor("Other", "STORAGE1");
    drives.devices["\\\\.\\Scsi0:"].identify = IdentifyBlock("SCSI0001", "Scsi model");
    EXPECT_STREQ(ReadDriveSerial(drives), "SCSI0001");
    drives.devices[kDrive0].deviceMap = 0x01;
    drives.devices[kDrive0].identify = IdentifyBlock("WD-WMAZA1234567", "WDC WD5000");
    EXPECT_STREQ(ReadDriveSerial(drives), "WD-WMAZA1234567");
    EXPECT_STREQ(g_driveModel, "WDC WD5000");
}

// An ATAPI drive (bit 4 of the map shifted by its number) is asked with the
// packet command, a disk with the ordinary one.
TEST(DriveProbe, SmartCommandFollowsTheDeviceMap) {
    FakeDrives drives;
    drives.devices[kDrive0].deviceMap = 0x21;
    drives.devices[kDrive1].deviceMap = 0x21;
    EXPECT_FALSE(ProbeSmartIdentify(drives));
    ASSERT_EQ(drives.inputs.size(), 4u); // version and IDENTIFY for each
    EXPECT_EQ(drives.inputs[1].at(10), 0xec);
    EXPECT_EQ(drives.inputs[3].at(10), 0xa1);
}

// A SCSI answer without a model is no drive; the shared SMART path needs the
// version answer before it asks.
TEST(DriveProbe, ScsiNeedsAModelAndSharedSmartTheVersion) {
    FakeDrives drives;
    drives.devices["\\\\.\\Scsi1:"].identify = IdentifyBlock("SCSI-SERIAL", "");
    g_driveSerial[0] = '\0';
    EXPECT_FALSE(ProbeScsiMiniport(drives));

    FakeDrives shared;
    shared.devices[kDrive0].identify = IdentifyBlock("NO-VERSION", "m");
    shared.devices[kDrive1] = {1, IdentifyBlock("SHARED-1", "m"), {}, true};
    EXPECT_TRUE(ProbeSmartShared(shared));
    EXPECT_STREQ(g_driveSerial, "SHARED-1");
}

TEST(DriveProbe, StorageDescriptorWithOffsetsOutsideTheBufferIsIgnored) {
    FakeDrives drives;
    auto& broken = drives.devices[kDrive0].descriptor = Descriptor("", "");
    reinterpret_cast<StorageDeviceDescriptor*>(broken.data())->ProductIdOffset = 0x7fffffff;
    reinterpret_cast<StorageDeviceDescriptor*>(broken.data())->SerialNumberOffset = 0xfffffff0u;
    drives.devices[kDrive1].descriptor = Descriptor("Disk", "------------------7-");
    g_driveSerial[0] = '\0';
    EXPECT_TRUE(ProbeStorageQuery(drives));
    // Swapped back, its first character is no letter or digit, its 20th is.
    EXPECT_STREQ(g_driveSerial, "-------------------7");

    FakeDrives unusable;
    unusable.devices[kDrive0].descriptor = Descriptor("Disk", "-------------------7");
    g_driveSerial[0] = '\0';
    EXPECT_FALSE(ProbeStorageQuery(unusable));
    EXPECT_STREQ(g_driveSerial, "");
}

// Without the IDE driver the player is told and the serial stays empty.
TEST(DriveProbe, Windows9xReadsTheDriversRecord) {
    FakeDrives missing;
    missing.platform = 1;
    EXPECT_STREQ(ReadDriveSerial(missing), "");
    EXPECT_GT(missing.driverMissingShown, 0);

    FakeDrives found;
    found.platform = 1, found.driverPresent = true;
    const auto block = IdentifyBlock("VXD-SERIAL", "Quantum");
    found.ideRecord.drivePresent[1] = 1; // controller 0 absent: not counted
    found.ideRecord.drivePresent[2] = 1;
    found.ideRecord.controllerPresent[1] = 1;
    std::memcpy(found.ideRecord.identifyBlocks[2], block.data(), 512);
    EXPECT_STREQ(ReadDriveSerial(found), "VXD-SERIAL");
    EXPECT_EQ(found.driverMissingShown, 0);
}

} // namespace

#include "identity/DriveProbe.h"
#include "identity/DriveRecords.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

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

// Drives of a test's making. Every call is written to `log` so that tests can
// check what reached the drivers, and in which order.
struct FakeDrives : IDriveQuery {
    struct Drive {
        uint8_t deviceMap = 0;                 // SMART_GET_VERSION; 0 = the request fails
        std::vector<unsigned char> identify;   // SMART_RCV_DRIVE_DATA; empty = fails
        std::vector<unsigned char> descriptor; // storage query; empty = fails
        bool opensForWrite = true;
    };
    std::map<std::string, Drive> devices;
    std::vector<std::string> log;
    std::vector<std::vector<unsigned char>> inputs;
    uint32_t platform = kPlatformNt;
    bool driverPresent = false;
    IdeDriverRecord ideRecord = {};

    struct Device : IDriveDevice {
        Device(FakeDrives& owner, const std::string& name) : owner(owner), name(name) {}
        ~Device() override { owner.log.push_back("close " + name); }
        bool Control(uint32_t code, const void* in, uint32_t inSize, void* out,
                     uint32_t outSize) override {
            char line[96];
            std::snprintf(line, sizeof line, "control %s %05x in %u out %u", name.c_str(), code,
                          inSize, outSize);
            owner.log.push_back(line);
            const auto* inBytes = static_cast<const unsigned char*>(in);
            owner.inputs.emplace_back(inBytes, inBytes + inSize);
            auto* outBytes = static_cast<unsigned char*>(out);
            if (code == kIdeDriverIdentify) {
                std::memcpy(out, &owner.ideRecord, sizeof owner.ideRecord);
                return true;
            }
            const Drive& drive = owner.devices[name];
            if (code == kSmartGetVersion && drive.deviceMap != 0) {
                outBytes[3] = drive.deviceMap;
                return true;
            }
            if ((code == kSmartRcvDriveData || code == kScsiMiniport) && !drive.identify.empty()) {
                // The data follows the 16-byte answer header, after the
                // SCSI request header on that path.
                const size_t at = (code == kScsiMiniport ? sizeof(SrbIoControl) : 0) + 16;
                std::memcpy(outBytes + at, drive.identify.data(), 512);
                return true;
            }
            if (code == kStorageQueryProperty && !drive.descriptor.empty()) {
                std::memcpy(out, drive.descriptor.data(), drive.descriptor.size());
                return true;
            }
            return false;
        }
        FakeDrives& owner;
        std::string name;
    };

    uint32_t PlatformId() override { return platform; }
    std::unique_ptr<IDriveDevice> Open(const std::string& name, uint32_t access, uint32_t share,
                                       uint32_t creation, uint32_t flags) override {
        char line[128];
        std::snprintf(line, sizeof line, "open %s %08x %x %u %08x", name.c_str(), access, share,
                      creation, flags);
        log.push_back(line);
        if (name == "\\\\.\\IDE21201.VXD")
            return driverPresent ? std::make_unique<Device>(*this, name) : nullptr;
        const auto found = devices.find(name);
        if (found == devices.end() || (access != 0 && !found->second.opensForWrite))
            return nullptr;
        return std::make_unique<Device>(*this, name);
    }
    void SetProcessPriority(uint32_t priorityClass) override {
        log.push_back("priority " + std::to_string(priorityClass));
    }
    void ShowDriverMissing(const char* text) override { log.push_back(std::string("box ") + text); }

    size_t Count(const std::string& prefix) const {
        size_t n = 0;
        for (const std::string& line : log)
            n += line.compare(0, prefix.size(), prefix) == 0;
        return n;
    }
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

TEST(DriveProbe, NoDrivesAtAllGivesTheEmptyTextAfterEveryPath) {
    FakeDrives drives;
    std::strcpy(g_driveSerial, "left over");
    EXPECT_STREQ(ReadDriveSerial(drives), "");
    // 16 drives for each of three paths, 16 SCSI ports, in the fixed order.
    ASSERT_EQ(drives.log.size(), 64u);
    EXPECT_EQ(drives.log[0], "open \\\\.\\PhysicalDrive0 c0000000 3 3 00000000");
    EXPECT_EQ(drives.log[15], "open \\\\.\\PhysicalDrive15 c0000000 3 3 00000000");
    EXPECT_EQ(drives.log[16], "open \\\\.\\Scsi0: c0000000 3 3 00000000");
    EXPECT_EQ(drives.log[31], "open \\\\.\\Scsi15: c0000000 3 3 00000000");
    EXPECT_EQ(drives.log[32], "open \\\\.\\PhysicalDrive0 00000000 3 3 00000000");
    EXPECT_EQ(drives.log[48], "open \\\\.\\PhysicalDrive0 c0000000 7 3 00000000");
    EXPECT_EQ(drives.log[63], "open \\\\.\\PhysicalDrive15 c0000000 7 3 00000000");
}

// Without administrator rights only the query-only open succeeds.
TEST(DriveProbe, SerialFoundOnlyByTheStorageQuery) {
    FakeDrives drives;
    drives.devices[kDrive0].opensForWrite = false;
    drives.devices[kDrive0].identify = IdentifyBlock("NOT-REACHED", "m");
    drives.devices[kDrive0].deviceMap = 1;
    drives.devices[kDrive0].descriptor = Descriptor("Samsung SSD", "S1AB2CD3");
    EXPECT_FALSE(ProbeSmartIdentify(drives));
    EXPECT_FALSE(ProbeScsiMiniport(drives));
    EXPECT_STREQ(ReadDriveSerial(drives), "1SBAC23D"); // serials come pairwise swapped
    EXPECT_STREQ(g_driveModel, "Samsung SSD");
}

TEST(DriveProbe, FirstPathWinsAndLaterPathsStillRun) {
    FakeDrives drives;
    drives.devices[kDrive0].deviceMap = 0x01;
    drives.devices[kDrive0].identify = IdentifyBlock("WD-WMAZA1234567", "WDC WD5000");
    drives.devices[kDrive0].descriptor = Descriptor("Other", "STORAGE1");
    drives.devices["\\\\.\\Scsi0:"].identify = IdentifyBlock("SCSI0001", "Scsi model");
    EXPECT_STREQ(ReadDriveSerial(drives), "WD-WMAZA1234567");
    EXPECT_STREQ(g_driveModel, "WDC WD5000");
    EXPECT_EQ(drives.Count("control \\\\.\\Scsi0: 4d008"), 2u);
    EXPECT_EQ(drives.Count("control \\\\.\\PhysicalDrive0 2d1400"), 1u);
    EXPECT_EQ(drives.Count("control \\\\.\\PhysicalDrive0 7c088"), 2u);
    // Every device is closed before the next one is opened.
    std::string open;
    for (const std::string& line : drives.log) {
        if (line.compare(0, 5, "open ") == 0 &&
            drives.devices.count(line.substr(5, line.find(' ', 5) - 5))) {
            EXPECT_EQ(open, "") << line;
            open = line.substr(5, line.find(' ', 5) - 5);
        } else if (line.compare(0, 6, "close ") == 0) {
            EXPECT_EQ(line.substr(6), open);
            open.clear();
        }
    }
}

TEST(DriveProbe, SmartCommandFollowsTheDeviceMap) {
    FakeDrives drives;
    // Drive 0 an ATA disk, drive 1 an ATAPI drive (bit 4 of the map shifted by 1).
    drives.devices[kDrive0].deviceMap = 0x21;
    drives.devices[kDrive1].deviceMap = 0x21;
    drives.devices[kDrive1].identify = IdentifyBlock("ATAPI-0001", "DVD");
    EXPECT_TRUE(ProbeSmartIdentify(drives));
    ASSERT_EQ(drives.inputs.size(), 4u);
    EXPECT_EQ(drives.Count("control \\\\.\\PhysicalDrive0 74080 in 0 out 24"), 1u);
    EXPECT_EQ(drives.Count("control \\\\.\\PhysicalDrive1 7c088 in 32 out 528"), 1u);
    for (int drive = 0; drive < 2; ++drive) {
        const std::vector<unsigned char>& in = drives.inputs[2 * drive + 1];
        ASSERT_EQ(in.size(), 32u);
        EXPECT_EQ(in[0] | in[1] << 8, 512);     // cBufferSize
        EXPECT_EQ(in[5], 1);                    // bSectorCountReg
        EXPECT_EQ(in[9], drive ? 0xb0 : 0xa0);  // bDriveHeadReg
        EXPECT_EQ(in[10], drive ? 0xa1 : 0xec); // bCommandReg
        EXPECT_EQ(in[12], drive);               // bDriveNumber
    }
}

TEST(DriveProbe, ScsiMiniportRequestAndEmptyModel) {
    FakeDrives drives;
    drives.devices["\\\\.\\Scsi1:"].identify = IdentifyBlock("SCSI-SERIAL", "");
    EXPECT_FALSE(ProbeScsiMiniport(drives)); // answered, but no model: no drive there
    drives.devices["\\\\.\\Scsi1:"].identify = IdentifyBlock("SCSI-SERIAL", "Maxtor");
    g_driveSerial[0] = '\0';
    EXPECT_TRUE(ProbeScsiMiniport(drives));
    EXPECT_STREQ(g_driveSerial, "SCSI-SERIAL");

    const std::vector<unsigned char>& in = drives.inputs.back();
    ASSERT_EQ(in.size(), 60u);
    EXPECT_EQ(drives.Count("control \\\\.\\Scsi1: 4d008 in 60 out 557"), 4u);
    EXPECT_EQ(in[0], 28);
    EXPECT_EQ(std::string(in.begin() + 4, in.begin() + 12), "SCSIDISK");
    EXPECT_EQ(in[12] | in[13] << 8, 10000);
    EXPECT_EQ(in[16] | in[17] << 8 | in[18] << 16, 0x1b0501);
    EXPECT_EQ(in[24] | in[25] << 8, 529);
    EXPECT_EQ(in[28 + 10], 0xec);
    EXPECT_EQ(in[28 + 12], 1); // second drive of the port
}

TEST(DriveProbe, SharedSmartPathNeedsTheVersionAnswer) {
    FakeDrives drives;
    drives.devices[kDrive0].identify = IdentifyBlock("NO-VERSION", "m");
    drives.devices[kDrive1].deviceMap = 1;
    drives.devices[kDrive1].identify = IdentifyBlock("SHARED-1", "m");
    g_driveSerial[0] = '\0';
    EXPECT_TRUE(ProbeSmartShared(drives));
    EXPECT_STREQ(g_driveSerial, "SHARED-1");
    EXPECT_EQ(drives.Count("control \\\\.\\PhysicalDrive0 7c088"), 0u);
    EXPECT_EQ(drives.Count("control \\\\.\\PhysicalDrive1 7c088 in 33 out 545"), 1u);
    EXPECT_EQ(drives.inputs.back()[10], 0xec);
}

TEST(DriveProbe, StorageDescriptorWithOffsetsOutsideTheBufferIsIgnored) {
    FakeDrives drives;
    std::vector<unsigned char> broken(sizeof(StorageDeviceDescriptor), 0);
    StorageDeviceDescriptor record = {};
    record.ProductIdOffset = 0x7fffffff;
    record.SerialNumberOffset = 0xfffffff0u;
    std::memcpy(broken.data(), &record, sizeof record);
    drives.devices[kDrive0].descriptor = broken;
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

TEST(DriveProbe, Windows9xPathTriesTheDriverTenTimes) {
    FakeDrives drives;
    drives.platform = 1;
    EXPECT_STREQ(ReadDriveSerial(drives), "");
    EXPECT_EQ(drives.Count("box ERROR: Could not open IDE21201.VXD file"), 10u);
    EXPECT_EQ(drives.Count("open \\\\.\\IDE21201.VXD 00000000 0 0 04000000"), 10u);
    ASSERT_GE(drives.log.size(), 3u);
    EXPECT_EQ(drives.log[0], "priority 256");
    EXPECT_EQ(drives.log[3], "priority 32");

    FakeDrives found;
    found.platform = 1;
    found.driverPresent = true;
    const auto block = IdentifyBlock("VXD-SERIAL", "Quantum");
    found.ideRecord.drivePresent[1] = 1; // controller 0 absent: not counted
    found.ideRecord.drivePresent[2] = 1;
    found.ideRecord.controllerPresent[1] = 1;
    std::memcpy(found.ideRecord.identifyBlocks[2], block.data(), 512);
    EXPECT_STREQ(ReadDriveSerial(found), "VXD-SERIAL");
    EXPECT_EQ(found.Count("control \\\\.\\IDE21201.VXD 00001 in 0 out 4"), 1u);
    EXPECT_EQ(found.Count("box"), 0u);
}

} // namespace

#pragma once

#include "identity/DriveQuery.h"

// The drive queries on this machine's own disk drivers.
class Win32DriveQuery : public IDriveQuery {
public:
    uint32_t PlatformId() override;
    std::unique_ptr<IDriveDevice> Open(const std::string& name, uint32_t access, uint32_t share,
                                       uint32_t creation, uint32_t flags) override;
    void SetProcessPriority(uint32_t priorityClass) override;
    void ShowDriverMissing(const char* text) override;
};

#pragma once

#include "app/GameConfig.h"

// The configuration steps' file access on the platform's files, with paths
// relative to the current directory (the game folder).
class Win32ConfigFiles : public IConfigFiles {
public:
    bool ReadAll(const std::string& path, std::string& text) override;
    bool WriteTemporary(const std::string& temporary, const std::string& text) override;
    bool MoveIntoPlace(const std::string& temporary, const std::string& target) override;
    void Delete(const std::string& path) override;
};

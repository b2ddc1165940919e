#pragma once

#include "app/GameConfig.h"

// The configuration steps' file access on the platform's files, with paths
// relative to the current directory (the game folder).
class Win32ConfigFiles : public IConfigFiles {
public:
    bool ReadAll(const std::string& path, std::string& text) override;
    bool WriteAll(const std::string& path, const std::string& text) override;
    bool Delete(const std::string& path) override;
    bool Move(const std::string& from, const std::string& to) override;
};

#pragma once
// Programs started detached through QProcess, in their start-in folder when it can be entered and in
// the current folder otherwise. The process's own current folder is never changed: the data files and
// every open window depend on it.
#include "platform/ports.h"

namespace tarvelo::platform {

class QtProgramStart : public ProgramStartPort {
public:
    bool start(const std::string& commandLine, const std::string& folder) override;
};

}  // namespace tarvelo::platform

#pragma once
// The system's open-file and save-file dialogs.
#include <QPointer>
#include <QWidget>

#include "platform/ports.h"

namespace tarvelo::platform {

class QtFileDialog : public FileDialogPort {
public:
    explicit QtFileDialog(QWidget* parent = nullptr) : m_parent(parent) {}

    std::optional<std::string> openFile(const std::string& title, const std::vector<FileFilter>& filters,
                                        const std::string& startFolder) override;
    std::optional<std::string> saveFile(const std::string& title, const std::vector<FileFilter>& filters,
                                        const std::string& suggested) override;

private:
    QPointer<QWidget> m_parent;
};

// The filters as a Qt filter string: "Programs (*.exe *.sh);;All files (*)".
QString qtFileFilter(const std::vector<FileFilter>& filters);

}  // namespace tarvelo::platform
